// The speech engine the program runs on: the system's own speech (SAPI 5) when it lists
// at least one voice; otherwise eSpeak NG when its voice process is found beside the
// program and answers; otherwise the system's speech, silent. The choice is made at the
// first call that needs an engine (start-up listing the voices), so that voices which
// start-up itself registers count.
#pragma once

#include "speech/voice_engine.h"

#include <memory>
#include <optional>

namespace parlowen::speech {

class SpeechEngines {
public:
    SpeechEngines();
    SpeechEngines(const SpeechEngines&) = delete;
    SpeechEngines& operator=(const SpeechEngines&) = delete;
    ~SpeechEngines();

    // Stand-ins that choose on first use and then speak through the chosen engine.
    VoiceEngine& mineVoice() noexcept;    // SpVoice: also lists the voices and renders the WAV export
    VoiceEngine& friendVoice() noexcept;  // SpVoice1
    AudioFileStream& file() noexcept;  // SpFileStream1

    struct Chosen {
        std::unique_ptr<VoiceEngine> mine;
        std::unique_ptr<VoiceEngine> friend_;
        std::unique_ptr<AudioFileStream> file;
    };
    // Never fails: an engine that cannot be asked is passed over. The engine chosen
    // answers GetVoices from what it listed while being chosen.
    Chosen& Choose() noexcept;

private:
    std::optional<Chosen> chosen_;
    class Voice;
    class File;
    std::unique_ptr<Voice> mineVoice_, friendVoice_;
    std::unique_ptr<File> file_;
};

}  // namespace parlowen::speech
