// Reading the update list, "updates.txt" on the update server.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The update methods that this version carries out. A line may name any
// other number, which is reported as a method that is not supported.
enum UpdateMethod : int32_t {
    METHOD_BROWSER = 1,             // open the address in the default browser
    METHOD_BROWSER_TOO = 2,         // the same
    METHOD_DOWNLOAD_AND_START = 4,  // download the address and start it
};

// One line of the update list.
struct UpdateListEntry {
    std::string program;  // the line is for this program
    std::string version;  // up to four numbers joined by "."
    int32_t method = 0;   // an UpdateMethod, or any other number
    std::string address;  // web address, server path or bare file name
    int32_t size = 0;     // expected bytes of a download; 0 or less accepts any
    std::string sha256;   // optional: the download's SHA-256 in hexadecimal
};

// Only this many lines of the list are looked at.
constexpr int32_t UPDATE_LIST_MAX_LINES = 50;

// Only this many bytes from the start of the list are read; a longer list
// is cut there.
constexpr uint32_t UPDATE_LIST_MAX_BYTES = 1024 * 1024;

// Line n (from 1) of the list: lines end at LF; leading and trailing spaces
// (only spaces) are stripped. A line the text does not have is empty.
std::string UpdateListLine(std::string_view list, int32_t n);

// A number field of the list: blanks (space, tab, CR, LF) skipped, then a
// decimal number with an optional sign and at most one "." (no exponent, no
// "&H" forms); anything after it is ignored; no digits read as 0.
double ReadListDecimal(std::string_view text);

// ReadListDecimal taken to the nearest whole number (halves to even), low
// 32 bits.
int32_t ReadListWholeNumber(std::string_view text);

// Splits one (stripped) line into its comma-separated fields, of which six
// are used. A CR that ends the line, left of a CR LF line end, is no part of
// its last field.
UpdateListEntry ReadUpdateListEntry(std::string_view line);

// Looks through lines 1 to 50 for the first whose field 1 equals
// `programName` byte for byte; the first empty line ends the search.
// Returns whether such a line was found, and fills `entry` from it.
bool FindUpdateListEntry(std::string_view list, std::string_view programName, UpdateListEntry& entry);
