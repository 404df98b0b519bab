// Puts the recording speech server (tests/e2e/sapi_recorder) in the place of the
// system's SAPI 5 objects inside the test prefix, installs test voices, and reads back
// the speech log the server writes. Every process started afterwards (the program
// included) creates its SpVoice and SpFileStream objects from the recorder.
#pragma once

#include <string>
#include <vector>

namespace e2e {

// The recorder built next to the driver: parlowen_sapi_recorder.dll.
std::wstring RecordingSpeechServerPath();

// Registers `dllPath` as the in-process server (ThreadingModel "Both") of SpVoice and
// SpFileStream under HKLM\Software\Classes\CLSID (this Wine ignores the HKCU copy).
// The values found there first are kept for UseWineSpeech. Throws std::runtime_error.
void UseRecordingSpeech(const std::wstring& dllPath);
// Puts back the registration UseRecordingSpeech found; does nothing before it.
void UseWineSpeech();

// Adds one voice token per description, keys ParlowenTestVoice1, 2, ... under
// HKLM\SOFTWARE\Microsoft\Speech\Voices\Tokens with the description as default value;
// returns the token ids (the full key paths) in the same order.
std::vector<std::wstring> InstallTestVoices(const std::vector<std::wstring>& descriptions);
// Removes every ParlowenTestVoice token.
void RemoveTestVoices();
// The token keys under Voices\Tokens in RegEnumKeyExW order, as full key paths.
std::vector<std::wstring> InstalledVoiceIds();

// One line of the speech log: the calling process, then the fields (UTF-8, unescaped):
// object ("voice1", "stream1"), method, the arguments, and "FAILED" or "NOTIMPL" last
// when the call answered an error or is not offered by the recorder.
struct SpeechCall {
    unsigned long processId = 0;
    std::vector<std::string> fields;

    const std::string& object() const { return fields.at(0); }
    const std::string& method() const { return fields.at(1); }
    bool failed() const { return fields.back() == "FAILED"; }
};

// PARLOWEN_SAPI_LOG of this process, or the default path the recorder uses without it.
std::wstring SpeechLogPath();
// Every line of the log; an absent log has none.
std::vector<SpeechCall> ReadSpeechLog();
// Only the fields of the lines written by process `processId`.
std::vector<std::vector<std::string>> SpeechCallsOf(unsigned long processId);
void ClearSpeechLog();

// Sets PARLOWEN_SAPI_FAIL for this process and the processes it starts: method names
// separated by commas ("put_Rate,Speak", "create", "stream.Open"); empty removes it.
void FailSpeechCalls(const std::wstring& methods);

// For a case: the recorder in place with an empty log and no failures, and Wine's own
// speech back, test voices removed and failures cleared, when the case ends.
class RecordingSpeech {
public:
    RecordingSpeech();
    ~RecordingSpeech();
    RecordingSpeech(const RecordingSpeech&) = delete;
    RecordingSpeech& operator=(const RecordingSpeech&) = delete;
};

std::string Describe(const std::vector<std::string>& fields);
std::string Describe(const std::vector<std::vector<std::string>>& calls);

}  // namespace e2e
