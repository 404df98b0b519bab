#include "speech/spoken_form.h"

#include "text/gbk.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <vector>

namespace parlowen::speech {
namespace {

constexpr std::string_view kLink = "\xC1\xB4\xBD\xD3";              // 链接
constexpr std::string_view kMail = "\xD3\xCA\xCF\xE4";              // 邮箱
constexpr std::string_view kDigitString = "\xD2\xBB\xB4\xAE\xCA\xFD\xD7\xD6";  // 一串数字
constexpr std::string_view kMoreBefore = "\xA3\xAC\xBA\xF3\xC3\xE6\xBB\xB9\xD3\xD0";  // ，后面还有
constexpr std::string_view kMoreAfter = "\xD7\xD6";                 // 字

// Up to four digits are a quantity or a year, read as a number; five to eleven (a
// messenger or phone number) are read digit by digit in groups; longer ones (an order or
// account number) are never listened to digit by digit.
constexpr std::size_t kShortestDigitGroup = 5, kLongestReadDigits = 11;
constexpr std::size_t kLongestRepeatedGroup = 4, kRepeatsSaid = 3;
// How many characters of a long message are looked at for each one that may be said.
constexpr std::size_t kLookedAtPerSaid = 8;
// Speaking time in quarters of a Chinese character's, which eSpeak NG takes 0.36 s to say
// at the normal rate with the pauses of punctuated text (200 characters: 72 s); a letter,
// digit or sign takes about a quarter of that.
constexpr double kSecondsPerCharacter = 0.36;
constexpr std::size_t kQuartersPerCharacter = 4;

// The text's characters, each one or two bytes.
std::vector<std::string_view> Characters(std::string_view text) {
    std::vector<std::string_view> characters;
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = text::GbkCharLength(text, i);
        characters.push_back(text.substr(i, length));
        i += length;
    }
    return characters;
}

bool IsAscii(std::string_view c) { return c.size() == 1 && static_cast<unsigned char>(c[0]) < 0x80; }
bool IsAsciiSymbol(std::string_view c) { return IsAscii(c) && std::ispunct(static_cast<unsigned char>(c[0])); }
bool IsDigit(std::string_view c) { return IsAscii(c) && c[0] >= '0' && c[0] <= '9'; }

// A link or address runs over printable ASCII up to a space or any other character.
bool IsRunCharacter(std::string_view c) { return IsAscii(c) && c[0] > ' ' && c[0] < 0x7F; }

unsigned Lead(std::string_view c) { return c.size() == 2 ? static_cast<unsigned char>(c[0]) : 0; }
unsigned Trail(std::string_view c) { return c.size() == 2 ? static_cast<unsigned char>(c[1]) : 0; }

// GBK's punctuation: the first half of row A1 (、。…“”《》 and the like) and the
// full-width ASCII punctuation of row A3.
bool IsGbkPunctuation(std::string_view c) {
    if (Lead(c) == 0xA1) return Trail(c) < 0xC0;
    if (Lead(c) != 0xA3) return false;
    const unsigned t = Trail(c);
    return !((t >= 0xB0 && t <= 0xB9) || (t >= 0xC1 && t <= 0xDA) || (t >= 0xE1 && t <= 0xFA));
}
// GBK's symbols, read by their names ("黑星"): the second half of row A1 (★ ※ ♂ →),
// the numbered forms of row A2 and the box drawing of row A9.
bool IsGbkSymbol(std::string_view c) {
    return (Lead(c) == 0xA1 && Trail(c) >= 0xC0) || Lead(c) == 0xA2 || Lead(c) == 0xA9;
}
bool IsPunctuation(std::string_view c) { return IsAsciiSymbol(c) || IsGbkPunctuation(c); }
bool IsChinese(std::string_view c) { return Lead(c) >= 0xB0; }

std::string Lower(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower;
}

bool IsHostCharacter(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '-'; }

std::size_t HostEnd(std::string_view run, std::size_t from) {
    while (from < run.size() && IsHostCharacter(run[from])) ++from;
    return from;
}

// One run of printable ASCII: a link becomes "链接" and its site, an e-mail address
// "邮箱" and its domain; what stands before them stays.
std::string ShortenRun(std::string_view run) {
    const std::string lower = Lower(run);
    std::size_t start = std::string::npos, host = 0;
    for (std::string_view scheme : {"https://", "http://", "ftp://", "www."}) {
        const std::size_t at = lower.find(scheme);
        if (at < start) {
            start = at;
            host = at + (scheme == "www." ? 0 : scheme.size());
        }
    }
    if (start != std::string::npos) {
        std::string site(run.substr(host, HostEnd(run, host) - host));
        if (Lower(site).starts_with("www.")) site.erase(0, 4);
        while (!site.empty() && (site.back() == '.' || site.back() == '-')) site.pop_back();
        return std::string(run.substr(0, start)) + " " + std::string(kLink) + (site.empty() ? "" : " " + site) + " ";
    }
    const std::size_t at = run.find('@');
    if (at == std::string_view::npos || at == 0) return std::string(run);
    std::size_t local = at;
    while (local > 0 && (std::isalnum(static_cast<unsigned char>(run[local - 1])) ||
                         std::string_view("._%+-").find(run[local - 1]) != std::string_view::npos))
        --local;
    const std::size_t end = HostEnd(run, at + 1);
    const std::string_view domain = run.substr(at + 1, end - at - 1);
    if (local == at || domain.find('.') == std::string_view::npos) return std::string(run);
    return std::string(run.substr(0, local)) + " " + std::string(kMail) + " " + std::string(domain) + " " +
           std::string(run.substr(end));
}

// `text` with each maximal run of characters that `inRun` takes replaced by what
// `replace` makes of it.
std::string ReplaceRuns(std::string_view text, bool (*inRun)(std::string_view),
                        std::string (*replace)(std::string_view run)) {
    std::string out;
    const std::vector<std::string_view> characters = Characters(text);
    for (std::size_t i = 0; i < characters.size();) {
        if (!inRun(characters[i])) {
            out += characters[i++];
            continue;
        }
        std::string run;
        while (i < characters.size() && inRun(characters[i])) run += characters[i++];
        out += replace(run);
    }
    return out;
}

// Digits read one by one, in groups of four (a mobile number's eleven as 3-4-4).
std::string DigitByDigit(std::string_view digits) {
    std::string out;
    const std::size_t first = digits.size() == 11 ? 3 : 4;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0) out += (i == first || (i > first && (i - first) % 4 == 0)) ? ", " : " ";
        out += digits[i];
    }
    return out;
}

