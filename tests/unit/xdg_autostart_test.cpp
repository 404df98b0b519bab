#include "app/xdg_autostart.h"

#include <gtest/gtest.h>

namespace {

using namespace parlowen::app;

TEST(XdgAutostart, TheEntryStartsTheProgramTheWayItRunsNowInTheSamePrefix) {
    for (const char* width : {"win32", "win64"}) {
        const std::string packaged = *AutostartEntry(
            {std::string("/usr/lib/parlowen/") + width + "/parlowen.exe", "/home/moon/.wine", "/usr/lib/wine/wine64"});
        EXPECT_NE(packaged.find("\nTryExec=/usr/bin/parlowen\n"
                                "Exec=env WINEPREFIX=\"/home/moon/.wine\" \"/usr/bin/parlowen\" -s\n"),
                  std::string::npos) << width;
        EXPECT_TRUE(packaged.starts_with("[Desktop Entry]\nType=Application\nName=Parlowen2009\n"));
    }

    const AutostartPlaces installed{"/home/moon/qq prefix/drive_c/Program Files/Parlowen/parlowen.exe",
                                    "/home/moon/qq prefix", "/opt/wine-9/bin/wine"};
    EXPECT_NE(AutostartEntry(installed)->find(
                  "\nTryExec=/home/moon/qq prefix/drive_c/Program Files/Parlowen/parlowen.exe\n"
                  "Exec=env WINEPREFIX=\"/home/moon/qq prefix\" \"/opt/wine-9/bin/wine\" "
                  "\"/home/moon/qq prefix/drive_c/Program Files/Parlowen/parlowen.exe\" -s\n"),
              std::string::npos);
    AutostartPlaces unknownLoader = installed;
    unknownLoader.wineLoader.clear();
    EXPECT_NE(AutostartEntry(unknownLoader)->find("\" wine \"/home/moon/qq prefix/drive_c/"), std::string::npos);

    EXPECT_EQ(AutostartEntry({"/home/moon/a\nb/parlowen.exe", "/home/moon/.wine", ""}), std::nullopt);
    EXPECT_EQ(AutostartEntry({"/home/moon/parlowen.exe", "/home/moon/.wine", "/usr/bin/wi\rne"}), std::nullopt);
}

// One entry per prefix and per program: the packaged programs of both widths share a
// name, and so do the programs of two prefixes.
TEST(XdgAutostart, EachPrefixAndProgramHasAnEntryOfItsOwn) {
    const AutostartPlaces a{"/usr/lib/parlowen/win64/parlowen.exe", "/home/moon/.wine", ""};
    const AutostartPlaces b{"/usr/lib/parlowen/win64/parlowen.exe", "/home/moon/.wine32", ""};
    const AutostartPlaces c{"/usr/lib/parlowen/win32/parlowen.exe", "/home/moon/.wine", ""};
    const AutostartPlaces renamed{"/usr/lib/parlowen/win64/parlowen-renamed.exe", "/home/moon/.wine", ""};
    EXPECT_TRUE(AutostartFileName(a).starts_with("parlowen-"));
    EXPECT_TRUE(AutostartFileName(a).ends_with(".desktop"));
    EXPECT_TRUE(AutostartFileName(renamed).starts_with("parlowen-renamed-"));
    EXPECT_NE(AutostartFileName(a), AutostartFileName(b));
    EXPECT_NE(AutostartFileName(a), AutostartFileName(c));
    EXPECT_EQ(AutostartFileName(a), AutostartFileName(AutostartPlaces{a.exePath, a.prefixPath, "/usr/bin/wine"}));

    // An entry of an earlier version is this program's only when it names this prefix.
    const std::string legacy = "[Desktop Entry]\nExec=env WINEPREFIX=\"/home/moon/.wine\" \"/usr/bin/parlowen\" -s\n";
    EXPECT_EQ(LegacyAutostartFileName(a.exePath), "parlowen.desktop");
    EXPECT_TRUE(IsLegacyEntryOf(legacy, a));
    EXPECT_FALSE(IsLegacyEntryOf(legacy, b));
    EXPECT_FALSE(IsLegacyEntryOf("", a));
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
