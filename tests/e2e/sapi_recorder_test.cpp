// The recording speech server that stands in for SAPI 5 in the test prefix: the driver
// makes the calls the program makes, the way the program makes them, and reads the
// speech log and the WAV file back. Last, Wine's own speech objects are put back.
#include "win32/com_win32.h"
#include "win32/handles_win32.h"
#include "e2e.h"
#include "files_win32.h"
#include "program_win32.h"
#include "sapi_registration_win32.h"

#include <sapi.h>
#include <wrl/client.h>

#include <cstdio>
#include <optional>

namespace {

using namespace e2e;
using Microsoft::WRL::ComPtr;
using parlowen::win32::ComApartment;
using parlowen::win32::UniqueBstr;
using parlowen::win32::UniqueFile;
using parlowen::win32::UniqueKernelHandle;
using Calls = std::vector<std::vector<std::string>>;

std::string Hex(HRESULT hr) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(hr));
    return text;
}

UniqueBstr Bstr(const std::wstring& text) {
    return UniqueBstr(::SysAllocStringLen(text.data(), static_cast<UINT>(text.size())));
}

std::wstring Text(const UniqueBstr& text) {
    return text.get() ? std::wstring(text.get(), ::SysStringLen(text.get())) : std::wstring();
}

template <typename Interface>
HRESULT Create(const CLSID& classId, const IID& iid, ComPtr<Interface>& object) {
    return ::CoCreateInstance(classId, nullptr, CLSCTX_ALL, iid,
                              reinterpret_cast<void**>(object.ReleaseAndGetAddressOf()));
}

unsigned long ThisProcess() { return ::GetCurrentProcessId(); }

// "voice7" and 1 give "voice8": objects are numbered per process in creation order.
std::string Next(const std::string& name, int step = 1) {
    const std::size_t digits = name.find_first_of("0123456789");
    return name.substr(0, digits) + std::to_string(std::stoi(name.substr(digits)) + step);
}

// The first object of `kind` in this process's log lines.
std::string FirstObject(const Calls& calls, const std::string& kind) {
    for (const auto& fields : calls)
        if (fields.at(0).rfind(kind, 0) == 0) return fields.at(0);
    return {};
}

std::wstring PublicFile(const std::wstring& name) { return L"C:\\users\\Public\\" + name; }

std::wstring RegistryString(const std::wstring& key, const wchar_t* name) {
    wchar_t value[MAX_PATH] = L"";
    DWORD bytes = sizeof value;
    if (::RegGetValueW(HKEY_LOCAL_MACHINE, key.c_str(), name, RRF_RT_REG_SZ, nullptr, value, &bytes) != ERROR_SUCCESS)
        return L"(none)";
    return value;
}

// The values under a speech class's InprocServer32 key: "<server path> | <threading model>".
std::wstring RegisteredServer(const wchar_t* classId) {
    const std::wstring key = std::wstring(L"Software\\Classes\\CLSID\\") + classId + L"\\InprocServer32";
    return RegistryString(key, nullptr) + L" | " + RegistryString(key, L"ThreadingModel");
}

constexpr wchar_t kSpVoiceClass[] = L"{96749377-3391-11D2-9EE3-00C04F797396}";
constexpr wchar_t kSpFileStreamClass[] = L"{947812B3-2AE1-4644-BA86-9E90DED7EC91}";

