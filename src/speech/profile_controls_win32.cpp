#include "speech/profile_controls_win32.h"

#include "win32/text_win32.h"

#include <commctrl.h>

namespace parlowen::speech {

// Descriptions are ANSI text; the controls are Unicode windows, so convert here.
void ProfileControlsWin32::AddVoice(const std::string& description) {
    const std::wstring text = win32::AnsiToWide(description);
    ::SendMessageW(voiceBox_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void ProfileControlsWin32::SelectVoice(int index) { ::SendMessageW(voiceBox_, CB_SETCURSEL, index, 0); }

// The trackbar clamps a position outside its range to the nearer end.
void ProfileControlsWin32::SetRatePosition(int position) { ::SendMessageW(rateSlider_, TBM_SETPOS, TRUE, position); }

void ProfileControlsWin32::SetVolumePosition(int position) {
    ::SendMessageW(volumeSlider_, TBM_SETPOS, TRUE, position);
}

void ProfileControlsWin32::ShowRateValue(const std::string& text) { ::SetWindowTextA(rateLabel_, text.c_str()); }

void ProfileControlsWin32::ShowVolumeValue(const std::string& text) { ::SetWindowTextA(volumeLabel_, text.c_str()); }

}  // namespace parlowen::speech
