#include "speech/voice_profiles.h"

namespace parlowen::speech {

VoiceProfiles::VoiceProfiles(VoiceEngine& mineVoice, ProfileControls& mineControls,
                             VoiceEngine& friendVoice, ProfileControls& friendControls)
    : mine_{mineVoice, mineControls}, friend_{friendVoice, friendControls} {}

void VoiceProfiles::Load(const SavedVoiceSettings& saved) {
    // The mine voice lists the voices; both boxes get the same entries in the same order.
    voices_ = mine_.voice.GetVoices();
    for (const InstalledVoice& voice : voices_) {
        mine_.controls.AddVoice(voice.description);
        friend_.controls.AddVoice(voice.description);
    }
    SelectSavedVoice(Speaker::Mine, saved.engine);
    SelectSavedVoice(Speaker::Friend, saved.engine1);

    ApplyRate(Speaker::Mine, saved.rate);
    ApplyRate(Speaker::Friend, saved.rate1);
    ApplyVolume(Speaker::Mine, saved.volume);
    ApplyVolume(Speaker::Friend, saved.volume1);
}

void VoiceProfiles::SelectSavedVoice(Speaker speaker, int savedIndex) {
    ProfileControls& controls = Of(speaker).controls;
    const int count = controls.VoiceCount();
    if (count == 0) return;
    const bool usable = savedIndex >= 0 && savedIndex < count && !controls.VoiceText(savedIndex).empty();
    controls.SelectVoice(usable ? savedIndex : 0);
    VoiceChanged(speaker);
}

void VoiceProfiles::ApplyRate(Speaker speaker, int position) {
    Of(speaker).controls.SetRatePosition(position);
    RateChanged(speaker);
}

void VoiceProfiles::ApplyVolume(Speaker speaker, int position) {
    Of(speaker).controls.SetVolumePosition(position);
    VolumeChanged(speaker);
}

void VoiceProfiles::VoiceChanged(Speaker speaker) {
    // Text typed into the box selects no entry; the voice then stays as it was.
    if (const VoiceToken* token = SelectedToken(speaker)) Of(speaker).voice.SetVoice(*token);
}

void VoiceProfiles::RateChanged(Speaker speaker) {
    Profile& p = Of(speaker);
    const int position = p.controls.RatePosition();
    p.voice.SetRate(position);
    p.controls.ShowRateValue(std::to_string(position));
}

void VoiceProfiles::VolumeChanged(Speaker speaker) {
    Profile& p = Of(speaker);
    const int position = p.controls.VolumePosition();
    p.voice.SetVolume(position);
    p.controls.ShowVolumeValue(std::to_string(position));
}

void VoiceProfiles::ResetRateAndVolume(Speaker speaker) {
    ApplyRate(speaker, kDefaultRate);
    ApplyVolume(speaker, kDefaultVolume);
}

void VoiceProfiles::Speak(Speaker speaker, std::string_view text) noexcept {
    Profile& p = Of(speaker);
    try {
        // A fresh voice object per utterance: it cuts off this profile's previous one
        // and carries the profile exactly as the controls show it now.
        p.voice.Disconnect();
        const VoiceToken* token = SelectedToken(speaker);
        if (token == nullptr) return;
        p.voice.SetVoice(*token);
        p.voice.SetRate(p.controls.RatePosition());
        p.voice.SetVolume(p.controls.VolumePosition());
        p.voice.Speak(text);
    } catch (...) {
        // An utterance that cannot be spoken is simply not heard.
    }
}

void VoiceProfiles::StopSpeaking() noexcept {
    mine_.voice.Disconnect();
    friend_.voice.Disconnect();
}

const VoiceToken* VoiceProfiles::SelectedToken(Speaker speaker) const {
    const int index = Of(speaker).controls.SelectedVoice();
    if (index < 0 || index >= static_cast<int>(voices_.size())) return nullptr;
    return voices_[static_cast<size_t>(index)].token.get();
}

}  // namespace parlowen::speech
