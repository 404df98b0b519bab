// Start with Windows: the two check items, the shortcut in the Startup folder they
// write and remove, and the marks at the next start.
#include "e2e.h"
#include "files_win32.h"
#include "program_win32.h"

#include "app/xdg_autostart.h"
#include "win32/com_win32.h"
#include "win32/text_win32.h"
#include "win32/wine_win32.h"

#include <shlobj.h>

#include <algorithm>
#include <optional>

namespace {

using namespace e2e;
using parlowen::win32::ComPtr;


// What a shortcut holds, read back through the shell's own link object.
struct ShortcutFields {
    std::string path, arguments, workingDirectory, description;
};

ShortcutFields ReadShortcut(const std::wstring& file) {
    ShortcutFields fields;
    ComPtr<IShellLinkA> link;
    ComPtr<IPersistFile> persist;
    if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                  reinterpret_cast<void**>(link.GetAddressOf()))) ||
        FAILED(link.As(&persist)) || FAILED(persist->Load(file.c_str(), STGM_READ)))
        return fields;
    char text[MAX_PATH] = "";
    link->GetPath(text, MAX_PATH, nullptr, SLGP_RAWPATH);
    fields.path = text;
    link->GetArguments(text, MAX_PATH);
    fields.arguments = text;
    link->GetWorkingDirectory(text, MAX_PATH);
    fields.workingDirectory = text;
    link->GetDescription(text, MAX_PATH);
    fields.description = text;
    return fields;
}

std::string DriverFolderAnsi() { return parlowen::win32::WideToAnsi(DriverFolder()); }

// A key pressed and let go on the keyboard, for whichever window has the focus.
void Type(BYTE key) {
    ::keybd_event(key, 0, 0, 0);
    ::keybd_event(key, 0, KEYEVENTF_KEYUP, 0);
    Pump(200);
}

bool MainItemChecked(HWND main) { return ProbeMenu(main, ProbedMenu::MenuBar).find(L"1 C 启动时运行") != std::wstring::npos; }

bool TrayItemChecked(HWND main) { return ProbeTrayMenu(main).find(L"0 C 开机时运行") != std::wstring::npos; }

// Clicks "开机时运行" as the keyboard does: five steps down past the separators, Enter.
void ClickTrayItem(HWND main, const wchar_t* screenshot = nullptr) {
    HWND menu = OpenTrayMenu(main);
    for (int i = 0; i < 5; ++i) PressKey(menu, VK_DOWN);
    Pump(300);
    if (screenshot) SaveScreenshot(nullptr, screenshot);
    PressKey(menu, VK_RETURN);
    WaitUntil([] { return ::FindWindowW(L"#32768", nullptr) == nullptr; }, 5000);
}

constexpr wchar_t kRenamedExe[] = L"parlowen-renamed.exe";

// The program copied beside itself under another name, and started; its main window.
HWND StartRenamedCopy(Program& program) {
    if (!::CopyFileW((DriverFolder() + L"parlowen.exe").c_str(), (DriverFolder() + kRenamedExe).c_str(), FALSE))
        return nullptr;
    program.Start(L"", kRenamedExe);
    return program.MainWindowAfterStartUp();
}

E2E_TEST(StartupItemsTickTogetherAndWriteTheShortcut) {
    const parlowen::win32::ComApartment com;
    START_PROGRAM(program, main);
    CHECK(!MainItemChecked(main));
    CHECK(!TrayItemChecked(main));

    ::PostMessageW(main, WM_COMMAND, app::IdNOpenOnStartup, 0);  // "启动时运行" in 主菜单
    CHECK(WaitUntil([] { return Exists(StartupShortcutPath()); }, 5000));
    CHECK(MainItemChecked(main));
    CHECK(TrayItemChecked(main));
    const ShortcutFields fields = ReadShortcut(StartupShortcutPath());
    CHECK_EQ(fields.path, DriverFolderAnsi() + "parlowen.exe");
    CHECK_EQ(fields.arguments, std::string(" -s"));
    CHECK_EQ(fields.workingDirectory, DriverFolderAnsi());
    CHECK_EQ(fields.description, std::string("Parlowen2009"));

    ClickTrayItem(main, L"tray-menu-start-with-windows");  // "开机时运行" unticks both
    CHECK(WaitUntil([] { return !Exists(StartupShortcutPath()); }, 5000));
    CHECK(!MainItemChecked(main));
    CHECK(!TrayItemChecked(main));

    ClickTrayItem(main);
    CHECK(WaitUntil([] { return Exists(StartupShortcutPath()); }, 5000));
    CHECK(MainItemChecked(main));
    CHECK_EQ(program.Close(), 0ul);
}

