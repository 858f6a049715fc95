#!/usr/bin/python3
"""Checks what brantle.exe links, from the linker's map with cross references
(-Wl,-Map=...,--cref,--no-demangle), after every link of the program:

    link_map_check.py <brantle.map> [<brantle.exe>]

A program that loads brantle.exe as a library to call its export runs none
of the program's start-up and may unload it long before it ends itself, so:

- the program's own code has no constructors (no .ctors, .init_array or
  .CRT$XC/XI contributions): nothing would run them there;
- it registers nothing to run at exit (atexit, _onexit, __cxa_atexit): that
  would run when the calling program ends, perhaps after the unloading;
- the code that binds the program's imports in such a process
  (mapped_image.cpp, library_readiness_win.cpp) refers to no import and no
  library function, only to itself and to the few runtime functions that it
  calls once the imports are bound.

The program's own objects are the map's relative paths (inside the build
folder); the toolchain's are absolute. Prints each finding and exits 1 when
there is one, after removing the program given, so that the next build links
it again instead of taking it for up to date.
"""
import os
import re
import sys

EXIT_REGISTRATION = {"atexit", "_onexit", "__cxa_atexit", "at_quick_exit", "_crt_atexit"}
CONSTRUCTOR_SECTION = re.compile(r"^ (\.ctors\S*|\.init_array\S*|\.CRT\$X[CI]\S*)(?:\s+0x\S+\s+0x\S+\s+(\S.*))?$")
PLACED = re.compile(r"^\s+0x\S+\s+0x\S+\s+(\S.*)$")
BEFORE_BINDING = ("(mapped_image.cpp.obj)", "(library_readiness_win.cpp.obj)")
# What the code before binding may refer to beyond itself: the image's own
# base, and the runtime's relocator and frame registration, which it calls
# once the imports are bound.
ALLOWED_BEFORE_BINDING = {"__ImageBase", ".refptr.__ImageBase", "_pei386_runtime_relocator", "__register_frame"}


def own(path):
    return not path.startswith("/")


def read_map(path):
    with open(path, encoding="utf-8", errors="replace") as f:
        lines = f.read().splitlines()
    constructors = []
    references = {}
    in_cref = False
    symbol = None
    for i, line in enumerate(lines):
        if line.startswith("Cross Reference Table"):
            in_cref = True
            continue
        if not in_cref:
            match = CONSTRUCTOR_SECTION.match(line)
            if match:
                where = match.group(2)
                if where is None and i + 1 < len(lines):
                    placed = PLACED.match(lines[i + 1])
                    where = placed.group(1) if placed else None
                if where:
                    constructors.append((match.group(1), where.strip()))
            continue
        if not line.strip() or line.startswith("Symbol "):
            continue
        if line[0] != " ":
            # The symbol, then the first file (which defines it, where a
            # file does) on the same line; the files that refer to it follow.
            parts = line.split(None, 1)
            symbol = parts[0]
            references[symbol] = [parts[1].strip()] if len(parts) > 1 else []
        elif symbol is not None:
            references[symbol].append(line.strip())
    return constructors, references


def main():
    if len(sys.argv) not in (2, 3):
        sys.exit("usage: link_map_check.py <brantle.map> [<brantle.exe>]")
    constructors, references = read_map(sys.argv[1])
    if not references:
        sys.exit(f"link_map_check: {sys.argv[1]} holds no cross reference table (link with --cref)")
    findings = []
    for section, where in constructors:
        if own(where):
            findings.append(f"{where} has constructors ({section}), which a calling program never runs")
    for symbol, files in references.items():
        name = symbol[1:] if symbol.startswith("_") and symbol[1:] in EXIT_REGISTRATION else symbol
        if name in EXIT_REGISTRATION:
            findings += [f"{f} registers a function to run at exit ({symbol})" for f in files if own(f)]
        users = [f for f in files if f.endswith(BEFORE_BINDING)]
        if not users:
            continue
        defined_here = files[0].endswith(BEFORE_BINDING)
        allowed = {symbol, symbol[1:]} & ALLOWED_BEFORE_BINDING
        if not defined_here and not allowed:
            findings += [f"{f} refers to {symbol}, which it may not reach before the imports are bound"
                         for f in users]
    for finding in findings:
        print(f"link_map_check: {finding}")
    if findings and len(sys.argv) == 3 and os.path.exists(sys.argv[2]):
        os.remove(sys.argv[2])
    return 1 if findings else 0


if __name__ == "__main__":
    sys.exit(main())
