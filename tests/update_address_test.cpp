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

TEST(UpdateAddresses, AnHttpsHostIsReachedOverHttpsAndNamedWithoutTheScheme) {
    const char https[] = "https://updates.test.example:8443";
    EXPECT_EQ(UpdateListAddress(https), "https://updates.test.example:8443/uploaded/software/updates.txt");
    EXPECT_EQ(DownloadBaseAddress(https), "https://updates.test.example:8443/uploaded/protected/");
    EXPECT_EQ(CompleteBrowserAddress("brantle.html", https), "https://updates.test.example:8443/brantle.html");
    EXPECT_EQ(CompleteDownloadAddress("setup.exe", https),
              "https://updates.test.example:8443/uploaded/protected/setup.exe");
    // Addresses with a "/" do not depend on the host.
    EXPECT_EQ(CompleteBrowserAddress("www.other.example/x", https), "http://www.other.example/x");
    EXPECT_EQ(UpdateHostName(https), "updates.test.example:8443");
    EXPECT_EQ(UpdateHostName(HOST), HOST);
    EXPECT_EQ(UpdateHostName("HTTPS://x"), "HTTPS://x");  // only the form that the build accepts
}

// Methods 1, 2 and 4 complete addresses by one rule: only a bare name
// (no "/") depends on the method; everything that is handed on is http or
// https.
TEST(CompleteAddress, OneRuleForTheBrowserAndTheDownload) {
    struct Case {
        const char* address;
        const char* browser;   // methods 1 and 2
        const char* download;  // method 4
    };
    const std::string page = "http://updates.test.example:8080/";
    const std::string file = "http://updates.test.example:8080/uploaded/protected/";
    const Case cases[] = {
        // Bare names: a page on the server, or a file in the protected folder.
        {"brantle.html", "http://updates.test.example:8080/brantle.html",
         "http://updates.test.example:8080/uploaded/protected/brantle.html"},
        {"", "http://updates.test.example:8080/", "http://updates.test.example:8080/uploaded/protected/"},
        {"h", "http://updates.test.example:8080/h", "http://updates.test.example:8080/uploaded/protected/h"},
        {"..\\setup.exe", "http://updates.test.example:8080/..\\setup.exe",
         "http://updates.test.example:8080/uploaded/protected/..\\setup.exe"},
        {"\\\\server\\share\\x.exe", "http://updates.test.example:8080/\\\\server\\share\\x.exe",
         "http://updates.test.example:8080/uploaded/protected/\\\\server\\share\\x.exe"},
        // Web addresses as written.
        {"https://www.other.example/x", "https://www.other.example/x", "https://www.other.example/x"},
        {"http://www.other.example/x?a=1&b=2", "http://www.other.example/x?a=1&b=2",
         "http://www.other.example/x?a=1&b=2"},
        // Everything else with a "/" gets "http://" in front.
        {"www.other.example/new", "http://www.other.example/new", "http://www.other.example/new"},
        {"v2/setup.exe", "http://v2/setup.exe", "http://v2/setup.exe"},
        {"hacks/run.exe", "http://hacks/run.exe", "http://hacks/run.exe"},
        {"h:/tools/run.exe", "http://h:/tools/run.exe", "http://h:/tools/run.exe"},
        {"C:/Windows/run.exe", "http://C:/Windows/run.exe", "http://C:/Windows/run.exe"},
        {"hcp://system/x", "http://hcp://system/x", "http://hcp://system/x"},
        {"file://host/share/setup.exe", "http://file://host/share/setup.exe", "http://file://host/share/setup.exe"},
        {"ftp://files.example/x", "http://ftp://files.example/x", "http://ftp://files.example/x"},
        {"Http://www.other.example/x", "http://Http://www.other.example/x", "http://Http://www.other.example/x"},
        {"HTTPS://www.other.example/x", "http://HTTPS://www.other.example/x", "http://HTTPS://www.other.example/x"},
        {"http:/one.example/x", "http://http:/one.example/x", "http://http:/one.example/x"},
        {" http://a.example/b", "http:// http://a.example/b", "http:// http://a.example/b"},
    };
    for (const Case& c : cases) {
        std::string browser = CompleteBrowserAddress(c.address, HOST);
        std::string download = CompleteDownloadAddress(c.address, HOST);
        EXPECT_EQ(browser, c.browser) << c.address;
        EXPECT_EQ(download, c.download) << c.address;
        EXPECT_TRUE(IsWebAddress(browser) && IsWebAddress(download)) << c.address;
        EXPECT_EQ(CompleteAddress(c.address, page), browser);
        EXPECT_EQ(CompleteAddress(c.address, file), download);
    }
}

TEST(IsWebAddress, OnlyExactlyHttpOrHttps) {
    for (const char* yes : {"http://", "https://", "http://a", "https://a/b"}) EXPECT_TRUE(IsWebAddress(yes)) << yes;
    for (const char* no :
         {"", "http:/", "https:/", "HTTP://a", "Https://a", "ftp://a", "file://a", "httpx://a", " http://a", "h"})
        EXPECT_FALSE(IsWebAddress(no)) << no;
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

// Bytes that a browser, the shell or the downloader would cut at, split on
// or read otherwise are refused; the same text percent-encoded is clean.
TEST(IsCleanAddress, OnlyPrintableAsciiWithoutTheUnsafeCharacters) {
    const std::string clean[] = {
        "http://files.example/v1.11/setup.exe",
        "https://www.kestrix.example/b?a=1&c=2#part",
        "http://files.example/a%20b%22c%00d%7B.exe",
        "http://user@files.example:8080/~ann/[x]/(1)/a;b=c,d'e*f+g$h!i",
        "setup.exe",
        "",
    };
    for (const std::string& address : clean) EXPECT_TRUE(IsCleanAddress(address)) << address;
    const std::string unclean[] = {
        std::string("http://files.example/evil.exe\0/setup.exe", 40),
        "http://files.example/a b.exe",
        "http://files.example/a\tb.exe",
        "http://files.example/setup.exe\r",
        "http://files.example/\x1f",
        "http://files.example/\x7f",
        "http://files.example/\x80",
        "http://files.example/\xe9t\xe9.exe",
        "http://files.example/\xff",
        "http://host/a\" --flag \"b",
        "http://host/a<b",
        "http://host/a>b",
        "http://host\\share\\a",
        "http://host/a^b",
        "http://host/a`b",
        "http://host/a{b",
        "http://host/a|b",
        "http://host/a}b",
        " ",
    };
    for (const std::string& address : unclean) EXPECT_FALSE(IsCleanAddress(address)) << address;
}

TEST(IsLocalListName, InAnyLetterCase) {
    for (const char* name : {"UpdateList.txt", "updatelist.TXT", "UPDATELIST.TXT", "uPDATEliST.tXt"})
        EXPECT_TRUE(IsLocalListName(name)) << name;
    for (const char* name :
         {"UpdateList.txt.exe", "UpdateList.tx", "UpdateList", "UpdateLists.txt", "", "Update List.txt", "updates.txt"})
        EXPECT_FALSE(IsLocalListName(name)) << name;
}