E2E_TEST(SapiRecorderRecordsTheVoiceCalls) {
    ComApartment com;
    RecordingSpeech recording;
    const std::vector<std::wstring> descriptions = {L"Parlowen Test Voice One", L"测试语音 Chinese", L"Voice \\ three"};
    const std::vector<std::wstring> installed = InstallTestVoices(descriptions);
    // The recorder lists the tokens in the order the registry enumerates them.
    const std::vector<std::wstring> registryOrder = InstalledVoiceIds();
    REQUIRE(installed.size() == 3 && registryOrder.size() >= 3);

    ComPtr<ISpeechVoice> voice;
    REQUIRE(Create(CLSID_SpVoice, IID_ISpeechVoice, voice) == S_OK);
    ComPtr<ISpeechObjectTokens> tokens;
    const UniqueBstr none = Bstr(L"");
    CHECK_EQ(Hex(voice->GetVoices(none.get(), none.get(), &tokens)), Hex(S_OK));
    REQUIRE(tokens);
    long count = 0;
    CHECK_EQ(Hex(tokens->get_Count(&count)), Hex(S_OK));
    REQUIRE(count == static_cast<long>(registryOrder.size()));

    Calls expected = {{"?", "create"}, {"?", "GetVoices", "", ""}, {"?", "get_Count", std::to_string(count)}};
    std::vector<ComPtr<ISpeechObjectToken>> held(count);
    std::vector<std::wstring> shown(count);
    for (long i = 0; i < count; ++i) {
        CHECK_EQ(Hex(tokens->Item(i, &held[i])), Hex(S_OK));
        REQUIRE(held[i]);
        UniqueBstr id;
        CHECK_EQ(Hex(held[i]->get_Id(id.put())), Hex(S_OK));
        CHECK_EQ(Text(id), registryOrder[i]);
        UniqueBstr description;
        CHECK_EQ(Hex(held[i]->GetDescription(0, description.put())), Hex(S_OK));
        shown[i] = Text(description);
        const std::string idUtf8 = Utf8(registryOrder[i]);
        expected.push_back({"?", "Item", std::to_string(i), idUtf8});
        expected.push_back({"?", "get_Id", idUtf8});
        expected.push_back({"?", "GetDescription", idUtf8, "0"});
    }
    // Each installed voice shows its own description, Chinese text included.
    long chinese = -1;
    for (std::size_t k = 0; k < installed.size(); ++k) {
        long at = -1;
        for (long i = 0; i < count; ++i)
            if (registryOrder[i] == installed[k]) at = i;
        REQUIRE(at >= 0);
        CHECK_EQ(shown[at], descriptions[k]);
        if (k == 1) chinese = at;
    }
    CHECK_EQ(shown[chinese], std::wstring(L"测试语音 Chinese"));

    const std::wstring spoken = L"第一行\r\n\tsecond \\ line";
    long streamNumber = 0;
    VARIANT_BOOL done = VARIANT_FALSE;
    CHECK_EQ(Hex(voice->putref_Voice(held[chinese].Get())), Hex(S_OK));
    CHECK_EQ(Hex(voice->put_Rate(-3)), Hex(S_OK));
    CHECK_EQ(Hex(voice->put_Volume(100)), Hex(S_OK));
    CHECK_EQ(Hex(voice->Speak(Bstr(spoken).get(), SVSFlagsAsync, &streamNumber)), Hex(S_OK));
    CHECK_EQ(streamNumber, 1L);
    CHECK_EQ(Hex(voice->WaitUntilDone(-1, &done)), Hex(S_OK));
    CHECK_EQ(done, VARIANT_TRUE);
    CHECK_EQ(Hex(voice->putref_AudioOutput(nullptr)), Hex(S_OK));
    for (auto line : Calls{{"?", "putref_Voice", Utf8(registryOrder[chinese])},
                           {"?", "put_Rate", "-3"},
                           {"?", "put_Volume", "100"},
                           {"?", "Speak", "1", Utf8(spoken)},
                           {"?", "WaitUntilDone", "-1"},
                           {"?", "putref_AudioOutput", "null"}})
        expected.push_back(line);

    // A second voice object of the same process, gone with its only reference.
    ComPtr<ISpeechVoice> other;
    CHECK_EQ(Hex(Create(CLSID_SpVoice, IID_ISpeechVoice, other)), Hex(S_OK));
    other.Reset();
    expected.push_back({"+1", "create"});
    expected.push_back({"+1", "destroy"});

    // The same members set by name, as automation clients do.
    ComPtr<IDispatch> dispatch;
    REQUIRE(SUCCEEDED(voice.As(&dispatch)));
    auto dispid = [&](const wchar_t* name) {
        LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
        DISPID id = DISPID_UNKNOWN;
        dispatch->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
        return id;
    };
    VARIANT value;
    ::VariantInit(&value);
    DISPID putId = DISPID_PROPERTYPUT;
    DISPPARAMS put{&value, &putId, 1, 1};
    value.vt = VT_I4;
    value.lVal = 7;
    CHECK_EQ(Hex(dispatch->Invoke(dispid(L"Rate"), IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUT, &put,
                                  nullptr, nullptr, nullptr)),
             Hex(S_OK));
    value.vt = VT_DISPATCH;
    value.pdispVal = held[0].Get();
    CHECK_EQ(Hex(dispatch->Invoke(dispid(L"voice"), IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUTREF, &put,
                                  nullptr, nullptr, nullptr)),
             Hex(S_OK));
    expected.push_back({"?", "put_Rate", "7"});
    expected.push_back({"?", "putref_Voice", Utf8(registryOrder[0])});
    dispatch.Reset();

    held.clear();
    tokens.Reset();
    voice.Reset();
    expected.push_back({"?", "destroy"});

    const Calls calls = SpeechCallsOf(ThisProcess());
    const std::string first = FirstObject(calls, "voice");
    REQUIRE(!first.empty());
    for (auto& line : expected) line[0] = line[0] == "?" ? first : Next(first);
    CHECK_EQ(calls, expected);

    // On disk the text is one line, its tab and line breaks escaped.
    const std::string raw = FileBytes(SpeechLogPath());
    CHECK(raw.find(std::to_string(ThisProcess()) + "\t" + first + "\tSpeak\t1\t" +
                   Utf8(L"第一行\\r\\n\\tsecond \\\\ line") + "\n") != std::string::npos);
}

