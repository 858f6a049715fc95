// What a click on one of the About dialog's link labels opens.
#pragma once

#include <string>
#include <string_view>

// The shell hands the target over in a 100-byte buffer: at most 99 bytes.
constexpr size_t LINK_TARGET_LIMIT = 99;

// The target for the link label `id` that shows `text`: an address with an
// at sign becomes a "mailto:" link, "Click here" opens the product page, and
// anything else opens as shown. The text is cut to 99 bytes first, and the
// target again.
std::string LinkTarget(int id, std::string_view text);
