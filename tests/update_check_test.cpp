// The update check without a key: the list fetched under the wait cursor,
// the version compared, each method carried out, and every failure shown
// with the arrow back and nothing left open or started.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "check_for_updates.h"
#include "fake_update_platform.h"
#include "update_check.h"
#include "update_check_support.h"
#include "update_list.h"

using namespace std::string_literals;

namespace {

class UpdateCheckTest : public testing::Test {
protected:
    FakeUpdatePlatform platform;

    void ServeList(const std::string& list) { platform.downloads[LIST_ADDRESS] = {0, {list}}; }
    int32_t Check() { return RunUpdateCheck(platform, HOST, OWNER, "Brantle", "1.10.1", nullptr); }

    // The wait cursor never outlives the check, and no message is shown
    // under it.
    void TearDown() override {
        EXPECT_EQ(platform.cursor, UpdateCursor::Arrow);
        for (const auto& box : platform.boxes) EXPECT_EQ(box.cursor, UpdateCursor::Arrow) << box.text;
        EXPECT_EQ(platform.openHandles, 0);
        EXPECT_EQ(platform.openTransfers, 0);
        EXPECT_EQ(platform.transferMisuses, 0);
    }
};

}  // namespace

TEST_F(UpdateCheckTest, DeletesTheOldListThenDownloadsUnderTheWaitCursor) {
    ServeList("Brantle,1.10,1,p\n");
    Check();
    const std::vector<std::string> start = {"temp", "remove " + LIST_PATH, "cursor wait",
                                            "download " + std::string(LIST_ADDRESS) + " > " + LIST_PATH,
                                            "poll " + LIST_PATH};
    ASSERT_GE(platform.log.size(), start.size());
    EXPECT_EQ(std::vector<std::string>(platform.log.begin(), platform.log.begin() + start.size()), start);
}

TEST_F(UpdateCheckTest, TheLatestVersionIsRunning) {
    ServeList("Brantle,1.10,1,p\n");
    EXPECT_EQ(Check(), 0);
    ASSERT_EQ(platform.boxes.size(), 1u);
    EXPECT_EQ(platform.boxes[0].owner, OWNER);
    EXPECT_EQ(platform.boxes[0].text, "You're already running the latest version: 1.10.1");
    EXPECT_EQ(platform.boxes[0].caption, "No update available");
    EXPECT_EQ(platform.boxes[0].style, 0u);
    EXPECT_TRUE(platform.opened.empty());
}

TEST_F(UpdateCheckTest, NotNewerVersionsTellTheLatestIsRunning) {
    for (const char* version : {"1.10", "1.10.1", "1.10.1.0", "1.9.9", "abc", ""}) {
        FakeUpdatePlatform fresh;
        fresh.downloads[LIST_ADDRESS] = {0, {std::string("Brantle,") + version + ",1,p\n"}};
        EXPECT_EQ(RunUpdateCheck(fresh, HOST, OWNER, "Brantle", "1.10.1", nullptr), 0);
        ASSERT_EQ(fresh.boxes.size(), 1u) << version;
        EXPECT_EQ(fresh.boxes[0].caption, "No update available") << version;
    }
}

TEST_F(UpdateCheckTest, ANewerVersionAsksNamingTheVersionAsWritten) {
    // A long version is shown cut to 200 characters.
    for (const std::string& version : {"1.10.2"s, "1.11"s, "2"s, " 1.11 x"s, "1.11" + std::string(300, 'x')}) {
        FakeUpdatePlatform fresh;
        fresh.answer = 7;  // No
        fresh.downloads[LIST_ADDRESS] = {0, {"Brantle,\"" + version + "\",1,p\n"}};
        EXPECT_EQ(RunUpdateCheck(fresh, HOST, OWNER, "Brantle", "1.10.1", nullptr), 0);
        ASSERT_EQ(fresh.boxes.size(), 1u) << version;
        EXPECT_EQ(fresh.boxes[0].owner, OWNER);
        EXPECT_EQ(fresh.boxes[0].text, "Do you wish to upgrade your installed version 1.10.1\r\nto version " +
                                           version.substr(0, 200) + " ?");
        EXPECT_EQ(fresh.boxes[0].caption, "Newer version available");
        EXPECT_EQ(fresh.boxes[0].style, 36u);
    }
}

TEST_F(UpdateCheckTest, NoChangesNothing) {
    ServeList("Brantle,1.11,4,setup.exe,3\n");
    platform.downloads[std::string(BASE) + "setup.exe"] = {0, {"MZ!!"}};
    platform.answer = 7;
    EXPECT_EQ(Check(), 0);
    EXPECT_EQ(platform.boxes.size(), 1u);
    EXPECT_TRUE(platform.opened.empty());
    EXPECT_TRUE(platform.written.empty());
    EXPECT_TRUE(platform.started.empty());
    EXPECT_EQ(platform.log.back(), "box Newer version available");
}