std::string SayDigits(std::string_view digits) {
    if (digits.size() > kLongestReadDigits) return " " + std::string(kDigitString) + " ";
    if (digits.size() >= kShortestDigitGroup) return DigitByDigit(digits);
    return std::string(digits);
}

// "[微笑]", the messenger's code for an emoticon, is its word; a GBK symbol is nothing;
// a run of ASCII symbols (":-)", "^_^", "...") is a pause where it holds one, else nothing.
std::string DropSymbols(std::string_view text) {
    std::string out;
    const std::vector<std::string_view> c = Characters(text);
    for (std::size_t i = 0; i < c.size();) {
        if (c[i] == "[") {
            std::size_t end = i + 1;
            while (end < c.size() && end <= i + 5 && IsChinese(c[end])) ++end;
            if (end < c.size() && c[end] == "]" && end > i + 1) {
                for (std::size_t k = i + 1; k < end; ++k) out += c[k];
                out += ' ';
                i = end + 1;
                continue;
            }
        }
        if (IsGbkSymbol(c[i])) {
            ++i;
            continue;
        }
        if (!IsAsciiSymbol(c[i])) {
            out += c[i++];
            continue;
        }
        std::string run;
        while (i < c.size() && IsAsciiSymbol(c[i])) run += c[i++];
        if (run.size() == 1) out += run;
        else if (run.find('?') != std::string::npos) out += '?';
        else if (run.find('!') != std::string::npos) out += '!';
        else if (run.find_first_of(".,;") != std::string::npos) out += ", ";
        else out += ' ';
    }
    return out;
}

// How often the group of `length` characters at `at` stands in a row there.
std::size_t Repeats(const std::vector<std::string_view>& c, std::size_t at, std::size_t length) {
    std::size_t count = 1;
    while (at + (count + 1) * length <= c.size() &&
           std::equal(c.begin() + at, c.begin() + at + length, c.begin() + at + count * length))
        ++count;
    return count;
}

