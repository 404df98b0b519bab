#include "app/error_report.h"

namespace parlowen::app {

std::string ErrorReportText(std::string_view message) {
    std::string text(message);
    if (!text.empty() && static_cast<unsigned char>(text.back()) > '.') text += '.';
    return text;
}

}  // namespace parlowen::app
