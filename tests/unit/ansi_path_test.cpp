#include "text/ansi_path.h"

#include <gtest/gtest.h>

namespace {

using parlowen::text::ExeBaseName;

TEST(ExeBaseName, TextAfterTheLastSeparatorCutAtItsLastDot) {
    struct Case {
        const char* path;
        const char* base;
    };
    const Case cases[] = {
        {"C:\\a\\parlowen.exe", "parlowen"},
        {"parlowen.exe", "parlowen"},
        {"C:parlowen.exe", "parlowen"},
        {"C:\\Program Files\\my.app.exe", "my.app"},
        {"C:\\a.b\\parlowen", "parlowen"},
        {"C:\\a\\.exe", ""},
        {"C:\\a\\", ""},
        {"", ""},
        {"\\\\server\\share\\Tool.EXE", "Tool"},
        {"C:\\a\\\x95\x5C" "b.exe", "\x95\x5C" "b"},  // 0x5C is the trail byte of a GBK character
        {"C:\\\xD3\xEF\xD2\xF4\\\xC0\xCA\xB6\xC1.exe", "\xC0\xCA\xB6\xC1"},
    };
    for (const Case& c : cases) EXPECT_EQ(ExeBaseName(c.path), c.base) << c.path;
}

}  // namespace
