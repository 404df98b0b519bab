#include "app/error_report.h"

#include <gtest/gtest.h>

namespace {

using parlowen::app::ErrorReportText;

TEST(ErrorReportText, AddsFullStopOnlyAfterCharactersSortingAfterDot) {
    struct Case {
        const char* message;
        const char* shown;
    };
    const Case cases[] = {
        {"", ""},
        {"Disk full", "Disk full."},
        {"Unable to write to C:\\x\\set.ini", "Unable to write to C:\\x\\set.ini."},
        {"Done.", "Done."},
        {"Not found!", "Not found!"},          // '!' sorts before '.'
        {"(code 5)", "(code 5)"},              // ')' sorts before '.'
        {"path -", "path -"},                  // '-' sorts before '.'
        {"a/", "a/."},                         // '/' sorts right after '.'
        {"count 7", "count 7."},
        {"\xCE\xDE\xB7\xA8", "\xCE\xDE\xB7\xA8."},  // ends in a GBK character
        {"x\xA1\x40", "x\xA1\x40."},           // GBK character with a low trail byte
    };
    for (const Case& c : cases) EXPECT_EQ(ErrorReportText(c.message), c.shown) << c.message;
}

}  // namespace
