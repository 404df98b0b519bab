#include "capture/chat_text.h"
#include "chat_text_reference.h"
#include "shown_bytes.h"
#include "text/blanks.h"
#include "text/gbk.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdio>
#include <optional>
#include <ostream>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace {

using parlowen::testing::Shown;

using namespace std::string_literals;  // "...\0..."s keeps embedded NUL bytes

using Lines = std::vector<std::string>;


// ---------------------------------------------------------------------------

TEST(SplitLines, BreaksNulAndEmptyLines) {
    const struct { std::string text; Lines lines; } cases[] = {
        {"", {}},
        {"a", {"a"}},
        {"a\r\nb", {"a", "b"}},
        {"a\rb", {"a", "b"}},
        {"a\nb", {"a", "b"}},
        {"a\n\rb", {"a", "", "b"}},      // LF CR: the CR ends an empty line
        {"a\r\r\nb", {"a", "", "b"}},    // the CR before LF pairs with it
        {"a\r\n\r\nb", {"a", "", "b"}},
        {"a\n", {"a"}},                  // no empty last line
        {"a\n\r", {"a", ""}},
        {"\n", {""}},
        {" x \t", {" x \t"}},            // not trimmed
        {"a\0b\nc"s, {"a"}},             // NUL ends the text
        {"\0a"s, {}},
        {"a\r\0\nb"s, {"a"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(parlowen::testing::reference::SplitLines(c.text), c.lines) << Shown(c.text);
    }
}

TEST(HeaderShape, TheSenderThenTheTimeWithNothingAfterIt) {
    using parlowen::capture::ClockStyle;
    constexpr auto kSeconds = ClockStyle::WithSeconds;
    constexpr auto kMinutes = ClockStyle::WithoutSeconds;
    const struct {
        std::string line;
        std::optional<ClockStyle> clock;  // nothing: no header line
        std::size_t nameLength = 0;
        int secondOfDay = 0;
        bool dated = false;
    } cases[] = {
        {"sky 20:15:08", kSeconds, 3, (20 * 60 + 15) * 60 + 8},
        {" \tsky  20:15 \t", kMinutes, 3, (20 * 60 + 15) * 60},
        {"moon(10001) 0:05:00", kSeconds, 11, 5 * 60},
        {"moon 00:20", kMinutes, 4, 20 * 60},
        {"Agent 007 9:05:59", kSeconds, 9, (9 * 60 + 5) * 60 + 59},
        {"sky 2009-1-6 21:05:00", kSeconds, 3, (21 * 60 + 5) * 60, true},
        {"sky 2009/01/06 21:05", kMinutes, 3, (21 * 60 + 5) * 60, true},
        {"sky 1-6 21:05", kMinutes, 3, (21 * 60 + 5) * 60, true},
        {"moon\t20:15:08", kSeconds, 4, (20 * 60 + 15) * 60 + 8},
        {"\xB0\xA1 23:59:59", kSeconds, 2, 24 * 60 * 60 - 1},
        {"20:15:08", std::nullopt},            // no name
        {"moon20:15:08", std::nullopt},        // no blank before the time
        {"明天 10:00:00 开会", std::nullopt},  // text after the time
        {"meet at 5:30.", std::nullopt},
        {"x 24:00:00", std::nullopt}, {"x 12:60", std::nullopt}, {"x 12:00:60", std::nullopt},
        {"x 123:45", std::nullopt}, {"x 12:5", std::nullopt}, {"x 1:5:00", std::nullopt},
        {"x \xA3\xB1:00", std::nullopt},      // a full-width digit
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Shown(c.line));
        const auto shape = parlowen::capture::HeaderShapeOf(c.line);
        ASSERT_EQ(shape.has_value(), c.clock.has_value());
        if (!shape) continue;
        EXPECT_EQ(shape->clock, *c.clock);
        EXPECT_EQ(shape->nameLength, c.nameLength);
        EXPECT_EQ(shape->secondOfDay, c.secondOfDay);
        EXPECT_EQ(shape->dated, c.dated);
    }
}

TEST(DigitHelpers, IsAllDigitsAndSpaceOutDigits) {
    EXPECT_TRUE(parlowen::capture::IsAllDigits(""));
    EXPECT_TRUE(parlowen::capture::IsAllDigits("0123456789"));
    EXPECT_FALSE(parlowen::capture::IsAllDigits("12a"));
    EXPECT_FALSE(parlowen::capture::IsAllDigits("1 2"));
    EXPECT_FALSE(parlowen::capture::IsAllDigits("\xA3\xB1"));  // full-width one

    const struct { std::string text, spaced; } cases[] = {
        {"", ""},
        {"10001", "1 0 0 0 1"},
        {"a1b22", "a 1b 2 2"},
        {"[1](2)", "1 2"},
        {" 7 ", "7"},
        {"\x81[x\x81]", "\x81[x\x81]"},  // double-byte characters stay whole
        {"\xA3\xB1", "\xA3\xB1"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(parlowen::capture::SpaceOutDigits(c.text), c.spaced) << Shown(c.text);
    }
}

TEST(FindHeaderCandidates, OffsetsOfLinesAndTheLastFew) {
    using parlowen::capture::FindHeaderCandidates;
    const std::string text = "sky 20:15:08\r\nhi\r\n moon 20:16:30 \r\nbody\nx 1:00\0\r\nb 2:00"s;
    const auto all = FindHeaderCandidates(text);
    ASSERT_EQ(all.size(), 3u);
    EXPECT_EQ(all[1].line.begin, 18u);
    EXPECT_EQ(all[1].line.end, 33u);
    EXPECT_EQ(all[1].line.next, 35u);
    EXPECT_EQ(all[1].sender, "moon");
    EXPECT_EQ(all[2].line.next, all[2].line.end);  // the NUL ends the text, it is no break
    const auto lastTwo = FindHeaderCandidates(text, 0, 2);
    ASSERT_EQ(lastTwo.size(), 2u);
    EXPECT_EQ(lastTwo[0].line.begin, 18u);
    EXPECT_EQ(FindHeaderCandidates(text, 19).size(), 1u);
    EXPECT_TRUE(FindHeaderCandidates("hello\r\nworld").empty());
}

struct TranscriptCase {
    const char* name;
    std::string transcript;
    std::string header, body, sender;
};

void PrintTo(const TranscriptCase& c, std::ostream* out) { *out << c.name; }

class LastMessage : public testing::TestWithParam<TranscriptCase> {};

TEST_P(LastMessage, HeaderBodyAndSender) {
    const TranscriptCase& c = GetParam();
    SCOPED_TRACE(Shown(c.transcript));
    // A group window: every name may speak, and the clock style is learned from the lines.
    const auto messages = parlowen::capture::ParseTranscript(c.transcript, 0, {.group = true}).messages;
    const parlowen::capture::ChatMessage message = messages.empty() ? parlowen::capture::ChatMessage{} : messages.back();
    EXPECT_EQ(message.header, c.header);
    EXPECT_EQ(message.body, c.body);
    EXPECT_EQ(message.sender, c.sender);
}

const TranscriptCase kTranscripts[] = {
    {"WorkedExampleOne",
     "sky 20:15:08\r\nhello\r\nmoon(10001) 20:16:30\r\nsee you at the gate\r\nbye",
     "moon(10001) 20:16:30", "see you at the gate\r\nbye", "moon"},
    {"WorkedExampleTwo", "10001 9:05:00\r\nok", "10001 9:05:00", "ok", "1 0 0 0 1"},
    {"Empty", "", "", "", ""},
    {"OneLineWithoutTime", "hello", "", "", ""},
    {"NoHeaderNoMessage", "hello\r\nworld", "", "", ""},
    {"LastHeaderWins", "sky 20:15:08\r\nhi\r\nmoon 20:16:30", "moon 20:16:30", "", "moon"},
    // A time without seconds in a message is text where the headers show seconds.
    {"TimeInLastLineOfMessage", "sky 20:15:08\r\nlet us meet at 5:30", "sky 20:15:08", "let us meet at 5:30", "sky"},
    {"TimeOnEarlierLineOfMessage", "sky 20:15:08\r\nhi\r\nmoon 20:16:30\r\nlet us meet at 5:30\r\nok?",
     "moon 20:16:30", "let us meet at 5:30\r\nok?", "moon"},
    {"NoTimesOfDay", "sky 20:15\r\nmoon 20:16\r\nhi", "moon 20:16", "hi", "moon"},
    // In a group, where anyone may speak, a line written as a name and a time is a header.
    {"NoSecondsTimeEndingALineInAGroup", "sky 20:15\r\nmeet at 5:30", "meet at 5:30", "", "meet at"},
    {"NoSecondsOneLineWithSecondsInMessage", "sky 9:16\r\nalarm 7:00:00\r\nstar 9:17\r\nok", "star 9:17", "ok", "star"},
    {"BlankLinesInBody", "sky 20:15:08\r\n\r\n  hi  \r\n\r\nthere", "sky 20:15:08",
     "hi  \r\n\r\nthere", "sky"},
    {"TwoSpacesBeforeTime", "sky  20:15:08", "sky  20:15:08", "", "sky"},
    {"Dated", "sky 2009-1-6 20:05:00", "sky 2009-1-6 20:05:00", "", "sky"},
    {"DatedOtherHour", "sky 2009-1-6 21:05:00", "sky 2009-1-6 21:05:00", "", "sky"},
    {"HourZero", "moon 0:15:00", "moon 0:15:00", "", "moon"},
    {"HourZeroZero", "moon 00:20:00", "moon 00:20:00", "", "moon"},
    {"HourZeroAfterNameWithZero", "Agent 007 0:15:00", "Agent 007 0:15:00", "", "Agent 007"},
    {"HourZeroWithoutSeconds", "moon 00:20", "moon 00:20", "", "moon"},
    {"DigitInName", "team 7 0:15:00", "team 7 0:15:00", "", "team 7"},
    {"NoSpaceBeforeTime", "moon20:15:08", "", "", ""},
    {"TabBeforeTime", "moon\t20:15:08", "moon\t20:15:08", "", "moon"},
    {"TimeRunOnToText", "sky 20:15:08\r\n 7x7:00:00", "sky 20:15:08", "7x7:00:00", "sky"},
    {"TimeAloneOnTheLastLine", "sky 20:15:08\r\nalarm\r\n8:05:00", "sky 20:15:08", "alarm\r\n8:05:00", "sky"},
    {"TextAfterTheTime", "sky 20:15:08\r\ntomorrow 10:00:00 ok", "sky 20:15:08", "tomorrow 10:00:00 ok", "sky"},
    {"SquareBrackets", "[vip]moon 20:15:08", "[vip]moon 20:15:08", "", "vipmoon"},
    {"AngleBracketCut", "moon<m.x> 20:15:08", "moon<m.x> 20:15:08", "", "moon"},
    {"TitleMarks", "\xA1\xB6sky\xA1\xB7 20:15:08", "\xA1\xB6sky\xA1\xB7 20:15:08", "", "sky"},
    {"NumberOnlyInParentheses", "(10001) 20:15:08", "(10001) 20:15:08", "", ""},
    {"LoneParenthesis", "moon(x 20:15:08", "moon(x 20:15:08", "", "moonx"},
    {"LoneAngleBracket", "moon<x 20:15:08", "moon<x 20:15:08", "", "moonx"},
    {"BracketBytesAsSecondBytes", "[\x81[\x81]\x81{\x81}] 20:15:08", "[\x81[\x81]\x81{\x81}] 20:15:08",
     "", "\x81[\x81]\x81{\x81}"},
    {"TitleMarkBytesAcrossCharacters", "\xB0\xA1\xB6\xC0 20:15:08", "\xB0\xA1\xB6\xC0 20:15:08", "",
     "\xB0\xA1\xB6\xC0"},
    {"BreaksCr", "sky 20:15:08\rhi\rthere", "sky 20:15:08", "hi\r\nthere", "sky"},
    {"BreaksLf", "sky 20:15:08\nhi\nthere", "sky 20:15:08", "hi\r\nthere", "sky"},
    {"BreaksLfCr", "sky 20:15:08\nhi\n\rthere", "sky 20:15:08", "hi\r\n\r\nthere", "sky"},
    {"BreaksCrCrLf", "sky 20:15:08\r\r\nhi\r\r\nthere", "sky 20:15:08", "hi\r\n\r\nthere", "sky"},
    {"NulEndsText", "sky 20:15:08\r\nhi\0\r\nmoon 20:16:30\r\nlater"s, "sky 20:15:08", "hi", "sky"},
    {"NulFirst", "\0sky 20:15:08\r\nhi"s, "", "", ""},
    {"LeadByteEndsBody", "moon 20:15:08\r\nhi\x81", "moon 20:15:08", "hi\x81", "moon"},
    {"LeadByteEndsHeader", "moon 20:15:08\x81", "", "", ""},
    {"LeadByteEndsSender", "moon[\x81 20:15:08", "moon[\x81 20:15:08", "", "moon\x81"},
    {"LeadByteBefore0x7F", "\x81\x7F[x 20:15:08", "\x81\x7F[x 20:15:08", "", "\x81\x7Fx"},
    {"LeadingBlanksOfHeaderTrimmed", "a\r\n \t moon 20:15:08 \r\nbody \t", "moon 20:15:08", "body", "moon"},
};

INSTANTIATE_TEST_SUITE_P(Transcripts, LastMessage, testing::ValuesIn(kTranscripts),
                         [](const testing::TestParamInfo<TranscriptCase>& param) {
                             return std::string(param.param.name);
                         });

// Random transcripts over a small alphabet rich in line breaks, times, brackets and
// broken GBK: the scan from the end finds exactly the header-shaped lines that splitting
// the whole text finds, and each message's body is the lines up to the next one.
TEST(TranscriptProperty, TheScanFromTheEndAgreesWithSplittingTheWholeText) {
    constexpr std::string_view kAlphabet = "\r\n \t0129:a()<>[\x81\xA1\xB6\x7F\x40" " 0129:";
    const std::string_view kHeaders[] = {"sky 20:15:08", "a 0:15:00", "b 00:20", "(1) 9:05:59", "c 24:00:00", "d 5:30"};
    std::mt19937 random(20240611u);
    std::uniform_int_distribution<std::size_t> lengthOf(0, 40), pick(0, kAlphabet.size() - 1),
        nulChance(0, 150), headerChance(0, 8), pickHeader(0, std::size(kHeaders) - 1);
    int headers = 0;
    for (int round = 0; round < 4000; ++round) {
        std::string text;
        for (std::size_t n = lengthOf(random); n > 0; --n) {
            if (headerChance(random) == 0) text.append("\r\n").append(kHeaders[pickHeader(random)]).append("\r\n");
            else text += nulChance(random) == 0 ? '\0' : kAlphabet[pick(random)];
        }
        SCOPED_TRACE(Shown(text));
        // Read through a heap block of exactly the text's size, so that the address
        // sanitizer catches any read one byte past its end.
        const std::vector<char> exactCopy(text.begin(), text.end());
        const std::string_view view(exactCopy.data(), exactCopy.size());
        const Lines lines = parlowen::testing::reference::SplitLines(view);
        Lines expected;
        for (const std::string& line : lines)
            if (parlowen::capture::HeaderShapeOf(line)) expected.push_back(line);
        Lines found;
        for (const auto& candidate : parlowen::capture::FindHeaderCandidates(view))
            found.push_back(text.substr(candidate.line.begin, candidate.line.end - candidate.line.begin));
        ASSERT_EQ(found, expected);
        headers += static_cast<int>(found.size());

        const auto messages = parlowen::capture::ParseTranscript(view, 0, {.group = true}).messages;
        for (std::size_t i = 0; i < messages.size(); ++i) {
            const std::size_t end = i + 1 < messages.size() ? messages[i + 1].begin : text.find('\0');
            const Lines after = parlowen::testing::reference::SplitLines(view.substr(0, end).substr(messages[i].begin));
            std::string joined;
            for (std::size_t l = 1; l < after.size(); ++l) joined += after[l] + "\r\n";
            EXPECT_EQ(messages[i].body, parlowen::text::TrimBlanks(joined));
            EXPECT_EQ(messages[i].position, parlowen::capture::PositionsIn(view.substr(0, messages[i].begin)));
        }
        if (HasFailure()) break;
    }
    EXPECT_GT(headers, 2000);  // the alphabet must keep header lines frequent, or this proves little
}

}  // namespace
