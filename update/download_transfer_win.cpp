#include "download_transfer_win.h"

#include <windows.h>

#include <objbase.h>
#include <urlmon.h>

#include <memory>
#include <new>

#include "ansi_text_win.h"
#include "system_library_win.h"

namespace {

using CreateUrlMonikerFunction = HRESULT(WINAPI*)(IMoniker* context, LPCWSTR address, IMoniker** moniker, DWORD flags);
using CreateAsyncBindCtxFunction = HRESULT(WINAPI*)(DWORD reserved, IBindStatusCallback* callback,
                                                    IEnumFORMATETC* formats, IBindCtx** context);

// How long the transfer's thread waits for urlmon to confirm an aborted
// binding, and how long ending a transfer waits for that thread to finish.
// Both normally take a moment; past them each side goes on alone, since
// by then nothing can be written to the file any more.
constexpr DWORD ABORT_WAIT_MS = 5000;
constexpr DWORD END_WAIT_MS = 10000;

// The piece read from urlmon's stream at once.
constexpr ULONG READ_PIECE_BYTES = 16 * 1024;

HMODULE UrlMon;

template <typename Function>
Function UrlMonEntry(const char* name) {
    return SystemFunction<Function>(LoadSystemLibraryOnce(UrlMon, L"urlmon.dll"), name);
}

int32_t LastErrorCode(DWORD fallback) {
    const DWORD error = GetLastError();
    return static_cast<int32_t>(HRESULT_FROM_WIN32(error ? error : fallback));
}

class Locked {
public:
    explicit Locked(SRWLOCK& lock) : lock_(lock) { AcquireSRWLockExclusive(&lock_); }
    Locked(const Locked&) = delete;
    Locked& operator=(const Locked&) = delete;
    ~Locked() { ReleaseSRWLockExclusive(&lock_); }

private:
    SRWLOCK& lock_;
};

// What the caller's thread and the transfer's thread share. Each holds a
// reference; the last to let go frees it.
struct SharedTransfer {
    SharedTransfer() { InitializeSRWLock(&lock); }
    SharedTransfer(const SharedTransfer&) = delete;
    SharedTransfer& operator=(const SharedTransfer&) = delete;
    ~SharedTransfer() {
        if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
        if (endRequested) CloseHandle(endRequested);
        if (finished) CloseHandle(finished);
        if (thread) CloseHandle(thread);
    }

    LONG references = 1;
    std::u16string address;
    CreateUrlMonikerFunction createMoniker = nullptr;
    CreateAsyncBindCtxFunction createContext = nullptr;
    HANDLE endRequested = nullptr;  // set by the caller when it ends the transfer
    HANDLE finished = nullptr;      // set by the thread once `result` is final and the file closed
    HANDLE thread = nullptr;        // the caller's

