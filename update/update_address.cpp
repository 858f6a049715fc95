#include "update_address.h"

#include "text_field.h"

const char* const LOCAL_LIST_NAME = "UpdateList.txt";

namespace {

const char HTTPS[] = "https://";

bool StartsWith(std::string_view text, std::string_view start) { return text.substr(0, start.size()) == start; }

// The update server's address without a trailing "/": https when the host
// setting asks for it, otherwise http.
std::string ServerAddress(std::string_view host) {
    return StartsWith(host, HTTPS) ? std::string(host) : "http://" + std::string(host);
}

}  // namespace

std::string_view UpdateHostName(std::string_view host) {
    return StartsWith(host, HTTPS) ? host.substr(sizeof HTTPS - 1) : host;
}

std::string UpdateListAddress(std::string_view host) { return ServerAddress(host) + "/uploaded/software/updates.txt"; }

std::string DownloadBaseAddress(std::string_view host) { return ServerAddress(host) + "/uploaded/protected/"; }

bool IsWebAddress(std::string_view address) { return StartsWith(address, "http://") || StartsWith(address, HTTPS); }

std::string CompleteAddress(std::string_view address, std::string_view bareNameBase) {
    if (address.find('/') == std::string_view::npos) return std::string(bareNameBase) + std::string(address);
    if (IsWebAddress(address)) return std::string(address);
    // Any other scheme ("file:", "ftp:", "hcp:"), a drive letter or a
    // relative path becomes an http address, so that nothing but the web
    // is ever handed to the shell or the downloader.
    return "http://" + std::string(address);
}

std::string CompleteBrowserAddress(std::string_view address, std::string_view host) {
    return CompleteAddress(address, ServerAddress(host) + "/");
}

std::string CompleteDownloadAddress(std::string_view address, std::string_view host) {
    return CompleteAddress(address, DownloadBaseAddress(host));
}

bool IsCleanAddress(std::string_view address) {
    for (char c : address) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (u < 0x21 || u > 0x7E) return false;
        if (std::string_view("\"<>\\^`{|}").find(c) != std::string_view::npos) return false;
    }
    return true;
}

std::string SavedFileName(std::string_view completedAddress) {
    size_t slash = completedAddress.rfind('/');
    return std::string(slash == std::string_view::npos ? completedAddress : completedAddress.substr(slash + 1));
}

namespace {

char AsciiUpper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

// The superscript digits 1, 2 and 3 of the ANSI code page, which Windows
// also accepts after COM and LPT.
bool IsDeviceDigit(char c) {
    unsigned char u = static_cast<unsigned char>(c);
    return (c >= '0' && c <= '9') || u == 0xB9 || u == 0xB2 || u == 0xB3;
}

// Windows takes these names, whatever their case, with any extension and
// with spaces before the extension, as devices instead of files.
bool IsDeviceName(std::string_view name) {
    std::string_view base = name.substr(0, name.find('.'));
    while (!base.empty() && base.back() == ' ') base.remove_suffix(1);
    std::string upper;
    for (char c : base) upper += AsciiUpper(c);
    if (upper == "CON" || upper == "PRN" || upper == "AUX" || upper == "NUL" || upper == "CONIN$" || upper == "CONOUT$")
        return true;
    return upper.size() == 4 && (upper.compare(0, 3, "COM") == 0 || upper.compare(0, 3, "LPT") == 0) &&
           IsDeviceDigit(upper[3]);
}

}  // namespace

bool IsSafeFileName(std::string_view name) {
    if (name.empty() || name.size() > 255 || name == "." || name == "..") return false;
    for (char c : name) {
        if (static_cast<unsigned char>(c) < 32) return false;
        if (std::string_view("<>:\"/\\|?*").find(c) != std::string_view::npos) return false;
    }
    if (name.back() == ' ' || name.back() == '.') return false;  // Windows would drop them, naming another file
    return !IsDeviceName(name);
}

bool IsLocalListName(std::string_view name) { return EqualsIgnoringAsciiCase(name, LOCAL_LIST_NAME); }
