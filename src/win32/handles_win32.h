// Move-only owners for Win32 handles: each frees its handle exactly once.
#pragma once

#include <windows.h>

#include <utility>

namespace parlowen::win32 {

// A move-only owner of one handle; Traits names the invalid value and how to free it.
template <typename Traits>
class UniqueHandle {
public:
    using Handle = typename Traits::Handle;

    UniqueHandle() noexcept = default;
    explicit UniqueHandle(Handle handle) noexcept : handle_(handle) {}
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    ~UniqueHandle() { reset(); }

    Handle get() const noexcept { return handle_; }
    explicit operator bool() const noexcept { return handle_ != Traits::Invalid(); }
    Handle release() noexcept { return std::exchange(handle_, Traits::Invalid()); }
    void reset(Handle handle = Traits::Invalid()) noexcept {
        Handle old = std::exchange(handle_, handle);
        if (old != Traits::Invalid()) Traits::Close(old);
    }
    // For functions that hand out a handle through a pointer: frees the one held first.
    Handle* put() noexcept {
        reset();
        return &handle_;
    }

private:
    Handle handle_ = Traits::Invalid();
};

template <typename H, auto CloseFunction>
struct HandleTraits {
    using Handle = H;
    static Handle Invalid() noexcept { return nullptr; }
    static void Close(Handle h) noexcept { CloseFunction(h); }
};

inline void DeleteGdiObject(HGDIOBJ object) noexcept { ::DeleteObject(object); }
inline void CloseKernelHandle(HANDLE handle) noexcept { ::CloseHandle(handle); }

// Kernel objects: processes, threads, events, mutexes, pipes.
using UniqueKernelHandle = UniqueHandle<HandleTraits<HANDLE, CloseKernelHandle>>;
// CreateFile reports failure as INVALID_HANDLE_VALUE, not null.
struct FileHandleTraits {
    using Handle = HANDLE;
    static Handle Invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void Close(Handle h) noexcept { ::CloseHandle(h); }
};
using UniqueFile = UniqueHandle<FileHandleTraits>;

using UniqueMenu = UniqueHandle<HandleTraits<HMENU, ::DestroyMenu>>;
using UniqueIcon = UniqueHandle<HandleTraits<HICON, ::DestroyIcon>>;
using UniqueKey = UniqueHandle<HandleTraits<HKEY, ::RegCloseKey>>;
using UniqueModule = UniqueHandle<HandleTraits<HMODULE, ::FreeLibrary>>;
// A window not yet handed to a parent that outlives it.
using UniqueWindow = UniqueHandle<HandleTraits<HWND, ::DestroyWindow>>;

// GDI objects.
using UniqueFont = UniqueHandle<HandleTraits<HFONT, DeleteGdiObject>>;
using UniqueBitmap = UniqueHandle<HandleTraits<HBITMAP, DeleteGdiObject>>;
using UniqueBrush = UniqueHandle<HandleTraits<HBRUSH, DeleteGdiObject>>;

}  // namespace parlowen::win32