    SRWLOCK lock;
    // Guarded by `lock`:
    HANDLE file = INVALID_HANDLE_VALUE;
    bool ended = false;  // the caller ended the transfer: nothing more is written
    int32_t result = 0;
    uint64_t lastByteAt = 0;
};

void LetGo(SharedTransfer* shared) {
    if (InterlockedDecrement(&shared->references) == 0) delete shared;
}

// Progress statuses that mean the server has sent something: its answer's
// headers, a redirection, or data.
bool IsServerActivity(ULONG status) {
    switch (status) {
        case BINDSTATUS_REDIRECTING:
        case BINDSTATUS_MIMETYPEAVAILABLE:
        case BINDSTATUS_BEGINDOWNLOADDATA:
        case BINDSTATUS_DOWNLOADINGDATA:
        case BINDSTATUS_ENDDOWNLOADDATA:
            return true;
        default:
            return false;
    }
}

// Receives the binding's notifications on the transfer's thread and writes
// the data to the shared file as it arrives.
class BindCallback final : public IBindStatusCallback {
public:
    // urlmon may keep the callback a while after the binding: it holds a
    // reference to the shared state of its own.
    explicit BindCallback(SharedTransfer& shared) : shared_(shared) { InterlockedIncrement(&shared_.references); }
    BindCallback(const BindCallback&) = delete;
    BindCallback& operator=(const BindCallback&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (!object) return E_POINTER;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IBindStatusCallback)) {
            *object = static_cast<IBindStatusCallback*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&references_)); }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG left = InterlockedDecrement(&references_);
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }

    HRESULT STDMETHODCALLTYPE OnStartBinding(DWORD, IBinding* binding) override {
        if (binding && !binding_) {
            binding->AddRef();
            binding_ = binding;
        }
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetPriority(LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnLowResource(DWORD) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnProgress(ULONG, ULONG, ULONG status, LPCWSTR) override {
        if (IsServerActivity(status)) {
            Locked hold(shared_.lock);
            shared_.lastByteAt = GetTickCount64();
        }
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnStopBinding(HRESULT result, LPCWSTR) override {
        stopped_ = true;
        stopResult_ = result;
        ReleaseBinding();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetBindInfo(DWORD* flags, BINDINFO* info) override {
        if (!flags || !info) return E_INVALIDARG;
        // Asynchronous, the data read as it arrives; nothing about the cache
        // or the proxy is asked for, so the system's settings hold for them
        // as for any other download by urlmon.
        *flags = BINDF_ASYNCHRONOUS | BINDF_ASYNCSTORAGE | BINDF_PULLDATA;
        // Nothing else is asked for: zero is the verb GET and no extra data.
        const ULONG size = info->cbSize;
        ZeroMemory(info, size);
        info->cbSize = size;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnDataAvailable(DWORD, DWORD, FORMATETC*, STGMEDIUM* medium) override {
        if (!medium || medium->tymed != TYMED_ISTREAM || !medium->pstm) return S_OK;
        // With pulled data, urlmon fetches more only once the stream has
        // been read to its current end (E_PENDING) or its last byte (S_FALSE).
        char piece[READ_PIECE_BYTES];
        for (;;) {
            ULONG got = 0;
            const HRESULT read = medium->pstm->Read(piece, READ_PIECE_BYTES, &got);
            if (got > 0 && !Deliver(piece, got)) return E_ABORT;
            if (read != S_OK || got == 0) return S_OK;
        }
    }
    HRESULT STDMETHODCALLTYPE OnObjectAvailable(REFIID, IUnknown*) override { return S_OK; }

    bool Stopped() const { return stopped_; }
    // The binding's outcome: a failed write first, then what urlmon said.
    int32_t Result() const {
        if (writeError_) return writeError_;
        return SUCCEEDED(stopResult_) ? 0 : static_cast<int32_t>(stopResult_);
    }
    // Aborts the binding once it has started (urlmon allows no abort before
    // that); after that urlmon notifies nothing but the stop.
    void Abort() {
        if (binding_ && !aborted_) {
            aborted_ = true;
            binding_->Abort();
        }
    }
    void ReleaseBinding() {
        if (binding_) binding_->Release();
        binding_ = nullptr;
    }

private:
    ~BindCallback() {
        ReleaseBinding();
        LetGo(&shared_);
    }

    // Writes bytes that arrived, unless the caller has ended the transfer.
    // False when the write fails: the transfer has then failed too.
    bool Deliver(const char* data, ULONG count) {
        Locked hold(shared_.lock);
        if (shared_.ended) return true;
        shared_.lastByteAt = GetTickCount64();
        while (count > 0) {
            DWORD written = 0;
            if (!WriteFile(shared_.file, data, count, &written, nullptr) || written == 0) {
                writeError_ = LastErrorCode(ERROR_WRITE_FAULT);
                return false;
            }
            data += written;
            count -= written;
        }
        return true;
    }

    LONG references_ = 1;
    SharedTransfer& shared_;
    IBinding* binding_ = nullptr;
    bool aborted_ = false;
    bool stopped_ = false;
    HRESULT stopResult_ = S_OK;
    int32_t writeError_ = 0;
};

// Runs this thread's messages, through which urlmon delivers the binding's
// notifications, until the binding stops. Once the caller asks for the end,
// aborts the binding and waits a bounded time for urlmon to confirm.
int32_t PumpUntilStopped(SharedTransfer& shared, BindCallback& callback) {
    bool ending = false;
    ULONGLONG endingSince = 0;
    for (;;) {
        MSG message;
        while (!callback.Stopped() && PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
        if (!callback.Stopped() && ending) callback.Abort();  // which may stop it at once
        if (callback.Stopped()) return callback.Result();
        DWORD wait;
        if (ending) {
            const ULONGLONG waited = GetTickCount64() - endingSince;
            if (waited >= ABORT_WAIT_MS) return static_cast<int32_t>(E_ABORT);
            wait = MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(ABORT_WAIT_MS - waited), QS_ALLINPUT,
                                               MWMO_INPUTAVAILABLE);
        } else {
            wait = MsgWaitForMultipleObjectsEx(1, &shared.endRequested, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
            if (wait == WAIT_OBJECT_0) {
                ending = true;
                endingSince = GetTickCount64();
            }
        }
        if (wait == WAIT_FAILED) return LastErrorCode(ERROR_INVALID_HANDLE);
    }
}

// Binds the address's moniker to a stream, asynchronously, and follows the
// binding to its end.
int32_t Bind(SharedTransfer& shared) {
    BindCallback* callback = new (std::nothrow) BindCallback(shared);
    if (!callback) return static_cast<int32_t>(E_OUTOFMEMORY);
    IMoniker* moniker = nullptr;
    IBindCtx* context = nullptr;
    IStream* stream = nullptr;
    HRESULT result = shared.createMoniker(nullptr, Wide(shared.address), &moniker, URL_MK_UNIFORM);
    if (SUCCEEDED(result)) result = shared.createContext(0, callback, nullptr, &context);
    if (SUCCEEDED(result)) {
        result = moniker->BindToStorage(context, nullptr, IID_IStream, reinterpret_cast<void**>(&stream));
    }
    // The data comes through the notifications, not through this stream.
    if (stream) stream->Release();
    int32_t outcome = static_cast<int32_t>(result);
    if (SUCCEEDED(result)) outcome = PumpUntilStopped(shared, *callback);
    callback->ReleaseBinding();
    if (context) context->Release();
    if (moniker) moniker->Release();
    callback->Release();
    return outcome;
}

DWORD WINAPI RunTransfer(void* parameter) {
    SharedTransfer& shared = *static_cast<SharedTransfer*>(parameter);
    // urlmon delivers an asynchronous binding's notifications through
    // window messages to the thread that started it: this thread has an
    // apartment and a message loop of its own.
    int32_t result = static_cast<int32_t>(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    if (SUCCEEDED(result)) {
        result = Bind(shared);
        CoUninitialize();
    }
    {
        Locked hold(shared.lock);
        if (!shared.ended) {
            // A download that could not be closed whole has failed.
            if (!CloseHandle(shared.file) && result == 0) result = LastErrorCode(ERROR_WRITE_FAULT);
            shared.file = INVALID_HANDLE_VALUE;
        }
        shared.result = result;
    }
    SetEvent(shared.finished);
    LetGo(&shared);
    return 0;
}

SharedTransfer& SharedOf(UpdateTransferHandle transfer) { return *reinterpret_cast<SharedTransfer*>(transfer); }

}  // namespace

UpdateTransferHandle StartDownloadTransfer(const std::string& address, const std::string& path, int32_t& error) {
    auto shared = std::make_unique<SharedTransfer>();
    shared->createMoniker = UrlMonEntry<CreateUrlMonikerFunction>("CreateURLMonikerEx");
    shared->createContext = UrlMonEntry<CreateAsyncBindCtxFunction>("CreateAsyncBindCtx");
    if (!shared->createMoniker || !shared->createContext) {
        error = LastErrorCode(ERROR_PROC_NOT_FOUND);
        return 0;
    }
    shared->address = WidenAnsi(address);
    if (shared->address.empty()) {
        error = LastErrorCode(ERROR_INVALID_PARAMETER);
        return 0;
    }
    shared->endRequested = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    shared->finished = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (!shared->endRequested || !shared->finished) {
        error = LastErrorCode(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
    shared->file = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
    if (shared->file == INVALID_HANDLE_VALUE) {
        error = LastErrorCode(ERROR_CANNOT_MAKE);
        return 0;
    }
    // The thread holds a reference of its own from the moment it exists.
    shared->references = 2;
    shared->thread = CreateThread(nullptr, 0, RunTransfer, shared.get(), 0, nullptr);
    if (!shared->thread) {
        error = LastErrorCode(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
    return reinterpret_cast<UpdateTransferHandle>(shared.release());
}

TransferProgress WaitForDownloadTransfer(UpdateTransferHandle transfer, uint32_t milliseconds) {
    SharedTransfer& shared = SharedOf(transfer);
    TransferProgress progress;
    progress.finished = WaitForSingleObject(shared.finished, milliseconds) == WAIT_OBJECT_0;
    Locked hold(shared.lock);
    if (progress.finished) progress.result = shared.result;
    progress.lastByteAt = shared.lastByteAt;
    return progress;
}

void EndDownloadTransfer(UpdateTransferHandle transfer) {
    SharedTransfer& shared = SharedOf(transfer);
    {
        // From here on the transfer's thread writes nothing, however long it
        // may still take to end.
        Locked hold(shared.lock);
        shared.ended = true;
        if (shared.file != INVALID_HANDLE_VALUE) CloseHandle(shared.file);
        shared.file = INVALID_HANDLE_VALUE;
    }
    SetEvent(shared.endRequested);
    WaitForSingleObject(shared.thread, END_WAIT_MS);
    LetGo(&shared);
}
