#include "link_target.h"

#include "about_texts.h"
#include "dialog_ids.h"

namespace {

std::string Cut(std::string text) {
    if (text.size() > LINK_TARGET_LIMIT) text.resize(LINK_TARGET_LIMIT);
    return text;
}

// The family name in lower case: ASCII letters only, as the name is.
std::string LowerAscii(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}

}  // namespace

std::string LinkTarget(int id, std::string_view text) {
    const std::string shown = Cut(std::string(text));
    if (shown.find('@') != std::string::npos) return Cut("mailto:" + shown);
    if (id == IDC_LINK_MORE) return Cut(std::string(PRODUCT_WEB_HOST) + "/" + LowerAscii(FAMILY_NAME));
    return shown;
}
