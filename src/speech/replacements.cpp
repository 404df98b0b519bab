#include "speech/replacements.h"

#include "text/gbk.h"
#include "text/lines.h"

#include <algorithm>

namespace parlowen::speech {
namespace {

using text::IsAsciiWordByte;

constexpr std::string_view kFullWidthEquals = "\xA3\xBD";  // ＝, as a Chinese input method types it
constexpr std::string_view kFullWidthSpace = "\xA1\xA1";

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

std::size_t LastCharacterStart(std::string_view text) {
    std::size_t last = 0;
    for (std::size_t i = 0; i < text.size(); i += text::GbkCharLength(text, i)) last = i;
    return last;
}

std::string_view Trimmed(std::string_view text) {
    for (;;) {
        if (!text.empty() && (text.front() == ' ' || text.front() == '\t' || text.front() == '\r')) {
            text.remove_prefix(1);
        } else if (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) {
            text.remove_suffix(1);
        } else if (text.starts_with(kFullWidthSpace)) {
            text.remove_prefix(2);
        } else if (text.ends_with(kFullWidthSpace) && LastCharacterStart(text) == text.size() - 2) {
            text.remove_suffix(2);
        } else {
            return text;
        }
    }
}

std::size_t CharacterCount(std::string_view text) {
    std::size_t count = 0;
    for (std::size_t i = 0; i < text.size(); ++count) i += text::GbkCharLength(text, i);
    return count;
}

bool EndsWithAsciiWordCharacter(std::string_view text) {
    const std::size_t last = LastCharacterStart(text);
    return text::GbkCharLength(text, last) == 1 && IsAsciiWordByte(static_cast<unsigned char>(text[last]));
}

// A tab typed inside a word is a space: what is said never holds a control character
// the message did not.
std::string WithoutControls(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (static_cast<unsigned char>(c) < 0x20) c = ' ';
    return out;
}

// Where the line's separator starts (at a character boundary), and its length.
std::size_t FindSeparator(std::string_view line, std::size_t& length) {
    for (std::size_t i = 0; i < line.size(); i += text::GbkCharLength(line, i)) {
        if (line[i] == '=') {
            length = 1;
            return i;
        }
        if (line.substr(i).starts_with(kFullWidthEquals) && text::GbkCharLength(line, i) == 2) {
            length = 2;
            return i;
        }
    }
    return std::string_view::npos;
}

}  // namespace

Replacements Replacements::Parse(std::string_view ansiList, std::vector<ReplacementLineProblem>& problems) {
    Replacements replacements;
    int number = 0;
    for (std::string_view listed : text::Lines(ansiList)) {
        const std::string_view line = Trimmed(listed);
        ++number;
        if (line.empty() || line.starts_with('#')) continue;
        std::size_t separatorLength = 0;
        const std::size_t separator = FindSeparator(line, separatorLength);
        if (separator == std::string_view::npos) {
            problems.push_back({number, ReplacementProblem::NoEqualsSign});
            continue;
        }
        const std::string_view what = Trimmed(line.substr(0, separator));
        const std::string_view said = Trimmed(line.substr(separator + separatorLength));
        if (what.empty()) {
            problems.push_back({number, ReplacementProblem::NothingReplaced});
            continue;
        }
        if (CharacterCount(what) > kLongestReplaced || CharacterCount(said) > kLongestSaid) {
            problems.push_back({number, ReplacementProblem::TooLong});
            continue;
        }
        replacements.entries_.push_back({WithoutControls(what), WithoutControls(said),
                                         IsAsciiWordByte(static_cast<unsigned char>(what.front())),
                                         EndsWithAsciiWordCharacter(what)});
    }
    std::stable_sort(replacements.entries_.begin(), replacements.entries_.end(),
                     [](const Entry& a, const Entry& b) { return a.what.size() > b.what.size(); });
    for (std::uint32_t i = 0; i < replacements.entries_.size(); ++i) {
        const char first = replacements.entries_[i].what.front();
        replacements.byFirstByte_[static_cast<unsigned char>(LowerAscii(first))].push_back(i);
    }
    return replacements;
}

const Replacements::Entry* Replacements::Match(std::string_view text, std::size_t at, std::size_t& length) const {
    for (std::uint32_t index : byFirstByte_[static_cast<unsigned char>(LowerAscii(text[at]))]) {
        const Entry& entry = entries_[index];
        // Character by character, so that a letter is never matched against the trail
        // byte of a Chinese character, and only a letter's case is ignored.
        std::size_t i = at, k = 0;
        while (k < entry.what.size() && i < text.size()) {
            const std::size_t textLength = text::GbkCharLength(text, i);
            const std::size_t wordLength = text::GbkCharLength(entry.what, k);
            if (textLength != wordLength) break;
            if (textLength == 1 ? LowerAscii(text[i]) != LowerAscii(entry.what[k])
                                : text.compare(i, 2, entry.what, k, 2) != 0)
                break;
            i += textLength;
            k += wordLength;
        }
        if (k != entry.what.size()) continue;
        if (entry.wordEnd && i < text.size() && IsAsciiWordByte(static_cast<unsigned char>(text[i]))) continue;
        length = i - at;
        return &entry;
    }
    return nullptr;
}

std::string Replacements::Apply(std::string_view ansiText) const {
    if (entries_.empty()) return std::string(ansiText);
    std::string out;
    out.reserve(ansiText.size());
    bool afterWordCharacter = false;
    for (std::size_t i = 0; i < ansiText.size();) {
        std::size_t length = 0;
        const Entry* entry = Match(ansiText, i, length);
        if (entry && !(entry->wordStart && afterWordCharacter)) {
            out += entry->said;
            i += length;
            afterWordCharacter = false;
            continue;
        }
        const std::size_t characterLength = text::GbkCharLength(ansiText, i);
        afterWordCharacter = characterLength == 1 && IsAsciiWordByte(static_cast<unsigned char>(ansiText[i]));
        out.append(ansiText, i, characterLength);
        i += characterLength;
    }
    return out;
}

}  // namespace parlowen::speech