E2E_TEST(StartupMarksFollowTheShortcutAtTheNextStart) {
    const parlowen::win32::ComApartment com;
    const std::string exe = DriverFolderAnsi() + "parlowen.exe";
    {
        START_PROGRAM(program, main);
        ::PostMessageW(main, WM_COMMAND, app::IdNOpenOnStartup2, 0);
        REQUIRE(WaitUntil([] { return Exists(StartupShortcutPath()); }, 5000));
        CHECK_EQ(program.Close(), 0ul);
    }
    {
        START_PROGRAM(program, main);
        CHECK(MainItemChecked(main));
        CHECK(TrayItemChecked(main));
        // The menu bar's "主菜单" opened from the keyboard, as a user sees the mark.
        ::ShowWindow(main, SW_RESTORE);
        ::SetForegroundWindow(main);
        Pump(300);
        Type(VK_F10);
        Type(VK_DOWN);
        CHECK(WaitUntil([] { return ::FindWindowW(L"#32768", nullptr) != nullptr; }, 5000));
        Pump(300);
        SaveScreenshot(nullptr, L"main-menu-start-with-windows");
        CHECK(ProbeMenu(main, ProbedMenu::OpenPopup).find(L"0 C 启动时运行") != std::wstring::npos);
        Type(VK_ESCAPE);
        Type(VK_ESCAPE);
        CHECK(WaitUntil([] { return ::FindWindowW(L"#32768", nullptr) == nullptr; }, 5000));

        // Removed by hand: unticking deletes nothing and says nothing.
        REQUIRE(::DeleteFileW(StartupShortcutPath().c_str()));
        ::PostMessageW(main, WM_COMMAND, app::IdNOpenOnStartup, 0);
        CHECK(WaitUntil([&] { return !MainItemChecked(main); }, 5000));
        CHECK(WaitForDialogOf(program.processId(), 1000) == nullptr);
        CHECK(!TrayItemChecked(main));
        CHECK(!Exists(StartupShortcutPath()));
        ::PostMessageW(main, WM_COMMAND, app::IdNOpenOnStartup, 0);
        REQUIRE(WaitUntil([] { return Exists(StartupShortcutPath()); }, 5000));
        CHECK_EQ(program.Close(), 0ul);
    }
    // A renamed executable looks for a shortcut under its own name and leaves the old one.
    {
        Program program;
        HWND main = StartRenamedCopy(program);
        REQUIRE(main != nullptr);
        CHECK(!MainItemChecked(main));
        CHECK(!TrayItemChecked(main));
        CHECK(Exists(StartupShortcutPath()));
        CHECK_EQ(program.Close(), 0ul);
    }
    ::DeleteFileW((DriverFolder() + kRenamedExe).c_str());
    ::DeleteFileW(StartupShortcutPath().c_str());
}

// A Unix variable of the program's environment for one start (Wine's own, such as
// WINECONFIGDIR, are set anew in every process and cannot be handed down this way).
class ScopedVariable {
public:
    ScopedVariable(const wchar_t* name, const wchar_t* value) : name_(name) {
        wchar_t old[MAX_PATH * 2];
        const DWORD length = ::GetEnvironmentVariableW(name, old, MAX_PATH * 2);
        if (length > 0 && length < MAX_PATH * 2) old_ = old;
        ::SetEnvironmentVariableW(name, value);
    }
    ~ScopedVariable() { ::SetEnvironmentVariableW(name_, old_ ? old_->c_str() : nullptr); }
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

private:
    const wchar_t* name_;
    std::optional<std::wstring> old_;
};

