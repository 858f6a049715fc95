#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "download_wait.h"
#include "fake_update_platform.h"
#include "update_list.h"

using namespace std::string_literals;

namespace {

const std::string PATH = "C:\\Temp\\UpdateList.txt";

std::string Wait(FakeUpdatePlatform& platform) { return WaitForDownloadedFile(platform, PATH, UPDATE_LIST_MAX_BYTES); }

struct WaitCase {
    const char* name;
    std::vector<std::string> stages;  // what the file holds at each poll
    std::string expected;
    size_t polls;
    uint32_t limit = UPDATE_LIST_MAX_BYTES;
    uint32_t readable = UINT32_MAX;  // reads fail past this offset
};

class WaitForDownloadedFileTest : public testing::TestWithParam<WaitCase> {};

}  // namespace

TEST_P(WaitForDownloadedFileTest, PollsUntilCompleteOrThe31stPoll) {
    const WaitCase& c = GetParam();
    FakeUpdatePlatform platform;
    platform.SetFile(PATH, c.stages);
    platform.readableBytes = c.readable;

    EXPECT_EQ(WaitForDownloadedFile(platform, PATH, c.limit), c.expected);
    EXPECT_EQ(platform.bytesRead, c.expected.size()) << "nothing after the limit is read";
    EXPECT_EQ(platform.files[PATH].opens, c.polls);
    // 100 ms between polls, none after the last.
    EXPECT_EQ(platform.pauses, std::vector<uint32_t>(c.polls - 1, 100));
    EXPECT_EQ(platform.openHandles, 0);
}

INSTANTIATE_TEST_SUITE_P(Files, WaitForDownloadedFileTest,
                         testing::Values(
                             // Complete from the start: taken on the 2nd poll, never the 1st.
                             WaitCase{"CompleteAtOnce", {"Brantle,1.11,1,p\n"}, "Brantle,1.11,1,p\n", 2},
                             WaitCase{"FourBytesIsEnough", {"abcd"}, "abcd", 2},
                             WaitCase{"ThreeBytesWaitsTo31", {"abc"}, "abc", 31},
                             WaitCase{"OneByteWaitsTo31", {"a"}, "a", 31}, WaitCase{"EmptyWaitsTo31", {""}, "", 31},
                             WaitCase{"GrowsThenSettles", {"ab", "abcdef", "abcdefgh", "abcdefgh"}, "abcdefgh", 4},
                             WaitCase{"SettlesOnlyOnceUnchanged", {"abcde", "abcdefg", "abcdefg"}, "abcdefg", 3},
                             // Same size, other bytes: the size is what is compared.
                             WaitCase{"SameSizeCounts", {"aaaa", "bbbb"}, "bbbb", 2},
                             WaitCase{"ShrinksToSmall", {"abcdef", "ab", "ab"}, "ab", 31},
                             WaitCase{"BytesOf0", {"\0\0\0\0\0"s}, "\0\0\0\0\0"s, 2},
                             // Only the bytes read, and no more than the limit.
                             WaitCase{"ReadsFailAfter5", {"abcdefgh"}, "abcde", 2, UINT32_MAX, 5},
                             WaitCase{"NoReadWorks", {"abcdefgh"}, "", 2, UINT32_MAX, 0},
                             WaitCase{"CutAtTheLimit", {"abcdefgh"}, "abcde", 2, 5},
                             WaitCase{"LimitOfTheSize", {"abcdefgh"}, "abcdefgh", 2, 8}),
                         [](const testing::TestParamInfo<WaitCase>& info) { return std::string(info.param.name); });

TEST(WaitForDownloadedFile, ASizeThatKeepsChangingIsTakenAsItIsOnThe31stPoll) {
    std::vector<std::string> stages;
    for (int i = 0; i < 40; ++i) stages.push_back(std::string(10 + i, 'x'));
    FakeUpdatePlatform platform;
    platform.SetFile(PATH, stages);
    EXPECT_EQ(Wait(platform), std::string(40, 'x'));
    EXPECT_EQ(platform.files[PATH].opens, 31u);
    EXPECT_EQ(platform.pauses.size(), 30u);
}

TEST(WaitForDownloadedFile, AMissingFileIsCreatedEmptyAndGivesNoBytes) {
    FakeUpdatePlatform platform;
    EXPECT_EQ(Wait(platform), "");
    EXPECT_EQ(platform.files.count(PATH), 1u);
    EXPECT_EQ(platform.pauses.size(), 30u);
}

TEST(WaitForDownloadedFile, AFileThatCannotBeOpenedCountsAsEmpty) {
    FakeUpdatePlatform platform;
    platform.openFails = true;
    platform.SetFile(PATH, {"Brantle,1.11,1,p\n"});
    EXPECT_EQ(Wait(platform), "");
    EXPECT_EQ(platform.pauses.size(), 30u);
    EXPECT_EQ(platform.openHandles, 0);
}

TEST(WaitForDownloadedFile, ClosesEachPollsFileAfterItsPause) {
    FakeUpdatePlatform platform;
    platform.SetFile(PATH, {"abcd"});
    Wait(platform);
    const std::vector<std::string> expected = {"poll " + PATH, "pause", "close", "poll " + PATH, "close"};
    EXPECT_EQ(platform.log, expected);
}
