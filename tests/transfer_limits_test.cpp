#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "fake_update_platform.h"
#include "transfer_limits.h"

namespace {

const std::string ADDRESS = "http://updates.test.example/uploaded/software/updates.txt";
const std::string PATH = "C:\\Temp\\UpdateList.txt";
constexpr uint64_t NEVER = FakeUpdatePlatform::NEVER;
const TransferLimits LIST = ListTransferLimits();

}  // namespace

TEST(TransferLimitsTest, EachDownloadHasItsLimits) {
    struct Case {
        const char* what;
        TransferLimits limits;
        uint32_t stallMs;
        uint32_t overallMs;
    };
    const Case cases[] = {
        {"the list and its signature", ListTransferLimits(), 30000, 60000},
        {"a download of no size", DownloadTransferLimits(0), 30000, 600000},
        {"a download of a negative size", DownloadTransferLimits(-1), 30000, 600000},
        {"a download of 1 byte", DownloadTransferLimits(1), 30000, 61000},
        {"a download of 64 KiB", DownloadTransferLimits(65536), 30000, 61000},
        {"a download of 64 KiB and 1 byte", DownloadTransferLimits(65537), 30000, 62000},
        {"a download of 1 MiB", DownloadTransferLimits(1 << 20), 30000, 76000},
        {"the largest download", DownloadTransferLimits(INT32_MAX), 30000, (60u + 32768u) * 1000u},
        // A test build's shorter second shortens every limit alike.
        {"the list, seconds of 300 ms", ListTransferLimits(300), 9000, 18000},
        {"1 MiB, seconds of 300 ms", DownloadTransferLimits(1 << 20, 300), 9000, 22800},
        {"no size, seconds of 300 ms", DownloadTransferLimits(0, 300), 9000, 180000},
        {"the list, seconds of 1 ms", ListTransferLimits(1), 30, 60},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.limits.stallMs, c.stallMs) << c.what;
        EXPECT_EQ(c.limits.overallMs, c.overallMs) << c.what;
    }
}

TEST(TransferLimitsTest, OnlyTheSwitchTShortensTheSecond) {
    struct Case {
        const char* arguments;
        uint32_t secondMs;
    };
    const Case cases[] = {
        {"", 1000},
        {"652 /Q 3 /S", 1000},
        {"/T 300", 300},
        {"/T300", 300},
        {"652 /Q 3 /T 250 /S", 250},
        {"/T &H64", 100},
        {"/T 1", 1},
        {"/T 1000", 1000},
        // Longer, none, or nonsense: the real second.
        {"/T 1001", 1000},
        {"/T 0", 1000},
        {"/T -300", 1000},
        {"/T", 1000},
        {"/T abc", 1000},
        {"/t 300", 1000},
    };
    for (const Case& c : cases) EXPECT_EQ(ReadLimitSecondSwitch(c.arguments), c.secondMs) << c.arguments;
}

