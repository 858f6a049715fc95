// The About dialog's texts and the height of its description.
#include "about_texts.h"

#include <gtest/gtest.h>

#include "dialog_ids.h"
#include "link_target.h"

namespace {

std::vector<std::string> Paragraphs(const std::string& text) {
    std::vector<std::string> out;
    size_t from = 0;
    for (size_t at = text.find("\r\n\r\n"); at != std::string::npos; at = text.find("\r\n\r\n", from)) {
        out.push_back(text.substr(from, at - from));
        from = at + 4;
    }
    out.push_back(text.substr(from));
    return out;
}

TEST(AboutTexts, VersionLineAndCurrentVersion) {
    EXPECT_EQ(VersionLine(), "version: 1.10  build: 1");
    EXPECT_EQ(CurrentVersionText(), "1.10.1");
}

TEST(AboutTexts, StartModeDescription) {
    const std::vector<std::string> p = Paragraphs(AboutDescription(ABOUT_START));
    ASSERT_EQ(p.size(), 4u);
    EXPECT_EQ(p[0], "One small element of the Quorvane family of traffic sign design software.");
    EXPECT_EQ(p[1],
              "This program implements the detailed sign illumination requirements of the Traffic Signs Regulations "
              "and General Directions 2016, as amended 13.12.17 / 28.6.18");
    EXPECT_EQ(p[2],
              "It asks you to enter a diagram number (or to select 'none' for parking and directional signs that do "
              "not have one), then tick options to indicate the sign's location and mounting.");
    EXPECT_EQ(p[3], "It does not check that the diagram number you enter is a valid one.");
}

TEST(AboutTexts, EndModeDescription) {
    const std::vector<std::string> p = Paragraphs(AboutDescription(ABOUT_END));
    ASSERT_EQ(p.size(), 3u);
    EXPECT_EQ(p[0], "This is a module from Quorvane, the Quorvane family of traffic sign design software.");
    EXPECT_NE(p[1].find("Pelgrath"), std::string::npos);
    EXPECT_NE(p[2].find("Windows"), std::string::npos);
    EXPECT_NE(p[2].find("CAD"), std::string::npos);
}

TEST(AboutTexts, FamilyPhraseIsTheSameInBothModes) {
    const std::string start = Paragraphs(AboutDescription(ABOUT_START))[0];
    const std::string end = Paragraphs(AboutDescription(ABOUT_END))[0];
    const std::string phrase = start.substr(std::string("One small element of").size());
    EXPECT_EQ(end.substr(std::string("This is a module from Quorvane,").size()), phrase);
    ASSERT_GE(phrase.size(), 2u);
    EXPECT_EQ(phrase.front(), ' ');
    EXPECT_EQ(phrase.back(), '.');
    EXPECT_NE(phrase.find("traffic sign design software"), std::string::npos);
    // The start mode names the family only through this phrase.
    EXPECT_NE(phrase.find(FAMILY_NAME), std::string::npos) << phrase;
    EXPECT_EQ(phrase, " the Quorvane family of traffic sign design software.");
}

TEST(AboutTexts, ParagraphsAreSingleLinesOfPrintableText) {
    for (int32_t mode : {ABOUT_START, ABOUT_END}) {
        for (const std::string& p : Paragraphs(AboutDescription(mode))) {
            EXPECT_FALSE(p.empty());
            for (char c : p) EXPECT_TRUE(c >= 32 && c < 127) << "byte " << int(c) << " in: " << p;
        }
    }
}

TEST(DescriptionHeight, TenUnitsForEveryLineBreakPair) {
    EXPECT_EQ(DescriptionHeight(AboutDescription(ABOUT_START)), 87);
    EXPECT_EQ(DescriptionHeight(AboutDescription(ABOUT_END)), 67);
    EXPECT_EQ(DescriptionHeight(AboutDescription(0)), 87);
    EXPECT_EQ(DescriptionHeight(AboutDescription(3)), 67);
    struct Case {
        const char* text;
        int height;
    } cases[] = {
        {"", 27},         {"one line", 27}, {"a\r\nb", 37},
        {"\r\n\r\n", 47}, {"\r\r\n\n", 37},  // one pair in the middle, the rest stray bytes
        {"\n\r\n\r", 37},                    // only a CR directly before an LF makes a pair
        {"a\rb\nc", 27},
    };
    for (const Case& c : cases) EXPECT_EQ(DescriptionHeight(c.text), c.height) << c.text;
}

TEST(MakerDetails, ReservedNamesAndNumbers) {
    const std::string web = MAKER_WEB_ADDRESS;
    const std::string product = PRODUCT_WEB_HOST;
    const std::string mail = MAKER_EMAIL;
    // Shown without a scheme: only a leading "www." makes the shell open a
    // bare host as a web address.
    EXPECT_EQ(web.rfind("www.", 0), 0u);
    EXPECT_EQ(product.rfind("www.", 0), 0u);
    EXPECT_NE(web, product);
    for (const std::string& host : {web, product, mail}) {
        ASSERT_GE(host.size(), 8u);
        EXPECT_EQ(host.substr(host.size() - 8), ".example") << host;
    }
    EXPECT_NE(mail.find('@'), std::string::npos);
    EXPECT_EQ(web.find('@'), std::string::npos);
    // The UK's range for drama: 020 7946 0000 to 0999.
    EXPECT_NE(std::string(MAKER_TELEPHONE).find("(0)20 7946 0"), std::string::npos);
    EXPECT_NE(std::string(MAKER_RIGHTS).find("Kestrix Software Ltd"), std::string::npos);
}

TEST(LinkTarget, WhatEachLinkOpens) {
    struct Case {
        int id;
        std::string text;
        std::string target;
    } cases[] = {
        {IDC_LINK_MAIL, "sales@kestrix.example", "mailto:sales@kestrix.example"},
        {IDC_LINK_WEB, "www.kestrix.example", "www.kestrix.example"},
        {IDC_LINK_MORE, "Click here", "www.quorvane.example/quorvane"},
        // The at sign decides before the label does.
        {IDC_LINK_MORE, "a@b", "mailto:a@b"},
        {IDC_LINK_WEB, "x@y.example", "mailto:x@y.example"},
        {IDC_LINK_WEB, "", ""},
        {IDC_LINK_MAIL, "no at sign", "no at sign"},
    };
    for (const Case& c : cases) EXPECT_EQ(LinkTarget(c.id, c.text), c.target) << c.text;
}

TEST(LinkTarget, LongTextsAreCutTo99Bytes) {
    const std::string long99 = std::string(98, 'w') + "x";
    const std::string long150 = long99 + std::string(51, 'y');
    EXPECT_EQ(LinkTarget(IDC_LINK_WEB, long150), long99);
    EXPECT_EQ(LinkTarget(IDC_LINK_WEB, long99), long99);

    // Cut to 99, "mailto:" in front, cut to 99 again.
    const std::string mail = "a@" + std::string(120, 'm');
    const std::string target = LinkTarget(IDC_LINK_MAIL, mail);
    EXPECT_EQ(target.size(), 99u);
    EXPECT_EQ(target, ("mailto:" + mail).substr(0, 99));

    // An at sign beyond the 99th byte is cut away before it is looked for.
    const std::string lateAt = std::string(99, 'a') + "@b";
    EXPECT_EQ(LinkTarget(IDC_LINK_MAIL, lateAt), std::string(99, 'a'));
}

}  // namespace
