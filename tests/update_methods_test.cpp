#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <climits>
#include <functional>
#include <string>
#include <vector>

#include "check_for_updates.h"
#include "fake_update_platform.h"
#include "update_methods.h"

namespace {

const char HOST[] = "updates.test.example";
const char BASE[] = "http://updates.test.example/uploaded/protected/";
const std::string TEMP = "C:\\Users\\Ann Example\\AppData\\Local\\Temp\\";
const std::string LIST_PATH = TEMP + "UpdateList.txt";
const std::string INSTALLER(5000, 'M');
// sha256sum of INSTALLER and of an empty file.
const char INSTALLER_SHA256[] = "d43706d79fd3299934491b3832745e9f35739bf8b80a7a2000b5f74031700afb";
const char EMPTY_SHA256[] = "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855";

UpdateListEntry Entry(int32_t method, const std::string& address, int32_t size = 0, const std::string& sha256 = "") {
    UpdateListEntry entry;
    entry.program = "Brantle";
    entry.version = "1.11";
    entry.method = method;
    entry.address = address;
    entry.size = size;
    entry.sha256 = sha256;
    return entry;
}

class UpdateMethodTest : public testing::Test {
protected:
    FakeUpdatePlatform platform;

    int32_t Run(const UpdateListEntry& entry) { return RunUpdateMethod(platform, HOST, entry, LIST_PATH); }

    // The one failure box; its text.
    std::string FailureText() {
        EXPECT_EQ(platform.boxes.size(), 1u);
        if (platform.boxes.empty()) return {};
        EXPECT_EQ(platform.boxes[0].caption, "Software update failed");
        EXPECT_EQ(platform.boxes[0].style, 8240u);
        EXPECT_EQ(platform.boxes[0].owner, 0u);
        return platform.boxes[0].text;
    }

    // No download outlives the method.
    void TearDown() override { EXPECT_EQ(platform.openTransfers, 0); }

    void ExpectNothingSavedOrStarted() { ExpectNothingSavedOrStartedBy(platform); }
    static void ExpectNothingSavedOrStartedBy(const FakeUpdatePlatform& fake) {
        EXPECT_EQ(fake.openTransfers, 0);
        EXPECT_TRUE(fake.written.empty());
        EXPECT_TRUE(fake.started.empty());
        for (const std::string& entry : fake.log) EXPECT_NE(entry.rfind("start ", 0), 0u) << entry;
    }
};

}  // namespace

TEST_F(UpdateMethodTest, BrowserMethodsOpenTheCompletedAddress) {
    struct Case {
        int32_t method;
        const char* address;
        const char* opened;
    };
    const Case cases[] = {
        {1, "brantle.html", "http://updates.test.example/brantle.html"},
        {2, "brantle.html", "http://updates.test.example/brantle.html"},
        {1, "www.kestrix.example/brantle", "http://www.kestrix.example/brantle"},
        {2, "https://www.kestrix.example/b?a=1&c=2", "https://www.kestrix.example/b?a=1&c=2"},
        {1, "Https://www.kestrix.example/b", "http://Https://www.kestrix.example/b"},
        // Nothing but http and https reaches the shell.
        {1, "hcp://system/x", "http://hcp://system/x"},
        {2, "h:/tools/run.exe", "http://h:/tools/run.exe"},
        {1, "hacks/run.exe", "http://hacks/run.exe"},
        {2, "file://host/share/page.htm", "http://file://host/share/page.htm"},
        {1, "ftp://files.example/p", "http://ftp://files.example/p"},
        {1, "C:/Windows/run.exe", "http://C:/Windows/run.exe"},
        // Percent-encoded bytes are clean.
        {2, "http://www.kestrix.example/a%20b%22c%7C", "http://www.kestrix.example/a%20b%22c%7C"},
    };
    for (const Case& c : cases) {
        FakeUpdatePlatform fresh;
        EXPECT_EQ(RunUpdateMethod(fresh, HOST, Entry(c.method, c.address), LIST_PATH), UpdateLaunched);
        EXPECT_EQ(fresh.opened, std::vector<std::string>{c.opened});
        EXPECT_TRUE(fresh.boxes.empty());
        EXPECT_TRUE(fresh.log.size() == 1) << "nothing but the shell";
    }
}

