// Stand-ins for the speech platform and the option controls: a voice engine that
// records what the program asks of it, and controls that hold what they are given.
#pragma once

#include "speech/voice_engine.h"
#include "speech/voice_profiles.h"

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

namespace parlowen::testing {

using speech::AudioFileStream;
using speech::ProfileControls;
using speech::InstalledVoice;
using speech::VoiceEngine;
using speech::VoiceToken;

struct FakeToken : VoiceToken {
    explicit FakeToken(std::string n) : name(std::move(n)) {}
    std::string name;
};

// Records every call as "<voice>.<operation> <argument>" into one shared journal, so a
// test sees the order across both voices. A name in `failing` makes that call throw.
class RecordingVoice : public VoiceEngine {
public:
    RecordingVoice(std::string name, std::vector<std::string>& journal) : name_(std::move(name)), journal_(journal) {}

    std::vector<InstalledVoice> installed;
    std::vector<std::string> failing;

    void Disconnect() noexcept override { journal_.push_back(name_ + ".Disconnect"); }
    std::vector<InstalledVoice> GetVoices() override {
        Record("GetVoices", "");
        return installed;
    }
    void SetVoice(const VoiceToken& token) override { Record("SetVoice", static_cast<const FakeToken&>(token).name); }
    void SetRate(int rate) override { Record("SetRate", std::to_string(rate)); }
    void SetVolume(int volume) override { Record("SetVolume", std::to_string(volume)); }
    void SetPitch(int pitch) override { Record("SetPitch", std::to_string(pitch)); }
    std::vector<std::string> variants;
    std::vector<std::string> Variants() override {
        Record("Variants", "");
        return variants;
    }
    void SetVariant(const std::string& variant) override { Record("SetVariant", variant); }
    void Speak(std::string_view text) override { Record("Speak", std::string(text)); }
    bool speaking = false;  // what Speaking() answers: the test says when an utterance ends
    bool Speaking() override { return speaking; }
    void SetAllowAudioOutputFormatChanges(bool allow) override {
        Record("SetAllowAudioOutputFormatChanges", allow ? "true" : "false");
    }
    void SetOutputStream(AudioFileStream&) override { Record("SetOutputStream", ""); }
    // Done at the first wait, or only after `waitsBeforeDone` more.
    int waitsBeforeDone = 0;
    bool WaitUntilDone(unsigned) override {
        Record("WaitUntilDone", "");
        return waitsBeforeDone-- <= 0;
    }
    void ResetOutputToDefaultDevice() override { Record("ResetOutputToDefaultDevice", ""); }

private:
    void Record(const std::string& operation, const std::string& argument) {
        if (std::find(failing.begin(), failing.end(), operation) != failing.end())
            throw std::runtime_error(operation + " failed");
        journal_.push_back(name_ + "." + operation + (argument.empty() ? "" : " " + argument));
    }
    std::string name_;
    std::vector<std::string>& journal_;
};

// Behaves as the option page's controls do: sliders clamp to their ranges.
class FakeControls : public ProfileControls {
public:
    std::vector<std::string> entries;
    int selected = -1;
    int rate = 0, volume = 0;
    std::string rateLabel = "?", volumeLabel = "?";

    void AddVoice(const std::string& d) override { entries.push_back(d); }
    void SelectVoice(int i) override { selected = i; }
    void SetRatePosition(int p) override { rate = p; }
    void SetVolumePosition(int p) override { volume = p; }
    void ShowRateValue(const std::string& t) override { rateLabel = t; }
    void ShowVolumeValue(const std::string& t) override { volumeLabel = t; }
};

}  // namespace parlowen::testing
