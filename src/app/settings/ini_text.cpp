#include "app/settings/ini_text.h"

#include "capture/chat_text.h"

#include <algorithm>

namespace parlowen::settings {
namespace {

using capture::GbkCharLength;

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

// The blanks of Wine's profile code: tab, LF, VT, FF, CR, ^Z (DOS end of file) and space.
bool IsBlank(char c) { return (c >= 0x09 && c <= 0x0D) || c == 0x1A || c == ' '; }

std::string_view TrimLeft(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    return text;
}

// No GBK trail byte is a blank, so the last byte decides.
std::string_view TrimRight(std::string_view text) {
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

std::string_view Trim(std::string_view text) { return TrimRight(TrimLeft(text)); }

// The profile functions take C strings: everything from a NUL on is not seen.
std::string_view UpToNul(std::string_view text) { return text.substr(0, text.find('\0')); }

char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Names compare without regard to the case of ASCII letters; double-byte characters
// compare exactly.
bool SameName(std::string_view stored, std::string_view wanted) {
    if (stored.size() != wanted.size()) return false;
    for (std::size_t i = 0; i < stored.size();) {
        const std::size_t length = GbkCharLength(stored, i);
        if (length == 1) {
            if (AsciiLower(stored[i]) != AsciiLower(wanted[i])) return false;
        } else if (stored.compare(i, length, wanted, i, length) != 0) {
            return false;
        }
        i += length;
    }
    return true;
}

// Bytes of the first `count` characters of `text` (all of it when it has fewer).
std::size_t PrefixBytes(std::string_view text, std::size_t count) {
    std::size_t pos = 0;
    for (std::size_t n = 0; n < count && pos < text.size(); ++n) pos += GbkCharLength(text, pos);
    return pos;
}

bool HasMoreCharsThan(std::string_view text, std::size_t count) {
    return PrefixBytes(text, count) < text.size();
}

// The longest run of whole characters from the start that fits in `bytes` bytes.
std::size_t WholeCharsWithin(std::string_view text, std::size_t bytes) {
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t next = pos + GbkCharLength(text, pos);
        if (next > bytes) break;
        pos = next;
    }
    return pos;
}

// What GetPrivateProfileStringA leaves in a buffer of kValueBufferSize bytes for a
// stored value. Wine copies the value as UTF-16 into that many characters (the last
// one for the terminating NUL), dropping one pair of surrounding quotes; then it
// converts to the ANSI code page into kValueBufferSize - 1 bytes, which keeps the
// whole characters that fit.
std::string ValueAsRead(std::string_view value) {
    constexpr std::size_t kMaxChars = kValueBufferSize - 1;
    value = UpToNul(value);
    bool quoted = false;
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        quoted = true;
        value.remove_prefix(1);
    }
    std::string_view copied = value.substr(0, PrefixBytes(value, kMaxChars));
    // Wine drops the last character copied when the rest after the opening quote
    // (closing quote included) fits the buffer's kValueBufferSize characters, so a
    // quoted value of exactly 2047 characters reads as its first 2046 (a Wine quirk).
    if (quoted && !HasMoreCharsThan(value, kValueBufferSize)) {
        std::size_t last = 0;
        for (std::size_t pos = 0; pos < copied.size(); pos += GbkCharLength(copied, pos)) last = pos;
        copied = copied.substr(0, last);
    }
    return std::string(copied.substr(0, WholeCharsWithin(copied, kMaxChars)));
}

// Where the last "]" of a line lies, stepping over double-byte characters.
std::size_t LastClosingBracket(std::string_view line) {
    std::size_t found = std::string_view::npos;
    for (std::size_t pos = 0; pos < line.size(); pos += GbkCharLength(line, pos))
        if (line[pos] == ']') found = pos;
    return found;
}

}  // namespace

IniText::IniText(std::string_view bytes) {
    if (bytes.starts_with(kUtf8Bom)) {
        utf8Bom_ = true;
        bytes.remove_prefix(kUtf8Bom.size());
    }
    sections_.push_back({});
    bool previousUnnamed = false;  // the last key added to the current section has no name

    std::size_t pos = 0;
    while (pos < bytes.size()) {
        const std::size_t end = std::min(bytes.find_first_of("\r\n", pos), bytes.size());
        const std::string_view line = Trim(bytes.substr(pos, end - pos));
        pos = end + 1;
        if (line.empty()) continue;

        if (line.front() == '[') {
            const std::size_t close = LastClosingBracket(line);
            if (close != std::string_view::npos) {
                sections_.push_back({std::string(UpToNul(Trim(line.substr(1, close - 1)))), {}});
                previousUnnamed = false;
                continue;
            }
        }

        Entry entry;
        const std::size_t equals = line.find('=');  // "=" is never a GBK trail byte
        if (equals == std::string_view::npos) {
            entry.name = UpToNul(line);
        } else {
            entry.name = UpToNul(TrimRight(line.substr(0, equals)));
            entry.value = std::string(UpToNul(TrimLeft(line.substr(equals + 1))));
        }
        // Wine drops a line with an empty name ("=value") that follows another such
        // line in the same section.
        if (entry.name.empty() && previousUnnamed) continue;
        previousUnnamed = entry.name.empty();
        sections_.back().entries.push_back(std::move(entry));
    }
}

IniText::Section* IniText::FindSection(std::string_view name) {
    name = Trim(UpToNul(name));
    for (Section& section : sections_)
        if (SameName(section.name, name)) return &section;
    return nullptr;
}

const IniText::Section* IniText::FindSection(std::string_view name) const {
    return const_cast<IniText*>(this)->FindSection(name);
}

std::string IniText::Read(std::string_view sectionName, std::string_view key) const {
    const Section* section = FindSection(sectionName);
    if (!section) return {};
    key = Trim(UpToNul(key));
    for (const Entry& entry : section->entries) {
        if (SameName(entry.name, key)) return entry.value ? ValueAsRead(*entry.value) : std::string();
    }
    return {};
}

bool IniText::Write(std::string_view sectionName, std::string_view key, std::string_view value) {
    // A name that is created keeps its trailing blanks, as in Wine.
    sectionName = TrimLeft(UpToNul(sectionName));
    key = TrimLeft(UpToNul(key));
    value = TrimLeft(UpToNul(value));

    Section* section = FindSection(sectionName);
    if (!section) {
        sections_.push_back({std::string(sectionName), {}});
        section = &sections_.back();
    }
    for (Entry& entry : section->entries) {
        if (!SameName(entry.name, TrimRight(key))) continue;
        if (entry.value && *entry.value == value) return false;
        entry.value = std::string(value);
        return true;
    }
    section->entries.push_back({std::string(key), std::string(value)});
    return true;
}

std::string IniText::Text() const {
    std::size_t size = utf8Bom_ ? kUtf8Bom.size() : 0;
    for (const Section& section : sections_) {
        size += section.name.size() + 4;
        for (const Entry& entry : section.entries)
            size += entry.name.size() + 3 + (entry.value ? entry.value->size() : 0);
    }
    std::string text;
    text.reserve(size);
    if (utf8Bom_) text += kUtf8Bom;
    for (const Section& section : sections_) {
        // A section without a name has no header line, also one read from "[]".
        if (!section.name.empty()) {
            text += '[';
            text += section.name;
            text += "]\r\n";
        }
        for (const Entry& entry : section.entries) {
            text += entry.name;
            if (entry.value) {
                text += '=';
                text += *entry.value;
            }
            text += "\r\n";
        }
    }
    return text;
}

}  // namespace parlowen::settings
