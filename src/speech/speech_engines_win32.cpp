#include "speech/speech_engines_win32.h"

#include "speech/espeak_voice_engine_win32.h"
#include "speech/sapi_voice_engine_win32.h"

namespace parlowen::speech {
namespace {

// Whether the system's speech should be used: it lists a voice, or it fails in a way the
// start-up should report, as it would without a second engine.
bool SapiSpeaks(VoiceEngine& sapi) {
    try {
        return !sapi.GetVoices().empty();
    } catch (...) {
        return true;
    }
}

using Chosen = SpeechEngines::Chosen;

std::optional<Chosen> Espeak() {
    try {
        const std::optional<std::wstring> path = VoiceProgram::BesideExecutable();
        if (!path) return std::nullopt;
        auto program = std::make_shared<const VoiceProgram>(*path);
        Chosen engines{std::make_unique<EspeakVoiceEngine>(program),
                              std::make_unique<EspeakVoiceEngine>(program), std::make_unique<EspeakFileStream>()};
        if (engines.mine->GetVoices().empty()) return std::nullopt;
        return engines;
    } catch (...) {
        return std::nullopt;
    }
}

Chosen Sapi(std::unique_ptr<VoiceEngine> mine) {
    return {std::move(mine), std::make_unique<SapiVoiceEngine>(), std::make_unique<SapiFileStream>()};
}

}  // namespace

// Forwards to the voice object of the chosen engine, choosing it first.
class SpeechEngines::Voice : public VoiceEngine {
public:
    Voice(SpeechEngines& engines, std::unique_ptr<VoiceEngine> Chosen::*which) : engines_(engines), which_(which) {}
    void Disconnect() noexcept override {
        if (engines_.chosen_) (*engines_.chosen_.*which_)->Disconnect();
    }
    std::vector<InstalledVoice> GetVoices() override { return Engine().GetVoices(); }
    void SetVoice(const VoiceToken& token) override { Engine().SetVoice(token); }
    void SetRate(int rate) override { Engine().SetRate(rate); }
    void SetVolume(int volume) override { Engine().SetVolume(volume); }
    void SetPitch(int pitch) override { Engine().SetPitch(pitch); }
    std::vector<std::string> Variants() override { return Engine().Variants(); }
    void SetVariant(const std::string& variant) override { Engine().SetVariant(variant); }
    void Speak(std::string_view ansiText) override { Engine().Speak(ansiText); }
    bool Speaking() override { return engines_.chosen_ && (*engines_.chosen_.*which_)->Speaking(); }
    void SetAllowAudioOutputFormatChanges(bool allow) override { Engine().SetAllowAudioOutputFormatChanges(allow); }
    // The program hands over the stand-in stream; the engine renders into its own kind.
    void SetOutputStream(AudioFileStream& stream) override {
        Engine().SetOutputStream(&stream == &engines_.file() ? *engines_.Choose().file : stream);
    }
    bool WaitUntilDone(unsigned timeoutMs) override { return Engine().WaitUntilDone(timeoutMs); }
    void ResetOutputToDefaultDevice() override { Engine().ResetOutputToDefaultDevice(); }

private:
    VoiceEngine& Engine() { return *(engines_.Choose().*which_); }
    SpeechEngines& engines_;
    std::unique_ptr<VoiceEngine> Chosen::*which_;
};

// Forwards to the file stream of the chosen engine, choosing it first.
class SpeechEngines::File : public AudioFileStream {
public:
    explicit File(SpeechEngines& engines) : engines_(engines) {}
    void SetFormat16kHz16BitMono() override { Stream().SetFormat16kHz16BitMono(); }
    void OpenForWrite(std::string_view ansiPath) override { Stream().OpenForWrite(ansiPath); }
    std::uint64_t BytesWritten() override { return Stream().BytesWritten(); }
    void Close() override { Stream().Close(); }
    // Only a stream that was opened has anything to discard, and its engine is chosen.
    void Discard() noexcept override {
        if (engines_.chosen_) engines_.chosen_->file->Discard();
    }

private:
    AudioFileStream& Stream() { return *engines_.Choose().file; }
    SpeechEngines& engines_;
};

SpeechEngines::SpeechEngines()
    : mineVoice_(std::make_unique<Voice>(*this, &Chosen::mine)),
      friendVoice_(std::make_unique<Voice>(*this, &Chosen::friend_)),
      file_(std::make_unique<File>(*this)) {}

SpeechEngines::~SpeechEngines() = default;

VoiceEngine& SpeechEngines::mineVoice() noexcept { return *mineVoice_; }
VoiceEngine& SpeechEngines::friendVoice() noexcept { return *friendVoice_; }
AudioFileStream& SpeechEngines::file() noexcept { return *file_; }

SpeechEngines::Chosen& SpeechEngines::Choose() noexcept {
    if (!chosen_) {
        auto sapi = std::make_unique<SapiVoiceEngine>();
        if (SapiSpeaks(*sapi)) {
            chosen_ = Sapi(std::move(sapi));
        } else if (auto espeak = Espeak()) {
            chosen_ = std::move(*espeak);
        } else {
            chosen_ = Sapi(std::move(sapi));
        }
    }
    return *chosen_;
}

}  // namespace parlowen::speech
