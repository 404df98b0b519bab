// Where the capture hands each new message: spoken through the voice profiles and
// appended to the log pane, in its author's colour.
#pragma once

#include "capture/capture_tick.h"
#include "log/log_caret_win32.h"
#include "speech/voice_profiles.h"

#include <windows.h>

#include <string_view>

namespace parlowen::app {

class MessageOutputWin32 final : public capture::CaptureOutput {
public:
    // `logPane` is the main window's member, which holds the pane once it is built;
    // `logCaret` is where the pane's caret goes once the user can see it.
    MessageOutputWin32(const capture::ReadingOptions& reading, speech::VoiceProfiles& profiles, const HWND& logPane,
                       log::LogCaret& logCaret)
        : reading_(reading), profiles_(profiles), logPane_(logPane), logCaret_(logCaret) {}

    capture::ReadingOptions Options() override { return reading_; }
    void SpeakMine(std::string_view text) noexcept override { profiles_.Speak(chat::Role::Mine, text); }
    void SpeakFriend(std::string_view text) noexcept override { profiles_.Speak(chat::Role::Friend, text); }
    void AppendLogEntry(std::string_view header, std::string_view body, const chat::Speaker& speaker) override;

private:
    const capture::ReadingOptions& reading_;
    speech::VoiceProfiles& profiles_;
    const HWND& logPane_;
    log::LogCaret& logCaret_;
};

}  // namespace parlowen::app
