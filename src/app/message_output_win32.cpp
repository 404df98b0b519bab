#include "app/message_output_win32.h"

#include "app/control_ids.h"
#include "log/log_pane_win32.h"
#include "log/message_log.h"

namespace parlowen::app {

void MessageOutputWin32::SpeakMember(const chat::Speaker& member, std::string_view group,
                                     std::string_view text) noexcept {
    try {
        const speech::Member& known =
            people_.members().Meet(group, member.name, profiles_.MemberVariants());
        if (known.muted) return;
        profiles_.SpeakMember(known.variant, text);
        if (profiles_.MembersWaiting()) ::SetTimer(mainWindow_, IdMembersTimer, kMembersTimerMs, nullptr);
    } catch (...) {
        // Out of memory: the message is logged, not heard.
    }
}

void MessageOutputWin32::MembersTimer() noexcept {
    profiles_.SpeakNextMember();
    if (!profiles_.MembersWaiting()) ::KillTimer(mainWindow_, IdMembersTimer);
}

void MessageOutputWin32::AppendLogEntry(std::string_view header, std::string_view body,
                                        const chat::Speaker& speaker) {
    log::LogPaneWin32 pane(logPane_, &logCaret_);
    log::AppendLogEntry(pane, header, body, speaker.role);
}

}  // namespace parlowen::app
