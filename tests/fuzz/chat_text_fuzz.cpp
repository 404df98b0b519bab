// Any transcript: the parser never crashes, never reads past the text, its scan from
// the end finds exactly the header-shaped lines that splitting the whole text finds,
// and every message it gives has its header line's place and a trimmed body.
#include "capture/chat_text.h"
#include "chat_text_reference.h"
#include "text/blanks.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace parlowen::capture;
    const std::string_view transcript(reinterpret_cast<const char*>(data), size);
    const auto lines = parlowen::testing::reference::SplitLines(transcript);
    std::size_t shaped = 0;
    for (const std::string& line : lines) shaped += HeaderShapeOf(line) ? 1 : 0;
    const auto candidates = FindHeaderCandidates(transcript);
    if (candidates.size() != shaped) std::abort();
    for (const bool group : {false, true}) {
        for (const ChatMessage& message : ParseTranscript(transcript, 0, {.group = group, .chatTitle = "sky"}).messages) {
            if (message.body != parlowen::text::TrimBlanks(message.body)) std::abort();
            if (message.header.empty() || message.position != PositionsIn(transcript.substr(0, message.begin))) std::abort();
        }
    }
    return 0;
}