TEST_F(UpdateMethodTest, TheShellsResultIsSuccessAbove32ComparedUnsigned) {
    struct Case {
        uint32_t result;
        int32_t returned;
        const char* message;  // empty: no box
    };
    const Case cases[] = {
        {33, UpdateLaunched, ""},
        {42, UpdateLaunched, ""},
        {0xFFFFFFFFu, UpdateLaunched, ""},
        {32, 0, "Could not open: http://updates.test.example/p\r\nwith default Internet browser (32)"},
        {2, 0, "Could not open: http://updates.test.example/p\r\nwith default Internet browser (2)"},
        {0, 0, "Could not open: http://updates.test.example/p\r\nwith default Internet browser (-7)"},
    };
    for (const Case& c : cases) {
        FakeUpdatePlatform fresh;
        fresh.shellResult = c.result;
        EXPECT_EQ(RunUpdateMethod(fresh, HOST, Entry(1, "p"), LIST_PATH), c.returned) << c.result;
        if (*c.message) {
            ASSERT_EQ(fresh.boxes.size(), 1u);
            EXPECT_EQ(fresh.boxes[0].text, c.message);
        } else {
            EXPECT_TRUE(fresh.boxes.empty());
        }
    }
}

TEST_F(UpdateMethodTest, DownloadWithABareNameIsSavedInTheTemporaryDirectoryAndStarted) {
    platform.downloads[std::string(BASE) + "brantle-1.11.exe"] = {0, {INSTALLER}};
    EXPECT_EQ(Run(Entry(4, "brantle-1.11.exe", 5000)), UpdateLaunched);

    EXPECT_TRUE(platform.boxes.empty());
    // Downloaded into the local list file, then saved under its own name.
    EXPECT_EQ(platform.log.front(), "download " + std::string(BASE) + "brantle-1.11.exe > " + LIST_PATH);
    EXPECT_EQ(platform.written.size(), 1u);
    EXPECT_EQ(platform.written[TEMP + "brantle-1.11.exe"], INSTALLER);
    EXPECT_EQ(platform.started, std::vector<std::string>{TEMP + "brantle-1.11.exe"});
    // Started while held: after the hold, before its close.
    const std::vector<std::string> tail(platform.log.end() - 3, platform.log.end());
    EXPECT_EQ(tail, (std::vector<std::string>{"hold " + TEMP + "brantle-1.11.exe", "start " + TEMP + "brantle-1.11.exe",
                                              "close"}));
    EXPECT_EQ(platform.startedWhileHeld, std::vector<bool>{true});
    EXPECT_EQ(platform.openHandles, 0);
    // The local file is opened for the copy before the saved file is made.
    auto at = [&](const std::string& entry) { return std::find(platform.log.begin(), platform.log.end(), entry); };
    const auto created = at("create " + TEMP + "brantle-1.11.exe");
    ASSERT_NE(created, platform.log.end());
    EXPECT_EQ(*(created - 1), "poll " + LIST_PATH);
}

TEST_F(UpdateMethodTest, DownloadWithAFullAddressIsSavedUnderTheLastPart) {
    platform.downloads["http://files.example/v1.11/setup.exe"] = {0, {"MZ....", "MZ......", "MZ......"}};
    EXPECT_EQ(Run(Entry(4, "http://files.example/v1.11/setup.exe", 8)), UpdateLaunched);
    EXPECT_EQ(platform.written[TEMP + "setup.exe"], "MZ......");
    EXPECT_EQ(platform.started, std::vector<std::string>{TEMP + "setup.exe"});
}