E2E_TEST(SapiRecorderWritesTheExportAsAWavFile) {
    ComApartment com;
    RecordingSpeech recording;
    const std::wstring path = PublicFile(L"parlowen 导出.wav");
    WriteFileBytes(path, std::string(100000, 'x'));  // an existing file is replaced

    ComPtr<ISpeechVoice> voice;
    ComPtr<ISpeechFileStream> stream;
    REQUIRE(Create(CLSID_SpVoice, IID_ISpeechVoice, voice) == S_OK);
    REQUIRE(Create(CLSID_SpFileStream, IID_ISpeechFileStream, stream) == S_OK);
    ComPtr<ISpeechAudioFormat> format;
    CHECK_EQ(Hex(stream->get_Format(&format)), Hex(S_OK));
    REQUIRE(format);
    CHECK_EQ(Hex(format->put_Type(SAFT16kHz16BitMono)), Hex(S_OK));
    format.Reset();
    CHECK_EQ(Hex(stream->Open(Bstr(path).get(), SSFMCreateForWrite, VARIANT_FALSE)), Hex(S_OK));
    CHECK_EQ(Hex(voice->put_AllowAudioOutputFormatChangesOnNextSet(VARIANT_FALSE)), Hex(S_OK));
    ComPtr<ISpeechBaseStream> base;
    REQUIRE(SUCCEEDED(stream.As(&base)));
    CHECK_EQ(Hex(voice->putref_AudioOutputStream(base.Get())), Hex(S_OK));
    base.Reset();
    const std::wstring text = L"我说：你好\r\n朋友说：再见";
    long streamNumber = 0;
    VARIANT_BOOL done = VARIANT_FALSE;
    CHECK_EQ(Hex(voice->Speak(Bstr(text).get(), SVSFlagsAsync, &streamNumber)), Hex(S_OK));
    CHECK_EQ(Hex(voice->WaitUntilDone(-1, &done)), Hex(S_OK));
    CHECK_EQ(Hex(stream->Close()), Hex(S_OK));
    CHECK_EQ(Hex(voice->putref_AudioOutput(nullptr)), Hex(S_OK));

    const std::optional<WavFacts> wav = ReadWav(path);
    REQUIRE(wav.has_value());
    CHECK_EQ(wav->riffBytes, static_cast<DWORD>(wav->fileBytes - 8));
    CHECK_EQ(wav->formatTag, static_cast<WORD>(WAVE_FORMAT_PCM));
    CHECK_EQ(wav->channels, static_cast<WORD>(1));
    CHECK_EQ(wav->samplesPerSecond, 16000ul);
    CHECK_EQ(wav->bytesPerSecond, 32000ul);
    CHECK_EQ(wav->blockAlign, static_cast<WORD>(2));
    CHECK_EQ(wav->bitsPerSample, static_cast<WORD>(16));
    // A tenth of a second, and a hundredth for each UTF-16 unit of the text.
    CHECK_EQ(wav->dataBytes.value_or(0), static_cast<DWORD>(2 * (1600 + 160 * text.size())));
    CHECK_EQ(wav->comment, Utf8(text));

    // A stream whose format nobody set renders at 22 kHz, and letting go of it open
    // completes the file.
    const std::wstring unsetPath = PublicFile(L"parlowen-unset-format.wav");
    ComPtr<ISpeechFileStream> unset;
    REQUIRE(Create(CLSID_SpFileStream, IID_ISpeechFileStream, unset) == S_OK);
    CHECK_EQ(Hex(unset->Open(Bstr(unsetPath).get(), SSFMCreateForWrite, VARIANT_FALSE)), Hex(S_OK));
    REQUIRE(SUCCEEDED(unset.As(&base)));
    CHECK_EQ(Hex(voice->putref_AudioOutputStream(base.Get())), Hex(S_OK));
    base.Reset();
    CHECK_EQ(Hex(voice->Speak(Bstr(L"x").get(), SVSFlagsAsync, &streamNumber)), Hex(S_OK));
    CHECK_EQ(streamNumber, 2L);
    CHECK_EQ(Hex(voice->putref_AudioOutput(nullptr)), Hex(S_OK));
    unset.Reset();
    const std::optional<WavFacts> unsetWav = ReadWav(unsetPath);
    REQUIRE(unsetWav.has_value());
    CHECK_EQ(unsetWav->samplesPerSecond, 22050ul);
    CHECK_EQ(unsetWav->riffBytes, static_cast<DWORD>(unsetWav->fileBytes - 8));
    CHECK_EQ(unsetWav->dataBytes.value_or(0), static_cast<DWORD>(2 * (2205 + 220)));
    CHECK_EQ(unsetWav->comment, std::string("x"));

    stream.Reset();
    voice.Reset();
    const Calls calls = SpeechCallsOf(ThisProcess());
    const std::string v = FirstObject(calls, "voice");
    const std::string s = FirstObject(calls, "stream");
    REQUIRE(!v.empty() && !s.empty());
    const std::string s2 = Next(s);
    const Calls expected = {
        {v, "create"},
        {s, "create"},
        {s, "get_Format"},
        {s, "put_Type", "18"},
        {s, "Open", Utf8(path), "3", "false"},
        {v, "put_AllowAudioOutputFormatChangesOnNextSet", "false"},
        {v, "putref_AudioOutputStream", s},
        {v, "Speak", "1", Utf8(text)},
        {v, "WaitUntilDone", "-1"},
        {s, "Close"},
        {v, "putref_AudioOutput", "null"},
        {s2, "create"},
        {s2, "Open", Utf8(unsetPath), "3", "false"},
        {v, "putref_AudioOutputStream", s2},
        {v, "Speak", "1", "x"},
        {v, "putref_AudioOutput", "null"},
        {s2, "destroy"},
        {s, "destroy"},
        {v, "destroy"},
    };
    CHECK_EQ(calls, expected);
    ::DeleteFileW(path.c_str());
    ::DeleteFileW(unsetPath.c_str());
}

