#include "speech/profile_controls_win32.h"

#include "win32/text_win32.h"

#include <commctrl.h>

namespace parlowen::speech {

// Descriptions are ANSI text; the controls are Unicode windows, so convert here.
void ProfileControlsWin32::AddVoice(const std::string& description) {
    const std::wstring text = win32::AnsiToWide(description);
    ::SendMessageW(voiceBox_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

int ProfileControlsWin32::VoiceCount() const {
    return static_cast<int>(::SendMessageW(voiceBox_, CB_GETCOUNT, 0, 0));
}

std::string ProfileControlsWin32::VoiceText(int index) const {
    const LRESULT length = ::SendMessageW(voiceBox_, CB_GETLBTEXTLEN, index, 0);
    if (length <= 0) return {};
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const LRESULT copied = ::SendMessageW(voiceBox_, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text.data()));
    text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
    return win32::WideToAnsi(text);
}

int ProfileControlsWin32::SelectedVoice() const {
    const LRESULT index = ::SendMessageW(voiceBox_, CB_GETCURSEL, 0, 0);
    return index == CB_ERR ? -1 : static_cast<int>(index);
}

void ProfileControlsWin32::SelectVoice(int index) { ::SendMessageW(voiceBox_, CB_SETCURSEL, index, 0); }

int ProfileControlsWin32::RatePosition() const {
    return static_cast<int>(::SendMessageW(rateSlider_, TBM_GETPOS, 0, 0));
}

// The trackbar clamps a position outside its range to the nearer end.
void ProfileControlsWin32::SetRatePosition(int position) { ::SendMessageW(rateSlider_, TBM_SETPOS, TRUE, position); }

int ProfileControlsWin32::VolumePosition() const {
    return static_cast<int>(::SendMessageW(volumeSlider_, TBM_GETPOS, 0, 0));
}

void ProfileControlsWin32::SetVolumePosition(int position) {
    ::SendMessageW(volumeSlider_, TBM_SETPOS, TRUE, position);
}

void ProfileControlsWin32::ShowRateValue(const std::string& text) { ::SetWindowTextA(rateLabel_, text.c_str()); }

void ProfileControlsWin32::ShowVolumeValue(const std::string& text) { ::SetWindowTextA(volumeLabel_, text.c_str()); }

}  // namespace parlowen::speech
