// How the system speech engine's settings and voice list map onto eSpeak NG's, for the
// voice process.
#pragma once

#include <string>
#include <vector>

namespace parlowen::speech::espeak {

// eSpeak NG's own range of speaking rates, in words per minute (speak_lib.h).
inline constexpr int kMinimumWordsPerMinute = 80, kMaximumWordsPerMinute = 450, kNormalWordsPerMinute = 175;
// eSpeak NG's amplitude at its normal loudness.
inline constexpr int kNormalAmplitude = 100;

// A rate of -10..10 as the system speech engine scales it: +10 three times as fast as
// the default, -10 a third as fast, in between by the same factor each step; clamped to
// eSpeak's range. Values outside -10..10 count as the nearer end.
int WordsPerMinute(int rate);
// A volume of 0..100, where 100 is the voice's normal loudness.
int Amplitude(int volume);
// A pitch of -10..10 as eSpeak's base pitch of 0..100 (50 its normal), four points a
// step: -10 and 10 are the lowest and highest that still sound like speech.
int BasePitch(int pitch);

struct Voice {
    std::string identifier;  // what eSpeak selects the voice by, e.g. "sit/cmn"
    std::string name;        // what the voice boxes show, e.g. "Chinese (Mandarin, latin as English)"
    std::string language;    // its first language, e.g. "cmn"
};

inline constexpr char kMandarin[] = "cmn";

// The variants group members are told apart by: speakers of another sex and age built
// on any voice, each clearly unlike the voice itself and the others.
inline constexpr const char* kVariants[] = {"f2", "m3", "f4"};

// The order the voice boxes list the voices in, the same on every start (the settings
// store an index): the Mandarin voice first, since a fresh start selects entry 0 and the
// chats are Chinese, then the others by name.
std::vector<Voice> InListOrder(std::vector<Voice> voices);

}  // namespace parlowen::speech::espeak
