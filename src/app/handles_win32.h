// Owners for Win32 handles and COM, and the boundary where failures become exceptions.
#pragma once

#include <windows.h>
#include <objbase.h>
#include <oleauto.h>

#include <stdexcept>
#include <string>
#include <string_view>
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

private:
    Handle handle_ = Traits::Invalid();
};

template <typename H, auto CloseFunction>
struct NullIsInvalid {
    using Handle = H;
    static Handle Invalid() noexcept { return nullptr; }
    static void Close(Handle h) noexcept { CloseFunction(h); }
};

struct KernelHandleTraits {
    using Handle = HANDLE;
    static Handle Invalid() noexcept { return nullptr; }
    static void Close(Handle h) noexcept { ::CloseHandle(h); }
};

inline void DeleteGdiObject(HGDIOBJ object) noexcept { ::DeleteObject(object); }

using UniqueWindow = UniqueHandle<NullIsInvalid<HWND, ::DestroyWindow>>;
using UniqueMenu = UniqueHandle<NullIsInvalid<HMENU, ::DestroyMenu>>;
using UniqueIcon = UniqueHandle<NullIsInvalid<HICON, ::DestroyIcon>>;
using UniqueFont = UniqueHandle<NullIsInvalid<HFONT, DeleteGdiObject>>;
using UniqueKey = UniqueHandle<NullIsInvalid<HKEY, ::RegCloseKey>>;
using UniqueModule = UniqueHandle<NullIsInvalid<HMODULE, ::FreeLibrary>>;
using UniqueKernelHandle = UniqueHandle<KernelHandleTraits>;

// An owned BSTR, as COM calls take and return text.
class UniqueBstr {
public:
    UniqueBstr() noexcept = default;
    explicit UniqueBstr(BSTR text) noexcept : text_(text) {}
    UniqueBstr(UniqueBstr&& other) noexcept : text_(std::exchange(other.text_, nullptr)) {}
    UniqueBstr& operator=(UniqueBstr&& other) noexcept {
        if (this != &other) {
            ::SysFreeString(text_);
            text_ = std::exchange(other.text_, nullptr);
        }
        return *this;
    }
    UniqueBstr(const UniqueBstr&) = delete;
    UniqueBstr& operator=(const UniqueBstr&) = delete;
    ~UniqueBstr() { ::SysFreeString(text_); }

    BSTR get() const noexcept { return text_; }
    BSTR* put() noexcept {
        ::SysFreeString(text_);
        text_ = nullptr;
        return &text_;
    }

private:
    BSTR text_ = nullptr;
};

// Text in the system ANSI code page to and from UTF-16.
std::wstring AnsiToWide(std::string_view ansi);
std::string WideToAnsi(std::wstring_view wide);
UniqueBstr AnsiToBstr(std::string_view ansi);

// The platform's own text for an error code, in the ANSI code page, without the
// trailing line break that FormatMessage adds.
std::string SystemMessage(DWORD code);

// A failed platform call; what() is ANSI text, as the error report shows it.
class PlatformError : public std::runtime_error {
public:
    PlatformError(const std::string& what, long code);
    long code() const noexcept { return code_; }

private:
    long code_;
};

// Throws PlatformError for a failing HRESULT: "operation: the platform's message".
void ThrowIfFailed(HRESULT hr, const char* operation);

// Throws PlatformError carrying GetLastError() when `succeeded` is false.
void ThrowLastErrorIf(bool failed, const char* operation);

// Keeps COM initialised on this thread for its lifetime. Only an initialisation that
// succeeded (S_OK or S_FALSE) is undone; RPC_E_CHANGED_MODE leaves COM as it was.
class ComApartment {
public:
    explicit ComApartment(DWORD model = COINIT_APARTMENTTHREADED) noexcept
        : initialised_(SUCCEEDED(::CoInitializeEx(nullptr, model))) {}
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
    ~ComApartment() {
        if (initialised_) ::CoUninitialize();
    }

private:
    bool initialised_;
};

}  // namespace parlowen::win32