// Where the autostart entries go: $XDG_CONFIG_HOME/autostart, else ~/.config/autostart.
std::wstring AutostartFolder() {
    using namespace parlowen::win32;
    wchar_t configHome[MAX_PATH] = L"";
    ::GetEnvironmentVariableW(L"XDG_CONFIG_HOME", configHome, MAX_PATH);
    if (configHome[0] == L'/') return WindowsPathOf(WideToUtf8(configHome)).value_or(L"?") + L"\\autostart";
    return WineFolder(L"WINEHOMEDIR").value_or(L"?") + L"\\.config\\autostart";
}

// The entry of the program `exeName` of the driver's folder in this prefix, and what it
// names.
struct ExpectedEntry {
    std::wstring path;
    std::string exe, prefix;
};
ExpectedEntry EntryOf(const std::wstring& exeName = L"parlowen.exe") {
    using namespace parlowen::win32;
    ExpectedEntry entry{L"", UnixPathOf(DriverFolder() + exeName).value_or("?"),
                        UnixPathOf(WineFolder(L"WINECONFIGDIR").value_or(L"")).value_or("?")};
    entry.path = AutostartFolder() + L"\\" + Utf8ToWide(app::AutostartFileName({entry.exe, entry.prefix, ""}));
    return entry;
}

void Tick(HWND main) { ::PostMessageW(main, WM_COMMAND, app::IdNOpenOnStartup, 0); }

// Under Wine, nothing runs the prefix's Startup folder at a Linux desktop's login: the
// same items write and remove an XDG autostart entry that starts the program the same
// way, in the same prefix, with the Wine that runs it. A renamed copy has an entry of its
// own. (wine-run.sh points XDG_CONFIG_HOME beside the prefix; other prefixes are
// tests/e2e/autostart-prefixes.sh's.)
E2E_TEST(UnderWineTheStartupItemsAlsoWriteADesktopAutostartEntry) {
    using namespace parlowen::win32;
    wchar_t loader[MAX_PATH] = L"";
    ::GetEnvironmentVariableW(L"WINELOADER", loader, MAX_PATH);
    REQUIRE(loader[0] == L'/');
    const ExpectedEntry entry = EntryOf();
    const ExpectedEntry renamed = EntryOf(kRenamedExe);
    const std::wstring legacy = AutostartFolder() + L"\\parlowen.desktop";
    // The cases before this one may have left them.
    for (const std::wstring& file : {StartupShortcutPath(), entry.path}) ::DeleteFileW(file.c_str());

    // A shortcut that an earlier version made, with its entry under the old name: the
    // next start gives it this version's entry and removes the old one.
    {
        START_PROGRAM(program, main);
        Tick(main);
        REQUIRE(WaitUntil([&] { return Exists(entry.path); }, 5000));
        const std::string text = FileBytes(entry.path);
        CHECK(text.find("\nTryExec=" + entry.exe + "\n") != std::string::npos);
        CHECK(text.find("\nExec=env WINEPREFIX=\"" + entry.prefix + "\" \"" + WideToUtf8(loader) + "\" \"" +
                        entry.exe + "\" -s\n") != std::string::npos);
        REQUIRE(::DeleteFileW(entry.path.c_str()));
        WriteFileBytes(legacy, "[Desktop Entry]\nExec=env WINEPREFIX=\"" + entry.prefix + "\" wine \"" + entry.exe + "\" -s\n");
        CHECK_EQ(program.Close(), 0ul);
    }
    {
        START_PROGRAM(program, main);
        CHECK(Exists(entry.path));
        CHECK(!Exists(legacy));
        CHECK_EQ(program.Close(), 0ul);
    }
    {
        Program program;
        HWND main = StartRenamedCopy(program);
        REQUIRE(main != nullptr);
        Tick(main);
        CHECK(WaitUntil([&] { return Exists(renamed.path); }, 5000));
        Tick(main);
        CHECK(WaitUntil([&] { return !Exists(renamed.path); }, 5000));
        CHECK(Exists(entry.path));
        CHECK_EQ(program.Close(), 0ul);
    }
    ::DeleteFileW((DriverFolder() + kRenamedExe).c_str());
    {
        START_PROGRAM(program, main);
        ClickTrayItem(main);  // unticks both, as the shortcut is there
        // The entry goes first, the shortcut after it.
        WaitUntil([&] { return !Exists(entry.path) && !Exists(StartupShortcutPath()); }, 5000);
        CHECK(!Exists(entry.path));
        CHECK(!Exists(StartupShortcutPath()));
        CHECK_EQ(program.Close(), 0ul);
    }
}

