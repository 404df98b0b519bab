// The standard error report: a box captioned with the application title, the error
// icon, and the failure's message with its full stop.
#pragma once

namespace parlowen::app {

// Shows the report for the exception being handled; call it from a catch block only.
void ReportCurrentException() noexcept;

// Runs `part`; what escapes it is reported, and the caller carries on without it.
template <typename Part>
void RunReportingFailure(Part&& part) noexcept {
    try {
        part();
    } catch (...) {
        ReportCurrentException();
    }
}

}  // namespace parlowen::app
