// Any message under any rules: what is said is never much longer than the message,
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
    const std::string_view message(reinterpret_cast<const char*>(data + 2), size - 2);

    const std::string said = parlowen::speech::SpokenForm(message, rules);
    // Two bytes a character at most for the phrase that says how much more there is.
    if (said.size() > 2 * message.size() + 40) std::abort();
    if (Controls(said) > Controls(message)) std::abort();
    const std::string markup = parlowen::speech::PitchMarkup(said, 6);
    if (std::count(markup.begin(), markup.end(), '<') != 2 || std::count(markup.begin(), markup.end(), '>') != 2)
        std::abort();
    return 0;
}
