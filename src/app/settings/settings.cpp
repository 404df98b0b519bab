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

int Normalised(const Setting& setting, int value) {
    switch (setting.type) {
    case ValueType::Boolean: return value != 0 ? 1 : 0;
    case ValueType::Entry: return value < 0 ? -1 : value;
    case ValueType::Integer: break;
    }
    return std::clamp(value, setting.minimum, setting.maximum);
}

// The settings in the order exit writes them.
constexpr std::array<const Setting*, kSettings.size()> InSaveOrder() {
    std::array<const Setting*, kSettings.size()> order{};
    for (const Setting& setting : kSettings) order[static_cast<std::size_t>(setting.saveRank)] = &setting;
    return order;
}

}  // namespace

std::optional<int> ParseInteger(std::string_view text) {
    if (text.starts_with('$')) return ParseHex(text.substr(1));
    if (text.size() >= 3 && (text.starts_with("0x") || text.starts_with("0X"))) return ParseHex(text.substr(2));
    return ParseDecimal(text);
}

Settings LoadSettings(ProfileStore& store) {
    Settings settings;
    for (const Setting& setting : kSettings) {
        const int value = ParseInteger(store.ReadString(kSection, setting.key)).value_or(setting.defaultValue);
        setting.set(settings, Normalised(setting, value));
    }
    return settings;
}

void SaveSettings(ProfileStore& store, const Settings& settings) {
    static constexpr auto kSaveOrder = InSaveOrder();
    for (const Setting* setting : kSaveOrder) {
        const int value = setting->get(settings);
        if (setting->type == ValueType::Entry && value < 0) continue;
        store.WriteString(kSection, setting->key, std::to_string(value));
    }
}

}  // namespace parlowen::settings
