// The speech engine the program runs on, chosen once at start-up: the system's own
// speech (SAPI 5) when it lists at least one voice; otherwise eSpeak NG when its voice
// process is found beside the program and answers; otherwise the system's speech, silent.
#pragma once

#include "speech/voice_engine.h"

#include <memory>

namespace parlowen::speech {

struct SpeechEngines {
    std::unique_ptr<VoiceEngine> mine;      // SpVoice: also lists the voices and renders the WAV export
    std::unique_ptr<VoiceEngine> friend_;   // SpVoice1
    std::unique_ptr<AudioFileStream> file;  // SpFileStream1
};

// Never fails: an engine that cannot be asked is passed over. The engine chosen
// answers GetVoices from what it listed here.
SpeechEngines ChooseSpeechEngines() noexcept;

}  // namespace parlowen::speech