TEST_F(UpdateMethodTest, ALongTemporaryPathIsUsedWhole) {
    platform.temporaryDirectory = "C:\\" + std::string(300, 'd') + "\\";
    platform.downloads[std::string(BASE) + "setup.exe"] = {0, {INSTALLER}};
    EXPECT_EQ(Run(Entry(4, "setup.exe")), UpdateLaunched);
    EXPECT_EQ(platform.started, std::vector<std::string>{platform.temporaryDirectory + "setup.exe"});
}

TEST_F(UpdateMethodTest, FewerBytesThanTheSizeIsIncompleteAndNothingIsSavedOrStarted) {
    platform.downloads[std::string(BASE) + "setup.exe"] = {0, {std::string(4999, 'M')}};
    EXPECT_EQ(Run(Entry(4, "setup.exe", 5000)), 0);
    EXPECT_EQ(FailureText(), "Download incomplete (4999)");
    ExpectNothingSavedOrStarted();
}

TEST_F(UpdateMethodTest, NoBytesAtAllShowsMinus5) {
    platform.downloads[std::string(BASE) + "setup.exe"] = {0, {""}};
    EXPECT_EQ(Run(Entry(4, "setup.exe", 1)), 0);
    EXPECT_EQ(FailureText(), "Download incomplete (-5)");
    ExpectNothingSavedOrStarted();
}

TEST_F(UpdateMethodTest, ASizeOfZeroOrLessAcceptsAnyLengthEvenNone) {
    for (int32_t size : {0, -1, INT32_MIN}) {
        FakeUpdatePlatform fresh;
        fresh.downloads[std::string(BASE) + "setup.exe"] = {0, {""}};
        EXPECT_EQ(RunUpdateMethod(fresh, HOST, Entry(4, "setup.exe", size), LIST_PATH), UpdateLaunched) << size;
        EXPECT_EQ(fresh.written[TEMP + "setup.exe"], "");
        EXPECT_EQ(fresh.started.size(), 1u);
    }
}

TEST_F(UpdateMethodTest, ExactlyTheSizeIsEnoughAndMoreIsAccepted) {
    for (int32_t size : {5000, 4999}) {
        FakeUpdatePlatform fresh;
        fresh.downloads[std::string(BASE) + "setup.exe"] = {0, {INSTALLER}};
        EXPECT_EQ(RunUpdateMethod(fresh, HOST, Entry(4, "setup.exe", size), LIST_PATH), UpdateLaunched) << size;
    }
}

TEST_F(UpdateMethodTest, AFailedDownloadGivesTheAdviceWithItsResult) {
    platform.downloads[std::string(BASE) + "setup.exe"] = {static_cast<int32_t>(0x800C0008u), {}};
    EXPECT_EQ(Run(Entry(4, "setup.exe", 10)), 0);
    std::string text = FailureText();
    EXPECT_EQ(text.rfind("Download didn't start. \r\n", 0), 0u);
    EXPECT_EQ(text.substr(text.size() - 18), "\r\n\r\n (-2146697208)");
    ExpectNothingSavedOrStarted();
}

