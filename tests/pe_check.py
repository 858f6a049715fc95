#!/usr/bin/python3
"""Checks a built brantle.exe from its file alone, without running it.

    pe_check.py --machine IMAGE_FILE_MACHINE_I386 --manifest-arch x86 --export-pops 8 \
                [--update-key <update key PEM>] <brantle.exe> <resources folder>

What differs between the builds comes from scripts/windows-builds.sh
(windows_build_pe_check): the PE machine, the manifest's architecture and
how many bytes of arguments the exported BRANTLE removes from the stack.
Reads the PE file with pefile (Debian's python3-pefile) and disassembles the
exported function with the MinGW binutils' objdump, so both builds are
checked on every machine, also where one of them cannot run. Prints one line
per check and exits 1 when any check fails. With a public key, also checks
that the program carries that key's 64 coordinate bytes, once.

    pe_check.py --layout-only <program.exe>

checks only what any Windows program needs of its file, signed or not (the
one part of brantle.exe's checks that brantle-rules.exe shares): a PE
checksum that is right or zero, and a certificate table (the Authenticode
signature) that is absent, or well-formed at the very end of the file.
"""
import argparse
import base64
import re
import struct
from xml.etree import ElementTree
import subprocess
import sys

import pefile

# The only DLLs that a statically linked brantle.exe may import: Windows' own.
SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "comctl32.dll", "ole32.dll", "msvcrt.dll",
               "advapi32.dll"}
# name: (width, height, bits per pixel, compression); 0 is BI_RGB, 1 BI_RLE8,
# 2 BI_RLE4. Each is its file in the resources folder without the file's
# 14-byte header.
BITMAPS = {"QVTEXT": (184, 57, 8, 0), "LBULB": (53, 56, 4, 0), "KXLOGO": (172, 43, 8, 0),
           "QVTEXT150": (276, 86, 8, 1), "LBULB150": (80, 84, 4, 2), "KXLOGO150": (258, 65, 8, 1),
           "QVTEXT200": (368, 114, 8, 1), "LBULB200": (106, 112, 4, 2), "KXLOGO200": (344, 86, 8, 1)}
COMPRESSIONS = {0: "uncompressed", 1: "BI_RLE8", 2: "BI_RLE4"}
ICON_SIZES = [16, 20, 24, 32, 40, 48, 64]
# The icon sizes whose images are PNG files; the others are bitmaps.
PNG_ICON_SIZES = [40, 48, 64]
PNG_SIGNATURE = b"\x89PNG\r\n\x1a\n"
# The Windows versions the manifest names as supported: 7, 8, 8.1, and 10/11.
SUPPORTED_OS = {"35138b9a-5d96-4fbd-8e2d-a2440225f93a", "4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38",
                "1f676c76-80e1-4239-95bb-83d0f6d0da78", "8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a"}
VERSION_STRINGS = {"FileDescription": "Quorvane sign illumination tool", "ProductVersion": "1.10",
                   "FileVersion": "1.1.0.1"}

failures = 0


def check(ok, what):
    global failures
    print(("ok   " if ok else "FAIL ") + what)
    failures += not ok


def resource(pe, type_id, name):
    """The bytes of the first language of resource type_id/name, or None."""
    for entry in pe.DIRECTORY_ENTRY_RESOURCE.entries if hasattr(pe, "DIRECTORY_ENTRY_RESOURCE") else []:
        if entry.id != type_id:
            continue
        for item in entry.directory.entries:
            item_name = str(item.name) if item.name is not None else item.id
            if item_name == name:
                data = item.directory.entries[0].data.struct
                return pe.get_data(data.OffsetToData, data.Size)
    return None


def export_body_returns(exe, pe, address):
    """The first return instruction after the export's entry, as objdump writes it."""
    base = pe.OPTIONAL_HEADER.ImageBase
    listing = subprocess.run(
        ["x86_64-w64-mingw32-objdump", "-d", f"--start-address={base + address}",
         f"--stop-address={base + address + 1024}", exe],
        check=True, capture_output=True, text=True).stdout
    for line in listing.splitlines():
        match = re.search(r"\t(ret[lq]?\b.*)$", line)
        if match:
            return re.sub(r"\s+", " ", match.group(1).replace("retq", "ret").replace("retl", "ret")).strip()
    return None


