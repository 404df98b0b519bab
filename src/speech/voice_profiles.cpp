#include "speech/voice_profiles.h"

#include <algorithm>

namespace parlowen::speech {

VoiceProfiles::VoiceProfiles(VoiceEngine& mineVoice, VoiceEngine& friendVoice, VoiceSettings& settings)
    : mine_{mineVoice}, friend_{friendVoice}, settings_(settings) {}

void VoiceProfiles::ShowIn(ProfileControls* mineControls, ProfileControls* friendControls) {
    mine_.controls = mineControls;
    friend_.controls = friendControls;
}

void VoiceProfiles::Load() {
    // The mine voice lists the voices; both boxes get the same entries in the same order.
    voices_ = mine_.voice.GetVoices();
    for (const InstalledVoice& voice : voices_)
        for (Profile* p : {&mine_, &friend_})
            if (p->controls) p->controls->AddVoice(voice.description);
    SelectSavedVoice(chat::Role::Mine);
    SelectSavedVoice(chat::Role::Friend);

    ApplyRate(chat::Role::Mine, settings_.mine.rate);
    ApplyRate(chat::Role::Friend, settings_.friend_.rate);
    ApplyVolume(chat::Role::Mine, settings_.mine.volume);
    ApplyVolume(chat::Role::Friend, settings_.friend_.volume);
}

void VoiceProfiles::SelectSavedVoice(chat::Role speaker) {
    int& voice = settings_.Of(speaker).voice;
    if (voices_.empty()) {
        voice = -1;
        return;
    }
    const bool usable = voice >= 0 && voice < static_cast<int>(voices_.size()) &&
                        !voices_[static_cast<size_t>(voice)].description.empty();
    if (!usable) voice = 0;
    if (ProfileControls* controls = Of(speaker).controls) controls->SelectVoice(voice);
    VoiceChanged(speaker, voice);
}

void VoiceProfiles::ApplyRate(chat::Role speaker, int position) {
    const int rate = std::clamp(position, kMinRate, kMaxRate);
    if (ProfileControls* controls = Of(speaker).controls) controls->SetRatePosition(rate);
    RateChanged(speaker, rate);
}

void VoiceProfiles::ApplyVolume(chat::Role speaker, int position) {
    const int volume = std::clamp(position, kMinVolume, kMaxVolume);
    if (ProfileControls* controls = Of(speaker).controls) controls->SetVolumePosition(volume);
    VolumeChanged(speaker, volume);
}

void VoiceProfiles::VoiceChanged(chat::Role speaker, int entry) {
    settings_.Of(speaker).voice = entry < 0 ? -1 : entry;
    // Text typed into the box selects no entry; the voice object then stays as it was.
    if (const VoiceToken* token = SelectedToken(speaker)) Of(speaker).voice.SetVoice(*token);
}

void VoiceProfiles::RateChanged(chat::Role speaker, int position) {
    const int rate = settings_.Of(speaker).rate = std::clamp(position, kMinRate, kMaxRate);
    Profile& p = Of(speaker);
    p.voice.SetRate(rate);
    if (p.controls) p.controls->ShowRateValue(std::to_string(rate));
}

void VoiceProfiles::VolumeChanged(chat::Role speaker, int position) {
    const int volume = settings_.Of(speaker).volume = std::clamp(position, kMinVolume, kMaxVolume);
    Profile& p = Of(speaker);
    p.voice.SetVolume(volume);
    if (p.controls) p.controls->ShowVolumeValue(std::to_string(volume));
}

void VoiceProfiles::ResetRateAndVolume(chat::Role speaker) {
    ApplyRate(speaker, kDefaultRate);
    ApplyVolume(speaker, kDefaultVolume);
}

void VoiceProfiles::Speak(chat::Role speaker, std::string_view text) noexcept {
    Profile& p = Of(speaker);
    const ProfileSettings& settings = settings_.Of(speaker);
    try {
        // A fresh voice object per utterance: it cuts off this profile's previous one
        // and carries the profile exactly as it is set now.
        p.voice.Disconnect();
        const VoiceToken* token = SelectedToken(speaker);
        if (token == nullptr) return;
        p.voice.SetVoice(*token);
        p.voice.SetRate(settings.rate);
        p.voice.SetVolume(settings.volume);
        p.voice.Speak(text);
    } catch (...) {
        // An utterance that cannot be spoken is simply not heard.
    }
}

void VoiceProfiles::SpeakQueued(chat::Role speaker, const VoiceVariant& variant, std::string_view text) noexcept {
    try {
        QueueOf(speaker).Push({std::string(text), variant}, settings_.Of(speaker).rate);
    } catch (...) {
        return;  // out of memory: not heard
    }
    SpeakNextQueued();
}

void VoiceProfiles::SpeakNextQueued() noexcept {
    for (chat::Role speaker : {chat::Role::Mine, chat::Role::Friend}) {
        try {
            SpeakNextOf(speaker);
        } catch (...) {
            // An utterance that cannot be spoken is simply not heard.
        }
    }
}

void VoiceProfiles::SpeakNextOf(chat::Role speaker) {
    UtteranceQueue& queue = QueueOf(speaker);
    Profile& p = Of(speaker);
    if (queue.empty() || p.voice.Speaking()) return;
    const std::optional<Utterance> next = queue.Next();
    const auto installed = std::find_if(voices_.begin(), voices_.end(), [&](const InstalledVoice& voice) {
        return !voice.description.empty() && voice.description == next->variant.voice;
    });
    const VoiceToken* token = installed != voices_.end() ? installed->token.get() : SelectedToken(speaker);
    if (token == nullptr) return;
    const ProfileSettings& settings = settings_.Of(speaker);
    p.voice.SetVoice(*token);
    p.voice.SetRate(settings.rate);
    p.voice.SetVolume(settings.volume);
    p.voice.SetVariant(next->variant.variant);
    p.voice.SetPitch(next->variant.pitch);
    p.voice.Speak(next->text);
}

void VoiceProfiles::StopSpeaking() noexcept {
    for (UtteranceQueue& queue : queues_) queue.Clear();
    mine_.voice.Disconnect();
    friend_.voice.Disconnect();
}

std::vector<VoiceVariant> VoiceProfiles::MemberVariants() {
    // Before Load nothing is asked of the engine: asking would choose it, and list its
    // voices, before start-up has installed the program's own.
    if (voices_.empty()) return {};
    // A voice of another language reads the chat as noise, or not at all.
    const int friendVoice = settings_.friend_.voice;
    const std::string language = friendVoice >= 0 && friendVoice < static_cast<int>(voices_.size())
                                     ? voices_[static_cast<size_t>(friendVoice)].language
                                     : std::string();
    std::vector<std::string> names;
    for (const InstalledVoice& voice : voices_)
        if (language.empty() || voice.language.empty() || voice.language == language)
            names.push_back(voice.description);
    try {
        return speech::MemberVariants(names, friend_.voice.Variants());
    } catch (...) {
        return speech::MemberVariants(names);
    }
}

const VoiceToken* VoiceProfiles::SelectedToken(chat::Role speaker) const {
    const int index = settings_.Of(speaker).voice;
    if (index < 0 || index >= static_cast<int>(voices_.size())) return nullptr;
    return voices_[static_cast<size_t>(index)].token.get();
}

}  // namespace parlowen::speech
