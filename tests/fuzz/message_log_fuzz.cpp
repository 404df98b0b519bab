// Any sequence of appends, typed text and entries against a rich edit stand-in: the
// log never crashes, only ever grows, and leaves the caret in the new entry.
#include "log/message_log.h"

#include "fake_rich_edit.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace parlowen::log;
    parlowen::testing::FakeRichEdit pane;
    std::string_view input(reinterpret_cast<const char*>(data), size);
    // Each step: one operation byte, then its texts, each ended by a NUL byte.
    const auto next = [&input]() {
        const std::size_t end = input.find('\0');
        const std::string_view text = input.substr(0, end);
        input.remove_prefix(end == std::string_view::npos ? input.size() : end + 1);
        return text;
    };
    while (!input.empty()) {
        const unsigned char operation = static_cast<unsigned char>(input.front());
        input.remove_prefix(1);
        const long before = pane.TextLength();
        switch (operation % 4) {
        case 0:
            AppendLogLine(pane, next());
            break;
        case 1: {
            const std::string_view header = next();
            AppendLogEntry(pane, header, next(), operation & 4 ? parlowen::chat::Role::Mine : parlowen::chat::Role::Friend);
            // The caret rests inside what the entry added: at its body's start.
            if (pane.caret < before || pane.caret > pane.TextLength()) std::abort();
            break;
        }
        case 2:
            pane.Type(next());
            break;
        default:
            pane.failInsert = !pane.failInsert;
            break;
        }
        if (pane.TextLength() < before) std::abort();
    }
    return 0;
}
