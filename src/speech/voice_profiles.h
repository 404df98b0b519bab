// The two voice profiles, mine and the friend's: which voice, rate and volume each
// utterance gets, and what the option-page handlers do to the voice objects.
#pragma once

#include "speech/voice_engine.h"
#include "speech/voice_ranges.h"

#include <string>
#include <string_view>
#include <vector>

namespace parlowen::speech {

enum class Speaker { Mine, Friend };

// The option-page controls of one profile: its voice box, two sliders and their labels.
// The profile's state lives here; the sliders clamp what they are given to their range.
class ProfileControls {
public:
    virtual ~ProfileControls() = default;
    virtual void AddVoice(const std::string& description) = 0;
    virtual int VoiceCount() const = 0;
    virtual std::string VoiceText(int index) const = 0;
    virtual int SelectedVoice() const = 0;  // -1 when no entry is selected
    virtual void SelectVoice(int index) = 0;
    virtual int RatePosition() const = 0;
    virtual void SetRatePosition(int position) = 0;
    virtual int VolumePosition() const = 0;
    virtual void SetVolumePosition(int position) = 0;
    virtual void ShowRateValue(const std::string& text) = 0;
    virtual void ShowVolumeValue(const std::string& text) = 0;
};

// The saved choices the profiles start from.
struct SavedVoiceSettings {
    int engine = -1, engine1 = -1;
    int rate = kDefaultRate, rate1 = kDefaultRate;
    int volume = kDefaultVolume, volume1 = kDefaultVolume;
};

class VoiceProfiles {
public:
    VoiceProfiles(VoiceEngine& mineVoice, ProfileControls& mineControls, VoiceEngine& friendVoice,
                  ProfileControls& friendControls);

    // Lists the installed voices in both boxes, selects the saved ones and applies the
    // saved rates and volumes. Engine errors propagate.
    void Load(const SavedVoiceSettings& saved);

    // Option-page handlers; engine errors propagate to the caller's error report.
    void VoiceChanged(Speaker speaker);
    void RateChanged(Speaker speaker);
    void VolumeChanged(Speaker speaker);
    void ResetRateAndVolume(Speaker speaker);

    // Speaks ANSI text with the profile as its controls show it now, cutting off that
    // profile's previous utterance. Never fails: any problem means silence.
    void Speak(Speaker speaker, std::string_view text) noexcept;
    // Silences both voices at once; the next utterance speaks normally.
    void StopSpeaking() noexcept;

    // The token of the profile's selected entry, or nullptr when none is selected.
    const VoiceToken* SelectedToken(Speaker speaker) const;

private:
    struct Profile {
        VoiceEngine& voice;
        ProfileControls& controls;
    };
    Profile& Of(Speaker speaker) { return speaker == Speaker::Mine ? mine_ : friend_; }
    const Profile& Of(Speaker speaker) const { return speaker == Speaker::Mine ? mine_ : friend_; }
    void SelectSavedVoice(Speaker speaker, int savedIndex);
    void ApplyRate(Speaker speaker, int position);
    void ApplyVolume(Speaker speaker, int position);

    Profile mine_;
    Profile friend_;
    std::vector<InstalledVoice> voices_;  // held for the whole run, shared by both boxes
};

}  // namespace parlowen::speech
