// The user's own words: a plain list of "what = how to say it", one a line, for names and
// words the voice gets wrong. Applied to what is said, never to the log. A word of
// letters or digits is replaced where it stands as a whole word ("gg", not the "gg" of
// "eggs"), ignoring the case of its letters; Chinese text, which has no word boundaries,
// exactly as it is written.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace parlowen::speech {

// The longest "what" and "how to say it", in characters: a line longer than that is not
// a replacement the user meant, and the limit keeps a message said from growing without end.
inline constexpr std::size_t kLongestReplaced = 50, kLongestSaid = 100;

enum class ReplacementProblem {
    NoEqualsSign,      // neither "=" nor "＝" on the line
    NothingReplaced,   // nothing before the "="
    TooLong,           // a side longer than its limit
    NotInCodePage,     // a character the chat's code page lacks (told by the caller that converts)
};

struct ReplacementLineProblem {
    int line;  // from 1
    ReplacementProblem problem;
    bool operator==(const ReplacementLineProblem&) const = default;
};

class Replacements {
public:
    Replacements() = default;
    // Reads the list (GBK text). Blank lines and lines starting with "#" are passed over;
    // every other line that is not a replacement goes to `problems` and is passed over,
    // the lines after it still read. A word listed twice is replaced as first listed.
    static Replacements Parse(std::string_view ansiList, std::vector<ReplacementLineProblem>& problems);

    // `ansiText` with every listed word replaced, longest first; what a replacement
    // puts in is never looked at again.
    std::string Apply(std::string_view ansiText) const;
    bool empty() const noexcept { return entries_.empty(); }

private:
    struct Entry {
        std::string what, said;
        bool wordStart, wordEnd;  // begins / ends with a letter or digit: a whole word only
    };
    // The entry replacing what starts at `at`, if any, and how many bytes it takes.
    const Entry* Match(std::string_view text, std::size_t at, std::size_t& length) const;

    std::vector<Entry> entries_;  // longest first, then as listed
    // Entries by the lower-case first byte of their "what", in entries_' order.
    std::array<std::vector<std::uint32_t>, 256> byFirstByte_{};
};

}  // namespace parlowen::speech
