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
// The parsers written plainly after their description, on the split transcript,
// with the marker lists spelled out. The property test holds the tail scan to them.
namespace reference {

const std::vector<std::string>& TimeMarkers() {
    static const std::vector<std::string> markers = [] {
        std::vector<std::string> list;
        for (int hour = 0; hour <= 23; ++hour) list.push_back(std::to_string(hour) + ":");
        for (int hour = 1; hour <= 9; ++hour) list.push_back("0" + std::to_string(hour) + ":");
        return list;
    }();
    return markers;
}

std::vector<std::string> NameEndMarkers() {
    std::vector<std::string> markers;
    for (int hour = 1; hour <= 23; ++hour) markers.push_back(" " + std::to_string(hour));
    for (int hour = 1; hour <= 9; ++hour) markers.push_back(" 0" + std::to_string(hour));
    return markers;
}

bool HoldsTimeMarker(const std::string& line) {
    for (const std::string& marker : TimeMarkers()) {
        if (line.find(marker) != std::string::npos) return true;
    }
    return false;
}

// Lines with a time of day with seconds where the transcript has any, else the markers.
std::optional<std::size_t> LastHeaderIndex(const Lines& lines) {
    bool timed = false;
    for (const std::string& line : lines) timed = timed || parlowen::testing::reference::HoldsTimeOfDay(line);
    for (std::size_t i = lines.size(); i-- > 0;) {
        if (timed ? parlowen::testing::reference::HoldsTimeOfDay(lines[i]) : HoldsTimeMarker(lines[i])) return i;
    }
    return std::nullopt;
}

std::string Header(std::string_view transcript) {
    const Lines lines = parlowen::testing::reference::SplitLines(transcript);
    const auto h = LastHeaderIndex(lines);
    return h ? parlowen::text::TrimBlanks(lines[*h]) : "";
}

std::string Body(std::string_view transcript) {
    const Lines lines = parlowen::testing::reference::SplitLines(transcript);
    std::string joined;
    for (std::size_t i = LastHeaderIndex(lines).value_or(0) + 1; i < lines.size(); ++i) {
        joined += lines[i] + "\r\n";
    }
    return parlowen::text::TrimBlanks(joined);
}

std::string Sender(std::string_view transcript) {
    const Lines lines = parlowen::testing::reference::SplitLines(transcript);
    std::string r;
    if (const auto h = LastHeaderIndex(lines)) {
        const std::string& l = lines[*h];
        const std::string t = parlowen::text::TrimBlanks(l);
        bool marked = false;
        for (const std::string& m : NameEndMarkers()) {
            if (l.find(m) == std::string::npos) continue;
            marked = true;
            const std::size_t at = t.find(m);
            r = (at == std::string::npos || at == 0) ? "" : t.substr(0, at);
        }
        // Hour 0, only in a line without any marker: before the first " 0:" or " 00:".
        for (std::size_t at = 0; !marked && at < t.size(); ++at) {
            if (t.compare(at, 3, " 0:") == 0 || t.compare(at, 4, " 00:") == 0) {
                r = t.substr(0, at);
                break;
            }
        }
    }
    if (r.find('(') != std::string::npos && r.find(')') != std::string::npos) r = r.substr(0, r.find('('));
    if (r.find('<') != std::string::npos && r.find('>') != std::string::npos) r = r.substr(0, r.find('<'));
    if (parlowen::capture::IsAllDigits(r)) r = parlowen::capture::SpaceOutDigits(r);
    for (const char* bracket : {"[", "]", "(", ")", "{", "}", "<", ">", "\xA1\xB6", "\xA1\xB7"}) {
        r = parlowen::text::ReplaceAllGbk(r, bracket, "");
    }
    return r;
}

}  // namespace reference

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

