#include "transfer_limits.h"

#include <algorithm>

#include "read_number.h"

namespace {

constexpr uint32_t LimitMs(uint64_t seconds, uint32_t limitSecondMs) {
    return static_cast<uint32_t>(std::min<uint64_t>(seconds * limitSecondMs, UINT32_MAX));
}

// Ends the download on every way out, exceptions included, so that no
// transfer outlives the step that started it.
class ScopedTransfer {
public:
    ScopedTransfer(UpdatePlatform& platform, UpdateTransferHandle transfer)
        : platform_(platform), transfer_(transfer) {}
    ScopedTransfer(const ScopedTransfer&) = delete;
    ScopedTransfer& operator=(const ScopedTransfer&) = delete;
    ~ScopedTransfer() { End(); }

    UpdateTransferHandle Get() const { return transfer_; }
    void End() {
        UpdateTransferHandle transfer = transfer_;
        transfer_ = 0;
        if (transfer) platform_.EndDownload(transfer);
    }

private:
    UpdatePlatform& platform_;
    UpdateTransferHandle transfer_;
};

// When each limit is reached.
struct Deadlines {
    uint64_t stall;
    uint64_t overall;
};

Deadlines DeadlinesOf(const TransferLimits& limits, uint64_t startedAt, uint64_t lastByteAt) {
    return {std::max(startedAt, lastByteAt) + limits.stallMs, startedAt + limits.overallMs};
}

}  // namespace

TransferLimits ListTransferLimits(uint32_t limitSecondMs) {
    return {LimitMs(TRANSFER_STALL_SECONDS, limitSecondMs), LimitMs(LIST_TRANSFER_SECONDS, limitSecondMs)};
}

TransferLimits DownloadTransferLimits(int32_t expectedSize, uint32_t limitSecondMs) {
    uint64_t seconds = UNSIZED_DOWNLOAD_SECONDS;
    if (expectedSize > 0) {
        const uint64_t size = static_cast<uint64_t>(expectedSize);
        seconds = DOWNLOAD_BASE_SECONDS + (size + DOWNLOAD_BYTES_PER_SECOND - 1) / DOWNLOAD_BYTES_PER_SECOND;
    }
    return {LimitMs(TRANSFER_STALL_SECONDS, limitSecondMs), LimitMs(seconds, limitSecondMs)};
}

uint32_t ReadLimitSecondSwitch(std::string_view argumentText) {
    const size_t at = argumentText.find("/T");
    if (at == std::string_view::npos) return LIMIT_SECOND_MS;
    const int32_t value = ReadWholeNumber(argumentText.substr(at + 2));
    return value >= 1 && static_cast<uint32_t>(value) <= LIMIT_SECOND_MS ? static_cast<uint32_t>(value)
                                                                         : LIMIT_SECOND_MS;
}

int32_t PassedTransferLimit(const TransferLimits& limits, uint64_t startedAt, uint64_t lastByteAt, uint64_t now) {
    const Deadlines due = DeadlinesOf(limits, startedAt, lastByteAt);
    const bool stalled = now >= due.stall;
    const bool tooLong = now >= due.overall;
    if (stalled && (!tooLong || due.stall < due.overall)) return TRANSFER_STALLED;
    return tooLong ? TRANSFER_TOOK_TOO_LONG : 0;
}

uint32_t TimeToTransferLimit(const TransferLimits& limits, uint64_t startedAt, uint64_t lastByteAt, uint64_t now) {
    const Deadlines due = DeadlinesOf(limits, startedAt, lastByteAt);
    const uint64_t next = std::min(due.stall, due.overall);
    return next <= now ? 0 : static_cast<uint32_t>(std::min<uint64_t>(next - now, UINT32_MAX));
}

int32_t DownloadWithinLimits(UpdatePlatform& platform, const std::string& address, const std::string& path,
                             const TransferLimits& limits) {
    const uint64_t startedAt = platform.Milliseconds();
    int32_t error = 0;
    ScopedTransfer transfer(platform, platform.StartDownload(address, path, error));
    int32_t result = error;
    if (transfer.Get()) {
        uint64_t lastByteAt = 0;
        for (;;) {
            const uint32_t wait = TimeToTransferLimit(limits, startedAt, lastByteAt, platform.Milliseconds());
            const TransferProgress progress = platform.WaitForDownload(transfer.Get(), wait);
            if (progress.finished) {
                result = progress.result;
                break;
            }
            lastByteAt = progress.lastByteAt;
            result = PassedTransferLimit(limits, startedAt, lastByteAt, platform.Milliseconds());
            if (result) break;
        }
        transfer.End();
    } else if (result == 0) {
        // A transfer that did not start failed, whatever the platform said:
        // E_FAIL.
        result = static_cast<int32_t>(0x80004005u);
    }
    if (result) platform.RemoveFile(path);
    return result;
}
