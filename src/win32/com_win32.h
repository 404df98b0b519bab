// COM ownership: BSTRs, the apartment of a thread, and ComPtr for interfaces.
#pragma once

#include <windows.h>
#include <objbase.h>
#include <ole2.h>
#include <oleauto.h>
#include <wrl/client.h>

#include <utility>

namespace parlowen::win32 {

using Microsoft::WRL::ComPtr;

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

// OleInitialize for this thread for its lifetime, as the shell's link object expects;
// undone only when it succeeded.
class OleApartment {
public:
    OleApartment() noexcept : initialised_(SUCCEEDED(::OleInitialize(nullptr))) {}
    OleApartment(const OleApartment&) = delete;
    OleApartment& operator=(const OleApartment&) = delete;
    ~OleApartment() {
        if (initialised_) ::OleUninitialize();
    }

private:
    bool initialised_;
};

}  // namespace parlowen::win32
