#include <gtest/gtest.h>

#include <string>

#include "update_address.h"

namespace {
const char HOST[] = "updates.test.example:8080";
}

TEST(UpdateAddresses, ListAndDownloadBase) {
    EXPECT_EQ(UpdateListAddress(HOST), "http://updates.test.example:8080/uploaded/software/updates.txt");
    EXPECT_EQ(DownloadBaseAddress(HOST), "http://updates.test.example:8080/uploaded/protected/");
}

TEST(CompleteBrowserAddress, BarePagesGoToTheServerAndSchemesOnlyWhereNoLowerCaseH) {
    struct Case {
        const char* address;
        const char* completed;
    };
    const Case cases[] = {
        {"brantle.html", "http://updates.test.example:8080/brantle.html"},
        {"", "http://updates.test.example:8080/"},
        {"h", "http://updates.test.example:8080/h"},  // no "/": a page, whatever its first letter
        {"www.other.example/new", "http://www.other.example/new"},
        {"/rooted", "http:///rooted"},
        {"https://www.other.example/x", "https://www.other.example/x"},
        {"http://www.other.example/x?a=1&b=2", "http://www.other.example/x?a=1&b=2"},
        {"hosted.example/x", "hosted.example/x"},  // only the first character is looked at
        {"Http://www.other.example/x", "http://Http://www.other.example/x"},
        {"HTTP://www.other.example/x", "http://HTTP://www.other.example/x"},
        {"ftp://files.example/x", "http://ftp://files.example/x"},
    };
    for (const Case& c : cases) EXPECT_EQ(CompleteBrowserAddress(c.address, HOST), c.completed) << c.address;
}

TEST(CompleteDownloadAddress, BareNamesComeFromTheProtectedFolder) {
    EXPECT_EQ(CompleteDownloadAddress("setup.exe", HOST),
              "http://updates.test.example:8080/uploaded/protected/setup.exe");
    EXPECT_EQ(CompleteDownloadAddress("", HOST), "http://updates.test.example:8080/uploaded/protected/");
    EXPECT_EQ(CompleteDownloadAddress("http://files.example/v2/setup.exe", HOST), "http://files.example/v2/setup.exe");
    EXPECT_EQ(CompleteDownloadAddress("v2/setup.exe", HOST), "v2/setup.exe");
    EXPECT_EQ(CompleteDownloadAddress("..\\setup.exe", HOST),
              "http://updates.test.example:8080/uploaded/protected/..\\setup.exe");
}

TEST(SavedFileName, IsThePartAfterTheLastSlash) {
    EXPECT_EQ(SavedFileName("http://files.example/v2/setup.exe"), "setup.exe");
    EXPECT_EQ(SavedFileName("http://files.example/v2/"), "");
    EXPECT_EQ(SavedFileName("http://files.example/get?f=a/b.exe"), "b.exe");
    EXPECT_EQ(SavedFileName("setup.exe"), "setup.exe");
    EXPECT_EQ(SavedFileName("http://x/..\\..\\evil.exe"), "..\\..\\evil.exe");
}

TEST(IsSafeFileName, AcceptsOrdinaryNames) {
    const std::string good[] = {
        "setup.exe",
        "Brantle 1.11.exe",
        "a",
        "CONSOLE.exe",
        "COM10",
        "LPT0x",
        "nul_setup.exe",
        "con-1.exe",
        "COM",
        ".hidden",
        "a..b",
        "setup (2).exe",
        "\xe9t\xe9.exe",
        "%20.exe",
        "a;b=c&d.exe",
        std::string(255, 'n'),
    };
    for (const std::string& name : good) EXPECT_TRUE(IsSafeFileName(name)) << name;
}

TEST(IsSafeFileName, RejectsNamesThatEscapeTheFolderOrThatWindowsForbids) {
    const std::string bad[] = {
        "",
        ".",
        "..",
        "...",
        "a\\b",
        "..\\evil.exe",
        "c:evil.exe",
        "a<b",
        "a>b",
        "a\"b",
        "a|b",
        "get?f=1",
        "*.exe",
        "a/b",
        "a\tb",
        std::string("a\0b", 3),
        "a\x1f"
        "b",
        "\rsetup.exe",
        "setup.exe.",
        "setup.exe ",
        std::string(256, 'n'),
        "CON",
        "con",
        "Con.exe",
        "NUL",
        "nul.txt",
        "PRN",
        "AUX.tar.gz",
        "COM1",
        "com9.exe",
        "LPT1",
        "lpt5.dat",
        "COM0",
        "NUL .txt",
        "CON ",
        "COM\xb9",
        "LPT\xb2.exe",
        "CONIN$",
        "conout$.log",
    };
    for (const std::string& name : bad) EXPECT_FALSE(IsSafeFileName(name)) << name;
}
