// The texts of the About dialog: the fixed ones, the maker's details and the
// ones put together from parts.
#pragma once

#include <cstdint>
#include <string>

constexpr const char* DIALOG_CAPTION = "Quorvane sign illumination tool";
constexpr const char* ABOUT_TITLE = "sign illumination tool";
constexpr const char* FAMILY_NAME = "Quorvane";

// The maker's details. The two web hosts begin with "www." so that the shell
// opens them as web addresses although they are given without a scheme.
constexpr const char* MAKER_WEB_ADDRESS = "www.kestrix.example";
constexpr const char* PRODUCT_WEB_HOST = "www.quorvane.example";
constexpr const char* MAKER_EMAIL = "sales@kestrix.example";
constexpr const char* MAKER_TELEPHONE = "Tel: +44 (0)20 7946 0371";
// One line of 210 dialog units in Tahoma 8.
constexpr const char* MAKER_RIGHTS = "(c) Kestrix Software Ltd 2018-2026. All rights reserved.";

// Beside the "Click here" link of the end mode.
constexpr const char* MORE_INFORMATION_TEXT = "for more information or to request an evaluation version.";

// "version: 1.10  build: 1".
std::string VersionLine();

// The version and build as the update check compares them: "1.10.1".
std::string CurrentVersionText();

// The description label's text for a mode: paragraphs joined by two CR LF
// pairs, each paragraph one line.
std::string AboutDescription(int32_t mode);

// The height of the description label in dialog units: 27 plus 10 for every
// CR LF pair in the text (pairs counted without overlap).
int DescriptionHeight(const std::string& description);
