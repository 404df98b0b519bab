// What is said of a message, as a listener wants to hear it: a link as the word "链接"
// and its site, an e-mail address as "邮箱" and its domain, a long number as digits or
// "一串数字", an emoticon code as its word, symbols not at all, "哈哈哈哈哈哈" as "哈哈哈", and
// a long paste up to a limit: by default about half a minute at the voice's rate. The log
// keeps the message as the chat showed it.
#pragma once

#include "speech/replacements.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace parlowen::speech {

// A long message is heard by default for about this long at the voice's rate, where a
// listener would stop listening to a paste anyway.
inline constexpr int kLongestByTime = -1;
inline constexpr int kSecondsHeard = 30;

struct SpeakingRules {
    bool shortenLinks = true;     // links, e-mail addresses and long numbers
    bool dropSymbols = true;      // emoticon codes as their word, symbols and symbol art not at all
    bool collapseRepeats = true;  // more than three of a kind said three times, punctuation once
    // Characters said of one message; 0: all of it; kLongestByTime: about kSecondsHeard.
    int longestMessage = kLongestByTime;
    // In a one-to-one chat, a speaker's next message waits for the one being said
    // instead of cutting it off, as group members' always do.
    bool queueMessages = false;
    bool operator==(const SpeakingRules&) const = default;
};

inline constexpr int kMinLongestMessage = 20, kMaxLongestMessage = 100000;

// `ansiText` (GBK) as it is to be said: the user's own replacements first, so that they
// name what the chat shows, then the rules. Never longer than the text (with the
// replacements' words) by more than a short phrase and the spaces between a number's
// digits, and never holds a control character the text or the replacements did not.
// `rate` (-10..10, the system speech engine's steps: +10 three times as fast) is the
// voice's that says it.
std::string SpokenForm(std::string_view ansiText, const SpeakingRules& rules,
                       const Replacements& replacements = {}, int rate = 0);

}  // namespace parlowen::speech