TEST(TransferLimitsTest, TheLimitPassedFirstEndsTheDownload) {
    struct Case {
        uint64_t lastByteAt;  // 0: nothing yet
        uint64_t now;
        int32_t passed;
        uint32_t wait;
    };
    // Started at 1000: stalled at 31000 unless something came, too long at
    // 61000.
    const Case cases[] = {
        {0, 1000, 0, 30000},
        {0, 30999, 0, 1},
        {0, 31000, TRANSFER_STALLED, 0},
        {500, 31000, TRANSFER_STALLED, 0},  // nothing comes before the start
        {20000, 31000, 0, 19000},
        {50000, 60000, 0, 1000},
        {50000, 61000, TRANSFER_TOOK_TOO_LONG, 0},
        {60999, 61000, TRANSFER_TOOK_TOO_LONG, 0},
        // Woken late, past both: the one that was due first.
        {0, 70000, TRANSFER_STALLED, 0},
        {40000, 70000, TRANSFER_TOOK_TOO_LONG, 0},
        {31000, 61000, TRANSFER_TOOK_TOO_LONG, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(PassedTransferLimit(LIST, 1000, c.lastByteAt, c.now), c.passed) << c.lastByteAt << " " << c.now;
        EXPECT_EQ(TimeToTransferLimit(LIST, 1000, c.lastByteAt, c.now), c.wait) << c.lastByteAt << " " << c.now;
    }
}

TEST(TransferLimitsTest, DownloadsAreEndedByTheirLimitsAndNothingOfThemStays) {
    struct Case {
        const char* what;
        TransferLimits limits;
        int32_t result;          // the download's own
        uint64_t finishesAfter;  // NEVER: only a limit ends it
        std::vector<uint64_t> bytesAfter;
        int32_t returned;
        uint64_t endedAfter;  // milliseconds after the start
        size_t wakes;         // waits: only when a limit is due
    };
    const Case cases[] = {
        {"finished at once", LIST, 0, 0, {}, 0, 0, 1},
        {"finished after 45 s, a byte every 10 s", LIST, 0, 45000, ArrivalsEvery(10000, 40000), 0, 45000, 2},
        {"finished at its overall limit", LIST, 0, 60000, ArrivalsEvery(10000, 60000), 0, 60000, 2},
        {"failed by itself after 5 s", LIST, int32_t(0x800C0007u), 5000, {}, int32_t(0x800C0007u), 5000, 1},
        {"no answer at all", LIST, 0, NEVER, {}, TRANSFER_STALLED, 30000, 1},
        {"silent after the headers", LIST, 0, NEVER, {100}, TRANSFER_STALLED, 30100, 2},
        {"silent after 40 s", LIST, 0, NEVER, ArrivalsEvery(10000, 40000), TRANSFER_TOOK_TOO_LONG, 60000, 2},
        {"a byte every 5 s", LIST, 0, NEVER, ArrivalsEvery(5000, 600000), TRANSFER_TOOK_TOO_LONG, 60000, 2},
        {"a byte every 29 s", LIST, 0, NEVER, ArrivalsEvery(29000, 600000), TRANSFER_TOOK_TOO_LONG, 60000, 3},
        {"a byte every 31 s", LIST, 0, NEVER, ArrivalsEvery(31000, 600000), TRANSFER_STALLED, 30000, 1},
        {"1 MiB, a byte every 5 s", DownloadTransferLimits(1 << 20), 0, NEVER, ArrivalsEvery(5000, 600000),
         TRANSFER_TOOK_TOO_LONG, 76000, 3},
        {"no size, a byte every 5 s", DownloadTransferLimits(0), 0, NEVER, ArrivalsEvery(5000, 900000),
         TRANSFER_TOOK_TOO_LONG, 600000, 20},
        {"1 MiB in seconds of 300 ms", DownloadTransferLimits(1 << 20, 300), 0, NEVER, ArrivalsEvery(1500, 60000),
         TRANSFER_TOOK_TOO_LONG, 22800, 3},
    };
    for (const Case& c : cases) {
        FakeUpdatePlatform fake;
        fake.downloads[ADDRESS] = {c.result, {"the list"}};
        fake.downloads[ADDRESS].finishesAfter = c.finishesAfter;
        fake.downloads[ADDRESS].bytesAfter = c.bytesAfter;
        const uint64_t start = fake.now;

        EXPECT_EQ(DownloadWithinLimits(fake, ADDRESS, PATH, c.limits), c.returned) << c.what;
        ASSERT_EQ(fake.transfers.size(), 1u) << c.what;
        const FakeUpdatePlatform::Transfer& transfer = fake.transfers[0];
        EXPECT_TRUE(transfer.ended) << c.what;
        EXPECT_EQ(transfer.endedAt - start, c.endedAfter) << c.what;
        EXPECT_EQ(transfer.waits.size(), c.wakes) << c.what;
        EXPECT_EQ(fake.openTransfers, 0) << c.what;
        EXPECT_EQ(fake.transferMisuses, 0) << c.what;
        if (c.returned == 0) {
            ASSERT_EQ(fake.files.count(PATH), 1u) << c.what;
            EXPECT_EQ(fake.files[PATH].stages, std::vector<std::string>{"the list"}) << c.what;
        } else {
            // Deleted, and only once nothing more could be written to it.
            EXPECT_EQ(fake.files.count(PATH), 0u) << c.what;
            EXPECT_EQ(fake.log.back(), "remove " + PATH) << c.what;
        }
    }
}

TEST(TransferLimitsTest, ADownloadThatCannotStartFailsWithItsCode) {
    for (int32_t error : {int32_t(0x80070005u), 0}) {
        FakeUpdatePlatform fake;
        fake.downloads[ADDRESS] = {0, {"the list"}};
        fake.downloadsCannotStart = true;
        fake.downloadStartError = error;
        // A platform that names no code still fails the download: E_FAIL.
        EXPECT_EQ(DownloadWithinLimits(fake, ADDRESS, PATH, LIST), error ? error : int32_t(0x80004005u));
        EXPECT_TRUE(fake.transfers.empty());
        EXPECT_EQ(fake.files.count(PATH), 0u);
    }
}
