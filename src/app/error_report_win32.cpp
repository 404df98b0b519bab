#include "app/error_report_win32.h"

#include "app/error_report.h"

#include <windows.h>

#include <exception>
#include <string>

namespace parlowen::app {

void ReportCurrentException() noexcept {
    std::string message = "Unknown error";
    try {
        throw;
    } catch (const std::exception& e) {
        message = e.what();
    } catch (...) {
    }
    try {
        const std::string text = ErrorReportText(message);
        ::MessageBoxA(nullptr, text.c_str(), std::string(kApplicationTitle).c_str(),
                      MB_OK | MB_ICONERROR | MB_TASKMODAL);
    } catch (...) {
        // Without memory for the text there is nothing left to show.
    }
}

}  // namespace parlowen::app
