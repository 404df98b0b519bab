#include "win32/file_dialogs_win32.h"

#include "win32/text_win32.h"

#include <commdlg.h>

#include <algorithm>
#include <vector>

namespace parlowen::win32 {
namespace {

// The dialog wants NUL between the entries and two at the end. The separators are
// replaced before the conversion: "|" can be the second byte of a GBK character.
std::string DialogFilter(const wchar_t* filter) {
    std::wstring wide(filter);
    std::replace(wide.begin(), wide.end(), L'|', L'\0');
    wide.push_back(L'\0');
    return win32::WideToAnsi(wide) + '\0';
}

std::optional<std::string> AskFileName(HWND owner, const wchar_t* filter, const char* defaultExtension, bool save) {
    const std::string ansiFilter = DialogFilter(filter);
    std::vector<char> name(MAX_PATH * 4, '\0');
    OPENFILENAMEA dialog{};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = ansiFilter.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = name.data();
    dialog.nMaxFile = static_cast<DWORD>(name.size());
    dialog.lpstrDefExt = defaultExtension;
    dialog.Flags = OFN_EXPLORER | OFN_ENABLESIZING | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    const BOOL chosen = save ? ::GetSaveFileNameA(&dialog) : ::GetOpenFileNameA(&dialog);
    if (!chosen || name[0] == '\0') return std::nullopt;
    return std::string(name.data());
}

}  // namespace

std::optional<std::string> AskFileToOpen(HWND owner, const wchar_t* filter) {
    return AskFileName(owner, filter, nullptr, false);
}

std::optional<std::string> AskFileToSave(HWND owner, const wchar_t* filter, const char* defaultExtension) {
    return AskFileName(owner, filter, defaultExtension, true);
}

}  // namespace parlowen::win32
