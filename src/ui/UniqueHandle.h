#pragma once
// Owning and scoped wrappers for every kind of handle the program creates.
// An owner frees its handle exactly once; copying is deleted so that no copy can free it twice.
#include <windows.h>

#include <atomic>
#include <utility>

namespace ui {

// Each kind of owner counts the handles it holds (Live()), so that tests can tell a leak from a soak run: the
// platform under test does not count GDI and user objects. One atomic step per acquire and release costs
// nothing next to the system call it accompanies.
template <class Traits>
class UniqueHandle {
public:
    using handle_type = typename Traits::handle_type;

    UniqueHandle() noexcept = default;
    explicit UniqueHandle(handle_type h) noexcept : h_(h) { Count(h, 1); }
    UniqueHandle(UniqueHandle&& other) noexcept : h_(other.release()) { Count(h_, 1); }
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    ~UniqueHandle() { reset(); }

    handle_type get() const noexcept { return h_; }
    explicit operator bool() const noexcept { return h_ != Traits::invalid(); }

    // Hands the handle over to its new owner (the system, after it accepted it).
    handle_type release() noexcept {
        Count(h_, -1);
        return std::exchange(h_, Traits::invalid());
    }

    void reset(handle_type h = Traits::invalid()) noexcept {
        Count(h, 1);
        handle_type old = std::exchange(h_, h);
        Count(old, -1);
        if (old != Traits::invalid()) Traits::close(old);
    }

    // How many handles of this kind the program's owners hold at the moment of asking.
    static int Live() noexcept { return live_.load(std::memory_order_relaxed); }

private:
    static void Count(handle_type h, int step) noexcept {
        if (h != Traits::invalid()) live_.fetch_add(step, std::memory_order_relaxed);
    }

    static inline std::atomic<int> live_{0};
    handle_type h_ = Traits::invalid();
};

// What an owner needs of a kind of handle: its type, its invalid value (null, or INVALID_HANDLE_VALUE for the
// kernel's file and search handles), and the call that frees it.
template <class H, auto Free, bool MinusOneIsInvalid = false>
struct HandleTraits {
    using handle_type = H;
    static H invalid() noexcept {
        if constexpr (MinusOneIsInvalid) return INVALID_HANDLE_VALUE;
        else return nullptr;
    }
    static void close(H h) noexcept { Free(h); }
};

template <class H>
using GdiObjectTraits = HandleTraits<H, &::DeleteObject>;

using UniqueBitmap = UniqueHandle<GdiObjectTraits<HBITMAP>>;
using UniqueFont = UniqueHandle<GdiObjectTraits<HFONT>>;
using UniqueBrush = UniqueHandle<GdiObjectTraits<HBRUSH>>;
using UniqueRegion = UniqueHandle<GdiObjectTraits<HRGN>>;
using UniqueKernelHandle = UniqueHandle<HandleTraits<HANDLE, &::CloseHandle>>;
using UniqueFile = UniqueHandle<HandleTraits<HANDLE, &::CloseHandle, true>>;
using UniqueFind = UniqueHandle<HandleTraits<HANDLE, &::FindClose, true>>;
using UniqueModule = UniqueHandle<HandleTraits<HMODULE, &::FreeLibrary>>;
using UniqueGlobal = UniqueHandle<HandleTraits<HGLOBAL, &::GlobalFree>>;
using UniqueMemoryDC = UniqueHandle<HandleTraits<HDC, &::DeleteDC>>;
using UniqueWindow = UniqueHandle<HandleTraits<HWND, &::DestroyWindow>>;
using UniqueMenu = UniqueHandle<HandleTraits<HMENU, &::DestroyMenu>>;
using UniqueHook = UniqueHandle<HandleTraits<HHOOK, &::UnhookWindowsHookEx>>;
// A view of a file mapping, owned by its address.
using UniqueMappedView = UniqueHandle<HandleTraits<void*, &::UnmapViewOfFile>>;

// A DC borrowed from a window (or the whole screen for a null window) for one operation.
class ScopedGetDC {
public:
    explicit ScopedGetDC(HWND hwnd) noexcept : hwnd_(hwnd), dc_(::GetDC(hwnd)) {}
    ScopedGetDC(const ScopedGetDC&) = delete;
    ScopedGetDC& operator=(const ScopedGetDC&) = delete;
    ~ScopedGetDC() {
        if (dc_) ::ReleaseDC(hwnd_, dc_);
    }
    HDC get() const noexcept { return dc_; }
    explicit operator bool() const noexcept { return dc_ != nullptr; }

private:
    HWND hwnd_;
    HDC dc_;
};

// The DC of one WM_PAINT: EndPaint runs on every exit, a paint that throws included.
class ScopedPaint {
public:
    explicit ScopedPaint(HWND hwnd) noexcept : hwnd_(hwnd), dc_(::BeginPaint(hwnd, &paint_)) {}
    ScopedPaint(const ScopedPaint&) = delete;
    ScopedPaint& operator=(const ScopedPaint&) = delete;
    ~ScopedPaint() { ::EndPaint(hwnd_, &paint_); }
    HDC get() const noexcept { return dc_; }

private:
    HWND hwnd_;
    PAINTSTRUCT paint_{};
    HDC dc_;
};

// Selects a GDI object into a DC and puts the previous one back on every exit.
class ScopedSelectObject {
public:
    ScopedSelectObject(HDC dc, HGDIOBJ obj) noexcept : dc_(dc), old_(::SelectObject(dc, obj)) {}
    ScopedSelectObject(const ScopedSelectObject&) = delete;
    ScopedSelectObject& operator=(const ScopedSelectObject&) = delete;
    ~ScopedSelectObject() {
        if (old_ && old_ != HGDI_ERROR) ::SelectObject(dc_, old_);
    }

private:
    HDC dc_;
    HGDIOBJ old_;
};

// Keeps a global memory block locked for one scope.
class ScopedGlobalLock {
public:
    explicit ScopedGlobalLock(HGLOBAL h) noexcept : h_(h), p_(h ? ::GlobalLock(h) : nullptr) {}
    ScopedGlobalLock(const ScopedGlobalLock&) = delete;
    ScopedGlobalLock& operator=(const ScopedGlobalLock&) = delete;
    ~ScopedGlobalLock() {
        if (p_) ::GlobalUnlock(h_);
    }
    void* get() const noexcept { return p_; }
    explicit operator bool() const noexcept { return p_ != nullptr; }

private:
    HGLOBAL h_;
    void* p_;
};

}  // namespace ui