TEST_F(UpdateCheckTest, YesOpensTheBrowser) {
    ServeList("Brantle,1.11,2,brantle.html\n");
    EXPECT_EQ(Check(), UpdateLaunched);
    EXPECT_EQ(platform.opened, std::vector<std::string>{"http://updates.test.example/brantle.html"});
}

TEST_F(UpdateCheckTest, YesDownloadsIntoTheListFileSavesAndStarts) {
    ServeList("Brantle,1.11,4,brantle-setup.exe,6\n");
    const std::string installer("MZ\x90\0\x03\0", 6);
    platform.downloads[std::string(BASE) + "brantle-setup.exe"] = {0, {installer}};
    EXPECT_EQ(Check(), UpdateLaunched);
    EXPECT_EQ(platform.files[LIST_PATH].stages.front().size(), 6u);  // the download replaced the list
    EXPECT_EQ(platform.written[TEMP + "brantle-setup.exe"], installer);
    EXPECT_EQ(platform.started, std::vector<std::string>{TEMP + "brantle-setup.exe"});
}

TEST_F(UpdateCheckTest, ACrLfListWorksForAFiveFieldLine) {
    ServeList("Pelgrath,3.0,1,x\r\nBrantle,1.11,4,setup.exe,4\r\n");
    platform.downloads[std::string(BASE) + "setup.exe"] = {0, {"MZ!!"}};
    EXPECT_EQ(Check(), UpdateLaunched);
    EXPECT_EQ(platform.started, std::vector<std::string>{TEMP + "setup.exe"});
}

TEST_F(UpdateCheckTest, ACrLfLineEndIsNoPartOfAnAddressOrAHash) {
    const std::string hash = "7b4457c58b3fa7a70e75b33a281b492c53d9bb8aea8b50f697f31f6922c6393e";  // of "MZ!!"
    const std::pair<std::string, const char*> cases[] = {
        {"Brantle,1.11,1,page.htm  \r\n", "http://updates.test.example/page.htm"},
        {"Brantle,1.11,4,setup.exe\r\n", nullptr},  // nullptr: setup.exe saved and started
        {"Brantle,1.11,4,setup.exe,4," + hash + "\r\n", nullptr},
    };
    for (const auto& [line, opened] : cases) {
        FakeUpdatePlatform fresh;
        fresh.downloads[LIST_ADDRESS] = {0, {line}};
        fresh.downloads[std::string(BASE) + "setup.exe"] = {0, {"MZ!!"}};
        EXPECT_EQ(RunUpdateCheck(fresh, HOST, OWNER, "Brantle", "1.10.1", nullptr), UpdateLaunched) << line;
        EXPECT_EQ(fresh.opened, opened ? std::vector<std::string>{opened} : std::vector<std::string>{}) << line;
        EXPECT_EQ(fresh.started.size(), opened ? 0u : 1u) << line;
    }
}

TEST_F(UpdateCheckTest, OnlyTheListsFirstMebibyteIsRead) {
    // A line that the limit cuts is read as far as it goes: "Brantle,9"; a
    // list of 20 MB is read no further.
    platform.answer = 7;
    const std::string before = "Other," + std::string(UPDATE_LIST_MAX_BYTES - 7 - 9, 'x') + "\n";
    ServeList(before + "Brantle,9.0,1,p\n" + std::string(20 << 20, 'x'));
    EXPECT_EQ(Check(), 0);
    ASSERT_EQ(platform.boxes.size(), 1u);
    EXPECT_EQ(platform.boxes[0].text, "Do you wish to upgrade your installed version 1.10.1\r\nto version 9 ?");
    EXPECT_EQ(platform.bytesRead, UPDATE_LIST_MAX_BYTES);
}

TEST_F(UpdateCheckTest, OutOfMemoryAnywhereIsAnUnexpectedErrorAndNothingIsLeftOpenOrStarted) {
    const std::string hash = "7b4457c58b3fa7a70e75b33a281b492c53d9bb8aea8b50f697f31f6922c6393e";
    const std::string places[] = {
        "temp", "remove", "cursor wait", "download " + std::string(LIST_ADDRESS),
        "poll", "pause",  "box Newer",   "download " + std::string(BASE),
        "hash", "create", "start",
    };
    for (const std::string& place : places) {
        FakeUpdatePlatform fresh;
        fresh.downloads[LIST_ADDRESS] = {0, {"Brantle,1.11,4,setup.exe,4," + hash + "\n"}};
        fresh.downloads[std::string(BASE) + "setup.exe"] = {0, {"MZ!!"}};
        fresh.outOfMemoryAt = place;
        EXPECT_EQ(RunUpdateCheck(fresh, HOST, OWNER, "Brantle", "1.10.1", nullptr), 0) << place;
        ASSERT_FALSE(fresh.boxes.empty()) << place;
        EXPECT_EQ(fresh.boxes.back().text, "Unexpected error") << place;
        EXPECT_EQ(fresh.boxes.back().style, 8240u);
        EXPECT_EQ(fresh.boxes.back().cursor, UpdateCursor::Arrow) << place;
        EXPECT_EQ(fresh.openHandles + fresh.openHashes, 0) << place;
        EXPECT_TRUE(fresh.started.empty()) << place;
        // Only a copy that was checked whole stays saved.
        EXPECT_EQ(fresh.written.empty(), place != "start") << place;
    }
}

