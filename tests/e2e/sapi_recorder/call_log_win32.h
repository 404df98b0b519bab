// Every call the recording speech server receives becomes one line of the speech log
// (the format is in speech_log_format.h), and calls named in the environment fail.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <initializer_list>
#include <new>
#include <string>
#include <string_view>

namespace parlowen::sapi_recorder {

// Who a log line is about: kind "voice" or "stream", name "voice1", "stream2"...,
// numbered per process in the order of creation.
struct Identity {
    std::string kind;
    std::string name;
};
Identity NextIdentity(const char* kind);

// The call's arguments as they appear in the log.
using Arguments = std::initializer_list<std::string>;

// Whether PARLOWEN_SAPI_FAIL names this method, plainly or as "<kind>.<method>".
bool FailureRequested(const Identity& who, std::string_view method);

// Appends one line. Never throws: a log that cannot be written loses the line.
void WriteCall(const Identity& who, std::string_view method, Arguments arguments,
               std::string_view mark = {}) noexcept;

// Records a call that does its work after this: E_FAIL, logged as FAILED, when the
// environment asks this method to fail; S_OK otherwise.
HRESULT RecordCall(const Identity& who, std::string_view method, Arguments arguments = {});

// Records a call whose outcome is known: FAILED is logged when `outcome` is an error.
HRESULT RecordOutcome(const Identity& who, std::string_view method, Arguments arguments, HRESULT outcome);

// Records a method this server does not offer and answers E_NOTIMPL.
HRESULT RecordNotImplemented(const Identity& who, std::string_view method, Arguments arguments = {});

std::string Utf8(std::wstring_view text);
// A BSTR's text; a null BSTR is the empty text, as in automation.
std::wstring_view Text(BSTR text) noexcept;
std::string Flag(VARIANT_BOOL value);

// Runs a COM method's body; no exception may leave a COM method.
template <typename Body>
HRESULT Guarded(Body&& body) noexcept {
    try {
        return body();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_UNEXPECTED;
    }
}

}  // namespace parlowen::sapi_recorder
