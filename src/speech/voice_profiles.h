// The two voice profiles, mine and the friend's: which voice, rate and volume each
// utterance gets, and what the option-page handlers do to the voice objects. The user's
// messages are the mine profile's; the friend's and a group's members' the friend's.
#pragma once

#include "chat/speaker.h"
#include "speech/utterance_queue.h"
#include "speech/voice_engine.h"
#include "speech/voice_ranges.h"

#include <string>
#include <string_view>
#include <vector>

namespace parlowen::speech {

// One profile as the user has set it: the entry of the voice box (-1: none, as after
// text typed into the box), the rate and the volume.
struct ProfileSettings {
    int voice = -1;
    int rate = kDefaultRate;
    int volume = kDefaultVolume;
    bool operator==(const ProfileSettings&) const = default;
};

struct VoiceSettings {
    ProfileSettings mine, friend_;
    ProfileSettings& Of(chat::Role speaker) noexcept { return speaker == chat::Role::Mine ? mine : friend_; }
    const ProfileSettings& Of(chat::Role speaker) const noexcept { return speaker == chat::Role::Mine ? mine : friend_; }
    bool operator==(const VoiceSettings&) const = default;
};

// The option-page controls of one profile, which show it: its voice box, two sliders
// and their labels.
class ProfileControls {
public:
    virtual ~ProfileControls() = default;
    virtual void AddVoice(const std::string& description) = 0;
    virtual void SelectVoice(int index) = 0;
    virtual void SetRatePosition(int position) = 0;
    virtual void SetVolumePosition(int position) = 0;
    virtual void ShowRateValue(const std::string& text) = 0;
    virtual void ShowVolumeValue(const std::string& text) = 0;
};

// The two profiles: the settings they speak with, which the program owns, and what the
// option page's handlers do to them and to the voice objects. Speaking reads the
// settings, never a control.
class VoiceProfiles {
public:
    VoiceProfiles(VoiceEngine& mineVoice, VoiceEngine& friendVoice, VoiceSettings& settings);

    // From now on the profiles are shown in these controls; without them (no options
    // page) the profiles work all the same.
    void ShowIn(ProfileControls* mineControls, ProfileControls* friendControls);

    // Lists the installed voices, settles each profile on its saved voice (the first
    // entry when the saved one is missing or unnamed) and applies the rates and volumes.
    // Engine errors propagate.
    void Load();

    // Option-page handlers, given what the user set in the control; engine errors
    // propagate to the caller's error report, after the setting has taken the value.
    void VoiceChanged(chat::Role speaker, int entry);
    void RateChanged(chat::Role speaker, int position);
    void VolumeChanged(chat::Role speaker, int position);
    void ResetRateAndVolume(chat::Role speaker);

    // Speaks ANSI text with the profile as it is set now, cutting off that profile's
    // previous utterance. Never fails: any problem means silence.
    void Speak(chat::Role speaker, std::string_view text) noexcept;
    // A message that waits for what its profile's voice is saying instead of cutting it
    // off: a group member's always, the user's and the friend's where the user chose so.
    // Said in `variant` at the profile's rate and volume (an empty or uninstalled voice:
    // the profile's own). Never fails.
    void SpeakQueued(chat::Role speaker, const VoiceVariant& variant, std::string_view text) noexcept;
    // Says the next waiting message of each voice that is quiet: called often while
    // Waiting().
    void SpeakNextQueued() noexcept;
    bool Waiting() const noexcept { return !queues_[0].empty() || !queues_[1].empty(); }

    // Silences both voices at once and empties their queues; the next utterance speaks
    // normally.
    void StopSpeaking() noexcept;

    // Every voice a group member may get: the installed voices that speak the friend
    // profile's language (all of them where the engine does not say), each as itself and
    // as each of the engine's variants, at the member pitches.
    std::vector<VoiceVariant> MemberVariants();

    // The rate the profile speaks at, a group member's the friend profile's.
    int Rate(chat::Role speaker) const noexcept {
        return speaker == chat::Role::Mine ? settings_.mine.rate : settings_.friend_.rate;
    }

    // The token of the profile's voice, or nullptr when it has none.
    const VoiceToken* SelectedToken(chat::Role speaker) const;

private:
    struct Profile {
        VoiceEngine& voice;
        ProfileControls* controls = nullptr;
    };
    Profile& Of(chat::Role speaker) { return speaker == chat::Role::Mine ? mine_ : friend_; }
    void SelectSavedVoice(chat::Role speaker);
    UtteranceQueue& QueueOf(chat::Role speaker) { return queues_[speaker == chat::Role::Mine ? 0 : 1]; }
    void SpeakNextOf(chat::Role speaker);
    void ApplyRate(chat::Role speaker, int position);
    void ApplyVolume(chat::Role speaker, int position);

    Profile mine_;
    Profile friend_;
    VoiceSettings& settings_;
    std::vector<InstalledVoice> voices_;  // held for the whole run, shared by both boxes
    UtteranceQueue queues_[2];  // the mine voice's and the friend voice's, which members share
};

}  // namespace parlowen::speech
