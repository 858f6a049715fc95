#include "about_texts.h"

#include "dialog_ids.h"

namespace {

// Names the Quorvane family in both modes' first paragraph; begins with a
// blank and ends with a full stop.
constexpr const char* FAMILY_PHRASE = " the Quorvane family of traffic sign design software.";

constexpr const char* PARAGRAPH_BREAK = "\r\n\r\n";

// The build number in decimal, without the formatting machinery of the C
// library, which the Windows program does not otherwise need.
std::string BuildText() {
    static_assert(PROGRAM_BUILD >= 0, "a build number counts up from 0");
    std::string digits;
    uint32_t value = static_cast<uint32_t>(PROGRAM_BUILD);
    do {
        digits.insert(digits.begin(), static_cast<char>('0' + value % 10));
        value /= 10;
    } while (value != 0);
    return digits;
}

}  // namespace

std::string VersionLine() { return std::string("version: ") + PROGRAM_VERSION + "  build: " + BuildText(); }

std::string CurrentVersionText() { return std::string(PROGRAM_VERSION) + "." + BuildText(); }

std::string AboutDescription(int32_t mode) {
    std::string text;
    if (IsEndMode(mode)) {
        text = std::string("This is a module from Quorvane,") + FAMILY_PHRASE;
        text += PARAGRAPH_BREAK;
        text += "Its companion Pelgrath designs the posts and foundations that carry the signs.";
        text += PARAGRAPH_BREAK;
        text += "Every Quorvane program works on its own within Windows, with no CAD system needed.";
    } else {
        text = std::string("One small element of") + FAMILY_PHRASE;
        text += PARAGRAPH_BREAK;
        text +=
            "This program implements the detailed sign illumination requirements of the Traffic Signs "
            "Regulations and General Directions 2016, as amended 13.12.17 / 28.6.18";
        text += PARAGRAPH_BREAK;
        text +=
            "It asks you to enter a diagram number (or to select 'none' for parking and directional signs "
            "that do not have one), then tick options to indicate the sign's location and mounting.";
        text += PARAGRAPH_BREAK;
        text += "It does not check that the diagram number you enter is a valid one.";
    }
    return text;
}

int DescriptionHeight(const std::string& description) {
    int pairs = 0;
    for (size_t at = description.find("\r\n"); at != std::string::npos; at = description.find("\r\n", at + 2)) {
        ++pairs;
    }
    return 27 + 10 * pairs;
}
