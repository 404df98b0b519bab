#include "app/message_output_win32.h"

#include "log/log_pane_win32.h"
#include "log/message_log.h"

namespace parlowen::app {

void MessageOutputWin32::AppendLogEntry(std::string_view header, std::string_view body,
                                        const chat::Speaker& speaker) {
    log::LogPaneWin32 pane(logPane_, &logCaret_);
    log::AppendLogEntry(pane, header, body, speaker.role);
}

}  // namespace parlowen::app
