// Where the capture hands each new message: spoken through the voice profiles (a group
// member's in its own voice, unless the user muted it) and appended to the log pane, in
// its author's colour.
#pragma once

#include "app/people_win32.h"
#include "app/replacements_win32.h"
#include "capture/capture_tick.h"
#include "log/log_caret_win32.h"
#include "speech/spoken_form.h"
#include "speech/voice_profiles.h"

#include <windows.h>

#include <string_view>

namespace parlowen::app {

class MessageOutputWin32 final : public capture::CaptureOutput {
public:
    // `logPane` and `mainWindow` are the main window's members, which hold the windows
    // once they are built; `logCaret` is where the pane's caret goes once the user can
    // see it. The queue's timer runs on `mainWindow` while messages wait.
    MessageOutputWin32(const capture::ReadingOptions& reading, const speech::SpeakingRules& speaking,
                       const ReplacementsWin32& words, speech::VoiceProfiles& profiles, PeopleWin32& people,
                       const HWND& mainWindow, const HWND& logPane, log::LogCaret& logCaret)
        : reading_(reading), speaking_(speaking), words_(words), profiles_(profiles), people_(people),
          mainWindow_(mainWindow), logPane_(logPane), logCaret_(logCaret) {}

    capture::ReadingOptions Options() override { return reading_; }
    void SpeakMine(std::string_view text) noexcept override { Speak(chat::Role::Mine, text); }
    void SpeakFriend(std::string_view text) noexcept override { Speak(chat::Role::Friend, text); }
    void SpeakMember(const chat::Speaker& member, std::string_view group, std::string_view text) noexcept override;
    void AppendLogEntry(std::string_view header, std::string_view body, const chat::Speaker& speaker) override;
    std::string SpokenForm(std::string_view text, chat::Role speaker) override {
        return speech::SpokenForm(text, speaking_, words_.words(), profiles_.Rate(speaker));
    }
    // While reading is paused, messages are logged and not said, nor kept to be said later.
    void SetPaused(bool paused) noexcept { paused_ = paused; }
    bool paused() const noexcept { return paused_; }
    // The queue's timer: the next waiting message of each voice, once the voice is free.
    void QueueTimer() noexcept;

private:
    // Cutting off the profile's last utterance, or waiting for it where the user chose so.
    void Speak(chat::Role speaker, std::string_view text) noexcept;
    void StartTimerWhileWaiting() noexcept;

    const capture::ReadingOptions& reading_;
    const speech::SpeakingRules& speaking_;
    const ReplacementsWin32& words_;
    speech::VoiceProfiles& profiles_;
    PeopleWin32& people_;
    const HWND& mainWindow_;
    const HWND& logPane_;
    log::LogCaret& logCaret_;
    bool paused_ = false;
};

}  // namespace parlowen::app
