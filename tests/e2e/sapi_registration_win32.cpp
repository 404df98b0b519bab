#include "sapi_registration_win32.h"

#include "win32/handles_win32.h"
#include "registry_win32.h"
#include "e2e.h"
#include "program_win32.h"
#include "sapi_recorder/speech_log_format.h"

#include <map>
#include <optional>
#include <stdexcept>

namespace e2e {
namespace {

using parlowen::win32::UniqueKey;

constexpr const wchar_t* kSpeechClasses[] = {
    L"{96749377-3391-11D2-9EE3-00C04F797396}",  // SpVoice
    L"{947812B3-2AE1-4644-BA86-9E90DED7EC91}",  // SpFileStream
};
constexpr wchar_t kTokensKey[] = L"SOFTWARE\\Microsoft\\Speech\\Voices\\Tokens";
constexpr wchar_t kTestVoicePrefix[] = L"ParlowenTestVoice";

struct ServerValues {
    std::optional<std::wstring> path;
    std::optional<std::wstring> threadingModel;
};

// Wine's own registration, per class key, as UseRecordingSpeech first found it.
std::map<std::wstring, ServerValues>& WineRegistration() {
    static std::map<std::wstring, ServerValues> values;
    return values;
}

std::wstring ServerKey(const wchar_t* classId) {
    return std::wstring(L"Software\\Classes\\CLSID\\") + classId + L"\\InprocServer32";
}

void Check(LSTATUS status, const std::string& what) {
    if (status != ERROR_SUCCESS)
        throw std::runtime_error(what + " failed with error " + std::to_string(status));
}

UniqueKey CreateKey(const std::wstring& path) {
    HKEY key = nullptr;
    Check(::RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, &key,
                            nullptr),
          "creating HKLM\\" + Utf8(path));
    return UniqueKey(key);
}

std::optional<std::wstring> ReadString(HKEY key, const wchar_t* name) {
    return parlowen::win32::ReadRegistryString(key, nullptr, name);
}

void WriteString(HKEY key, const wchar_t* name, const std::wstring& value, const std::string& what) {
    Check(::RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                           static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))),
          what);
}

void RestoreString(HKEY key, const wchar_t* name, const std::optional<std::wstring>& value, const std::string& what) {
    if (value)
        WriteString(key, name, *value, what);
    else
        ::RegDeleteValueW(key, name);
}

std::vector<std::wstring> TokenKeyNames() { return parlowen::win32::RegistrySubkeyNames(HKEY_LOCAL_MACHINE, kTokensKey); }

std::string ReadFileBytes(const std::wstring& path) {
    // The recorder may be appending at this moment: share everything.
    const parlowen::win32::UniqueFile file(
        ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return {};
    std::string bytes;
    char buffer[65536];
    DWORD read = 0;
    while (::ReadFile(file.get(), buffer, sizeof buffer, &read, nullptr) && read > 0) bytes.append(buffer, read);
    return bytes;
}

}  // namespace

std::wstring RecordingSpeechServerPath() { return DriverFolder() + L"parlowen_sapi_recorder.dll"; }

void UseRecordingSpeech(const std::wstring& dllPath) {
    for (const wchar_t* classId : kSpeechClasses) {
        const std::wstring path = ServerKey(classId);
        const UniqueKey key = CreateKey(path);
        auto& remembered = WineRegistration();
        // A second call must not take the recorder for Wine's own server.
        if (remembered.find(path) == remembered.end())
            remembered[path] = {ReadString(key.get(), nullptr), ReadString(key.get(), L"ThreadingModel")};
        WriteString(key.get(), nullptr, dllPath, "registering the recorder under " + Utf8(path));
        WriteString(key.get(), L"ThreadingModel", L"Both", "registering the recorder under " + Utf8(path));
    }
}

