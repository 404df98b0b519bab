#include "app/settings/settings.h"

#include <algorithm>
#include <cstdint>
#include <string>

namespace parlowen::settings {
namespace {

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::optional<int> ParseHex(std::string_view digits) {
    if (digits.empty()) return std::nullopt;
    std::uint32_t value = 0;
    for (char c : digits) {
        const int digit = HexDigit(c);
        if (digit < 0 || value > 0x0FFFFFFFu) return std::nullopt;
        value = value << 4 | static_cast<std::uint32_t>(digit);
    }
    return static_cast<int>(static_cast<std::int32_t>(value));
}

std::optional<int> ParseDecimal(std::string_view text) {
    const bool negative = text.starts_with('-');
    if (negative) text.remove_prefix(1);
    if (text.empty()) return std::nullopt;
    std::int64_t magnitude = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        magnitude = magnitude * 10 + (c - '0');
        if (magnitude > std::int64_t{1} << 31) return std::nullopt;
    }
    const std::int64_t value = negative ? -magnitude : magnitude;
    if (value > INT32_MAX) return std::nullopt;
    return static_cast<int>(value);
}

void Assign(StoredSettings& settings, Key key, int value) {
    switch (key) {
        case Key::Engine: settings.engine = value; break;
        case Key::Engine1: settings.engine1 = value; break;
        case Key::Rate: settings.rate = value; break;
        case Key::Rate1: settings.rate1 = value; break;
        case Key::Volume: settings.volume = value; break;
        case Key::Volume1: settings.volume1 = value; break;
        case Key::CbMe: settings.cbme = value != 0; break;
        case Key::CbFriend: settings.cbfriend = value != 0; break;
        case Key::CbMyName: settings.cbmyname = value != 0; break;
        case Key::CbFriendsName: settings.cbfriendsname = value != 0; break;
        case Key::ShowTime: settings.showtime = value != 0; break;
    }
}

std::optional<int> ValueToSave(const SettingsToSave& settings, Key key) {
    switch (key) {
        case Key::Engine: return settings.engine;
        case Key::Engine1: return settings.engine1;
        case Key::Rate: return settings.rate;
        case Key::Rate1: return settings.rate1;
        case Key::Volume: return settings.volume;
        case Key::Volume1: return settings.volume1;
        case Key::CbMe: return settings.cbme;
        case Key::CbFriend: return settings.cbfriend;
        case Key::CbMyName: return settings.cbmyname;
        case Key::CbFriendsName: return settings.cbfriendsname;
        case Key::ShowTime: return settings.showtime;
    }
    return std::nullopt;
}

}  // namespace

std::optional<int> ParseInteger(std::string_view text) {
    if (text.starts_with('$')) return ParseHex(text.substr(1));
    if (text.size() >= 3 && (text.starts_with("0x") || text.starts_with("0X"))) return ParseHex(text.substr(2));
    return ParseDecimal(text);
}

int ReadInteger(ProfileStore& store, std::string_view key, int defaultValue) {
    return ParseInteger(store.ReadString(kSection, key)).value_or(defaultValue);
}

bool ReadBoolean(ProfileStore& store, std::string_view key, bool defaultValue) {
    return ReadInteger(store, key, defaultValue ? 1 : 0) != 0;
}

void WriteInteger(ProfileStore& store, std::string_view key, int value) {
    store.WriteString(kSection, key, std::to_string(value));
}

void WriteBoolean(ProfileStore& store, std::string_view key, bool value) {
    store.WriteString(kSection, key, value ? "1" : "0");
}

const KeySpec& SpecOf(Key key) {
    return *std::find_if(kKeys.begin(), kKeys.end(), [key](const KeySpec& entry) { return entry.key == key; });
}

StoredSettings LoadSettings(ProfileStore& store) {
    StoredSettings settings;
    for (const KeySpec& entry : kKeys) {
        const int value = entry.type == ValueType::Boolean
                              ? ReadBoolean(store, entry.name, entry.defaultValue != 0)
                              : ReadInteger(store, entry.name, entry.defaultValue);
        Assign(settings, entry.key, value);
    }
    return settings;
}

void SaveSettings(ProfileStore& store, const SettingsToSave& settings) {
    for (Key key : kSaveOrder) {
        const std::optional<int> value = ValueToSave(settings, key);
        if (!value) continue;
        const KeySpec& entry = SpecOf(key);
        if (entry.type == ValueType::Boolean)
            WriteBoolean(store, entry.name, *value != 0);
        else
            WriteInteger(store, entry.name, *value);
    }
}


}  // namespace parlowen::settings
