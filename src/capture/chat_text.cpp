// Parsing the last message out of a messenger chat transcript.
//
// The capture tick parses every second a transcript that can reach megabytes, so the
// parser never splits the whole transcript: it scans back from its end to the last
// header line and only touches the bytes of the last message. Only a transcript without
// any time of day with seconds is scanned through, to learn that it holds none.
#include "capture/chat_text.h"

#include "text/blanks.h"
#include "text/gbk.h"

#include <algorithm>
#include <array>

namespace parlowen::capture {
namespace {

using text::GbkCharLength;
using text::ReplaceAllGbk;
using text::TrimBlanks;
using text::TrimmedView;

constexpr std::size_t kNotFound = std::string_view::npos;

bool IsAsciiDigit(char c) { return c >= '0' && c <= '9'; }

// The history control's buffer ends at the first NUL; anything after it is not text.
// This is the one pass over the whole transcript that the parsers make.
std::string_view UpToFirstNul(std::string_view text) { return text.substr(0, text.find('\0')); }

// Offset of the CR or LF that ends the line starting at `begin`, or the text's end.
std::size_t LineEnd(std::string_view text, std::size_t begin) {
    return std::min(text.find_first_of("\r\n", begin), text.size());
}

// Offset just past the line break at `pos`: one CR if there is one, then one LF if
// there is one. So CR LF, CR and LF are each one break, and in LF CR the CR is the
// break of a following empty line. At the end of the text this is `pos` itself.
std::size_t SkipLineBreak(std::string_view text, std::size_t pos) {
    if (pos < text.size() && text[pos] == '\r') ++pos;
    if (pos < text.size() && text[pos] == '\n') ++pos;
    return pos;
}

LineSpan LineStartingAt(std::string_view text, std::size_t begin) {
    const std::size_t end = LineEnd(text, begin);
    return {begin, end, SkipLineBreak(text, end)};
}

// Line that holds the byte at `pos`. A line holds no CR or LF and a break holds
// nothing else, so it starts right after the last CR or LF before `pos`; its break is
// skipped forwards as the line rules say.
LineSpan LineAround(std::string_view text, std::size_t pos) {
    const std::size_t previousBreak = text.find_last_of("\r\n", pos);
    return LineStartingAt(text, previousBreak == kNotFound ? 0 : previousBreak + 1);
}

// Whether the byte at `pos` and the next are two digits from 00 to 59.
bool IsMinutesOrSecondsAt(std::string_view text, std::size_t pos) {
    return pos + 1 < text.size() && text[pos] >= '0' && text[pos] <= '5' && IsAsciiDigit(text[pos + 1]);
}

// Whether the colon at `colon`, which directly follows a digit, is the first one of a
// time of day with seconds: H:MM:SS or HH:MM:SS, hour 0-23, minutes and seconds 00-59,
// and no digit directly before the hour or after the seconds ("123:45:00" and
// "12:30:456" are no times). Digits and ':' lie below 0x40, where no GBK character has
// its second byte, so these byte tests only ever see whole characters.
bool StartsMinutesOfTimeOfDay(std::string_view text, std::size_t colon) {
    std::size_t hour = colon - 1;
    if (hour > 0 && IsAsciiDigit(text[hour - 1])) {
        --hour;
        if (text[hour] > '2' || (text[hour] == '2' && text[colon - 1] > '3')) return false;
        if (hour > 0 && IsAsciiDigit(text[hour - 1])) return false;
    }
    const std::size_t seconds = colon + 4;
    return IsMinutesOrSecondsAt(text, colon + 1) && seconds < text.size() && text[colon + 3] == ':' &&
           IsMinutesOrSecondsAt(text, seconds) && (seconds + 2 == text.size() || !IsAsciiDigit(text[seconds + 2]));
}

// The last colon of `text` that starts the minutes of a time of day, and the last colon
// that directly follows any digit. Neither pair holds a line break, so each lies in the
// last line of its kind. The scan from the end stops at the first time of day: where the
// messenger shows seconds it reads little more than the last message; a text without any
// time of day is scanned once through.
struct LastColons {
    std::size_t timeOfDay = kNotFound;
    std::size_t afterDigit = kNotFound;
};

// `text` has already been cut at its first NUL.
LastColons FindLastColons(std::string_view text) {
    LastColons found;
    for (std::size_t colon = text.rfind(':'); colon != kNotFound && colon > 0;
         colon = text.rfind(':', colon - 1)) {
        if (!IsAsciiDigit(text[colon - 1])) continue;
        if (found.afterDigit == kNotFound) found.afterDigit = colon;
        if (StartsMinutesOfTimeOfDay(text, colon)) {
            found.timeOfDay = colon;
            break;
        }
    }
    return found;
}

std::optional<LineSpan> FindLastHeaderLineSpanInText(std::string_view text) {
    const LastColons colons = FindLastColons(text);
    const std::size_t colon = colons.timeOfDay != kNotFound ? colons.timeOfDay : colons.afterDigit;
    if (colon == kNotFound) return std::nullopt;
    return LineAround(text, colon);
}

// The lines of `text` joined by CR LF and trimmed, the way the body is delivered.
// Trimming first gives the same bytes as joining first (a break is all blanks and
// every break of the trimmed text lies between two of its non-blank bytes), and
// then each remaining break simply becomes CR LF.
std::string JoinLinesWithCrLf(std::string_view text) {
    const std::string_view trimmed = TrimmedView(text);
    std::string joined;
    joined.reserve(trimmed.size() + trimmed.size() / 16);
    for (std::size_t begin = 0; begin < trimmed.size();) {
        const LineSpan line = LineStartingAt(trimmed, begin);
        joined.append(trimmed.substr(line.begin, line.end - line.begin));
        if (line.end < trimmed.size()) joined.append("\r\n");
        begin = line.next;
    }
    return joined;
}

// A name ends before a space and the hour of the time that follows it. Hour 0 has no
// entry: "0" and "00" are only taken where none of these occurs (NameBeforeHourZero).
constexpr std::array<std::string_view, 32> kNameEndMarkers = {
    " 1",  " 2",  " 3",  " 4",  " 5",  " 6",  " 7",  " 8",  " 9",  " 10", " 11",
    " 12", " 13", " 14", " 15", " 16", " 17", " 18", " 19", " 20", " 21", " 22",
    " 23", " 01", " 02", " 03", " 04", " 05", " 06", " 07", " 08", " 09"};

// Removed from the sender one after the other in this order; "《" and "》" are the
// GBK characters A1 B6 and A1 B7.
constexpr std::array<std::string_view, 10> kNameBrackets = {
    "[", "]", "(", ")", "{", "}", "<", ">", "\xA1\xB6", "\xA1\xB7"};

// The name before a time at hour 0 in a trimmed header line: up to the first space
// followed by "0:" or "00:". The colon keeps a name such as "Agent 007" whole.
std::string_view NameBeforeHourZero(std::string_view trimmed) {
    const std::size_t cut = std::min(trimmed.find(" 0:"), trimmed.find(" 00:"));
    return cut == kNotFound ? std::string_view{} : trimmed.substr(0, cut);
}

// The name in front of the time of a header line `line` (untrimmed). Every marker
// found in the line replaces the cut of the markers before it in the list, so the
// last marker in list order that occurs decides; checking from the end of the list
// finds that one first. Presence is tested in the line as displayed, the cut is
// made in the trimmed line: a marker seen only in the leading blanks gives no name.
// Only a line without any marker is cut before an hour 0, so every name that a marker
// already ends stays as it was.
std::string_view NameBeforeTime(std::string_view line) {
    const std::string_view trimmed = TrimmedView(line);
    for (auto marker = kNameEndMarkers.rbegin(); marker != kNameEndMarkers.rend(); ++marker) {
        if (line.find(*marker) == kNotFound) continue;
        const std::size_t cut = trimmed.find(*marker);
        return cut == kNotFound ? std::string_view{} : trimmed.substr(0, cut);
    }
    return NameBeforeHourZero(trimmed);
}

// Drops a bracketed suffix such as a number "(10001)" or an address "<m.x>" after
// the name: when both brackets occur anywhere, the name ends before the first opening
// one. Both brackets lie below 0x40, so a byte search only finds whole characters.
std::string_view CutBeforeBracketPair(std::string_view name, char opening, char closing) {
    if (name.find(closing) == kNotFound) return name;
    return name.substr(0, name.find(opening));
}

}  // namespace

std::optional<LineSpan> FindLastHeaderLineSpan(std::string_view transcript) {
    return FindLastHeaderLineSpanInText(UpToFirstNul(transcript));
}

std::optional<LineSpan> FindLastTimeOfDayLineSpan(std::string_view transcript) {
    const std::string_view text = UpToFirstNul(transcript);
    const std::size_t colon = FindLastColons(text).timeOfDay;
    if (colon == kNotFound) return std::nullopt;
    return LineAround(text, colon);
}

namespace {

std::string HeaderOf(std::string_view text, const std::optional<LineSpan>& header) {
    if (!header) return {};
    return TrimBlanks(text.substr(header->begin, header->end - header->begin));
}

std::string BodyOf(std::string_view text, std::optional<LineSpan> header) {
    // Without any header line the first line stands in for it.
    if (!header) header = LineStartingAt(text, 0);
    return JoinLinesWithCrLf(text.substr(header->next));
}

std::string SenderOf(std::string_view text, const std::optional<LineSpan>& header) {
    std::string_view name;
    if (header) name = NameBeforeTime(text.substr(header->begin, header->end - header->begin));
    name = CutBeforeBracketPair(name, '(', ')');
    name = CutBeforeBracketPair(name, '<', '>');
    // A friend known only by number shows it as the name; spaced out, the speech
    // engine reads it digit by digit instead of as one large number.
    std::string sender = IsAllDigits(name) ? SpaceOutDigits(name) : std::string(name);
    for (const std::string_view bracket : kNameBrackets) {
        sender = ReplaceAllGbk(sender, bracket, {});
    }
    return sender;
}

}  // namespace

LastMessage ParseLastMessage(std::string_view transcript) {
    const std::string_view text = UpToFirstNul(transcript);
    const std::optional<LineSpan> header = FindLastHeaderLineSpanInText(text);
    return {HeaderOf(text, header), SenderOf(text, header), BodyOf(text, header)};
}

namespace {

// Whether the line `line` of `text` is a header line: with a time of day with seconds
// where the transcript shows any, else with a digit directly followed by ':'.
bool IsHeaderLine(std::string_view text, const LineSpan& line, bool timesOfDay) {
    for (std::size_t colon = text.find(':', line.begin); colon < line.end; colon = text.find(':', colon + 1)) {
        if (colon == 0 || !IsAsciiDigit(text[colon - 1])) continue;
        if (!timesOfDay || StartsMinutesOfTimeOfDay(text, colon)) return true;
    }
    return false;
}

}  // namespace

std::vector<ChatMessage> ParseMessagesFrom(std::string_view transcript, std::size_t from) {
    const std::string_view text = UpToFirstNul(transcript);
    const bool timesOfDay = FindLastColons(text).timeOfDay != kNotFound;
    std::vector<LineSpan> headers;
    for (std::size_t begin = from; begin < text.size();) {
        const LineSpan line = LineStartingAt(text, begin);
        if (IsHeaderLine(text, line, timesOfDay)) headers.push_back(line);
        begin = line.next > begin ? line.next : text.size();
    }
    std::vector<ChatMessage> messages;
    messages.reserve(headers.size());
    for (std::size_t i = 0; i < headers.size(); ++i) {
        const std::size_t end = i + 1 < headers.size() ? headers[i + 1].begin : text.size();
        const std::string_view message = text.substr(0, end);
        messages.push_back({headers[i], {HeaderOf(message, headers[i]), SenderOf(message, headers[i]),
                                         BodyOf(message, headers[i])}});
    }
    return messages;
}

bool IsAllDigits(std::string_view text) {
    return std::all_of(text.begin(), text.end(), IsAsciiDigit);
}

std::string SpaceOutDigits(std::string_view text) {
    std::string spaced(text);
    for (char digit = '0'; digit <= '9'; ++digit) {
        const std::string withSpace{' ', digit};
        spaced = ReplaceAllGbk(spaced, std::string_view(&digit, 1), withSpace);
    }
    for (const std::string_view bracket : {"[", "]", "(", ")"}) {
        spaced = ReplaceAllGbk(spaced, bracket, {});
    }
    return TrimBlanks(spaced);
}

}  // namespace parlowen::capture