TEST_F(UpdateMethodTest, ADownloadEndedByItsLimitsGivesTheAdviceWithTheLimitsCodeAndStartsNothing) {
    // Arrivals every `step` milliseconds, for 20 minutes.
    auto every = [](uint64_t step) { return ArrivalsEvery(step, 1200000); };
    struct Case {
        const char* what;
        int32_t size;
        std::vector<uint64_t> bytesAfter;
        uint32_t limitSecondMs;
        const char* code;
        uint64_t endedAfter;
    };
    const Case cases[] = {
        {"no answer", 5000, {}, 1000, "(-2146697205)", 30000},
        {"silent after the headers", 5000, {10}, 1000, "(-2146697205)", 30010},
        {"a byte every 5 s, 5000 bytes", 5000, every(5000), 1000, "(-2147023436)", 61000},
        {"a byte every 5 s, 1 MiB", 1 << 20, every(5000), 1000, "(-2147023436)", 76000},
        {"a byte every 5 s, no size", 0, every(5000), 1000, "(-2147023436)", 600000},
        {"1 MiB in seconds of 300 ms", 1 << 20, every(1500), 300, "(-2147023436)", 22800},
    };
    for (const Case& c : cases) {
        FakeUpdatePlatform fresh;
        FakeUpdatePlatform::Download& download = fresh.downloads[std::string(BASE) + "setup.exe"];
        download = {0, {INSTALLER}};
        download.finishesAfter = FakeUpdatePlatform::NEVER;
        download.bytesAfter = c.bytesAfter;
        EXPECT_EQ(RunUpdateMethod(fresh, HOST, Entry(4, "setup.exe", c.size), LIST_PATH, c.limitSecondMs), 0) << c.what;
        ASSERT_EQ(fresh.boxes.size(), 1u) << c.what;
        const std::string& text = fresh.boxes[0].text;
        EXPECT_EQ(text.rfind("Download didn't start. \r\n", 0), 0u) << c.what;
        EXPECT_EQ(text.substr(text.rfind("\r\n\r\n ") + 5), c.code) << c.what;
        ASSERT_EQ(fresh.transfers.size(), 1u) << c.what;
        EXPECT_EQ(fresh.transfers[0].endedAt - fresh.transfers[0].startedAt, c.endedAfter) << c.what;
        EXPECT_EQ(fresh.transferMisuses, 0) << c.what;
        // What had come is deleted, and nothing is read, saved or started.
        EXPECT_EQ(fresh.files.count(LIST_PATH), 0u) << c.what;
        EXPECT_EQ(fresh.bytesRead, 0u) << c.what;
        ExpectNothingSavedOrStartedBy(fresh);
    }
}

TEST_F(UpdateMethodTest, AnAddressWithoutAUsableFileNameIsRefusedBeforeAnythingIsFetched) {
    const char* addresses[] = {
        "http://files.example/v1.11/",  // empty
        "http://files.example/..",
        "http://files.example/.",
        "..\\..\\Windows\\evil.exe",  // no "/": a bare name with backslashes
        "c:evil.exe",
        "http://files.example/get.php?file=setup.exe",
        "http://files.example/CON",
        "http://files.example/nul.exe",
        "http://files.example/setup.exe.",
        // The local list file, which receives the download itself.
        "UpdateList.txt",
        "http://files.example/updatelist.TXT",
    };
    for (const char* address : addresses) {
        FakeUpdatePlatform fresh;
        fresh.downloads[address] = {0, {INSTALLER}};
        fresh.downloads[std::string(BASE) + address] = {0, {INSTALLER}};
        EXPECT_EQ(RunUpdateMethod(fresh, HOST, Entry(4, address), LIST_PATH), 0) << address;
        ASSERT_EQ(fresh.boxes.size(), 1u) << address;
        EXPECT_EQ(fresh.boxes[0].text, "Unexpected error (-9)");
        EXPECT_EQ(fresh.log, std::vector<std::string>{"box Software update failed"}) << address;
    }
}

// Whatever the method, an address with bytes that would be cut off or read
// otherwise on the way is refused before anything is fetched or opened.
TEST_F(UpdateMethodTest, AnAddressThatIsNotCleanIsRefusedForEveryMethod) {
    const std::string addresses[] = {
        std::string("http://files.example/evil.exe\0/setup.exe", 40),
        std::string("evil.exe\0setup.exe", 18),
        "http://files.example/my setup.exe",
        "http://files.example/my\tsetup.exe",
        "http://host/a\" --flag \"b",
        "http://files.example/\xe9t\xe9.exe",
        "http://files.example/a<b>c.exe",
    };
    for (const std::string& address : addresses) {
        for (int32_t method : {1, 2, 4}) {
            FakeUpdatePlatform fresh;
            fresh.downloads[address] = {0, {INSTALLER}};
            fresh.downloads[std::string(BASE) + address] = {0, {INSTALLER}};
            EXPECT_EQ(RunUpdateMethod(fresh, HOST, Entry(method, address), LIST_PATH), 0) << method << " " << address;
            ASSERT_EQ(fresh.boxes.size(), 1u) << address;
            EXPECT_EQ(fresh.boxes[0].text, "Unexpected error (-9)");
            EXPECT_EQ(fresh.log, std::vector<std::string>{"box Software update failed"}) << method << " " << address;
        }
    }
}

