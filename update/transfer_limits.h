// The time limits of the update check's downloads. A server that stops
// sending, or sends a byte now and then, would otherwise hold the About
// dialog, which the check blocks, for as long as it likes: every download
// is ended when no byte has arrived for a while, and when it has not
// finished within its overall limit.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "update_platform.h"

// A download's limits, in milliseconds: it is ended once nothing has
// arrived for `stallMs`, or once `overallMs` have passed since it started.
struct TransferLimits {
    uint32_t stallMs = 0;
    uint32_t overallMs = 0;
};

// The limits are counted in seconds of LIMIT_SECOND_MS milliseconds; a
// test build may make that second shorter (ReadLimitSecondSwitch), which
// shortens every limit alike.
constexpr uint32_t LIMIT_SECOND_MS = 1000;

constexpr uint32_t TRANSFER_STALL_SECONDS = 30;        // any download, without a byte
constexpr uint32_t LIST_TRANSFER_SECONDS = 60;         // the list, and its signature
constexpr uint32_t DOWNLOAD_BASE_SECONDS = 60;         // a method-4 download: this much,
constexpr uint32_t DOWNLOAD_BYTES_PER_SECOND = 65536;  // and a second more per 64 KiB begun of its size
constexpr uint32_t UNSIZED_DOWNLOAD_SECONDS = 600;     // a method-4 download of no given size

// The codes of a download that its limits ended, as the download's own
// failure codes are HRESULTs: INET_E_CONNECTION_TIMEOUT when nothing came
// for the stall limit, HRESULT_FROM_WIN32(ERROR_TIMEOUT) when it took
// longer than its overall limit.
constexpr int32_t TRANSFER_STALLED = static_cast<int32_t>(0x800C000Bu);
constexpr int32_t TRANSFER_TOOK_TOO_LONG = static_cast<int32_t>(0x800705B4u);

// The limits of the list and of its signature.
TransferLimits ListTransferLimits(uint32_t limitSecondMs = LIMIT_SECOND_MS);

// The limits of a method-4 download whose list line gives `expectedSize`
// bytes (0 or less: no size).
TransferLimits DownloadTransferLimits(int32_t expectedSize, uint32_t limitSecondMs = LIMIT_SECOND_MS);

// The length of a limit second that a test build takes from the switch
// "/T milliseconds" in its arguments (found as /H, /Q and /S are): from 1
// to LIMIT_SECOND_MS. Anything else, or no switch, gives LIMIT_SECOND_MS.
uint32_t ReadLimitSecondSwitch(std::string_view argumentText);

// For a download that started at `startedAt` and last received something
// at `lastByteAt` (0: nothing yet), with the clock at `now`: the code of the
// limit it has passed (the one due first; at a tie, the overall limit), or 0
// while it is within both.
int32_t PassedTransferLimit(const TransferLimits& limits, uint64_t startedAt, uint64_t lastByteAt, uint64_t now);

// How long from `now` until the nearer of the two limits is reached; 0
// when one already is.
uint32_t TimeToTransferLimit(const TransferLimits& limits, uint64_t startedAt, uint64_t lastByteAt, uint64_t now);

// Downloads `address` into the file `path`, waking only when the download
// has finished or a limit is due. Returns 0 on success; the download's own
// failure code; or, once a limit ended it, TRANSFER_STALLED or
// TRANSFER_TOOK_TOO_LONG. After any failure the file is deleted, once
// nothing more can be written to it.
int32_t DownloadWithinLimits(UpdatePlatform& platform, const std::string& address, const std::string& path,
                             const TransferLimits& limits);