std::string CollapseRepeats(std::string_view text) {
    std::string out;
    const std::vector<std::string_view> c = Characters(text);
    for (std::size_t i = 0; i < c.size();) {
        bool collapsed = false;
        for (std::size_t length = 1; length <= kLongestRepeatedGroup && i + length <= c.size(); ++length) {
            // Digits are a number, whatever they repeat, and spaces are not heard.
            if (std::any_of(c.begin() + i, c.begin() + i + length,
                            [](std::string_view x) { return IsDigit(x) || x == " "; }))
                break;
            const std::size_t count = Repeats(c, i, length);
            const std::size_t said = length == 1 && IsPunctuation(c[i]) ? 1 : kRepeatsSaid;
            if (count <= said) continue;
            for (std::size_t k = 0; k < said * length; ++k) out += c[i + k];
            i += count * length;
            collapsed = true;
            break;
        }
        if (!collapsed) out += c[i++];
    }
    return out;
}

bool EndsSentence(std::string_view c) {
    return c == "." || c == "!" || c == "?" || c == ";" || c == "\n" || c == "\xA1\xA3" || c == "\xA3\xA1" ||
           c == "\xA3\xBF" || c == "\xA3\xBB";  // 。！？；
}

// What a message may take of the listener: a number of characters, or of quarters of a
// character's speaking time.
struct Limit {
    std::size_t longest = 0;  // 0: none
    bool byTime = false;
    std::size_t Weight(std::string_view c) const { return byTime && c.size() > 1 ? kQuartersPerCharacter : 1; }
};

Limit LimitOf(const SpeakingRules& rules, int rate) {
    if (rules.longestMessage == kLongestByTime) {
        const double speed = std::pow(3.0, std::clamp(rate, -10, 10) / 10.0);
        return {static_cast<std::size_t>(kSecondsHeard / kSecondsPerCharacter * speed * kQuartersPerCharacter), true};
    }
    if (rules.longestMessage <= 0) return {};
    return {static_cast<std::size_t>(std::max(rules.longestMessage, kMinLongestMessage)), false};
}

// The characters within the limit, ended at a sentence's end where one stands in their
// second half, and how many more there are; `unread` characters were never looked at.
std::string Capped(std::string_view text, const Limit& limit, std::size_t unread) {
    const std::vector<std::string_view> c = Characters(text);
    std::size_t within = 0, weight = 0;
    while (within < c.size() && weight + limit.Weight(c[within]) <= limit.longest) weight += limit.Weight(c[within++]);
    if (limit.longest == 0 || (within == c.size() && unread == 0)) return std::string(text);
    if (within == c.size())
        return std::string(text) + std::string(kMoreBefore) + std::to_string(unread) + std::string(kMoreAfter);
    std::size_t cut = within;
    for (std::size_t k = within; k > within / 2; --k)
        if (EndsSentence(c[k - 1])) {
            cut = k;
            break;
        }
    std::string out;
    for (std::size_t k = 0; k < cut; ++k) out += c[k];
    return out + std::string(kMoreBefore) + std::to_string(c.size() - cut + unread) + std::string(kMoreAfter);
}

}  // namespace

std::string SpokenForm(std::string_view ansiText, const SpeakingRules& rules, const Replacements& replacements,
                       int rate) {
    // A paste of megabytes is looked at only as far as can be said: the rules never make
    // a text longer by more than twice, nor shorter than links and symbols allow.
    const Limit limit = LimitOf(rules, rate);
    std::size_t head = ansiText.size(), unread = 0;
    if (limit.longest > 0) {
        std::size_t characters = 0;
        for (head = 0; head < ansiText.size() && characters < limit.longest * kLookedAtPerSaid; ++characters)
            head += text::GbkCharLength(ansiText, head);
        for (std::size_t i = head; i < ansiText.size(); ++unread) i += text::GbkCharLength(ansiText, i);
    }
    std::string text = replacements.Apply(ansiText.substr(0, head));
    if (rules.shortenLinks) text = ReplaceRuns(text, IsRunCharacter, ShortenRun);
    if (rules.dropSymbols) text = DropSymbols(text);
    if (rules.collapseRepeats) text = CollapseRepeats(text);
    if (rules.shortenLinks) text = ReplaceRuns(text, IsDigit, SayDigits);
    return Capped(text, limit, unread);
}

}  // namespace parlowen::speech
