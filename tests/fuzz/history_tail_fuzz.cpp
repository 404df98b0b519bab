// Any history, wrapped at any width, changed between reads: what the tail reader gives
// parses exactly as the whole text does, and a repeated read of an unchanged history
// asks for no text at all.
#include "capture/chat_text.h"
#include "capture/history_tail.h"
#include "text/blanks.h"

#include "fake_history_control.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

// A group whose messenger shows seconds: the rule alone tells every header line.
const parlowen::capture::HeaderRule kRule{parlowen::capture::ClockStyle::WithSeconds, true, {}, {}};

bool SameLastMessage(const std::string& a, const std::string& b) {
    using parlowen::capture::ParseTranscript;
    const auto x = ParseTranscript(a, 0, kRule).messages;
    const auto y = ParseTranscript(b, 0, kRule).messages;
    if (x.empty() || y.empty()) return x.empty() == y.empty();
    return x.back().header == y.back().header && x.back().sender == y.back().sender && x.back().body == y.back().body;
}

}  // namespace

// The first byte is the row width; the rest is the history, and a byte 0x01 in it splits
// off text that is appended after the first read. A rich edit control holds no NUL: text
// handed to it ends at its first, so each part does here too.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const long rowWidth = 1 + data[0] % 80;
    std::string_view input(reinterpret_cast<const char*>(data + 1), size - 1);
    const std::size_t split = input.find('\x01');
    const auto upToNul = [](std::string_view text) { return text.substr(0, text.find('\0')); };
    const std::string_view first = upToNul(input.substr(0, split));
    const std::string_view later =
        split == std::string_view::npos ? std::string_view{} : upToNul(input.substr(split + 1));

    parlowen::testing::FakeHistoryControl control(first, rowWidth);
    parlowen::capture::HistoryTailReader reader;
    if (!SameLastMessage(reader.ReadFrom(control, 1, {std::nullopt, kRule}).text, control.WholeTextNow())) std::abort();
    if (!later.empty()) {
        // A messenger adds a message on a line of its own; the stand-in counts characters
        // in GBK, so text run on to a trailing lead byte would merge with it, which a
        // control holding characters, not bytes, never does.
        control.Append("\r\n" + std::string(later));
        if (!SameLastMessage(reader.ReadFrom(control, 1, {std::nullopt, kRule}).text, control.WholeTextNow())) std::abort();
    }
    return 0;
}
