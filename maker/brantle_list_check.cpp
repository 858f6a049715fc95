// brantle-list-check: what a program that carries the maker's key does with
// an update list and its signature, run by scripts/check-update-list.sh
// before the two files are uploaded.
//
//   brantle-list-check LIST SIGNATURE KEY
//
// KEY is the public key's 64 bytes, x then y, as 128 hexadecimal digits, as
// "cmake -DKEY=update-key.pem -P cmake/update_public_key.cmake" prints them
// (the bytes the build carries). Exit codes: 0 the program takes the list,
// 1 it shows a failure instead of offering anything, 2 wrong use.
#include <sys/stat.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <string_view>

#include "program_identity.h"
#include "list_check.h"
#include "update_check.h"
#include "update_host.h"
#include "update_methods.h"

namespace {

const char TOOL[] = "check-update-list";

// The installed version judged: older than any list version, so the line
// is judged as every installed version older than the list's sees it.
const char ANY_OLDER_VERSION[] = "0";

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool ParseKey(std::string_view hex, P256PublicKey& key) {
    if (hex.size() != 2 * key.size()) return false;
    for (size_t i = 0; i < key.size(); ++i) {
        const int high = HexDigit(hex[2 * i]);
        const int low = HexDigit(hex[2 * i + 1]);
        if (high < 0 || low < 0) return false;
        key[i] = static_cast<uint8_t>(high * 16 + low);
    }
    return true;
}

// A text of the list as the terminal shows it: bytes below 32, 127 and the
// backslash written as \xHH.
std::string Printable(std::string_view text) {
    std::string shown;
    for (char c : text) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (u < 32 || u == 127 || c == '\\') {
            char escaped[5];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", u);
            shown += escaped;
        } else {
            shown += c;
        }
    }
    return shown;
}

// A regular file that can be opened for reading.
bool Readable(const char* path) {
    struct stat status {};
    return stat(path, &status) == 0 && S_ISREG(status.st_mode) && std::ifstream(path, std::ios::binary).is_open();
}

// A message box's text as lines of the terminal, indented.
std::string Indented(std::string_view text) {
    std::string lines = "    ";
    for (char c : text) {
        if (c == '\r') continue;
        lines += c;
        if (c == '\n') lines += "    ";
    }
    return lines;
}

// The program's line as it reads it, field by field.
void PrintEntry(std::FILE* out, const UpdateListEntry& entry) {
    std::fprintf(out, "%s: the program reads its line as: version \"%s\", method %d, address \"%s\", size %d, ", TOOL,
                 Printable(entry.version).c_str(), entry.method, Printable(entry.address).c_str(), entry.size);
    if (entry.sha256.empty()) {
        std::fprintf(out, "no SHA-256\n");
    } else {
        std::fprintf(out, "SHA-256 \"%s\"\n", Printable(entry.sha256).c_str());
    }
}

int Usage() {
    std::fprintf(stderr,
                 "usage: brantle-list-check LIST SIGNATURE KEY\n"
                 "  KEY: the public key's 64 bytes as 128 hexadecimal digits, as\n"
                 "  \"cmake -DKEY=update-key.pem -P cmake/update_public_key.cmake\" prints them.\n"
                 "Exit codes: 0 the program takes the list, 1 it would refuse it, 2 wrong use.\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) return Usage();
    const char* list = argv[1];
    const char* signature = argv[2];
    P256PublicKey key{};
    if (!ParseKey(argv[3], key)) {
        std::fprintf(stderr, "%s: the key is not 128 hexadecimal digits\n", TOOL);
        return Usage();
    }
    for (const char* file : {list, signature}) {
        if (!Readable(file)) {
            std::fprintf(stderr, "%s: %s is not a file that can be read\n", TOOL, file);
            return 2;
        }
    }

    const ListCheck check = CheckUpdateList(list, signature, key, UPDATE_HOST, ANY_OLDER_VERSION);
    if (!check.failure.empty()) {
        std::fprintf(stderr, "%s: the program would refuse it, and show:\n%s\n", TOOL, Indented(check.failure).c_str());
        if (check.listEmpty) {
            std::fprintf(stderr, "%s: %s is empty\n", TOOL, list);
        } else if (!check.signatureValid) {
            std::fprintf(stderr, "%s: %s is not a valid signature of every byte of %s by the key\n", TOOL, signature,
                         list);
        } else if (check.hasEntry) {
            PrintEntry(stderr, check.entry);
            if (!IsOfferedFromSignedList(check.entry)) {
                std::fprintf(stderr,
                             "%s: a download line (method 4) of a signed list needs the file's SHA-256 as "
                             "its sixth field\n",
                             TOOL);
            }
        }
        return 1;
    }

    std::printf("%s: %s verifies with the key; the program will take it\n", TOOL, list);
    const std::string version = Printable(check.entry.version);
    if (!check.opened.empty()) {
        std::printf("%s: it offers version %s and opens %s in the browser\n", TOOL, version.c_str(),
                    check.opened.c_str());
    } else if (!check.fetched.empty()) {
        std::printf("%s: it offers version %s, downloads %s and starts it only if it has ", TOOL, version.c_str(),
                    check.fetched.c_str());
        if (check.entry.size > 0) std::printf("at least %d bytes and ", check.entry.size);
        std::printf("the SHA-256 %s\n", Printable(check.entry.sha256).c_str());
    } else if (check.hasEntry) {
        std::printf("%s: but it offers nothing: its version \"%s\" reads as 0\n", TOOL, version.c_str());
    } else {
        std::printf("%s: but it offers nothing: no line among the first 50, before an empty line, is for %s\n", TOOL,
                    PROGRAM_NAME);
    }
    return 0;
}