E2E_TEST(SapiRecorderFailsTheCallsNamedInTheEnvironment) {
    ComApartment com;
    RecordingSpeech recording;
    ComPtr<ISpeechVoice> voice;
    ComPtr<ISpeechFileStream> stream;
    long streamNumber = 0;

    FailSpeechCalls(L"put_Rate, Speak");
    REQUIRE(Create(CLSID_SpVoice, IID_ISpeechVoice, voice) == S_OK);
    CHECK_EQ(Hex(voice->put_Rate(2)), Hex(E_FAIL));
    CHECK_EQ(Hex(voice->put_Volume(50)), Hex(S_OK));
    CHECK_EQ(Hex(voice->Speak(Bstr(L"不说").get(), SVSFlagsAsync, &streamNumber)), Hex(E_FAIL));
    voice.Reset();

    FailSpeechCalls(L"create");
    CHECK_EQ(Hex(Create(CLSID_SpVoice, IID_ISpeechVoice, voice)), Hex(E_FAIL));
    CHECK(!voice);
    CHECK_EQ(Hex(Create(CLSID_SpFileStream, IID_ISpeechFileStream, stream)), Hex(E_FAIL));
    CHECK(!stream);

    FailSpeechCalls(L"stream.create");
    CHECK_EQ(Hex(Create(CLSID_SpVoice, IID_ISpeechVoice, voice)), Hex(S_OK));
    CHECK_EQ(Hex(Create(CLSID_SpFileStream, IID_ISpeechFileStream, stream)), Hex(E_FAIL));
    voice.Reset();

    // Without failures asked for, a file that cannot be created still fails Open.
    FailSpeechCalls(L"");
    const std::wstring missing = L"C:\\users\\Public\\no such folder\\out.wav";
    REQUIRE(Create(CLSID_SpFileStream, IID_ISpeechFileStream, stream) == S_OK);
    CHECK_EQ(Hex(stream->Open(Bstr(missing).get(), SSFMCreateForWrite, VARIANT_FALSE)),
             Hex(HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND)));
    stream.Reset();

    const Calls calls = SpeechCallsOf(ThisProcess());
    const std::string v = FirstObject(calls, "voice");
    const std::string s = FirstObject(calls, "stream");
    REQUIRE(!v.empty() && !s.empty());
    const Calls expected = {
        {v, "create"},
        {v, "put_Rate", "2", "FAILED"},
        {v, "put_Volume", "50"},
        {v, "Speak", "1", Utf8(L"不说"), "FAILED"},
        {v, "destroy"},
        {Next(v), "create", "FAILED"},
        {s, "create", "FAILED"},
        {Next(v, 2), "create"},
        {Next(s), "create", "FAILED"},
        {Next(v, 2), "destroy"},
        {Next(s, 2), "create"},
        {Next(s, 2), "Open", Utf8(missing), "3", "false", "FAILED"},
        {Next(s, 2), "destroy"},
    };
    CHECK_EQ(calls, expected);
}

