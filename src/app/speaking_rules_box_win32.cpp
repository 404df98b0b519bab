#include "app/speaking_rules_box_win32.h"

#include "app/control_ids.h"
#include "win32/child_window_win32.h"

#include <algorithm>
#include <string>

namespace parlowen::app {
namespace {

using win32::CreateCheckBox;
using win32::CreateChild;
using win32::IsChecked;
using win32::Offset;
using win32::Rect;
using win32::SetChecked;

}  // namespace

SpeakingRulesBox::SpeakingRulesBox(HWND page, int top, speech::SpeakingRules& rules) : rules_(rules) {
    const Rect group{12, top, 277, 124};
    CreateChild(page, L"BUTTON", L"朗读时", BS_GROUPBOX, group, IdGroupSpeaking);
    links_ = CreateCheckBox(page, L"链接、邮箱和长数字只读一个词", Offset({10, 16, 257, 17}, group), IdSpeakLinks);
    symbols_ = CreateCheckBox(page, L"表情读作词，不读符号", Offset({10, 36, 257, 17}, group), IdSpeakSymbols);
    repeats_ = CreateCheckBox(page, L"重复的字最多读三遍", Offset({10, 56, 257, 17}, group), IdSpeakRepeats);
    CreateChild(page, L"STATIC", L"每条最多读", 0, Offset({10, 81, 64, 16}, group), IdLabelLongest);
    longest_ = CreateChild(page, L"EDIT", L"", ES_NUMBER | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP,
                           Offset({76, 78, 44, 20}, group), IdLongestMessage);
    ::SendMessageW(longest_, EM_LIMITTEXT, 6, 0);
    CreateChild(page, L"STATIC", L"字（空：约30秒；0：全读）", 0, Offset({124, 81, 146, 16}, group),
                IdLabelLongestUnit);
    queue_ = CreateCheckBox(page, L"一对一聊天：新消息等上一条读完", Offset({10, 102, 257, 17}, group),
                            IdQueueMessages);
    Show();
}

void SpeakingRulesBox::Show() {
    SetChecked(links_, rules_.shortenLinks);
    SetChecked(symbols_, rules_.dropSymbols);
    SetChecked(repeats_, rules_.collapseRepeats);
    SetChecked(queue_, rules_.queueMessages);
    // Left empty, the box stands for about half a minute at the voice's rate.
    const bool byTime = rules_.longestMessage == speech::kLongestByTime;
    ::SetWindowTextW(longest_, byTime ? L"" : std::to_wstring(rules_.longestMessage).c_str());
}

bool SpeakingRulesBox::OnCommand(unsigned id, unsigned notification) {
    switch (id) {
    case IdSpeakLinks:
    case IdSpeakSymbols:
    case IdSpeakRepeats:
    case IdQueueMessages:
        if (notification == BN_CLICKED) {
            rules_.shortenLinks = IsChecked(links_);
            rules_.dropSymbols = IsChecked(symbols_);
            rules_.collapseRepeats = IsChecked(repeats_);
            rules_.queueMessages = IsChecked(queue_);
        }
        return true;
    case IdLongestMessage:
        // Taken as typed; when the box is left, a number out of range shows as it is kept.
        if (notification == EN_CHANGE || notification == EN_KILLFOCUS) {
            wchar_t text[16] = L"";
            ::GetWindowTextW(longest_, text, 16);
            const long typed = std::wcstol(text, nullptr, 10);
            rules_.longestMessage = !text[0]    ? speech::kLongestByTime
                                    : typed <= 0 ? 0
                                                 : static_cast<int>(std::clamp<long>(typed, speech::kMinLongestMessage,
                                                                                     speech::kMaxLongestMessage));
            if (notification == EN_KILLFOCUS) Show();
        }
        return true;
    default:
        return false;
    }
}

}  // namespace parlowen::app