TEST_F(UpdateCheckTest, YesWithAMissingMethodIsNotSupported) {
    ServeList("Brantle,1.11\n");
    EXPECT_EQ(Check(), 0);
    ASSERT_EQ(platform.boxes.size(), 2u);
    EXPECT_EQ(platform.boxes[1].text,
              "This version does not support that update method\r\n"
              "Try installing the program again from: updates.test.example\r\n (100)");
}

TEST_F(UpdateCheckTest, AFailedListDownloadCannotConnect) {
    // The fake's downloads of unknown addresses fail.
    EXPECT_EQ(Check(), 0);
    ASSERT_EQ(platform.boxes.size(), 1u);
    EXPECT_EQ(platform.boxes[0].text, "Could not connect to updates.test.example (-2)");
    EXPECT_EQ(platform.boxes[0].caption, "Software update failed");
    EXPECT_EQ(platform.boxes[0].owner, 0u);
    EXPECT_EQ(platform.files.count(LIST_PATH), 0u) << "no wait after a failed download";
}

TEST_F(UpdateCheckTest, AnEmptyListCannotConnectEither) {
    ServeList("");
    EXPECT_EQ(Check(), 0);
    ASSERT_EQ(platform.boxes.size(), 1u);
    EXPECT_EQ(platform.boxes[0].text, "Could not connect to updates.test.example (-3)");
    EXPECT_EQ(platform.pauses.size(), 30u);
}

TEST_F(UpdateCheckTest, AListWithoutTheProgramSaysNothing) {
    const std::string fifty = [] {
        std::string text;
        for (int i = 0; i < 50; ++i) text += "Other,9\n";
        return text;
    }();
    for (const std::string& list :
         {std::string("Pelgrath,9.0,1,p\n"), std::string("brantle,9.0,1,p\n"),
          std::string("Other,1\n\nBrantle,9.0,1,p\n"), fifty + "Brantle,9.0,1,p\n", std::string("\n\n\n\n")}) {
        FakeUpdatePlatform fresh;
        fresh.downloads[LIST_ADDRESS] = {0, {list}};
        EXPECT_EQ(RunUpdateCheck(fresh, HOST, OWNER, "Brantle", "1.10.1", nullptr), 0);
        EXPECT_TRUE(fresh.boxes.empty()) << list;
        EXPECT_EQ(fresh.cursor, UpdateCursor::Arrow);
    }
}

TEST_F(UpdateCheckTest, NoTemporaryDirectoryIsReportedAndNothingIsFetched) {
    platform.temporaryDirectoryError = 3;
    ServeList("Brantle,1.11,1,p\n");
    EXPECT_EQ(Check(), 0);
    ASSERT_EQ(platform.boxes.size(), 1u);
    EXPECT_EQ(platform.boxes[0].text, "Unexpected error (3)");
    EXPECT_EQ(platform.log, (std::vector<std::string>{"temp", "box Software update failed"}));
}

TEST_F(UpdateCheckTest, EveryMethodFailureLeavesTheArrowAndReturnsZero) {
    struct Case {
        const char* line;
        const char* failure;
    };
    const Case cases[] = {
        {"Brantle,1.11,4,missing.exe,1\n", "Download didn't start. "},
        {"Brantle,1.11,4,short.exe,100\n", "Download incomplete (4)"},
        {"Brantle,1.11,4,http://x.example/dir/,1\n", "Unexpected error (-9)"},
        {"Brantle,1.11,3,a\n", "This version does not support"},
    };
    for (const Case& c : cases) {
        FakeUpdatePlatform fresh;
        fresh.downloads[LIST_ADDRESS] = {0, {c.line}};
        fresh.downloads[std::string(BASE) + "short.exe"] = {0, {"MZ!!"}};
        EXPECT_EQ(RunUpdateCheck(fresh, HOST, OWNER, "Brantle", "1.10.1", nullptr), 0) << c.line;
        ASSERT_EQ(fresh.boxes.size(), 2u) << c.line;
        EXPECT_EQ(fresh.boxes[1].text.rfind(c.failure, 0), 0u) << fresh.boxes[1].text;
        EXPECT_EQ(fresh.cursor, UpdateCursor::Arrow);
        for (const auto& box : fresh.boxes) EXPECT_EQ(box.cursor, UpdateCursor::Arrow);
    }
}

TEST_F(UpdateCheckTest, ACheckCanRunAgainAfterAFailure) {
    EXPECT_EQ(Check(), 0);
    ServeList("Brantle,1.11,1,p\n");
    EXPECT_EQ(Check(), UpdateLaunched);
    EXPECT_EQ(platform.boxes.size(), 2u);
}
