#include "speech/wav_export.h"

#include <stdexcept>
#include <string>

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

void WaitForRender(VoiceEngine& voice, AudioFileStream& stream) {
    std::uint64_t written = stream.BytesWritten();
    unsigned stalledMs = 0;
    while (!voice.WaitUntilDone(kRenderSliceMs)) {
        const std::uint64_t now = stream.BytesWritten();
        stalledMs = now > written ? 0 : stalledMs + kRenderSliceMs;
        written = now;
        if (stalledMs >= kStalledRenderMs)
            throw std::runtime_error("The voice has stopped: nothing was rendered for " +
                                     std::to_string(kStalledRenderMs / 1000) + " seconds, and the export was given up");
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
    try {
        voice.SetAllowAudioOutputFormatChanges(false);
        voice.SetOutputStream(stream);
        voice.Speak(text);
        WaitForRender(voice, stream);
        stream.Close();
    } catch (...) {
        // The voice lets go of the file first: one that hangs may hold it open.
        voice.Disconnect();
        stream.Discard();
        throw;
    }
    voice.ResetOutputToDefaultDevice();
}

}  // namespace parlowen::speech
