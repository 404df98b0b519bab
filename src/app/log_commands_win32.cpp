// The log commands of the main menu: open, clear, save, the time display, and the
// export of the log as speech into a WAV file.
#include "app/main_window_win32.h"

#include "app/control_ids.h"
#include "win32/file_dialogs_win32.h"
#include "app/menus_win32.h"
#include "win32/menu_items_win32.h"
#include "log/log_control_win32.h"
#include "log/log_file_format.h"
#include "log/log_file_win32.h"
#include "log/log_pane_win32.h"
#include "speech/wav_export.h"
#include "win32/text_win32.h"

#include <cstdint>
#include <string>

namespace parlowen::app {
namespace {

using win32::AskFileToOpen;
using win32::AskFileToSave;

constexpr wchar_t kOpenFilter[] =
    L"rtf,文本文件(*.rtf;*.txt)|*.rtf;*.txt|rtf文件(*.rtf)|*.rtf|文本文件(*.txt)|*.txt|所有文件(*.*)|*.*";
constexpr wchar_t kSaveFilter[] = L"rtf文件(*.rtf)|*.rtf|文本文件(*.txt)|*.txt|所有文件(*.*)|*.*";
constexpr wchar_t kWavFilter[] = L"wav文件(*.wav)|*.wav|所有文件(*.*)|*.*";

constexpr wchar_t kClearCaption[] = L"确认";
constexpr wchar_t kClearQuestion[] = L"您确定要清空当前消息内容列表吗？";
constexpr wchar_t kNothingToExport[] = L"当前不能导出消息，消息内容为空!";
constexpr wchar_t kOpenCaption[] = L"打开消息";

// Under Wine the log takes in a megabyte in about a second and a half, and holds the
// window meanwhile.
bool AskToOpenLargeFile(HWND owner, std::uint64_t bytes) {
    const auto tenthsOfMegabytes = (bytes * 10 + (1 << 19)) >> 20;
    const auto seconds = (bytes * 3 + (1 << 21) - 1) >> 21;  // 1.5 s a megabyte, rounded up
    const auto number = [](std::uint64_t n) { return win32::AnsiToWide(std::to_string(n)); };
    const std::wstring question = L"这个文件有 " + number(tenthsOfMegabytes / 10) + L"." +
                                  number(tenthsOfMegabytes % 10) + L" MB，读入时本程序约有 " + number(seconds) +
                                  L" 秒不能响应。要打开它吗？";
    return ::MessageBoxW(owner, question.c_str(), kOpenCaption, MB_YESNO | MB_ICONQUESTION) == IDYES;
}

// The log pane as the export reads it.
class LogText : public speech::ExportedText {
public:
    explicit LogText(HWND richEdit) : pane_(richEdit) {}
    std::string SelectedText() override { return pane_.SelectedText(); }
    std::string WholeText() override { return pane_.WholeText(); }

private:
    log::LogPaneWin32 pane_;
};

// Shows the wait cursor while a long command runs on the GUI thread.
class WaitCursor {
public:
    WaitCursor() : previous_(::SetCursor(::LoadCursorW(nullptr, IDC_WAIT))) {}
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
    ~WaitCursor() { ::SetCursor(previous_); }

private:
    HCURSOR previous_;
};

}  // namespace

// The log is replaced by a new control instead of having its text deleted: see
// log_control_win32.h. The old log stays until the new one is whole.
void TFmain::NOpenMessageClick() {
    const auto path = AskFileToOpen(hwnd_, kOpenFilter);
    if (!path) return;
    log::LogFileToOpen file(*path);
    if (file.size() > log::kLargeLogFileBytes && !AskToOpenLargeFile(hwnd_, file.size())) return;
    const WaitCursor busy;
    ReplaceLogControl(log::ControlHoldingLog(richEdit1_, logFont_.get(), file.Read(), *path));
}

void TFmain::NClearMessageClick() {
    if (::MessageBoxW(hwnd_, kClearQuestion, kClearCaption, MB_YESNO | MB_ICONQUESTION) == IDYES)
        ReplaceLogControl(log::NewControlLike(richEdit1_, logFont_.get()));
}

void TFmain::ReplaceLogControl(win32::UniqueWindow fresh) {
    logCaret_.Forget();
    richEdit1_ = log::PutInPlace(std::move(fresh), richEdit1_);
}

void TFmain::NSaveMessageClick() {
    const auto path = AskFileToSave(hwnd_, kSaveFilter, "rtf");
    if (!path) return;
    plainTextMode_ = log::PlainTextModeForSaving(*path);
    log::SaveLogFile(richEdit1_, *path, plainTextMode_);
}

void TFmain::NShowTime1Click() {
    settings_.reading.showTime = !settings_.reading.showTime;
    win32::SetMenuItemChecked(::GetMenu(hwnd_), IdNShowTime1, settings_.reading.showTime);
}

void TFmain::ExportMessageToWav1Click() {
    LogText log(richEdit1_);
    if (log.WholeText().empty()) {
        ::MessageBoxW(hwnd_, kNothingToExport, kMainWindowCaption, MB_OK);
        return;
    }
    const auto path = AskFileToSave(hwnd_, kWavFilter, "wav");
    if (!path) return;
    const WaitCursor busy;
    speech::ExportToWav(speech_.mineVoice(), profiles_.SelectedToken(chat::Role::Mine), speech_.file(), log,
                        *path);
}

}  // namespace parlowen::app