TEST(HeaderLineKinds, DigitColonAndTimeOfDayWithSeconds) {
    const struct { std::string line; bool digitColon, timeOfDay; } cases[] = {
        {"9:", true, false}, {"sky 20:15:08", true, true}, {"x0:", true, false}, {"", false, false},
        {":", false, false}, {":9", false, false}, {"12 :00", false, false}, {"a:b", false, false},
        {"\xA3\xB1:", false, false},
        {"meet at 5:30", true, false}, {"moon 0:15:00", true, true}, {"moon 00:20:00", true, true},
        {"23:59:59", true, true}, {"\xB0\xA1" "1:00:00\xB0\xA1", true, true}, {"24:00:00", true, false},
        {"12:60:00", true, false}, {"12:00:60", true, false}, {"123:45:00", true, false},
        {"12:30:456", true, false}, {"1:5:00", true, false}, {"12:30:4", true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Shown(c.line));
        EXPECT_EQ(parlowen::testing::reference::HoldsDigitColon(c.line), c.digitColon);
        EXPECT_EQ(parlowen::testing::reference::HoldsTimeOfDay(c.line), c.timeOfDay);
        EXPECT_EQ(parlowen::capture::FindLastTimeOfDayLineSpan(c.line).has_value(), c.timeOfDay);
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

TEST(FindLastHeaderLine, WorkedExampleAndNone) {
    const Lines lines = {"sky 20:15:08", "hello", "moon(10001) 20:16:30", "see you at the gate", "bye"};
    EXPECT_EQ(parlowen::testing::reference::FindLastHeaderLine(lines), 2u);
    EXPECT_EQ(parlowen::testing::reference::FindLastHeaderLine({"sky 20:15:08", "at 5:30", "ok"}), 0u);
    EXPECT_EQ(parlowen::testing::reference::FindLastHeaderLine({"sky 20:15", "at 5:30", "ok"}), 1u);
    EXPECT_EQ(parlowen::testing::reference::FindLastHeaderLine({"hello", "world"}), std::nullopt);
    EXPECT_EQ(parlowen::testing::reference::FindLastHeaderLine({}), std::nullopt);
}

TEST(FindLastHeaderLineSpan, OffsetsOfLineAndBreak) {
    using parlowen::capture::FindLastHeaderLineSpan;
    const std::string text = "sky 20:15:08\r\nhi\r\n moon 20:16:30 \r\nbody";
    const auto span = FindLastHeaderLineSpan(text);
    ASSERT_TRUE(span);
    EXPECT_EQ(span->begin, 18u);
    EXPECT_EQ(span->end, 33u);
    EXPECT_EQ(span->next, 35u);

    const auto beforeNul = FindLastHeaderLineSpan("a\nmoon 1:00\0\r\nb 2:00"s);
    ASSERT_TRUE(beforeNul);
    EXPECT_EQ(beforeNul->begin, 2u);
    EXPECT_EQ(beforeNul->end, 11u);
    EXPECT_EQ(beforeNul->next, 11u);  // the NUL ends the text, it is no break

    EXPECT_FALSE(FindLastHeaderLineSpan("hello\r\nworld"));
    EXPECT_FALSE(FindLastHeaderLineSpan(":"));
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
    const parlowen::capture::LastMessage message = parlowen::capture::ParseLastMessage(c.transcript);
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
    {"NoHeaderDropsFirstLine", "hello\r\nworld", "", "world", ""},
    {"LastHeaderWins", "sky 20:15:08\r\nhi\r\nmoon 20:16:30", "moon 20:16:30", "", "moon"},
    // A time without seconds in a message is text where the headers show seconds.
    {"TimeInLastLineOfMessage", "sky 20:15:08\r\nlet us meet at 5:30", "sky 20:15:08", "let us meet at 5:30", "sky"},
    {"TimeOnEarlierLineOfMessage", "sky 20:15:08\r\nhi\r\nmoon 20:16:30\r\nlet us meet at 5:30\r\nok?",
     "moon 20:16:30", "let us meet at 5:30\r\nok?", "moon"},
    {"NoTimesOfDay", "sky 20:15\r\nmoon 20:16\r\nhi", "moon 20:16", "hi", "moon"},
    {"NoTimesOfDayTimeInMessage", "sky 20:15\r\nmeet at 5:30", "meet at 5:30", "", "meet at"},
    {"BlankLinesInBody", "sky 20:15:08\r\n\r\n  hi  \r\n\r\nthere", "sky 20:15:08",
     "hi  \r\n\r\nthere", "sky"},
    {"TwoSpacesBeforeTime", "sky  20:15:08", "sky  20:15:08", "", "sky "},
    {"LastMarkerInListDecides", "sky 2009-1-6 20:05:00", "sky 2009-1-6 20:05:00", "", "sky"},
    {"LastMarkerInListDecides21", "sky 2009-1-6 21:05:00", "sky 2009-1-6 21:05:00", "", "sky 2009-1-6"},
    {"HourZero", "moon 0:15:00", "moon 0:15:00", "", "moon"},
    {"HourZeroZero", "moon 00:20:00", "moon 00:20:00", "", "moon"},
    {"HourZeroAfterNameWithZero", "Agent 007 0:15:00", "Agent 007 0:15:00", "", "Agent 007"},
    {"HourZeroWithoutSeconds", "moon 00:20", "moon 00:20", "", "moon"},
    {"HourZeroMarkerElsewhereDecides", "team 7 0:15:00", "team 7 0:15:00", "", "team"},
    {"NoSpaceBeforeTime", "moon20:15:08", "moon20:15:08", "", ""},
    {"TabBeforeTime", "moon\t20:15:08", "moon\t20:15:08", "", ""},
    {"MarkerOnlyInLeadingBlank", "sky 20:15:08\r\n 7x7:00:00", "7x7:00:00", "", ""},
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
    {"LeadByteEndsHeader", "moon 20:15:08\x81", "moon 20:15:08\x81", "", "moon"},
    {"LeadByteEndsSender", "moon[\x81 20:15:08", "moon[\x81 20:15:08", "", "moon\x81"},
    {"LeadByteBefore0x7F", "\x81\x7F[x 20:15:08", "\x81\x7F[x 20:15:08", "", "\x81\x7Fx"},
    {"LeadingBlanksOfHeaderTrimmed", "a\r\n \t moon 20:15:08 \r\nbody \t", "moon 20:15:08", "body", "moon"},
};

INSTANTIATE_TEST_SUITE_P(Transcripts, LastMessage, testing::ValuesIn(kTranscripts),
                         [](const testing::TestParamInfo<TranscriptCase>& param) {
                             return std::string(param.param.name);
                         });

// Random transcripts over a small alphabet rich in line breaks, times, brackets and
// broken GBK: the tail scan must agree with the whole-text reference everywhere. Every
// other transcript also gets whole times, with seconds or without, and near misses.
TEST(LastMessageProperty, TailScanAgreesWithWholeTextReference) {
    // Digits, spaces and colons appear twice as often as the other bytes.
    constexpr std::string_view kAlphabet = "\r\n \t0129:a()<>[\x81\xA1\xB6\x7F\x40" " 0129:";
    const std::string_view kTimes[] = {"20:15:08", "0:15:00", "00:20:00", "9:05:59", "24:00:00", "12:60:00", "5:30"};
    std::mt19937 random(20240611u);
    std::uniform_int_distribution<std::size_t> lengthOf(0, 40), pick(0, kAlphabet.size() - 1),
        nulChance(0, 150), timeChance(0, 12), pickTime(0, std::size(kTimes) - 1);
    int headerFound = 0;
    int timeOfDayHeaders = 0;
    int senderFound = 0;
    for (int round = 0; round < 4000; ++round) {
        const bool withTimes = round % 2 == 0;
        std::string text;
        for (std::size_t n = lengthOf(random); n > 0; --n) {
            if (withTimes && timeChance(random) == 0) {
                text += kTimes[pickTime(random)];
            } else {
                text += nulChance(random) == 0 ? '\0' : kAlphabet[pick(random)];
            }
        }
        SCOPED_TRACE(Shown(text));
        // The library reads through a view of a heap block of exactly the text's size,
        // so that the address sanitizer catches any read one byte past its end.
        const std::vector<char> exactCopy(text.begin(), text.end());
        const std::string_view view(exactCopy.data(), exactCopy.size());

        const Lines lines = parlowen::testing::reference::SplitLines(view);
        const auto index = parlowen::testing::reference::FindLastHeaderLine(lines);
        ASSERT_EQ(index, reference::LastHeaderIndex(lines));
        const auto span = parlowen::capture::FindLastHeaderLineSpan(view);
        ASSERT_EQ(span.has_value(), index.has_value());
        if (span) {
            ++headerFound;
            timeOfDayHeaders += parlowen::testing::reference::HoldsTimeOfDay(lines[*index]) ? 1 : 0;
            ASSERT_LE(span->begin, span->end);
            ASSERT_LE(span->end, span->next);
            ASSERT_LE(span->next, text.size());
            EXPECT_EQ(text.substr(span->begin, span->end - span->begin), lines[*index]);
            EXPECT_EQ(parlowen::testing::reference::SplitLines(text.substr(0, span->begin)).size(), *index);
            EXPECT_EQ(parlowen::testing::reference::SplitLines(text.substr(span->next)),
                      Lines(lines.begin() + static_cast<std::ptrdiff_t>(*index) + 1, lines.end()));
        }
        const parlowen::capture::LastMessage all = parlowen::capture::ParseLastMessage(view);
        EXPECT_EQ(all.header, reference::Header(text));
        EXPECT_EQ(all.sender, reference::Sender(text));
        EXPECT_EQ(all.body, reference::Body(text));
        senderFound += all.sender.empty() ? 0 : 1;
        if (HasFailure()) break;
    }
    // The alphabet must keep both kinds of transcript frequent, or the test proves little.
    EXPECT_GT(headerFound, 800);
    EXPECT_LT(headerFound, 3600);
    EXPECT_GT(timeOfDayHeaders, 300);
    EXPECT_LT(timeOfDayHeaders, headerFound - 300);
    EXPECT_GT(senderFound, 100);
}

}  // namespace