// A shortcut or (under Wine) an autostart entry that cannot be written is reported, and
// nothing changes: not the marks, and not the other of the two.
E2E_TEST(AStartupOptionThatCannotBeAppliedIsReportedAndChangesNothing) {
    using namespace parlowen::win32;
    const auto tickAndExpectReport = [](HWND main, const char* screenshot) {
        Tick(main);
        HWND box = WaitForMessageBox(L"Parlowen2009");
        REQUIRE(box != nullptr);
        CHECK(MessageBoxText(box).find(L"Cannot write") != std::wstring::npos);
        if (screenshot) SaveScreenshot(nullptr, parlowen::win32::Utf8ToWide(screenshot));
        DismissMessageBox(box);
        CHECK(!MainItemChecked(main));
    };
    ::DeleteFileW(StartupShortcutPath().c_str());
    {
        START_PROGRAM(program, main);
        // A folder where the shortcut should go, made once the program has looked.
        REQUIRE(::CreateDirectoryW(StartupShortcutPath().c_str(), nullptr));
        tickAndExpectReport(main, "shortcut-cannot-be-written");
        CHECK(!Exists(EntryOf().path));  // the entry written first was taken back
        CHECK_EQ(program.Close(), 0ul);
        ::RemoveDirectoryW(StartupShortcutPath().c_str());
    }
    {
        const std::wstring config = L"C:\\unwritable-config";
        ::CreateDirectoryW(config.c_str(), nullptr);
        WriteFileBytes(config + L"\\autostart", "a file where the folder should be");
        const ScopedVariable configHome(L"XDG_CONFIG_HOME", Utf8ToWide(UnixPathOf(config).value_or("?")).c_str());
        START_PROGRAM(program, main);
        tickAndExpectReport(main, "autostart-entry-cannot-be-written");
        CHECK(!Exists(StartupShortcutPath()));
        CHECK_EQ(program.Close(), 0ul);
    }
}

// The steps tests/e2e/autostart-prefixes.sh runs in several prefixes that share one
// autostart folder: each ticks or unticks the option in its own prefix.
E2E_STEP(AutostartStepTick) {
    const ExpectedEntry entry = EntryOf();
    START_PROGRAM(program, main);
    CHECK(!MainItemChecked(main));
    Tick(main);
    // The entry is written first, then the shortcut, then the marks: the step ends once
    // the command has, so that it is never run again on a tick already made.
    CHECK(WaitUntil([&] { return MainItemChecked(main); }, 5000));
    CHECK(Exists(entry.path));
    CHECK(FileBytes(entry.path).find("WINEPREFIX=\"" + entry.prefix + "\"") != std::string::npos);
    CHECK(Exists(StartupShortcutPath()));
    CHECK_EQ(program.Close(), 0ul);
}

E2E_STEP(AutostartStepUntick) {
    const ExpectedEntry entry = EntryOf();
    START_PROGRAM(program, main);
    CHECK(MainItemChecked(main));
    Tick(main);
    CHECK(WaitUntil([&] { return !MainItemChecked(main); }, 5000));
    CHECK(!Exists(entry.path));
    CHECK(!Exists(StartupShortcutPath()));
    CHECK_EQ(program.Close(), 0ul);
}

}  // namespace
