#include <gtest/gtest.h>

#include <climits>
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

UpdateListEntry Entry(int32_t method, const std::string& address, int32_t size = 0) {
    UpdateListEntry entry;
    entry.program = "Brantle";
    entry.version = "1.11";
    entry.method = method;
    entry.address = address;
    entry.size = size;
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

    void ExpectNothingSavedOrStarted() {
        EXPECT_TRUE(platform.written.empty());
        EXPECT_TRUE(platform.started.empty());
        for (const std::string& entry : platform.log) {
            EXPECT_NE(entry.rfind("write ", 0), 0u) << entry;
            EXPECT_NE(entry.rfind("start ", 0), 0u) << entry;
        }
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
    EXPECT_EQ(platform.log.back(), "start " + TEMP + "brantle-1.11.exe");
    EXPECT_EQ(platform.openHandles, 0);
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
