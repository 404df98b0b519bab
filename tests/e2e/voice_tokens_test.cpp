// The English voice tokens: written while the program runs on Windows 5.x (a prefix
// that reports Windows XP), removed at exit, another installation's token left alone,
// and nothing written on later versions.
#include "demo_chat/chat_window_win32.h"
#include "e2e.h"
#include "files_win32.h"
#include "program_win32.h"
#include "sapi_registration_win32.h"
#include "speech/voice_tokens.h"
#include "win32/handles_win32.h"
#include "registry_win32.h"
#include "win32/text_win32.h"
#include "win32/windows_version_win32.h"

#include <shellapi.h>

#include <algorithm>

namespace {

using namespace e2e;
using parlowen::win32::UniqueKey;

constexpr wchar_t kTokens[] = L"SOFTWARE\\Microsoft\\Speech\\Voices\\Tokens";
constexpr wchar_t kTokensExport[] = L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Speech\\Voices\\Tokens\\";

// In the program's own registry view, or in the one `view` names (KEY_WOW64_32KEY …).
bool TokenExists(const std::wstring& name, REGSAM view = 0) {
    UniqueKey key;
    return ::RegOpenKeyExW(HKEY_LOCAL_MACHINE, (std::wstring(kTokens) + L"\\" + name).c_str(), 0, KEY_READ | view,
                           key.put()) == ERROR_SUCCESS;
}

// The key as `reg export` writes it (UTF-16), without the file's first line.
std::wstring RegExport(const std::wstring& key) {
    const std::wstring file = DriverFolder() + L"token-export.reg";
    ::DeleteFileW(file.c_str());
    RunToEnd(L"C:\\windows\\system32\\reg.exe", L" export \"" + key + L"\" \"" + file + L"\" /y", 20000);
    const std::string bytes = FileBytes(file);
    ::DeleteFileW(file.c_str());
    const std::wstring text(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / sizeof(wchar_t));
    const size_t firstLineEnd = text.find(L"\r\n");
    return firstLineEnd == std::wstring::npos ? text : text.substr(firstLineEnd + 2);
}

std::wstring Doubled(std::wstring path) {
    for (size_t at = 0; (at = path.find(L'\\', at)) != std::wstring::npos; at += 2) path.insert(at, 1, L'\\');
    return path;
}

// A token as `reg export` shows it, with the program in `folder`.
std::wstring ExpectedExport(const std::wstring& key, const std::wstring& name, const std::wstring& file,
                            const std::wstring& gender) {
    const std::wstring root = std::wstring(kTokensExport) + key;
    const std::wstring folder = Doubled(DriverFolder());
    const std::wstring lexicon = L"C:\\\\Program Files\\\\Common Files\\\\SpeechEngines\\\\Microsoft\\\\Lexicon\\\\1033\\\\";
    return L"\r\n[" + root + L"]\r\n@=\"" + name + L"\"\r\n\"409\"=\"" + name +
           L"\"\r\n\"CLSID\"=\"{65DBDDEF-0725-11D3-B50C-00C04F797396}\"\r\n\"VoiceData\"=\"" + folder + L"TTS\\\\" +
           file + L".spd\"\r\n\"VoiceDef\"=\"" + folder + L"TTS\\\\" + file + L".sdf\"\r\n\r\n[" + root +
           L"\\Attributes]\r\n@=\"\"\r\n\"Age\"=\"Adult\"\r\n\"Gender\"=\"" + gender +
           L"\"\r\n\"Language\"=\"409;9\"\r\n\"Name\"=\"" + name +
           L"\"\r\n\"Vender\"=\"Microsoft\"\r\n\"VendorPreferred\"=\"\"\r\n\r\n[" + root +
           L"\\Lex]\r\n@=\"\"\r\n\"CLSID\"=\"{90903716-2F42-11D3-9C26-00C04F8EF87C}\"\r\n\"DataFile\"=\"" + lexicon +
           L"LTTS1033.LXA\"\r\n\r\n[" + root +
           L"\\LTS]\r\n@=\"\"\r\n\"CLSID\"=\"{685879BA-3263-11D3-9C26-00C04F8EF87C}\"\r\n\"DataFile\"=\"" + lexicon +
           L"r1033tts.LXA\"\r\n\r\n[" + root +
           L"\\LTS\\PhoneConverter]\r\n@=\"Microsoft English LTS Phone Converter\"\r\n"
           L"\"CLSID\"=\"{9185F743-1143-4C28-86B5-BFF14F20E5C8}\"\r\n\"PhoneMap\"=\"" +
           parlowen::win32::AnsiToWide(parlowen::speech::kPhoneMap) + L"\"\r\n\r\n";
}

bool TrayIconShown(HWND main) {
    NOTIFYICONDATAW data{};
    data.cbSize = NOTIFYICONDATAW_V3_SIZE;
    data.hWnd = main;
    data.uID = app::kTrayIconId;
    return ::Shell_NotifyIconW(NIM_MODIFY, &data) != FALSE;  // changes nothing: no flags
}

E2E_TEST_ON_WINDOWS_5(OnWindowsXpTheProgramRunsWithBothVoiceTokens) {
    REQUIRE(parlowen::win32::WindowsMajorVersion() == 5);
    RecordingSpeech speech;  // Wine's own speech lists no voices
    START_PROGRAM(program, main);
    CHECK(TrayIconShown(main));
    const std::vector<std::wstring> names = parlowen::win32::RegistrySubkeyNames(HKEY_LOCAL_MACHINE, kTokens);
    CHECK(std::count(names.begin(), names.end(), L"MSMary") == 1);  // the spelling it was created with
    CHECK(std::count(names.begin(), names.end(), L"MSMike") == 1);
    CHECK_EQ(RegExport(std::wstring(kTokensExport) + L"MSMary"), ExpectedExport(L"MSMary", L"Microsoft Mary", L"mary", L"Female"));
    CHECK_EQ(RegExport(std::wstring(kTokensExport) + L"MSMike"), ExpectedExport(L"MSMike", L"Microsoft Mike", L"mike", L"Male"));
    // Where 32-bit speech clients read them, the voices being 32-bit: on a 64-bit system
    // the system redirects the program there, and the 64-bit view stays as it was.
    CHECK(TokenExists(L"MSMary", KEY_WOW64_32KEY));
    BOOL on64BitSystem = FALSE;
    if (sizeof(void*) == 4 && ::IsWow64Process(::GetCurrentProcess(), &on64BitSystem) && on64BitSystem)
        CHECK(!TokenExists(L"MSMary", KEY_WOW64_64KEY));

    // Both voices are offered in both voice boxes, before Wine's voice (which has no name).
    for (int box : {app::IdCBVoice, app::IdCBVoice1})
        CHECK(VoiceBoxEntries(OptionControl(main, box)) ==
              (std::vector<std::wstring>{L"Microsoft Mary", L"Microsoft Mike", L""}));

    // A chat message is read and logged as on any other version.
    parlowen::demo::ChatWindow chat(std::wstring_view(L"与 moon 交谈中"));
    chat.SetHistory(parlowen::win32::WideToAnsi(L"moon 20:16:30\r\n见到你很高兴"));
    chat.BringToFront();
    CHECK(WaitUntil([&] { return ProbeLog(main) == L"sel 24 24\n0000ff moon 20:16:30 说：\\r\n000000 见到你很高兴\\r\n"; }, 6000));
    ::ShowWindow(chat.hwnd(), SW_HIDE);
    ::PostMessageW(main, app::kTrayCallbackMessage, app::kTrayIconId, WM_LBUTTONUP);
    WaitUntil([&] { return Shown(main); }, 5000);
    Pump(300);
    SaveScreenshot(nullptr, L"windows-xp-running");

    CHECK_EQ(program.Close(), 0ul);
    CHECK(!TokenExists(L"MSMary"));
    CHECK(!TokenExists(L"MSMike"));
}

E2E_TEST_ON_WINDOWS_5(OnWindowsXpAnotherInstallationsMaryIsLeftAlone) {
    REQUIRE(parlowen::win32::WindowsMajorVersion() == 5);
    const std::wstring mary = std::wstring(kTokens) + L"\\MSMary";
    const std::string voiceData = "C:\\Program Files\\Speech\\mary.spd";
    {
        UniqueKey key;
        REQUIRE(::RegCreateKeyExW(HKEY_LOCAL_MACHINE, (mary + L"\\Attributes").c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                  nullptr, key.put(), nullptr) == ERROR_SUCCESS);
        ::RegSetValueExA(key.get(), "Name", 0, REG_SZ, reinterpret_cast<const BYTE*>("Microsoft Mary"), 15);
        REQUIRE(::RegOpenKeyExW(HKEY_LOCAL_MACHINE, mary.c_str(), 0, KEY_ALL_ACCESS, key.put()) == ERROR_SUCCESS);
        ::RegSetValueExA(key.get(), "VoiceData", 0, REG_SZ, reinterpret_cast<const BYTE*>(voiceData.c_str()),
                         static_cast<DWORD>(voiceData.size() + 1));
    }
    // Its voice data is there: the voice is another installation's.
    ::CreateDirectoryA("C:\\Program Files\\Speech", nullptr);
    WriteFileBytes(L"C:\\Program Files\\Speech\\mary.spd", "voice data");
    const std::wstring before = RegExport(std::wstring(kTokensExport) + L"MSMary");
    CHECK(before.find(L"\"VoiceData\"=\"C:\\\\Program Files\\\\Speech\\\\mary.spd\"") != std::wstring::npos);

    START_PROGRAM(program, main);
    CHECK_EQ(RegExport(std::wstring(kTokensExport) + L"MSMary"), before);
    CHECK(TokenExists(L"MSMike"));
    CHECK_EQ(program.Close(), 0ul);
    CHECK_EQ(RegExport(std::wstring(kTokensExport) + L"MSMary"), before);
    CHECK(!TokenExists(L"MSMike"));

    // Once its voice data is gone, the token is no one's voice: this program's own replaces it.
    REQUIRE(::DeleteFileW(L"C:\\Program Files\\Speech\\mary.spd"));
    {
        START_PROGRAM(again, mainAgain);
        CHECK(RegExport(std::wstring(kTokensExport) + L"MSMary").find(L"TTS\\\\mary.spd") != std::wstring::npos);
        CHECK_EQ(again.Close(), 0ul);
    }
    CHECK(!TokenExists(L"MSMary"));
    ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, mary.c_str());
}

E2E_TEST(OnLaterWindowsNoVoiceTokenIsWritten) {
    REQUIRE(parlowen::win32::WindowsMajorVersion() >= 6);
    START_PROGRAM(program, main);
    CHECK(!TokenExists(L"MSMary"));
    CHECK(!TokenExists(L"MSMike"));
    CHECK_EQ(program.Close(), 0ul);
}

}  // namespace
