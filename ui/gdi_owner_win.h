// Owners of the fonts, bitmaps and icons that the dialogs make: each frees
// its handle when it goes or takes another one. An owner can be moved but
// not copied, so that no handle is freed twice. The screen's device context
// has an owner of its own.
#pragma once

#include <windows.h>

inline void FreeHandle(HFONT font) { DeleteObject(font); }
inline void FreeHandle(HBITMAP bitmap) { DeleteObject(bitmap); }
inline void FreeHandle(HICON icon) { DestroyIcon(icon); }

template <typename Handle>
class Owned {
public:
    Owned() = default;
    explicit Owned(Handle handle) : handle_(handle) {}
    Owned(Owned&& other) noexcept : handle_(other.Release()) {}
    Owned& operator=(Owned&& other) noexcept {
        Reset(other.Release());
        return *this;
    }
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;
    ~Owned() { Reset(); }

    Handle Get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }

    // Frees the handle held (unless it is `handle` itself) and holds `handle`.
    void Reset(Handle handle = nullptr) {
        if (handle_ && handle_ != handle) FreeHandle(handle_);
        handle_ = handle;
    }
    // Gives the handle up without freeing it.
    Handle Release() {
        Handle handle = handle_;
        handle_ = nullptr;
        return handle;
    }

private:
    Handle handle_ = nullptr;
};

using OwnedFont = Owned<HFONT>;
using OwnedBitmap = Owned<HBITMAP>;
using OwnedIcon = Owned<HICON>;

// The screen's device context (GetDC of no window) while the owner lives,
// released when it goes, also when an exception passes; null when the
// system gives none.
class ScreenDc {
public:
    ScreenDc() : dc_(GetDC(nullptr)) {}
    ScreenDc(const ScreenDc&) = delete;
    ScreenDc& operator=(const ScreenDc&) = delete;
    ~ScreenDc() {
        if (dc_) ReleaseDC(nullptr, dc_);
    }

    HDC Get() const { return dc_; }

private:
    HDC dc_;
};
