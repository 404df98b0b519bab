#include "app/xdg_autostart.h"

#include <gtest/gtest.h>

namespace {

using namespace parlowen::app;

TEST(XdgAutostart, TheEntryStartsTheProgramTheWayItRunsNowInTheSamePrefix) {
    for (const char* width : {"win32", "win64"}) {
        const std::string packaged =
            *AutostartEntry({std::string("/usr/lib/parlowen/") + width + "/parlowen.exe", "/home/moon/.wine"});
        EXPECT_NE(packaged.find("\nExec=env WINEPREFIX=\"/home/moon/.wine\" \"/usr/bin/parlowen\" -s\n"),
                  std::string::npos) << width;
        EXPECT_TRUE(packaged.starts_with("[Desktop Entry]\nType=Application\nName=Parlowen2009\n"));
    }

    const std::string installed =
        *AutostartEntry({"/home/moon/qq prefix/drive_c/Program Files/Parlowen/parlowen.exe", "/home/moon/qq prefix"});
    EXPECT_NE(installed.find("\nExec=env WINEPREFIX=\"/home/moon/qq prefix\" wine "
                             "\"/home/moon/qq prefix/drive_c/Program Files/Parlowen/parlowen.exe\" -s\n"),
              std::string::npos);

    EXPECT_EQ(AutostartEntry({"/home/moon/a\nb/parlowen.exe", "/home/moon/.wine"}), std::nullopt);
    EXPECT_EQ(AutostartFileName("/home/moon/qq prefix/drive_c/parlowen-renamed.exe"), "parlowen-renamed.desktop");
}

// Quoted, then escaped once more as the key's value: what a shell-like reader of the
// Exec key turns back into the path.
TEST(XdgAutostart, ExecArgumentsAreQuotedAndEscaped) {
    const struct {
        const char* argument;
        const char* quoted;
    } cases[] = {
        {"/plain/path", R"("/plain/path")"},
        {"a b", R"("a b")"},
        {R"(say "hi")", R"("say \\"hi\\"")"},
        {"$HOME`x`", R"("\\$HOME\\`x\\`")"},
        {R"(C:\x)", R"("C:\\\\x")"},
        {"100%", R"("100%%")"},
    };
    for (const auto& c : cases) EXPECT_EQ(QuoteExecArgument(c.argument), c.quoted) << c.argument;
}

}  // namespace
