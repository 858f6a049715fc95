// The update list reader and version numbers on arbitrary bytes: no crash, and
// the properties that the format promises hold.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "download_check.h"
#include "update_address.h"
#include "update_list.h"
#include "version_number.h"

namespace {

void Require(bool holds) {
    if (!holds) std::abort();
}

bool SameEntry(const UpdateListEntry& a, const UpdateListEntry& b) {
    return a.program == b.program && a.version == b.version && a.method == b.method && a.address == b.address &&
           a.size == b.size && a.sha256 == b.sha256;
}

void CheckList(std::string_view list) {
    UpdateListEntry entry;
    bool found = FindUpdateListEntry(list, "Brantle", entry);
    if (found) {
        Require(entry.program == "Brantle");
        // Whatever the line holds, only web addresses leave the program.
        Require(IsWebAddress(CompleteBrowserAddress(entry.address, "updates.test.example")));
        Require(IsWebAddress(CompleteDownloadAddress(entry.address, "https://updates.test.example")));
        Sha256Digest digest;
        if (ParseSha256(entry.sha256, digest)) Require(entry.sha256.size() == 64);
    }

    // A CR LF line end reads as a LF one.
    std::string line(list.substr(0, list.find('\n')));
    if (line.empty() || line.back() != '\r')
        Require(SameEntry(ReadUpdateListEntry(line + "\r"), ReadUpdateListEntry(line)));

    // Lines after the text's last byte do not change what is found first.
    UpdateListEntry again;
    std::string extended = std::string(list) + "\nBrantle,9.9,1,other\n";
    bool foundAgain = FindUpdateListEntry(extended, "Brantle", again);
    if (found) Require(foundAgain && SameEntry(entry, again));

    // An empty first line ends the list at once.
    UpdateListEntry none;
    Require(!FindUpdateListEntry("\n" + std::string(list), "Brantle", none));

    // Lines hold no LF and no spaces at either end.
    for (int32_t n = 1; n <= 3; ++n) {
        std::string line = UpdateListLine(list, n);
        Require(line.find('\n') == std::string::npos);
        Require(line.empty() || (line.front() != ' ' && line.back() != ' '));
    }
}

void CheckVersion(std::string_view text) {
    uint32_t value = VersionNumber(text);
    // Only the first four parts count.
    size_t dots = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '.' && ++dots == 4) {
            Require(VersionNumber(text.substr(0, i)) == value);
            break;
        }
    }
    // Blanks before a part are skipped.
    Require(VersionNumber(" \t" + std::string(text)) == value);
}

// Four parts of up to 65535 carry into each other modulo 2^32.
void CheckCarries(const uint8_t* data, size_t size) {
    if (size < 8) return;
    uint32_t expected = 0;
    std::string text;
    for (int part = 0; part < 4; ++part) {
        uint32_t value = static_cast<uint32_t>(data[2 * part]) << 8 | data[2 * part + 1];
        expected = expected * 256u + value;
        if (part) text += '.';
        text += std::to_string(value);
    }
    Require(VersionNumber(text) == expected);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 4096) return 0;
    std::string_view text(reinterpret_cast<const char*>(data), size);
    CheckList(text);
    CheckVersion(text);
    CheckCarries(data, size);
    return 0;
}