TEST_F(UpdateMethodTest, APercentEncodedAddressIsFetchedAndSavedUnderItsEncodedName) {
    platform.downloads["http://files.example/my%20setup.exe"] = {0, {INSTALLER}};
    EXPECT_EQ(Run(Entry(4, "http://files.example/my%20setup.exe", 5000)), UpdateLaunched);
    EXPECT_EQ(platform.started, std::vector<std::string>{TEMP + "my%20setup.exe"});
}

TEST_F(UpdateMethodTest, ASaveThatFailsIsReportedWithTheSystemsCodeAndNothingStarts) {
    platform.downloads[std::string(BASE) + "setup.exe"] = {0, {INSTALLER}};
    platform.writeError = 5;  // access denied
    EXPECT_EQ(Run(Entry(4, "setup.exe")), 0);
    EXPECT_EQ(FailureText(), "Unexpected error (5)");
    EXPECT_TRUE(platform.started.empty());
}

TEST_F(UpdateMethodTest, AStartThatFailsIsReportedWithTheSystemsCode) {
    platform.downloads[std::string(BASE) + "setup.exe"] = {0, {INSTALLER}};
    platform.startError = 193;  // not a valid program
    EXPECT_EQ(Run(Entry(4, "setup.exe")), 0);
    EXPECT_EQ(FailureText(), "Unexpected error (193)");
}

TEST_F(UpdateMethodTest, NoTemporaryDirectoryMeansNothingIsSaved) {
    platform.downloads[std::string(BASE) + "setup.exe"] = {0, {INSTALLER}};
    platform.temporaryDirectoryError = 3;
    EXPECT_EQ(Run(Entry(4, "setup.exe")), 0);
    EXPECT_EQ(FailureText(), "Unexpected error (3)");
    ExpectNothingSavedOrStarted();
}

TEST_F(UpdateMethodTest, OtherMethodsAreNotSupported) {
    struct Case {
        int32_t method;
        const char* suffix;
    };
    const Case cases[] = {
        {3, " (103)"},
        {0, " (100)"},
        {5, " (105)"},
        {-1, " (99)"},
        {-100, " (-99)"},               // 100 + method is 0, so minus the kind stands in
        {INT32_MAX, " (-2147483549)"},  // 100 + method wraps
        {INT32_MIN, " (-2147483548)"},
    };
    for (const Case& c : cases) {
        FakeUpdatePlatform fresh;
        EXPECT_EQ(RunUpdateMethod(fresh, HOST, Entry(c.method, "setup.exe"), LIST_PATH), 0);
        ASSERT_EQ(fresh.boxes.size(), 1u);
        EXPECT_EQ(fresh.boxes[0].text, std::string("This version does not support that update method\r\n"
                                                   "Try installing the program again from: updates.test.example\r\n") +
                                           c.suffix)
            << c.method;
        EXPECT_TRUE(fresh.opened.empty());
        EXPECT_EQ(fresh.log.size(), 1u);
    }
}

