#include "capture/header_format.h"

#include "text/blanks.h"
#include "text/gbk.h"

#include <algorithm>
#include <array>

namespace parlowen::capture {
namespace {

constexpr std::size_t kNotFound = std::string_view::npos;

bool IsAsciiDigit(char c) { return c >= '0' && c <= '9'; }

// Reads the text backwards from its end, one piece of a header line after another.
class BackwardReader {
public:
    explicit BackwardReader(std::string_view text) : text_(text), end_(text.size()) {}

    std::size_t end() const noexcept { return end_; }
    bool AtStart() const noexcept { return end_ == 0; }
    bool Take(char c) {
        if (end_ == 0 || text_[end_ - 1] != c) return false;
        --end_;
        return true;
    }
    // A run of `least` to `most` digits, as a number.
    std::optional<int> Digits(std::size_t least, std::size_t most) {
        std::size_t begin = end_;
        while (begin > 0 && end_ - begin < most && IsAsciiDigit(text_[begin - 1])) --begin;
        if (end_ - begin < least || (begin > 0 && IsAsciiDigit(text_[begin - 1]))) return std::nullopt;
        int value = 0;
        for (std::size_t i = begin; i < end_; ++i) value = value * 10 + (text_[i] - '0');
        end_ = begin;
        return value;
    }
    std::optional<int> TwoDigitsBelow60() {
        const std::size_t before = end_;
        const std::optional<int> value = Digits(2, 2);
        if (value && *value < 60) return value;
        end_ = before;
        return std::nullopt;
    }
    bool Blanks() {
        const std::size_t before = end_;
        while (end_ > 0 && text::IsBlank(text_[end_ - 1])) --end_;
        return end_ < before;
    }
    void Reset(std::size_t end) noexcept { end_ = end; }

private:
    std::string_view text_;
    std::size_t end_;
};

// A date before the time: 2009-1-6, 2009/01/06 or 1-6, as a number that grows with it.
std::optional<long> TakeDate(BackwardReader& reader) {
    const std::size_t before = reader.end();
    const std::optional<int> day = reader.Digits(1, 2);
    for (const char separator : {'-', '/'}) {
        if (!day || !reader.Take(separator)) continue;
        const std::optional<int> month = reader.Digits(1, 2);
        if (!month) break;
        const std::size_t monthDay = reader.end();
        if (reader.Take(separator)) {
            if (const std::optional<int> year = reader.Digits(2, 4)) return (*year * 13L + *month) * 32 + *day;
        }
        reader.Reset(monthDay);
        return *month * 32L + *day;
    }
    reader.Reset(before);
    return std::nullopt;
}

// Removed from the sender one after the other in this order; "《" and "》" are the
// GBK characters A1 B6 and A1 B7.
constexpr std::array<std::string_view, 10> kNameBrackets = {
    "[", "]", "(", ")", "{", "}", "<", ">", "\xA1\xB6", "\xA1\xB7"};

// Drops a bracketed suffix such as a number "(10001)" or an address "<m.x>" after
// the name: when both brackets occur anywhere, the name ends before the first opening
// one. Both brackets lie below 0x40, so a byte search only finds whole characters.
std::string_view CutBeforeBracketPair(std::string_view name, char opening, char closing) {
    if (name.find(closing) == kNotFound) return name;
    return name.substr(0, name.find(opening));
}

}  // namespace

std::optional<HeaderShape> HeaderShapeOf(std::string_view line) {
    const std::string_view trimmed = text::TrimmedView(line);
    BackwardReader reader(trimmed);
    HeaderShape shape;
    const std::optional<int> last = reader.TwoDigitsBelow60();
    if (!last || !reader.Take(':')) return std::nullopt;
    std::optional<int> minutes = last;
    int seconds = 0;
    shape.clock = ClockStyle::WithoutSeconds;
    const std::size_t beforeMinutes = reader.end();
    if (const std::optional<int> middle = reader.TwoDigitsBelow60(); middle && reader.Take(':')) {
        minutes = middle;
        seconds = *last;
        shape.clock = ClockStyle::WithSeconds;
    } else {
        reader.Reset(beforeMinutes);
    }
    const std::optional<int> hour = reader.Digits(1, 2);
    if (!hour || *hour > 23 || !reader.Blanks()) return std::nullopt;
    shape.secondOfDay = (*hour * 60 + *minutes) * 60 + seconds;
    const std::size_t beforeDate = reader.end();
    const std::optional<long> day = TakeDate(reader);
    shape.dated = day && reader.Blanks();
    if (shape.dated) shape.day = *day;
    else reader.Reset(beforeDate);
    if (reader.AtStart()) return std::nullopt;
    shape.nameLength = reader.end();
    return shape;
}

namespace {

// A date's number is ((year * 13) + month) * 32 + day; without its year, its month and day.
constexpr long kMonthDays = 13 * 32;

}  // namespace

bool WrittenSince(const HeaderShape& shape, LocalTime moment, int secondsBefore) {
    constexpr int kDay = 24 * 60 * 60;
    constexpr int kClockPutBack = 60 * 60;
    // A date is compared by month and day, which it holds with or without its year.
    if (shape.dated && shape.day % kMonthDays != moment.month * 32L + moment.day) return false;
    const int after = ((shape.secondOfDay - moment.secondOfDay) % kDay + kDay) % kDay;
    return after <= kClockPutBack || kDay - after <= secondsBefore;
}

bool WrittenSince(const HeaderShape& shape, const HeaderShape& earlier, int secondsBefore) {
    const long monthDay = (earlier.dated ? earlier.day : shape.day) % kMonthDays;
    return WrittenSince(shape, {int(monthDay / 32), int(monthDay % 32), earlier.secondOfDay}, secondsBefore);
}

std::string SenderName(std::string_view name) {
    name = CutBeforeBracketPair(name, '(', ')');
    name = CutBeforeBracketPair(name, '<', '>');
    // A friend known only by number shows it as the name; spaced out, the speech
    // engine reads it digit by digit instead of as one large number.
    std::string sender = IsAllDigits(name) ? SpaceOutDigits(name) : std::string(name);
    for (const std::string_view bracket : kNameBrackets) {
        if (sender.find(bracket) != kNotFound) sender = text::ReplaceAllGbk(sender, bracket, {});
    }
    return sender;
}

bool IsAllDigits(std::string_view text) { return std::all_of(text.begin(), text.end(), IsAsciiDigit); }

std::string SpaceOutDigits(std::string_view text) {
    std::string spaced(text);
    for (char digit = '0'; digit <= '9'; ++digit) {
        const std::string withSpace{' ', digit};
        spaced = text::ReplaceAllGbk(spaced, std::string_view(&digit, 1), withSpace);
    }
    for (const std::string_view bracket : {"[", "]", "(", ")"}) spaced = text::ReplaceAllGbk(spaced, bracket, {});
    return text::TrimBlanks(spaced);
}

bool NamedInTitle(std::string_view name, std::string_view sender, std::string_view chatTitle) {
    const auto found = [&](std::string_view part) { return !part.empty() && chatTitle.find(part) != kNotFound; };
    return found(sender) || found(name);
}

bool HeaderRule::KnowsSpeaker(std::string_view name, std::string_view sender) const {
    // A header whose name is all brackets names nobody; it cannot be told apart, so it
    // is taken as the messenger wrote it.
    return sender.empty() || NamedInTitle(name, sender, chatTitle) ||
           std::find(userNames.begin(), userNames.end(), name) != userNames.end();
}

bool HeaderRule::Vouches(ClockStyle lineClock, std::string_view name, std::string_view sender) const {
    return clock != ClockStyle::Unknown && lineClock == clock && (group || KnowsSpeaker(name, sender));
}

}  // namespace parlowen::capture
