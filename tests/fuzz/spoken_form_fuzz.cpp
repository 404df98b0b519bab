// Any message under any rules and any list of the user's own words: what is said is
// never much longer than the message (with the words put in),
// never holds a control character the message did not, never throws, and once wrapped
// in the pitch markup holds no markup but the program's own.
#include "speech/speakable_text.h"
#include "speech/spoken_form.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace {

std::size_t Controls(std::string_view text) {
    return static_cast<std::size_t>(
        std::count_if(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; }));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    parlowen::speech::SpeakingRules rules;
    rules.shortenLinks = data[0] & 1;
    rules.dropSymbols = data[0] & 2;
    rules.collapseRepeats = data[0] & 4;
    rules.longestMessage = (data[0] & 8) ? 0 : data[1] * 4;
    std::string_view message(reinterpret_cast<const char*>(data + 2), size - 2);
    // With the flag, what stands before the first blank line is the list of replacements.
    std::string_view list;
    if (const std::size_t blank = message.find("\n\n"); (data[0] & 16) && blank != std::string_view::npos) {
        list = message.substr(0, blank);
        message.remove_prefix(blank + 2);
    }
    std::vector<parlowen::speech::ReplacementLineProblem> problems;
    const auto words = parlowen::speech::Replacements::Parse(list, problems);

    const std::string said = parlowen::speech::SpokenForm(message, rules, words);
    // A character may become the longest replacement (two bytes a character); two bytes
    // a character at most for the phrase that says how much more there is.
    const std::size_t grown = message.size() * (words.empty() ? 1 : 2 * parlowen::speech::kLongestSaid + 1);
    if (said.size() > 2 * grown + 40) std::abort();
    if (Controls(said) > Controls(message)) std::abort();
    const std::string markup = parlowen::speech::PitchMarkup(said, 6);
    if (std::count(markup.begin(), markup.end(), '<') != 2 || std::count(markup.begin(), markup.end(), '>') != 2)
        std::abort();
    return 0;
}
