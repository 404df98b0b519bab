// Any transcript: the parsers never crash, never read past the text, and the one-look
// parse the capture tick uses agrees with the three parsers taken one by one.
#include "capture/chat_text.h"
#include "text/blanks.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace parlowen::capture;
    const std::string_view transcript(reinterpret_cast<const char*>(data), size);
    const std::string_view trimmed = parlowen::text::TrimmedView(transcript);

    const LastMessage message = ParseLastMessage(trimmed);
    if (message.header != LastMessageHeader(trimmed) || message.body != LastMessageBody(trimmed) ||
        message.sender != LastMessageSender(trimmed))
        std::abort();
    // The scan from the end finds the header line that splitting the whole text finds.
    const auto lines = SplitLines(trimmed);
    const auto index = FindLastHeaderLine(lines);
    const auto span = FindLastHeaderLineSpan(trimmed);
    if (index.has_value() != span.has_value()) std::abort();
    if (span && std::string_view(trimmed).substr(span->begin, span->end - span->begin) != lines[*index]) std::abort();
    if (IsAllDigits(message.sender)) (void)SpaceOutDigits(message.sender);
    return 0;
}
