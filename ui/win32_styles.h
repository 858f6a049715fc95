// The Win32 style bits, class atoms and command ids that the dialog layouts
// use, with the values windows.h gives them, so that the layouts and the
// template writer build and are tested without windows.h. They carry a W32_
// prefix because windows.h defines the plain names as macros; the Windows
// build checks each value against windows.h (modal_dialog_win.cpp).
#pragma once

#include <cstdint>

// Window styles.
constexpr uint32_t W32_WS_POPUP = 0x80000000u;
constexpr uint32_t W32_WS_CHILD = 0x40000000u;
constexpr uint32_t W32_WS_VISIBLE = 0x10000000u;
constexpr uint32_t W32_WS_CAPTION = 0x00C00000u;
constexpr uint32_t W32_WS_SYSMENU = 0x00080000u;
constexpr uint32_t W32_WS_GROUP = 0x00020000u;
constexpr uint32_t W32_WS_TABSTOP = 0x00010000u;
constexpr uint32_t W32_WS_EX_CLIENTEDGE = 0x00000200u;

// Dialog styles.
constexpr uint32_t W32_DS_3DLOOK = 0x0004u;
constexpr uint32_t W32_DS_NOFAILCREATE = 0x0010u;
constexpr uint32_t W32_DS_SETFONT = 0x0040u;
constexpr uint32_t W32_DS_MODALFRAME = 0x0080u;
constexpr uint32_t W32_DS_SETFOREGROUND = 0x0200u;
constexpr uint32_t W32_DS_CENTER = 0x0800u;

// Static (label) styles.
constexpr uint32_t W32_SS_LEFT = 0x0000u;
constexpr uint32_t W32_SS_CENTER = 0x0001u;
constexpr uint32_t W32_SS_BITMAP = 0x000Eu;
constexpr uint32_t W32_SS_NOPREFIX = 0x0080u;
constexpr uint32_t W32_SS_NOTIFY = 0x0100u;
constexpr uint32_t W32_SS_CENTERIMAGE = 0x0200u;
constexpr uint32_t W32_SS_TYPEMASK = 0x001Fu;  // the kind of label: text, picture, ...

// Edit styles.
constexpr uint32_t W32_ES_AUTOHSCROLL = 0x0080u;

// Button styles.
constexpr uint32_t W32_BS_PUSHBUTTON = 0x0000u;
constexpr uint32_t W32_BS_DEFPUSHBUTTON = 0x0001u;
constexpr uint32_t W32_BS_AUTOCHECKBOX = 0x0003u;
constexpr uint32_t W32_BS_AUTORADIOBUTTON = 0x0009u;

// Predefined class atoms of a dialog item template.
constexpr uint16_t W32_CLASS_BUTTON = 0x0080;
constexpr uint16_t W32_CLASS_EDIT = 0x0081;
constexpr uint16_t W32_CLASS_STATIC = 0x0082;

// Standard dialog command ids.
constexpr int W32_IDOK = 1;
constexpr int W32_IDCANCEL = 2;
