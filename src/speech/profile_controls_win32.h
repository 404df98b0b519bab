// One voice group of the options page (voice box, rate and volume sliders, value labels)
// as the profile logic sees it.
#pragma once

#include "speech/voice_profiles.h"

#include <windows.h>

namespace parlowen::speech {

class ProfileControlsWin32 : public ProfileControls {
public:
    ProfileControlsWin32(HWND voiceBox, HWND rateSlider, HWND volumeSlider, HWND rateLabel, HWND volumeLabel)
        : voiceBox_(voiceBox), rateSlider_(rateSlider), volumeSlider_(volumeSlider), rateLabel_(rateLabel),
          volumeLabel_(volumeLabel) {}

    void AddVoice(const std::string& description) override;
    void SelectVoice(int index) override;
    void SetRatePosition(int position) override;
    void SetVolumePosition(int position) override;
    void ShowRateValue(const std::string& text) override;
    void ShowVolumeValue(const std::string& text) override;

private:
    HWND voiceBox_, rateSlider_, volumeSlider_, rateLabel_, volumeLabel_;
};

}  // namespace parlowen::speech
