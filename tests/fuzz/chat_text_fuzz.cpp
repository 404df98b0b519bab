// Any transcript: the parser never crashes, never reads past the text, and its scans
// from the end find the header line, and the last line with a time of day, that
// splitting the whole text finds.
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
    const std::string_view trimmed = parlowen::text::TrimmedView(transcript);

    const LastMessage message = ParseLastMessage(trimmed);
    const auto lines = parlowen::testing::reference::SplitLines(trimmed);
    const auto index = parlowen::testing::reference::FindLastHeaderLine(lines);
    const auto span = FindLastHeaderLineSpan(trimmed);
    if (index.has_value() != span.has_value()) std::abort();
    if (span && std::string_view(trimmed).substr(span->begin, span->end - span->begin) != lines[*index]) std::abort();
    const auto timed = FindLastTimeOfDayLineSpan(trimmed);
    if (timed.has_value() != (index && parlowen::testing::reference::HoldsTimeOfDay(lines[*index]))) std::abort();
    if (timed && timed->begin != span->begin) std::abort();
    if (IsAllDigits(message.sender)) (void)SpaceOutDigits(message.sender);
    return 0;
}
