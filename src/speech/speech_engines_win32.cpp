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

std::optional<SpeechEngines> Espeak() {
    try {
        const std::optional<std::wstring> path = VoiceProgram::BesideExecutable();
        if (!path) return std::nullopt;
        auto program = std::make_shared<const VoiceProgram>(*path);
        SpeechEngines engines{std::make_unique<EspeakVoiceEngine>(program),
                              std::make_unique<EspeakVoiceEngine>(program), std::make_unique<EspeakFileStream>()};
        if (engines.mine->GetVoices().empty()) return std::nullopt;
        return engines;
    } catch (...) {
        return std::nullopt;
    }
}

SpeechEngines Sapi(std::unique_ptr<VoiceEngine> mine) {
    return {std::move(mine), std::make_unique<SapiVoiceEngine>(), std::make_unique<SapiFileStream>()};
}

}  // namespace

SpeechEngines ChooseSpeechEngines() noexcept {
    auto sapi = std::make_unique<SapiVoiceEngine>();
    if (SapiSpeaks(*sapi)) return Sapi(std::move(sapi));
    if (auto espeak = Espeak()) return std::move(*espeak);
    return Sapi(std::move(sapi));
}

}  // namespace parlowen::speech
