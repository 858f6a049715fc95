// The addresses of the update server, and how list entries' addresses are
// completed.
#pragma once

#include <string>
#include <string_view>

// The name of the local copy of the list in the temporary directory; a
// method-4 download lands in the same file.
extern const char* const LOCAL_LIST_NAME;  // "UpdateList.txt"

// "http://" + host + "/uploaded/software/updates.txt".
std::string UpdateListAddress(std::string_view host);

// "http://" + host + "/uploaded/protected/".
std::string DownloadBaseAddress(std::string_view host);

// Methods 1 and 2: an address without "/" is a page on the update server;
// "http://" goes in front unless the address begins with a lower-case "h".
std::string CompleteBrowserAddress(std::string_view address, std::string_view host);

// Method 4: an address without "/" is a file under the download base address.
std::string CompleteDownloadAddress(std::string_view address, std::string_view host);

// The part of a completed address after its last "/".
std::string SavedFileName(std::string_view completedAddress);

// Whether `name` can be saved as a file of that name inside a directory:
// not empty, not "." or "..", no character Windows forbids in a file name
// (<>:"/\|?* and control characters), not ending in a space or ".", at most
// 255 bytes, and not a device name such as CON, NUL, COM1 or LPT1 (with or
// without an extension).
bool IsSafeFileName(std::string_view name);
