// The addresses of the update server, and how list entries' addresses are
// completed.
#pragma once

#include <string>
#include <string_view>

// The name of the local copy of the list in the temporary directory; a
// method-4 download lands in the same file.
extern const char* const LOCAL_LIST_NAME;  // "UpdateList.txt"

// `host` is the update server as the build names it: a host name,
// optionally with ":port", that may begin with "https://" to have the
// server reached over https; otherwise it is reached over http.

// The host name alone, without "https://", as messages name the server.
std::string_view UpdateHostName(std::string_view host);

// The server's address + "/uploaded/software/updates.txt".
std::string UpdateListAddress(std::string_view host);

// The server's address + "/uploaded/protected/".
std::string DownloadBaseAddress(std::string_view host);

// Whether `address` begins with exactly "http://" or "https://".
bool IsWebAddress(std::string_view address);

// The one completion rule for the addresses of the list: one without "/"
// is a bare name and follows `bareNameBase`; one that begins with exactly
// "http://" or "https://" stays as written; any other gets "http://" in
// front. The result is always an http or https address.
std::string CompleteAddress(std::string_view address, std::string_view bareNameBase);

// Methods 1 and 2: a bare name is a page on the update server.
std::string CompleteBrowserAddress(std::string_view address, std::string_view host);

// Method 4: a bare name is a file under the download base address.
std::string CompleteDownloadAddress(std::string_view address, std::string_view host);

// Whether `address` holds only the bytes that a web address may carry
// unencoded: from 0x21 to 0x7E, except " < > \ ^ ` { | }. Anything else
// (blanks, control characters, a zero byte, bytes above 0x7E) is cut off or
// read differently by the shell, a browser or the downloader, so that what
// they reach is not what the list says; such bytes must be percent-encoded.
bool IsCleanAddress(std::string_view address);

// The part of a completed address after its last "/".
std::string SavedFileName(std::string_view completedAddress);

// Whether `name` can be saved as a file of that name inside a directory:
// not empty, not "." or "..", no character Windows forbids in a file name
// (<>:"/\|?* and control characters), not ending in a space or ".", at most
// 255 bytes, and not a device name such as CON, NUL, COM1 or LPT1 (with or
// without an extension).
bool IsSafeFileName(std::string_view name);

// Whether `name` names the local list file, in any letter case, as Windows
// compares file names: saving under it would overwrite the download that is
// being saved.
bool IsLocalListName(std::string_view name);
