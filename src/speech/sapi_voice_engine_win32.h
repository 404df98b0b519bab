// The voice engine over the system's SAPI 5 automation objects.
#pragma once

#include "speech/voice_engine.h"
#include "win32/replace_file_win32.h"

#include <windows.h>
#include <sapi.h>
#include <wrl/client.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace parlowen::speech {

class SapiFileStream : public AudioFileStream {
public:
    void SetFormat16kHz16BitMono() override;
    void OpenForWrite(std::string_view ansiPath) override;
    std::uint64_t BytesWritten() override;
    void Close() override;
    void Discard() noexcept override;
    ISpeechBaseStream* BaseStream();

private:
    ISpeechFileStream& Connected();
    Microsoft::WRL::ComPtr<ISpeechFileStream> stream_;
    std::optional<win32::PendingReplacement> file_;  // empty while nothing is open
};

// One SpVoice object, created on first use. Without SAPI on the system (the class is
// not registered), or when the platform answers E_NOTIMPL, the voice is silent: it
// lists no voices and every operation does nothing.
class SapiVoiceEngine : public VoiceEngine {
public:
    void Disconnect() noexcept override;
    std::vector<InstalledVoice> GetVoices() override;
    void SetVoice(const VoiceToken& token) override;
    void SetRate(int rate) override;
    void SetVolume(int volume) override;
    // SAPI has no pitch property: the pitch is markup around the text of the next Speak.
    void SetPitch(int pitch) override { pitch_ = pitch; }
    std::vector<std::string> Variants() override { return {}; }
    void SetVariant(const std::string&) override {}
    void Speak(std::string_view ansiText) override;
    bool Speaking() override { return voice_ && !WaitUntilDone(0); }
    void SetAllowAudioOutputFormatChanges(bool allow) override;
    void SetOutputStream(AudioFileStream& stream) override;
    bool WaitUntilDone(unsigned timeoutMs) override;
    void ResetOutputToDefaultDevice() override;

private:
    // The connected voice, or nullptr when the system offers no usable speech.
    ISpeechVoice* Connected();
    std::vector<InstalledVoice> ListVoices();
    Microsoft::WRL::ComPtr<ISpeechVoice> voice_;
    int pitch_ = 0;
    std::optional<std::vector<InstalledVoice>> voices_;  // listed once: the list is not refreshed
};

}  // namespace parlowen::speech
