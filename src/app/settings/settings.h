// The settings file: the keys of section "set", each once, with its type,
// default, range and place in the orders start-up reads and exit writes them; how
// their values are read and written. Written once, above any ProfileStore.
#pragma once

#include "app/hotkeys.h"
#include "app/settings/profile_store.h"
#include "capture/capture_tick.h"
#include "speech/spoken_form.h"
#include "speech/voice_profiles.h"
#include "speech/voice_ranges.h"

#include <array>
#include <climits>
#include <optional>
#include <string_view>

namespace parlowen::settings {

inline constexpr std::string_view kSection = "set";
inline constexpr std::string_view kFileName = "set.ini";

// Decimal with an optional leading "-"; hexadecimal after "$", or after "0x"/"0X" in a
// text of three or more characters. Hexadecimal takes up to 32 bits, which read as a
// two's-complement integer ("$FFFFFFFF" is -1).
// Anything else, and a number outside the 32-bit range, is not an integer.
std::optional<int> ParseInteger(std::string_view text);

// What the program keeps between runs, as the user has set it: the two voice profiles,
// the reading options, how messages are said and the hotkeys. The program owns it; the
// option pages show and edit it.
struct Settings {
    speech::VoiceSettings voices;
    capture::ReadingOptions reading;
    speech::SpeakingRules speaking;
    app::Hotkeys hotkeys;
    bool operator==(const Settings&) const = default;
};

// Integer: clamped into its range. Boolean: any non-zero integer is true, written "1"
// or "0". Entry: an index into a list, any negative value meaning none; a setting of
// none is not written.
enum class ValueType { Integer, Boolean, Entry };

// One key of section "set": its type, default, range, its place in the order exit
// writes the keys, and the value it stands for.
struct Setting {
    std::string_view key;
    ValueType type;
    int defaultValue;  // booleans: 1 true, 0 false
    int minimum, maximum;
    int saveRank;  // 0: written first
    int (*get)(const Settings&);
    void (*set)(Settings&, int);
};

#define PARLOWEN_SETTING_FIELD(field)                                           \
    .get = [](const Settings& s) { return static_cast<int>(s.field); },         \
    .set = [](Settings& s, int value) { s.field = static_cast<decltype(s.field)>(value); }

// Every setting, in the order start-up reads them.
inline constexpr std::array<Setting, 20> kSettings = {{
    {.key = "Engine", .type = ValueType::Entry, .defaultValue = -1,
     .minimum = -1, .maximum = INT_MAX, .saveRank = 2,
     PARLOWEN_SETTING_FIELD(voices.mine.voice)},
    {.key = "Engine1", .type = ValueType::Entry, .defaultValue = -1,
     .minimum = -1, .maximum = INT_MAX, .saveRank = 5,
     PARLOWEN_SETTING_FIELD(voices.friend_.voice)},
    {.key = "Rate", .type = ValueType::Integer, .defaultValue = speech::kDefaultRate,
     .minimum = speech::kMinRate, .maximum = speech::kMaxRate, .saveRank = 0,
     PARLOWEN_SETTING_FIELD(voices.mine.rate)},
    {.key = "Rate1", .type = ValueType::Integer, .defaultValue = speech::kDefaultRate,
     .minimum = speech::kMinRate, .maximum = speech::kMaxRate, .saveRank = 3,
     PARLOWEN_SETTING_FIELD(voices.friend_.rate)},
    {.key = "Volume", .type = ValueType::Integer, .defaultValue = speech::kDefaultVolume,
     .minimum = speech::kMinVolume, .maximum = speech::kMaxVolume, .saveRank = 1,
     PARLOWEN_SETTING_FIELD(voices.mine.volume)},
    {.key = "Volume1", .type = ValueType::Integer, .defaultValue = speech::kDefaultVolume,
     .minimum = speech::kMinVolume, .maximum = speech::kMaxVolume, .saveRank = 4,
     PARLOWEN_SETTING_FIELD(voices.friend_.volume)},
    {.key = "cbme", .type = ValueType::Boolean, .defaultValue = 1,
     .minimum = 0, .maximum = 1, .saveRank = 6,
     PARLOWEN_SETTING_FIELD(reading.readMine)},
    {.key = "cbfriend", .type = ValueType::Boolean, .defaultValue = 1,
     .minimum = 0, .maximum = 1, .saveRank = 7,
     PARLOWEN_SETTING_FIELD(reading.readFriend)},
    {.key = "cbmyname", .type = ValueType::Boolean, .defaultValue = 1,
     .minimum = 0, .maximum = 1, .saveRank = 8,
     PARLOWEN_SETTING_FIELD(reading.readMyName)},
    {.key = "cbfriendsname", .type = ValueType::Boolean, .defaultValue = 1,
     .minimum = 0, .maximum = 1, .saveRank = 9,
     PARLOWEN_SETTING_FIELD(reading.readFriendsName)},
    {.key = "showtime", .type = ValueType::Boolean, .defaultValue = 1,
     .minimum = 0, .maximum = 1, .saveRank = 10,
     PARLOWEN_SETTING_FIELD(reading.showTime)},
    // How messages are said: keys an earlier version passes over.
    {.key = "speaklinks", .type = ValueType::Boolean, .defaultValue = 1,
     .minimum = 0, .maximum = 1, .saveRank = 11,
     PARLOWEN_SETTING_FIELD(speaking.shortenLinks)},
    {.key = "speaksymbols", .type = ValueType::Boolean, .defaultValue = 1,
     .minimum = 0, .maximum = 1, .saveRank = 12,
     PARLOWEN_SETTING_FIELD(speaking.dropSymbols)},
    {.key = "speakrepeats", .type = ValueType::Boolean, .defaultValue = 1,
     .minimum = 0, .maximum = 1, .saveRank = 13,
     PARLOWEN_SETTING_FIELD(speaking.collapseRepeats)},
    {.key = "longestmessage", .type = ValueType::Integer, .defaultValue = speech::kLongestByTime,
     .minimum = speech::kLongestByTime, .maximum = speech::kMaxLongestMessage, .saveRank = 14,
     PARLOWEN_SETTING_FIELD(speaking.longestMessage)},
    {.key = "queuemessages", .type = ValueType::Boolean, .defaultValue = 0,
     .minimum = 0, .maximum = 1, .saveRank = 15,
     PARLOWEN_SETTING_FIELD(speaking.queueMessages)},
    {.key = "stophotkey", .type = ValueType::Integer, .defaultValue = app::kDefaultStopHotkey,
     .minimum = 0, .maximum = 0xFFFF, .saveRank = 16,
     PARLOWEN_SETTING_FIELD(hotkeys.stop)},
    {.key = "pausehotkey", .type = ValueType::Integer, .defaultValue = app::kDefaultPauseHotkey,
     .minimum = 0, .maximum = 0xFFFF, .saveRank = 17,
     PARLOWEN_SETTING_FIELD(hotkeys.pause)},
    {.key = "saypause", .type = ValueType::Boolean, .defaultValue = 1,
     .minimum = 0, .maximum = 1, .saveRank = 18,
     PARLOWEN_SETTING_FIELD(hotkeys.sayPause)},
    {.key = "everychat", .type = ValueType::Boolean, .defaultValue = 1,
     .minimum = 0, .maximum = 1, .saveRank = 19,
     PARLOWEN_SETTING_FIELD(reading.everyChat)},
}};

#undef PARLOWEN_SETTING_FIELD

// Reads every key once, in start-up order; a key missing, empty or not an integer
// takes its default, and each value is brought into its range.
Settings LoadSettings(ProfileStore& store);

// Writes the keys in exit order. A write failure propagates and the remaining keys are
// not written.
void SaveSettings(ProfileStore& store, const Settings& settings);

}  // namespace parlowen::settings