// A signed list vouches for a download's bytes only through its SHA-256, so
// only a download without one is held back; every other line is offered.
TEST(IsOfferedFromSignedList, OnlyADownloadWithoutItsSha256IsHeldBack) {
    struct Case {
        int32_t method;
        const char* sha256;
        bool offered;
    };
    const Case cases[] = {
        {4, "", false},
        {4, INSTALLER_SHA256, true},
        {4, "not hexadecimal", true},  // parsed when it is run
        {1, "", true},
        {2, "", true},
        {0, "", true},
        {99, "", true},
        {-4, "", true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(IsOfferedFromSignedList(Entry(c.method, "setup.exe", 0, c.sha256)), c.offered)
            << c.method << " '" << c.sha256 << "'";
    }
}

// Only a download checked whole is saved and started: every byte of the file
// read, at least the list's size, the list's SHA-256 when it gives one, the
// same bytes again when copied, and the copy written and closed.
TEST_F(UpdateMethodTest, ADownloadIsSavedAndStartedOnlyWhenCheckedWhole) {
    std::string upper = INSTALLER_SHA256, otherDigit = INSTALLER_SHA256;
    for (char& c : upper) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    otherDigit[40] = otherDigit[40] == '0' ? '1' : '0';
    std::string large;
    for (int i = 0; i < 200003; ++i) large += static_cast<char>('A' + (i * 7) % 26);
    const std::string large256 = "fac4053e3b068b4602603113b95ca0f431b584aad9d5c2fde5c3941dc0c2b73d";  // sha256sum
    // Another program rewrites or removes the saved file just before it is held.
    auto swapTo = [](const std::string& bytes) {
        return [bytes](FakeUpdatePlatform& f) {
            f.beforeHold = [bytes](FakeUpdatePlatform& g, const std::string& path) { g.written[path] = bytes; };
        };
    };
    auto removedBeforeHold = [](FakeUpdatePlatform& f) {
        f.beforeHold = [](FakeUpdatePlatform& g, const std::string& path) { g.written.erase(path); };
    };
    struct Case {
        std::vector<std::string> stages;  // of the local file; complete when two polls agree
        int32_t size;
        std::string sha256;
        const char* message;  // empty: saved and started
        std::function<void(FakeUpdatePlatform&)> setup = nullptr;
        bool copied = false;  // the failure is found while copying: a file was made, then removed
    };
    const Case cases[] = {
        {{INSTALLER}, 5000, INSTALLER_SHA256, ""},
        {{INSTALLER}, 5000, upper, ""},
        {{""}, 0, EMPTY_SHA256, ""},
        {{large}, 200003, large256, ""},  // copied and hashed in pieces
        {{INSTALLER}, 5000, otherDigit, "Download incomplete (-6)"},
        {{INSTALLER}, 0, EMPTY_SHA256, "Download incomplete (-6)"},
        {{INSTALLER}, 0, upper.substr(1), "Download incomplete (-6)"},
        {{INSTALLER}, 0, upper + "0", "Download incomplete (-6)"},
        {{INSTALLER}, 0, upper.substr(1) + "g", "Download incomplete (-6)"},
        {{INSTALLER}, 0, "sha256:" + upper, "Download incomplete (-6)"},
        {{INSTALLER}, 0, INSTALLER_SHA256, "Download incomplete (-6)", [](auto& f) { f.hashUnavailable = true; }},
        // A read that stops short, whatever the list's size.
        {{INSTALLER}, 5000, "", "Download incomplete (10)", [](auto& f) { f.readableBytes = 10; }},
        {{INSTALLER}, 0, "", "Download incomplete (10)", [](auto& f) { f.readableBytes = 10; }},
        {{INSTALLER}, 0, INSTALLER_SHA256, "Download incomplete (-5)", [](auto& f) { f.readableBytes = 0; }},
        // The local file changes between the check and the copy.
        {{INSTALLER, INSTALLER, std::string(5000, 'X')},
         0,
         INSTALLER_SHA256,
         "Download incomplete (-6)",
         nullptr,
         true},
        {{INSTALLER, INSTALLER, INSTALLER.substr(0, 4000)}, 0, "", "Download incomplete (4000)", nullptr, true},
        {{INSTALLER}, 0, INSTALLER_SHA256, "Unexpected error (5)", [](auto& f) { f.createError = 5; }, true},
        {{INSTALLER}, 0, INSTALLER_SHA256, "Unexpected error (112)", [](auto& f) { f.writeError = 112; }, true},
        {{INSTALLER}, 0, INSTALLER_SHA256, "Unexpected error (1117)", [](auto& f) { f.closeError = 1117; }, true},
        // The saved file changes after the copy is closed and before it is
        // held for the start: caught by the check through the held file.
        {{INSTALLER}, 0, INSTALLER_SHA256, "Download incomplete (-6)", swapTo(std::string(5000, 'X')), true},
        {{INSTALLER}, 5000, "", "Download incomplete (5001)", swapTo(INSTALLER + "X"), true},
        {{INSTALLER}, 0, "", "Download incomplete (4999)", swapTo(INSTALLER.substr(1)), true},
        {{INSTALLER}, 0, "", "Download incomplete (-5)", swapTo(""), true},
        // A saved file that cannot be held is not started.
        {{INSTALLER}, 0, INSTALLER_SHA256, "Unexpected error (32)", [](auto& f) { f.holdError = 32; }, true},
        {{INSTALLER}, 0, "", "Unexpected error (2)", removedBeforeHold, true},
    };
    for (const Case& c : cases) {
        FakeUpdatePlatform fresh;
        fresh.downloads[std::string(BASE) + "setup.exe"] = {0, c.stages};
        if (c.setup) c.setup(fresh);
        const std::string what = c.stages.back().substr(0, 8) + " " + c.sha256 + " " + c.message;
        bool launches = !*c.message;
        EXPECT_EQ(RunUpdateMethod(fresh, HOST, Entry(4, "setup.exe", c.size, c.sha256), LIST_PATH),
                  launches ? UpdateLaunched : 0)
            << what;
        if (launches) {
            EXPECT_TRUE(fresh.boxes.empty()) << what;
            EXPECT_TRUE(fresh.written[TEMP + "setup.exe"] == c.stages.back()) << what;
            EXPECT_EQ(fresh.started, std::vector<std::string>{TEMP + "setup.exe"});
            // Exactly the checked bytes, held unchanged while started.
            ASSERT_EQ(fresh.startedBytes.size(), 1u) << what;
            EXPECT_TRUE(fresh.startedBytes[0] == c.stages.back()) << what;
            EXPECT_EQ(fresh.startedWhileHeld, std::vector<bool>{true}) << what;
        } else {
            ASSERT_EQ(fresh.boxes.size(), 1u) << what;
            EXPECT_EQ(fresh.boxes[0].text, c.message) << what;
            ExpectNothingSavedOrStartedBy(fresh);  // a copy that failed is removed
            bool created =
                std::find(fresh.log.begin(), fresh.log.end(), "create " + TEMP + "setup.exe") != fresh.log.end();
            EXPECT_EQ(created, c.copied) << what;
        }
        EXPECT_EQ(fresh.openHandles, 0) << what;
        EXPECT_EQ(fresh.openHashes, 0) << what;
        EXPECT_LE(fresh.largestRead, 64u * 1024) << what;
        EXPECT_LE(fresh.largestWrite, 64u * 1024) << what;
        // The system's hashing is loaded only for a line with a hash.
        if (c.sha256.empty()) {
            EXPECT_EQ(std::count(fresh.log.begin(), fresh.log.end(), "hash"), 0) << what;
        }
    }
}

TEST_F(UpdateMethodTest, DownloadsNeverLeaveTheWeb) {
    for (const char* address : {"file://host/share/setup.exe", "ftp://files.example/setup.exe", "h:/setup.exe"}) {
        FakeUpdatePlatform fresh;
        fresh.downloads[address] = {0, {INSTALLER}};
        EXPECT_EQ(RunUpdateMethod(fresh, HOST, Entry(4, address), LIST_PATH), 0) << address;
        EXPECT_EQ(fresh.log.front(), "download http://" + std::string(address) + " > " + LIST_PATH);
        ExpectNothingSavedOrStartedBy(fresh);
    }
}
