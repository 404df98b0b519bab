// Rendering the log as speech into a WAV file with the mine voice: the part of the
// export command that runs once the user has chosen the file.
#pragma once

#include "speech/voice_engine.h"

#include <string>
#include <string_view>

namespace parlowen::speech {

// The log's text as the export reads it, in the ANSI code page.
class ExportedText {
public:
    virtual ~ExportedText() = default;
    virtual std::string SelectedText() = 0;
    virtual std::string WholeText() = 0;
};

// Rendering is waited for in slices, and given up when the voice is not done and the file
// has not grown for kStalledRenderMs: a voice process that hangs (or a sound server that
// does) must not hold the program for ever.
inline constexpr unsigned kRenderSliceMs = 250;
inline constexpr unsigned kStalledRenderMs = 15000;

// Resets `voice` (what it says stops) and gives it `token`, then renders the selected
// text, or else the whole text, into `path` at 16 kHz, 16-bit mono, waiting until it is
// written, and sends the voice back to the sound device. Without a token, when the voice
// cannot be prepared, or with nothing to say, nothing is written and nothing reported;
// a failure while rendering, or a render given up, propagates with its reason, and an
// earlier file at `path` stays as it was.
void ExportToWav(VoiceEngine& voice, const VoiceToken* token, AudioFileStream& stream, ExportedText& log,
                 std::string_view path);

}  // namespace parlowen::speech