def check_file_layout(pe):
    """The PE checksum, and the certificate table where a signature lives:
    each entry (WIN_CERTIFICATE) a PKCS#7 signature of revision 2.0, 8-byte
    aligned, the table after every section's data and ending the file."""
    checksum = pe.OPTIONAL_HEADER.CheckSum
    computed = pe.generate_checksum()
    check(checksum in (0, computed), f"PE checksum {checksum:#x} is zero or right ({computed:#x})")

    data = pe.__data__
    security = pe.OPTIONAL_HEADER.DATA_DIRECTORY[pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_SECURITY"]]
    offset, size = security.VirtualAddress, security.Size
    if offset == 0 and size == 0:
        check(True, "no certificate table (unsigned)")
        return
    sections_end = max(s.PointerToRawData + s.SizeOfRawData for s in pe.sections)
    check(offset % 8 == 0 and offset >= sections_end and offset + size == len(data),
          f"the certificate table ({size} bytes at {offset:#x}) follows the sections ({sections_end:#x}) "
          f"and ends the file ({len(data):#x})")
    entries = []
    position = offset
    while position + 8 <= min(offset + size, len(data)):
        length, revision, kind = struct.unpack_from("<IHH", data, position)
        entries.append((length, revision, kind))
        if length < 8:
            break
        position += (length + 7) & ~7
    well_formed = bool(entries) and position == offset + size and all(
        length >= 8 and revision == 0x0200 and kind == 0x0002 for length, revision, kind in entries)
    check(well_formed, f"the certificate table holds {len(entries)} PKCS#7 signature(s) of revision 2.0, "
          f"8-byte aligned: {[(length, hex(revision), kind) for length, revision, kind in entries]}")


def check_library_layout(pe, machine):
    """What the program needs of its file when a calling program loads it
    as a library to call BRANTLE: base relocations that Windows can apply
    (ASLR) and a preferred base of its own, away from the calling program's;
    for each imported library a lookup list that names its imports, with
    every thunk in the import address table, which the export binds under
    one change of protection; and, in the 32-bit build, the DWARF frame
    table that it registers, found by its section's name."""
    relocations = pe.OPTIONAL_HEADER.DATA_DIRECTORY[pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_BASERELOC"]]
    stripped = pe.FILE_HEADER.Characteristics & pefile.IMAGE_CHARACTERISTICS["IMAGE_FILE_RELOCS_STRIPPED"]
    dynamic = pe.OPTIONAL_HEADER.DllCharacteristics & \
        pefile.DLL_CHARACTERISTICS["IMAGE_DLLCHARACTERISTICS_DYNAMIC_BASE"]
    check(relocations.Size > 0 and not stripped and dynamic,
          f"base relocations kept ({relocations.Size} bytes) and the base dynamic (ASLR)")
    base = pe.OPTIONAL_HEADER.ImageBase
    check(base not in (0x400000, 0x140000000) and base % 0x10000 == 0,
          f"a preferred base of its own ({base:#x}), not the usual base of programs")

    thunks = pe.OPTIONAL_HEADER.DATA_DIRECTORY[pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_IAT"]]
    width = 8 if pe.OPTIONAL_HEADER.Magic == 0x20B else 4
    outside = [d.dll.decode() for d in getattr(pe, "DIRECTORY_ENTRY_IMPORT", [])
               if not d.struct.OriginalFirstThunk or d.struct.FirstThunk < thunks.VirtualAddress or
               d.struct.FirstThunk + (len(d.imports) + 1) * width > thunks.VirtualAddress + thunks.Size]
    check(thunks.Size > 0 and not outside,
          f"each imported library has a lookup list and its thunks in the import address table "
          f"({thunks.Size} bytes at {thunks.VirtualAddress:#x}){': not ' + ', '.join(outside) if outside else ''}")
    if machine == pefile.MACHINE_TYPE["IMAGE_FILE_MACHINE_I386"]:
        frames = [s for s in pe.sections if s.Name.rstrip(b"\0") == b".eh_fram"]
        check(len(frames) == 1 and frames[0].Misc_VirtualSize > 0,
              "one DWARF frame table section, named .eh_fram in the section table")


def key_coordinates(pem_path):
    """The x and y of a P-256 public key PEM (its DER is 91 bytes: a fixed
    header, 04, then 32 bytes each), or None."""
    with open(pem_path, encoding="ascii") as f:
        match = re.search(r"-----BEGIN PUBLIC KEY-----(.*?)-----END PUBLIC KEY-----", f.read(), re.S)
    der = base64.b64decode("".join(match.group(1).split())) if match else b""
    return der[-64:] if len(der) == 91 and der[-65] == 4 else None


def main():
    if sys.argv[1:2] == ["--layout-only"]:
        if len(sys.argv) != 3:
            sys.exit("usage: pe_check.py --layout-only <program.exe>")
        print(f"pe-check: {sys.argv[2]} (its file layout)")
        check_file_layout(pefile.PE(sys.argv[2]))
        print(f"pe-check: {sys.argv[2]}: {'all checks passed' if failures == 0 else f'{failures} failed'}")
        return 1 if failures else 0
    parser = argparse.ArgumentParser(description="Checks a built brantle.exe from its file alone.")
    parser.add_argument("--machine", required=True, choices=sorted(k for k in pefile.MACHINE_TYPE if isinstance(k, str)),
                        metavar="IMAGE_FILE_MACHINE_...")
    parser.add_argument("--manifest-arch", required=True)
    parser.add_argument("--export-pops", required=True, type=int)
    parser.add_argument("--update-key", help="the public key (PEM) the program must carry")
    parser.add_argument("exe")
    parser.add_argument("resources")
    args = parser.parse_args()
    exe, resources, manifest_arch = args.exe, args.resources, args.manifest_arch
    update_key = args.update_key
    machine = pefile.MACHINE_TYPE[args.machine]
    # The return that ends the export's body, as objdump writes it.
    export_return = f"ret ${args.export_pops:#x}" if args.export_pops else "ret"
    print(f"pe-check: {exe} ({args.machine})")
    pe = pefile.PE(exe)

    check(pe.FILE_HEADER.Machine == machine, f"machine type {hex(pe.FILE_HEADER.Machine)}")
    check(pe.OPTIONAL_HEADER.Subsystem == pefile.SUBSYSTEM_TYPE["IMAGE_SUBSYSTEM_WINDOWS_GUI"],
          "Windows GUI subsystem")
    check_file_layout(pe)

    imports = sorted(d.dll.decode().lower() for d in getattr(pe, "DIRECTORY_ENTRY_IMPORT", []))
    check(imports and set(imports) <= SYSTEM_DLLS, f"imports only system DLLs: {', '.join(imports)}")

    exports = getattr(pe, "DIRECTORY_ENTRY_EXPORT", None)
    symbols = [(s.name, s.ordinal, s.address, s.forwarder) for s in exports.symbols] if exports else []
    check([(name, ordinal) for name, ordinal, _, _ in symbols] == [(b"BRANTLE", 1)],
          "exports BRANTLE at ordinal 1 and nothing else")
    if symbols and symbols[0][3] is None:
        address = symbols[0][2]
        section = pe.get_section_by_rva(address)
        executable = pefile.SECTION_CHARACTERISTICS["IMAGE_SCN_MEM_EXECUTE"]
        check(section is not None and section.Characteristics & executable, "BRANTLE points into code")
        returns = export_body_returns(exe, pe, address)
        expected = (f"removes its {args.export_pops} bytes of arguments" if args.export_pops
                    else "leaves the stack to the caller")
        check(returns == export_return, f"BRANTLE's body {expected} ({returns})")
    else:
        check(False, "BRANTLE is a function of the program, not a forwarder")

    check_library_layout(pe, machine)

    table = resource(pe, pefile.RESOURCE_TYPE["RT_RCDATA"], "BRANTLE")
    with open(f"{resources}/rule_table.txt", "rb") as f:
        check(table == f.read(), f"RCDATA BRANTLE is the rule table byte for byte ({len(table or b'')} bytes)")

    for name, (width, height, bits, compression) in BITMAPS.items():
        data = resource(pe, pefile.RESOURCE_TYPE["RT_BITMAP"], name) or b"\0" * 20
        _, w, h, _, b, c = struct.unpack_from("<IiiHHI", data)
        check((w, abs(h), b, c) == (width, height, bits, compression),
              f"bitmap {name} is {w} x {abs(h)}, {b} bits per pixel, {COMPRESSIONS.get(c, c)}")
        with open(f"{resources}/{name.lower()}.bmp", "rb") as f:
            check(data == f.read()[14:], f"bitmap {name} is {name.lower()}.bmp byte for byte ({len(data)} bytes)")

    group = resource(pe, pefile.RESOURCE_TYPE["RT_GROUP_ICON"], "AMAIN") or b"\0" * 6
    count = struct.unpack_from("<H", group, 4)[0]
    sizes = sorted(group[6 + 14 * i] or 256 for i in range(count))
    check(sizes == ICON_SIZES, f"icon group AMAIN has sizes {sizes}")
    # Each image of the group: its kind and size as its directory entry
    # says, and the image of that size in amain.ico byte for byte.
    with open(f"{resources}/amain.ico", "rb") as f:
        ico = f.read()
    in_file = {}
    for i in range(struct.unpack_from("<H", ico, 4)[0]):
        side, _, _, _, _, _, length, offset = struct.unpack_from("<BBBBHHII", ico, 6 + 16 * i)
        in_file[side or 256] = ico[offset:offset + length]
    for i in range(count if len(group) >= 6 + 14 * count else 0):
        side, _, _, _, _, _, length, icon_id = struct.unpack_from("<BBBBHHIH", group, 6 + 14 * i)
        side = side or 256
        image = resource(pe, pefile.RESOURCE_TYPE["RT_ICON"], icon_id) or b""
        png = image.startswith(PNG_SIGNATURE)
        if png and len(image) >= 24:
            width, height = struct.unpack_from(">II", image, 16)
        elif not png and len(image) >= 12:
            _, width, height = struct.unpack_from("<Iii", image)
            height //= 2  # the colour image and the AND mask
        else:
            width = height = 0
        kind = "PNG" if side in PNG_ICON_SIZES else "bitmap"
        check(png == (side in PNG_ICON_SIZES) and (width, height) == (side, side) and len(image) == length,
              f"icon {side} is a {kind} image of {side} x {side} (found: {'PNG' if png else 'bitmap'}, "
              f"{width} x {height}, {len(image)} bytes)")
        check(image == in_file.get(side), f"icon {side}: amain.ico's image byte for byte")

    manifest = (resource(pe, pefile.RESOURCE_TYPE["RT_MANIFEST"], 1) or b"").decode("utf-8", "replace")
    controls = re.search(r'name="Microsoft\.Windows\.Common-Controls"[^>]*', manifest)
    check(controls is not None and 'version="6.0.0.0"' in controls.group(0)
          and f'processorArchitecture="{manifest_arch}"' in controls.group(0),
          f"the manifest asks for common controls 6 for {manifest_arch}")
    check('level="asInvoker"' in manifest, "the manifest asks to run as the invoker")
    try:
        root = ElementTree.fromstring(manifest.encode("utf-8"))
    except ElementTree.ParseError as error:
        root = None
        check(False, f"the manifest is well-formed XML ({error})")

    def texts(tag):
        return [e.text for e in root.iter() if e.tag.endswith("}" + tag)] if root is not None else []

    check(texts("dpiAware") == ["true/pm"], f"the manifest declares dpiAware {texts('dpiAware')}")
    check(texts("dpiAwareness") == ["PerMonitorV2, PerMonitor"],
          f"the manifest declares dpiAwareness {texts('dpiAwareness')}")
    supported = {e.get("Id", "").strip("{}").lower() for e in root.iter() if e.tag.endswith("}supportedOS")} \
        if root is not None else set()
    check(supported == SUPPORTED_OS, f"the manifest names Windows 7, 8, 8.1 and 10/11 as supported ({len(supported)})")

    strings = {}
    for info in getattr(pe, "FileInfo", []):
        for block in info:
            for table in getattr(block, "StringTable", []):
                strings.update({k.decode(): v.decode() for k, v in table.entries.items()})
    for key, value in VERSION_STRINGS.items():
        check(strings.get(key) == value, f"version string {key} is {strings.get(key)!r}")
    fixed = pe.VS_FIXEDFILEINFO[0] if hasattr(pe, "VS_FIXEDFILEINFO") else None
    check(fixed is not None and (fixed.FileVersionMS, fixed.FileVersionLS) == (0x00010001, 0x00000001),
          "file version 1.1.0.1")

    if update_key:
        coordinates = key_coordinates(update_key)
        with open(exe, "rb") as f:
            found = f.read().count(coordinates) if coordinates else 0
        check(found == 1, f"carries the 64 bytes of the update key {update_key} once (found {found} times)")

    print(f"pe-check: {exe}: {'all checks passed' if failures == 0 else f'{failures} failed'}")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
