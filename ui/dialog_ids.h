// Control ids of the About dialog, its modes, and the program's identity
// (program_identity.h) that it shows. The main dialog's ids are in
// control_ids.h beside the rules engine that acts on them.
#pragma once

#include <cstdint>

#include "program_identity.h"

constexpr int IDC_BULB_ART = 34970;
constexpr int IDC_LOGO_ART = 34971;
constexpr int IDC_PRODUCT_ART = 34972;
constexpr int IDC_CHECK_UPDATES = 34877;
constexpr int IDC_LINK_WEB = 35084;
constexpr int IDC_LINK_MAIL = 35085;
constexpr int IDC_LINK_MORE = 35086;

// The link labels are the ids IDC_LINK_WEB to IDC_LINK_MORE.
constexpr bool IsLinkId(int id) { return id >= IDC_LINK_WEB && id <= IDC_LINK_MORE; }

// About dialog modes. Only the bit of value 2 is looked at: with it set the
// dialog follows the main dialog, otherwise it precedes it.
constexpr int32_t ABOUT_START = 1;
constexpr int32_t ABOUT_END = 2;
constexpr bool IsEndMode(int32_t mode) { return (mode & ABOUT_END) != 0; }
