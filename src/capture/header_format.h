// What a header line is: the line a messenger writes above each message, the sender's
// name, blanks, a date where the messenger shows one, and the time of day, with nothing
// after it. A time inside a message's text ("明天 10:00:00 开会") never makes a header.
//
// Text is GBK bytes, as the history control delivers it. Digits, ':', '-', '/' and the
// blanks lie below 0x40, where no GBK character has its second byte, so the byte tests
// here only ever see whole characters.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace parlowen::capture {

// Whether a messenger's header lines show seconds ("sky 20:15:08") or not ("sky 20:15").
enum class ClockStyle : unsigned char { Unknown, WithSeconds, WithoutSeconds };

// A line written as a header line: what it holds besides its name.
struct HeaderShape {
    ClockStyle clock = ClockStyle::Unknown;
    std::size_t nameLength = 0;  // bytes of the trimmed line before the blanks that end the name
    int secondOfDay = 0;  // where the clock shows no seconds, those of the minute's start
    bool dated = false;
    long day = 0;  // where dated: the date as a number that grows with it
};

// A moment on the user's clock, which is the messenger's: its date and the second of
// its day.
struct LocalTime {
    int month = 1;
    int day = 1;
    int secondOfDay = 0;
    bool operator==(const LocalTime&) const = default;
};

// Whether a message headed as `shape` tells was written at `moment` or after it, or at
// most `secondsBefore` earlier. A header of another date is older; one timed up to an
// hour after the moment (a clock put back) is not.
bool WrittenSince(const HeaderShape& shape, LocalTime moment, int secondsBefore);
// The same, the moment being the one `earlier` shows: its date where it shows one, else
// the times alone are compared.
bool WrittenSince(const HeaderShape& shape, const HeaderShape& earlier, int secondsBefore);

// The shape of `line` when it is written as a header line; nothing when it is not: no
// name, no blank before the time, or anything but blanks after it.
std::optional<HeaderShape> HeaderShapeOf(std::string_view line);

// The sender named in a header line's name part: a bracketed number or address after
// the name ("moon(10001)", "moon<m.x>") cut off, a number-only name spaced out digit by
// digit so that it is read as digits, and the brackets removed.
std::string SenderName(std::string_view name);
bool IsAllDigits(std::string_view text);
std::string SpaceOutDigits(std::string_view text);

// What is known of one chat window's header lines, for telling them from message text:
// the clock style its messenger writes, and in a one-to-one window who speaks there.
struct HeaderRule {
    ClockStyle clock = ClockStyle::Unknown;
    // A group window: any name may head a message. A one-to-one window's title names the
    // friend, and the user goes by one of `userNames`.
    bool group = false;
    std::string chatTitle{};
    std::vector<std::string> userNames{};

    // Whether a line of this shape, naming `name` (spoken as `sender`), is a header line
    // on what is known already, without the evidence of the rest of the read.
    bool Vouches(ClockStyle lineClock, std::string_view name, std::string_view sender) const;
    // Whether the speaker a header line names is known to speak in the window: the
    // friend, or the user (`userNames` hold names as header lines write them).
    bool KnowsSpeaker(std::string_view name, std::string_view sender) const;
};

// The friend's messages in a one-to-one window: the title carries the friend's name, as
// the header line writes it ("[vip]星星", "10001") or as it is spoken ("moon" of
// "moon(10001)"). An empty name is never found.
bool NamedInTitle(std::string_view name, std::string_view sender, std::string_view chatTitle);

}  // namespace parlowen::capture
