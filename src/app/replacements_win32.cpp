#include "app/replacements_win32.h"

#include "app/settings/settings_folder_file_win32.h"
#include "text/lines.h"
#include "win32/text_win32.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <vector>

namespace parlowen::app {
namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::size_t kProblemsListed = 10;

// The file as an editor left it: UTF-8 or UTF-16 with their marks, UTF-8 without (as
// Notepad saves now), or the ANSI code page (as it saved before).
std::wstring DecodeList(std::string_view bytes) {
    if (bytes.starts_with(kUtf8Mark)) return win32::Utf8ToWide(bytes.substr(kUtf8Mark.size()));
    if (bytes.starts_with("\xFF\xFE")) {
        std::wstring text((bytes.size() - 2) / sizeof(wchar_t), L'\0');
        std::memcpy(text.data(), bytes.data() + 2, text.size() * sizeof(wchar_t));
        return text;
    }
    const bool utf8 = ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(),
                                            static_cast<int>(bytes.size()), nullptr, 0) > 0;
    return utf8 ? win32::Utf8ToWide(bytes) : win32::AnsiToWide(bytes);
}

// Lines as the page's text box shows them, however the editor ended them.
std::wstring WithWindowsLineEnds(std::wstring_view text) {
    std::wstring out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'\n' && (i == 0 || text[i - 1] != L'\r')) out += L'\r';
        out += text[i];
    }
    return out;
}

const wchar_t* ProblemText(speech::ReplacementProblem problem) {
    switch (problem) {
    case speech::ReplacementProblem::NoEqualsSign: return L"没有“=”";
    case speech::ReplacementProblem::NothingReplaced: return L"“=”前没有要替换的词";
    case speech::ReplacementProblem::TooLong: return L"太长（“=”前最多50字，后面最多100字）";
    case speech::ReplacementProblem::NotInCodePage: return L"有系统字符集（GBK）里没有的字（如表情符号）";
    }
    return L"";
}

// The list in the ANSI code page, as the chat's text is. A line holding a character the
// code page lacks (an emoji) would become "?" and replace every question mark: it is
// left blank, keeping the lines' numbers, and told.
std::string AnsiList(const std::wstring& text, std::vector<speech::ReplacementLineProblem>& problems) {
    std::string list;
    int number = 0;
    for (std::wstring_view line : text::Lines<wchar_t>(text)) {
        ++number;
        BOOL lacking = FALSE;
        const int size = ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, line.data(), static_cast<int>(line.size()),
                                               nullptr, 0, nullptr, &lacking);
        if (lacking) {
            problems.push_back({number, speech::ReplacementProblem::NotInCodePage});
        } else {
            std::string bytes(static_cast<std::size_t>(size), '\0');
            ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, line.data(), static_cast<int>(line.size()), bytes.data(),
                                  size, nullptr, nullptr);
            list += bytes;
        }
        list += '\n';
    }
    return list;
}

std::runtime_error ProblemsReport(const std::vector<speech::ReplacementLineProblem>& problems) {
    std::wstring report = L"替换词表 " + settings::SettingsFolderFile(kReplacementsFileName) + L" 中有 " +
                          std::to_wstring(problems.size()) + L" 行不是“原文 = 读法”，已跳过，其余各行照常使用：";
    for (std::size_t i = 0; i < problems.size() && i < kProblemsListed; ++i)
        report += L"\r\n第" + std::to_wstring(problems[i].line) + L"行：" + ProblemText(problems[i].problem);
    if (problems.size() > kProblemsListed) report += L"\r\n……";
    return std::runtime_error(win32::WideToAnsi(report));
}

}  // namespace

void ReplacementsWin32::Use(std::wstring text) {
    text_ = std::move(text);
    std::vector<speech::ReplacementLineProblem> problems;
    const std::string list = AnsiList(text_, problems);
    words_ = speech::Replacements::Parse(list, problems);
    if (problems.empty()) return;
    std::stable_sort(problems.begin(), problems.end(),
                     [](const auto& a, const auto& b) { return a.line < b.line; });
    throw ProblemsReport(problems);
}

ReplacementsWin32::Stamp ReplacementsWin32::FileStamp() {
    const auto found = settings::SettingsFolderFileStamp(kReplacementsFileName);
    if (!found) return {};
    const auto wide = [](DWORD high, DWORD low) { return ULONGLONG{high} << 32 | low; };
    return {wide(found->ftLastWriteTime.dwHighDateTime, found->ftLastWriteTime.dwLowDateTime),
            wide(found->nFileSizeHigh, found->nFileSizeLow)};
}

void ReplacementsWin32::Load() {
    read_ = seen_ = FileStamp();
    Use(WithWindowsLineEnds(DecodeList(settings::ReadSettingsFolderFile(kReplacementsFileName).value_or(""))));
}

bool ReplacementsWin32::ChangedOnDisk() {
    const Stamp now = FileStamp();
    const bool settled = now == seen_;
    seen_ = now;
    return now != read_ && settled;
}

void ReplacementsWin32::Apply(const std::wstring& list) {
    // Written first: a list with a line to mend is still the user's list.
    settings::WriteSettingsFolderFile(kReplacementsFileName, std::string(kUtf8Mark) + win32::WideToUtf8(list));
    read_ = seen_ = FileStamp();
    Use(list);
}

}  // namespace parlowen::app