void UseWineSpeech() {
    for (const auto& [path, values] : WineRegistration()) {
        const UniqueKey key = CreateKey(path);
        RestoreString(key.get(), nullptr, values.path, "restoring " + Utf8(path));
        RestoreString(key.get(), L"ThreadingModel", values.threadingModel, "restoring " + Utf8(path));
    }
    WineRegistration().clear();
}

std::vector<std::wstring> InstallTestVoices(const std::vector<std::wstring>& descriptions) {
    std::vector<std::wstring> ids;
    for (std::size_t i = 0; i < descriptions.size(); ++i) {
        const std::wstring name = kTestVoicePrefix + std::to_wstring(i + 1);
        const std::wstring path = std::wstring(kTokensKey) + L"\\" + name;
        const UniqueKey key = CreateKey(path);
        WriteString(key.get(), nullptr, descriptions[i], "writing the test voice " + Utf8(name));
        ids.push_back(L"HKEY_LOCAL_MACHINE\\" + path);
    }
    return ids;
}

void RemoveTestVoices() {
    for (const std::wstring& name : TokenKeyNames()) {
        if (name.rfind(kTestVoicePrefix, 0) == 0)
            ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, (std::wstring(kTokensKey) + L"\\" + name).c_str());
    }
}

std::vector<std::wstring> InstalledVoiceIds() {
    std::vector<std::wstring> ids;
    for (const std::wstring& name : TokenKeyNames())
        ids.push_back(std::wstring(L"HKEY_LOCAL_MACHINE\\") + kTokensKey + L"\\" + name);
    return ids;
}

std::wstring SpeechLogPath() { return parlowen::speech_log::LogPath(); }

std::vector<SpeechCall> ReadSpeechLog() {
    const std::string text = ReadFileBytes(SpeechLogPath());
    std::vector<SpeechCall> calls;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        // A line still being written has no line break yet.
        if (end == std::string::npos) break;
        std::vector<std::string> fields = parlowen::speech_log::SplitLine(std::string_view(text).substr(start, end - start));
        start = end + 1;
        if (fields.size() < 3) throw std::runtime_error("speech log line with too few fields");
        SpeechCall call;
        call.processId = std::stoul(fields.front());
        call.fields.assign(fields.begin() + 1, fields.end());
        calls.push_back(std::move(call));
    }
    return calls;
}

std::vector<std::vector<std::string>> SpeechCallsOf(unsigned long processId) {
    std::vector<std::vector<std::string>> fields;
    for (SpeechCall& call : ReadSpeechLog())
        if (call.processId == processId) fields.push_back(std::move(call.fields));
    return fields;
}

void ClearSpeechLog() {
    const std::wstring path = SpeechLogPath();
    if (!::DeleteFileW(path.c_str()) && ::GetLastError() != ERROR_FILE_NOT_FOUND)
        throw std::runtime_error("cannot delete the speech log " + Utf8(path));
}

void FailSpeechCalls(const std::wstring& methods) {
    ::SetEnvironmentVariableW(parlowen::speech_log::kFailVariable, methods.empty() ? nullptr : methods.c_str());
}

RecordingSpeech::RecordingSpeech() {
    FailSpeechCalls(L"");
    UseRecordingSpeech(RecordingSpeechServerPath());
    ClearSpeechLog();
}

RecordingSpeech::~RecordingSpeech() {
    try {
        FailSpeechCalls(L"");
        RemoveTestVoices();
        UseWineSpeech();
    } catch (const std::exception& e) {
        Fail(__FILE__, __LINE__, std::string("putting Wine's speech back: ") + e.what());
    }
}

std::string Describe(const std::vector<std::string>& fields) {
    std::string out;
    for (const std::string& field : fields) {
        if (!out.empty()) out += " | ";
        out += Describe(field);
    }
    return "[" + out + "]";
}

std::string Describe(const std::vector<std::vector<std::string>>& calls) {
    std::string out = std::to_string(calls.size()) + " calls:";
    for (const auto& fields : calls) out += "\n        " + Describe(fields);
    return out;
}

}  // namespace e2e
