// The settings file's values: how integers and booleans are read and
// written, the eleven keys of section "set" with their defaults, and the orders in
// which start-up reads them and exit writes them. Written once, above any ProfileStore.
#pragma once

#include "app/settings/profile_store.h"
#include "speech/voice_ranges.h"

#include <array>
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

// The value of `key` in section "set"; `defaultValue` when it is missing, empty or
// not an integer.
int ReadInteger(ProfileStore& store, std::string_view key, int defaultValue);
// Read as an integer with the default 1 or 0; any non-zero integer is true.
bool ReadBoolean(ProfileStore& store, std::string_view key, bool defaultValue);
// Decimal text, "-" before a negative value.
void WriteInteger(ProfileStore& store, std::string_view key, int value);
// "1" or "0".
void WriteBoolean(ProfileStore& store, std::string_view key, bool value);

enum class Key { Engine, Engine1, Rate, Rate1, Volume, Volume1, CbMe, CbFriend, CbMyName, CbFriendsName, ShowTime };
enum class ValueType { Integer, Boolean };

struct KeySpec {
    Key key;
    std::string_view name;
    ValueType type;
    int defaultValue;  // booleans: 1 true, 0 false
};

// All eleven keys of section "set", in the order start-up reads them.
inline constexpr std::array<KeySpec, 11> kKeys = {{
    {Key::Engine, "Engine", ValueType::Integer, -1},
    {Key::Engine1, "Engine1", ValueType::Integer, -1},
    {Key::Rate, "Rate", ValueType::Integer, speech::kDefaultRate},
    {Key::Rate1, "Rate1", ValueType::Integer, speech::kDefaultRate},
    {Key::Volume, "Volume", ValueType::Integer, speech::kDefaultVolume},
    {Key::Volume1, "Volume1", ValueType::Integer, speech::kDefaultVolume},
    {Key::CbMe, "cbme", ValueType::Boolean, 1},
    {Key::CbFriend, "cbfriend", ValueType::Boolean, 1},
    {Key::CbMyName, "cbmyname", ValueType::Boolean, 1},
    {Key::CbFriendsName, "cbfriendsname", ValueType::Boolean, 1},
    {Key::ShowTime, "showtime", ValueType::Boolean, 1},
}};

// The order SaveSettings writes them.
inline constexpr std::array<Key, 11> kSaveOrder = {
    Key::Rate,   Key::Volume,   Key::Engine,   Key::Rate1,         Key::Volume1, Key::Engine1,
    Key::CbMe,   Key::CbFriend, Key::CbMyName, Key::CbFriendsName, Key::ShowTime,
};

const KeySpec& SpecOf(Key key);

// What the file holds, each key read once; values are as stored, not clamped.
struct StoredSettings {
    int engine = -1, engine1 = -1;
    int rate = speech::kDefaultRate, rate1 = speech::kDefaultRate;
    int volume = speech::kDefaultVolume, volume1 = speech::kDefaultVolume;
    bool cbme = true, cbfriend = true, cbmyname = true, cbfriendsname = true, showtime = true;

    bool operator==(const StoredSettings&) const = default;
};

// Reads the eleven keys in start-up order (kKeys).
StoredSettings LoadSettings(ProfileStore& store);

// What exit writes: the sliders' positions, the selected voices (none when no entry
// of the box is selected, and then the key is not written) and the five check marks.
struct SettingsToSave {
    int rate = speech::kDefaultRate, volume = speech::kDefaultVolume;
    std::optional<int> engine;
    int rate1 = speech::kDefaultRate, volume1 = speech::kDefaultVolume;
    std::optional<int> engine1;
    bool cbme = true, cbfriend = true, cbmyname = true, cbfriendsname = true, showtime = true;
};

// Writes the keys in kSaveOrder, "Engine" and "Engine1" only when they have a value.
// A write failure propagates and the remaining keys are not written.
void SaveSettings(ProfileStore& store, const SettingsToSave& settings);

}  // namespace parlowen::settings
