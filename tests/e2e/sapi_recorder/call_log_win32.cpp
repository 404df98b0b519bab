#include "call_log_win32.h"

#include "speech_log_format.h"
#include "win32/handles_win32.h"
#include "win32/text_win32.h"

#include <oleauto.h>

#include <atomic>

namespace parlowen::sapi_recorder {

using win32::UniqueFile;
namespace {

using win32::UniqueKernelHandle;

// Processes that load this server share the log; the mutex keeps their lines whole.
HANDLE LogMutex() {
    static const UniqueKernelHandle mutex(::CreateMutexW(nullptr, FALSE, L"Local\\ParlowenSapiLog"));
    return mutex.get();
}

void AppendToLog(const std::string& line) {
    HANDLE mutex = LogMutex();
    const bool locked = mutex && ::WaitForSingleObject(mutex, 5000) != WAIT_TIMEOUT;
    {
        // Opened for each line, so that the driver may delete the log between cases.
        const UniqueFile file(
            ::CreateFileW(speech_log::LogPath().c_str(), FILE_APPEND_DATA,
                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                          OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file) {
            DWORD written = 0;
            ::WriteFile(file.get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
        }
    }
    if (locked) ::ReleaseMutex(mutex);
}

}  // namespace

Identity NextIdentity(const char* kind) {
    static std::atomic<int> voices{0};
    static std::atomic<int> streams{0};
    const std::string k(kind);
    const int number = (k == "voice" ? ++voices : ++streams);
    return {k, k + std::to_string(number)};
}

bool FailureRequested(const Identity& who, std::string_view method) {
    const std::string list = Utf8(speech_log::Environment(speech_log::kFailVariable));
    const std::string qualified = who.kind + "." + std::string(method);
    std::size_t start = 0;
    while (start <= list.size()) {
        std::size_t end = list.find(',', start);
        if (end == std::string::npos) end = list.size();
        std::string_view name(list.data() + start, end - start);
        while (!name.empty() && name.front() == ' ') name.remove_prefix(1);
        while (!name.empty() && name.back() == ' ') name.remove_suffix(1);
        if (!name.empty() && (name == method || name == qualified)) return true;
        start = end + 1;
    }
    return false;
}

void WriteCall(const Identity& who, std::string_view method, Arguments arguments,
               std::string_view mark) noexcept {
    try {
        std::string line = std::to_string(::GetCurrentProcessId());
        line += '\t';
        line += speech_log::EscapeField(who.name);
        line += '\t';
        line += speech_log::EscapeField(method);
        for (const std::string& argument : arguments) {
            line += '\t';
            line += speech_log::EscapeField(argument);
        }
        if (!mark.empty()) {
            line += '\t';
            line += mark;
        }
        line += '\n';
        AppendToLog(line);
    } catch (...) {
    }
}

HRESULT RecordCall(const Identity& who, std::string_view method, Arguments arguments) {
    if (FailureRequested(who, method)) {
        WriteCall(who, method, arguments, speech_log::kFailedMark);
        return E_FAIL;
    }
    WriteCall(who, method, arguments);
    return S_OK;
}

HRESULT RecordOutcome(const Identity& who, std::string_view method, Arguments arguments, HRESULT outcome) {
    WriteCall(who, method, arguments, FAILED(outcome) ? speech_log::kFailedMark : std::string_view{});
    return outcome;
}

HRESULT RecordNotImplemented(const Identity& who, std::string_view method, Arguments arguments) {
    WriteCall(who, method, arguments, speech_log::kNotImplementedMark);
    return E_NOTIMPL;
}

std::string Utf8(std::wstring_view text) { return win32::WideToUtf8(text); }

std::wstring_view Text(BSTR text) noexcept {
    return text ? std::wstring_view(text, ::SysStringLen(text)) : std::wstring_view{};
}

std::string Flag(VARIANT_BOOL value) { return value ? "true" : "false"; }

}  // namespace parlowen::sapi_recorder
