#include "app/message_output_win32.h"

#include "app/control_ids.h"
#include "log/log_pane_win32.h"
#include "log/message_log.h"

namespace parlowen::app {

void MessageOutputWin32::SpeakMember(const chat::Speaker& member, std::string_view group,
                                     std::string_view text) noexcept {
    try {
        const speech::Member& known =
            people_.members().Meet(group, member.name, member.number, [this] { return profiles_.MemberVariants(); });
        if (known.muted || paused_) return;
        profiles_.SpeakQueued(chat::Role::Member, known.variant, text);
        StartTimerWhileWaiting();
    } catch (...) {
        // Out of memory: the message is logged, not heard.
    }
}

void MessageOutputWin32::Speak(chat::Role speaker, std::string_view text) noexcept {
    if (paused_) return;
    if (!speaking_.queueMessages) return profiles_.Speak(speaker, text);
    profiles_.SpeakQueued(speaker, {}, text);
    StartTimerWhileWaiting();
}

void MessageOutputWin32::StartTimerWhileWaiting() noexcept {
    if (profiles_.Waiting()) ::SetTimer(mainWindow_, IdQueueTimer, kQueueTimerMs, nullptr);
}

void MessageOutputWin32::QueueTimer() noexcept {
    profiles_.SpeakNextQueued();
    if (!profiles_.Waiting()) ::KillTimer(mainWindow_, IdQueueTimer);
}

void MessageOutputWin32::AppendLogEntry(std::string_view header, std::string_view body,
                                        const chat::Speaker& speaker) {
    log::LogPaneWin32 pane(logPane_, &logCaret_);
    log::AppendLogEntry(pane, header, body, speaker.role);
}

}  // namespace parlowen::app
