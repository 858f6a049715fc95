// The template bytes that the window system builds the dialogs from.
#include "dialog_template.h"

#include <gtest/gtest.h>

#include "control_ids.h"
#include "dialog_ids.h"
#include "win32_styles.h"

namespace {

std::u16string WidenAscii(std::string_view text) {
    std::u16string wide;
    for (char c : text) wide.push_back(static_cast<char16_t>(static_cast<unsigned char>(c)));
    return wide;
}

DialogFont Tahoma8() {
    DialogFont font;
    font.face = "Tahoma";
    font.pointSize = 8;
    font.weight = 400;
    return font;
}

// Reads a template back the way the window system walks it.
struct ReadItem {
    size_t offset = 0;  // in words from the start of the template
    uint32_t style = 0, exStyle = 0;
    int16_t x = 0, y = 0, width = 0, height = 0;
    uint16_t id = 0;
    uint16_t classMarker = 0, classAtom = 0;
    std::u16string text;
    uint16_t creationData = 0;
};
struct ReadTemplate {
    uint32_t style = 0, exStyle = 0;
    uint16_t count = 0;
    int16_t x = 0, y = 0, width = 0, height = 0;
    uint16_t menu = 0, windowClass = 0;
    std::u16string caption;
    uint16_t pointSize = 0;
    std::u16string face;
    std::vector<ReadItem> items;
    size_t endOffset = 0;
};

struct Reader {
    const std::vector<uint16_t>& words;
    size_t at = 0;
    uint16_t Word() {
        EXPECT_LT(at, words.size()) << "read past the end of the template";
        return at < words.size() ? words[at++] : 0;
    }
    uint32_t Dword() {
        const uint32_t low = Word();
        return low | (uint32_t{Word()} << 16);
    }
    std::u16string Text() {
        std::u16string text;
        for (uint16_t w = Word(); w != 0 && at <= words.size(); w = Word()) text.push_back(static_cast<char16_t>(w));
        return text;
    }
};

ReadTemplate Parse(const std::vector<uint16_t>& words) {
    Reader r{words};
    ReadTemplate t;
    t.style = r.Dword();
    t.exStyle = r.Dword();
    t.count = r.Word();
    t.x = static_cast<int16_t>(r.Word());
    t.y = static_cast<int16_t>(r.Word());
    t.width = static_cast<int16_t>(r.Word());
    t.height = static_cast<int16_t>(r.Word());
    t.menu = r.Word();
    t.windowClass = r.Word();
    t.caption = r.Text();
    if (t.style & W32_DS_SETFONT) {
        t.pointSize = r.Word();
        t.face = r.Text();
    }
    for (uint16_t i = 0; i < t.count; ++i) {
        if (r.at % 2 != 0) {
            EXPECT_EQ(r.Word(), 0) << "padding before item " << i;
        }
        ReadItem item;
        item.offset = r.at;
        item.style = r.Dword();
        item.exStyle = r.Dword();
        item.x = static_cast<int16_t>(r.Word());
        item.y = static_cast<int16_t>(r.Word());
        item.width = static_cast<int16_t>(r.Word());
        item.height = static_cast<int16_t>(r.Word());
        item.id = r.Word();
        item.classMarker = r.Word();
        item.classAtom = r.Word();
        item.text = r.Text();
        item.creationData = r.Word();
        t.items.push_back(item);
    }
    t.endOffset = r.at;
    return t;
}

void ExpectMatchesLayout(const DialogLayout& layout, const std::vector<uint16_t>& words) {
    const ReadTemplate t = Parse(words);
    EXPECT_EQ(t.style, layout.style | W32_DS_SETFONT);
    EXPECT_EQ(t.exStyle, 0u);
    ASSERT_EQ(t.count, layout.controls.size());
    EXPECT_EQ(t.x, 0);
    EXPECT_EQ(t.y, 0);
    EXPECT_EQ(t.width, layout.width);
    EXPECT_EQ(t.height, layout.height);
    EXPECT_EQ(t.menu, 0);
    EXPECT_EQ(t.windowClass, 0);
    EXPECT_EQ(t.caption, u"Quorvane sign illumination tool");
    EXPECT_EQ(t.pointSize, 8);
    EXPECT_EQ(t.face, u"Tahoma");
    ASSERT_EQ(t.items.size(), layout.controls.size());
    for (size_t i = 0; i < t.items.size(); ++i) {
        SCOPED_TRACE("control " + std::to_string(i + 1));
        const ReadItem& item = t.items[i];
        const ControlLayout& c = layout.controls[i];
        EXPECT_EQ(item.offset % 2, 0u) << "items start on a 4-byte boundary";
        EXPECT_EQ(item.style, c.style);
        EXPECT_EQ(item.exStyle, c.exStyle);
        EXPECT_EQ(item.x, c.x);
        EXPECT_EQ(item.y, c.y);
        EXPECT_EQ(item.width, c.width);
        EXPECT_EQ(item.height, c.height);
        EXPECT_EQ(item.id, static_cast<uint16_t>(c.id));
        EXPECT_EQ(item.classMarker, 0xFFFF);
        EXPECT_EQ(item.classAtom, c.classAtom);
        EXPECT_EQ(item.text, WidenAscii(c.text));
        EXPECT_EQ(item.creationData, 0);
    }
    EXPECT_EQ(t.endOffset, words.size()) << "nothing after the last item";
}

TEST(DialogTemplate, SmallTemplateWordByWord) {
    DialogLayout layout;
    layout.caption = "Ab";
    layout.style = W32_WS_POPUP | W32_DS_CENTER;
    layout.width = 200;
    layout.height = 240;
    ControlLayout label;
    label.id = -1;
    label.classAtom = W32_CLASS_STATIC;
    label.style = W32_WS_CHILD | W32_WS_VISIBLE | W32_SS_CENTER;
    label.x = 6;
    label.y = -3;
    label.width = 60;
    label.height = 10;
    label.text = "X";
    ControlLayout button = label;
    button.id = 35023;
    button.classAtom = W32_CLASS_BUTTON;
    button.style = W32_WS_CHILD | W32_BS_DEFPUSHBUTTON;
    button.exStyle = W32_WS_EX_CLIENTEDGE;
    button.text = "";
    layout.controls = {label, button};

    const std::vector<uint16_t> expected = {
        // header: style (W32_DS_SETFONT added), extended style, count, x, y, cx, cy
        0x0840,
        0x8000,
        0x0000,
        0x0000,
        2,
        0,
        0,
        200,
        240,
        0,
        0,  // no menu, standard class
        u'A',
        u'b',
        0,  // caption
        8,
        u'T',
        u'a',
        u'h',
        u'o',
        u'm',
        u'a',
        0,  // font block; 22 words so far
        // item 1 at word 22 (byte 44): no padding needed
        0x0001,
        0x5000,
        0,
        0,
        6,
        0xFFFD,
        60,
        10,
        0xFFFF,
        0xFFFF,
        0x0082,
        u'X',
        0,
        0,
        // item 1 ends at word 36: aligned, item 2 follows at once
        0x0001,
        0x4000,
        0x0200,
        0,
        6,
        0xFFFD,
        60,
        10,
        35023,
        0xFFFF,
        0x0080,
        0,
        0,
    };
    EXPECT_EQ(BuildDialogTemplate(layout, Tahoma8(), WidenAscii), expected);
}

TEST(DialogTemplate, PadsItemsToFourByteBoundaries) {
    DialogLayout layout;
    layout.caption = "A";  // header + caption + font block: an odd number of words
    ControlLayout item;
    item.classAtom = W32_CLASS_EDIT;
    item.text = "ab";  // 11 + 3 + 1 words: odd again, so each item after it is padded
    layout.controls = {item, item, item};
    const std::vector<uint16_t> words = BuildDialogTemplate(layout, Tahoma8(), WidenAscii);
    const ReadTemplate t = Parse(words);
    ASSERT_EQ(t.items.size(), 3u);
    EXPECT_EQ(t.items[0].offset, 22u);  // 21 words, then one pad word
    EXPECT_EQ(t.items[1].offset, 38u);
    EXPECT_EQ(t.items[2].offset, 54u);
    EXPECT_EQ(words[21], 0);
    EXPECT_EQ(words[37], 0);
    EXPECT_EQ(words[53], 0);
    EXPECT_EQ(words.size(), 54u + 15u);  // no padding after the last item
}

TEST(DialogTemplate, WithoutAFontFaceHasNoFontBlock) {
    DialogLayout layout = MainDialogLayout("");
    layout.style |= W32_DS_SETFONT;  // a face is what sets it, not the layout
    const std::vector<uint16_t> words = BuildDialogTemplate(layout, DialogFont{}, WidenAscii);
    const ReadTemplate t = Parse(words);
    EXPECT_EQ(t.style & W32_DS_SETFONT, 0u);
    EXPECT_TRUE(t.face.empty());
    ASSERT_EQ(t.items.size(), 17u);
    EXPECT_EQ(t.items[0].text, u"Diagram number");
}

TEST(DialogTemplate, MainDialogMatchesItsLayout) {
    const DialogLayout layout = MainDialogLayout("601.1");
    ExpectMatchesLayout(layout, BuildDialogTemplate(layout, Tahoma8(), WidenAscii));
}

TEST(DialogTemplate, AboutDialogMatchesItsLayoutInBothModes) {
    for (int32_t mode : {ABOUT_START, ABOUT_END}) {
        SCOPED_TRACE(mode);
        const DialogLayout layout = AboutDialogLayout(mode, AboutBannerSize(1280, 1664, 96));
        ExpectMatchesLayout(layout, BuildDialogTemplate(layout, Tahoma8(), WidenAscii));
    }
}

TEST(DialogTemplate, TextsGoThroughTheConversion) {
    // The initial number is whatever the caller gave, bytes 128-255 included.
    const DialogLayout layout = MainDialogLayout(
        "6\xA3"
        "1");
    const ReadTemplate t = Parse(BuildDialogTemplate(layout, Tahoma8(), WidenAscii));
    ASSERT_GE(t.items.size(), 2u);
    EXPECT_EQ(t.items[1].id, IDC_DIAGRAM_NUMBER);
    EXPECT_EQ(t.items[1].text, std::u16string(u"6\u00A31"));
}

TEST(DialogFont, TheDefaultIsTahoma8RegularAnsi) {
    const DialogFont before = DefaultDialogFont;
    SetDefaultDialogFont();
    EXPECT_STREQ(DefaultDialogFont.face, "Tahoma");
    EXPECT_EQ(DefaultDialogFont.pointSize, 8);
    EXPECT_EQ(DefaultDialogFont.weight, 400);
    EXPECT_FALSE(DefaultDialogFont.italic);
    EXPECT_EQ(DefaultDialogFont.charset, 0);
    DefaultDialogFont = before;
}

TEST(DialogFont, HeightInPixelsRoundedAsTheWindowSystemDoes) {
    struct Case {
        uint16_t points;
        int32_t pixelsPerInch;
        int32_t height;
    } cases[] = {
        {8, 96, -11}, {8, 120, -13},       {8, 144, -16},  // 10.67, 13.33, 16
        {9, 96, -12}, {8, 72, -8},         {8, 27, -3},    // exact
        {3, 60, -3},  {1, 36, -1},                         // 2.5 and 0.5: halves away from zero
        {8, 0, -11},  {8, -5, -11},                        // no resolution reported: 96 dpi
        {0, 96, 0},   {65535, 96, -87380},
    };
    for (const Case& c : cases) {
        DialogFont font;
        font.pointSize = c.points;
        EXPECT_EQ(DialogFontHeight(font, c.pixelsPerInch), c.height) << c.points << " pt at " << c.pixelsPerInch;
    }
}

}  // namespace