// Another process, its own numbering, the log path from the environment it inherited,
// and every member set late-bound: a script run by Wine's cscript.
E2E_TEST(SapiRecorderServesAnotherProcessByName) {
    RecordingSpeech recording;
    const std::wstring script = PublicFile(L"parlowen-sapi-test.vbs");
    WriteFileBytes(script,
                   "Set voice = CreateObject(\"SAPI.SpVoice\")\r\n"
                   "voice.Rate = 4\r\n"
                   "voice.Volume = 60\r\n"
                   "voice.AllowAudioOutputFormatChangesOnNextSet = False\r\n"
                   "voice.Speak \"from a script\", 1\r\n"
                   "voice.WaitUntilDone -1\r\n"
                   "Set voice.AudioOutput = Nothing\r\n");
    const std::wstring log = PublicFile(L"parlowen-sapi-other.log");
    ::DeleteFileW(log.c_str());
    ::SetEnvironmentVariableW(L"PARLOWEN_SAPI_LOG", log.c_str());

    std::wstring commandLine = L"cscript.exe //nologo \"" + script + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    const BOOL started = ::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                          &startup, &info);
    UniqueKernelHandle process(started ? info.hProcess : nullptr);
    UniqueKernelHandle thread(started ? info.hThread : nullptr);
    DWORD exitCode = STILL_ACTIVE;
    if (started) {
        ::WaitForSingleObject(process.get(), 30000);
        ::GetExitCodeProcess(process.get(), &exitCode);
    }
    const Calls calls = started ? SpeechCallsOf(info.dwProcessId) : Calls{};
    ::SetEnvironmentVariableW(L"PARLOWEN_SAPI_LOG", nullptr);
    REQUIRE(started);
    CHECK_EQ(exitCode, 0ul);
    const Calls expected = {
        {"voice1", "create"},
        {"voice1", "put_Rate", "4"},
        {"voice1", "put_Volume", "60"},
        {"voice1", "put_AllowAudioOutputFormatChangesOnNextSet", "false"},
        {"voice1", "Speak", "1", "from a script"},
        {"voice1", "WaitUntilDone", "-1"},
        {"voice1", "putref_AudioOutput", "null"},
        {"voice1", "destroy"},
    };
    CHECK_EQ(calls, expected);
    CHECK(ReadSpeechLog().empty());  // the default log stayed untouched
    ::DeleteFileW(script.c_str());
    ::DeleteFileW(log.c_str());
}

