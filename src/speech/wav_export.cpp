#include "speech/wav_export.h"

namespace parlowen::speech {
namespace {

bool PrepareVoice(VoiceEngine& voice, const VoiceToken* token) noexcept {
    try {
        voice.Disconnect();
        if (!token) return false;
        voice.SetVoice(*token);  // connects a fresh voice object, at its default rate and volume
        return true;
    } catch (...) {
        return false;
    }
}

}  // namespace

void ExportToWav(VoiceEngine& voice, const VoiceToken* token, AudioFileStream& stream, ExportedText& log,
                 std::string_view path) {
    if (!PrepareVoice(voice, token)) return;
    std::string text = log.SelectedText();
    if (text.empty()) text = log.WholeText();
    if (text.empty()) return;

    stream.SetFormat16kHz16BitMono();
    stream.OpenForWrite(path);
    voice.SetAllowAudioOutputFormatChanges(false);
    voice.SetOutputStream(stream);
    voice.Speak(text);
    voice.WaitUntilDone();
    stream.Close();
    voice.ResetOutputToDefaultDevice();
}

}  // namespace parlowen::speech
