// A download by urlmon that the calling thread can wait for with a bound
// and end at any moment: the UpdatePlatform download operations on Win32.
//
// urlmon's own URLDownloadToFile blocks until the transfer ends, and a
// server that stops sending never lets it end; its progress callback, the
// only place from which a caller could stop it, is not called while
// nothing arrives. So each download runs on a thread of its own as an
// asynchronous binding of a URL moniker (the same machinery, so the same
// proxy and cache settings), with a message loop of that thread's own that
// aborts the binding (IBinding::Abort) when the caller ends it. The caller
// only ever waits with a bound.
#pragma once

#include <cstdint>
#include <string>

#include "update_platform.h"

UpdateTransferHandle StartDownloadTransfer(const std::string& address, const std::string& path, int32_t& error);
TransferProgress WaitForDownloadTransfer(UpdateTransferHandle transfer, uint32_t milliseconds);
void EndDownloadTransfer(UpdateTransferHandle transfer);