// Once the recorder is unregistered, the class ids give Wine's own objects again. What
// Wine answers is recorded here, as measured under Wine 8.0.
E2E_TEST(SapiRecorderGivesWayToWineSpeech) {
    ComApartment com;
    const std::wstring wineVoice = RegisteredServer(kSpVoiceClass);
    const std::wstring wineStream = RegisteredServer(kSpFileStreamClass);
    RecordingSpeech recording;
    CHECK_EQ(RegisteredServer(kSpVoiceClass), RecordingSpeechServerPath() + L" | Both");
    CHECK_EQ(RegisteredServer(kSpFileStreamClass), RecordingSpeechServerPath() + L" | Both");
    ComPtr<ISpeechVoice> recorded;
    CHECK_EQ(Hex(Create(CLSID_SpVoice, IID_ISpeechVoice, recorded)), Hex(S_OK));
    recorded.Reset();
    CHECK_EQ(SpeechCallsOf(ThisProcess()).size(), static_cast<std::size_t>(2));  // create, destroy

    UseWineSpeech();
    CHECK_EQ(RegisteredServer(kSpVoiceClass), wineVoice);
    CHECK_EQ(RegisteredServer(kSpFileStreamClass), wineStream);
    ClearSpeechLog();

    auto report = [](const char* call, HRESULT hr) {
        std::printf("    Wine: %s -> %s\n", call, Hex(hr).c_str());
        std::fflush(stdout);
        return hr;
    };
    ComPtr<ISpeechVoice> voice;
    REQUIRE(report("CoCreateInstance(SpVoice, ISpeechVoice)", Create(CLSID_SpVoice, IID_ISpeechVoice, voice)) == S_OK);
    const UniqueBstr none = Bstr(L"");
    ComPtr<ISpeechObjectTokens> tokens;
    const HRESULT getVoices = report("ISpeechVoice::GetVoices", voice->GetVoices(none.get(), none.get(), &tokens));
    const HRESULT voiceSet = report("ISpeechVoice::putref_Voice(null)", voice->putref_Voice(nullptr));
    const HRESULT rate = report("ISpeechVoice::put_Rate(-3)", voice->put_Rate(-3));
    const HRESULT volume = report("ISpeechVoice::put_Volume(100)", voice->put_Volume(100));
    long streamNumber = 0;
    const HRESULT speak =
        report("ISpeechVoice::Speak", voice->Speak(Bstr(L"hello").get(), SVSFlagsAsync, &streamNumber));
    const HRESULT allow = report("ISpeechVoice::put_AllowAudioOutputFormatChangesOnNextSet(false)",
                                 voice->put_AllowAudioOutputFormatChangesOnNextSet(VARIANT_FALSE));
    VARIANT_BOOL done = VARIANT_FALSE;
    const HRESULT wait = report("ISpeechVoice::WaitUntilDone(-1)", voice->WaitUntilDone(-1, &done));
    const HRESULT output = report("ISpeechVoice::putref_AudioOutput(null)", voice->putref_AudioOutput(nullptr));
    ComPtr<IDispatch> dispatch;
    report("ISpeechVoice::QueryInterface(IDispatch)", voice.As(&dispatch));

    ComPtr<ISpeechFileStream> stream;
    REQUIRE(report("CoCreateInstance(SpFileStream, ISpeechFileStream)",
                   Create(CLSID_SpFileStream, IID_ISpeechFileStream, stream)) == S_OK);
    ComPtr<ISpeechAudioFormat> format;
    const HRESULT getFormat = report("ISpeechFileStream::get_Format", stream->get_Format(&format));
    if (SUCCEEDED(getFormat) && format)
        report("ISpeechAudioFormat::put_Type(18)", format->put_Type(SAFT16kHz16BitMono));
    const std::wstring path = PublicFile(L"parlowen-wine.wav");
    const HRESULT open =
        report("ISpeechFileStream::Open", stream->Open(Bstr(path).get(), SSFMCreateForWrite, VARIANT_FALSE));
    ComPtr<ISpeechBaseStream> base;
    REQUIRE(SUCCEEDED(stream.As(&base)));
    const HRESULT outputStream =
        report("ISpeechVoice::putref_AudioOutputStream", voice->putref_AudioOutputStream(base.Get()));
    const HRESULT close = report("ISpeechFileStream::Close", stream->Close());
    ::DeleteFileW(path.c_str());
    base.Reset();
    format.Reset();
    stream.Reset();
    tokens.Reset();
    voice.Reset();

    // None of it reached the recorder, and Wine's voice is the silent one the program
    // must live with.
    CHECK(SpeechCallsOf(ThisProcess()).empty());
    CHECK_EQ(Hex(getVoices), Hex(E_NOTIMPL));
    CHECK_EQ(Hex(voiceSet), Hex(E_NOTIMPL));
    CHECK_EQ(Hex(rate), Hex(E_NOTIMPL));
    CHECK_EQ(Hex(volume), Hex(E_NOTIMPL));
    CHECK_EQ(Hex(speak), Hex(E_NOTIMPL));
    CHECK_EQ(Hex(allow), Hex(E_NOTIMPL));
    CHECK_EQ(Hex(wait), Hex(E_NOTIMPL));
    CHECK_EQ(Hex(output), Hex(E_NOTIMPL));
    CHECK_EQ(Hex(outputStream), Hex(E_NOTIMPL));
    // Wine's file stream writes nothing either: the export fails at its first step.
    CHECK_EQ(Hex(getFormat), Hex(E_NOTIMPL));
    CHECK_EQ(Hex(open), Hex(E_NOTIMPL));
    CHECK_EQ(Hex(close), Hex(E_NOTIMPL));
}

}  // namespace
