// Random chat transcripts for the property tests, native and under Wine: many messages
// or few, header lines in the messenger's layouts (with seconds or, in one transcript
// out of ten, without) and in odd ones, bodies of ASCII and GBK Chinese, blank lines,
// lines long enough to wrap over several rows, lines that themselves look like header
// lines, and CR, LF and CR LF between lines.
#pragma once

#include <random>
#include <string>
#include <vector>

namespace parlowen::testing {

class RandomTranscripts {
public:
    explicit RandomTranscripts(unsigned seed) : random_(seed) {}

    // Whether the messenger showed seconds in the header lines of the last transcript.
    bool WithSeconds() const noexcept { return withSeconds_; }

    std::string Next() {
        std::string text;
        withSeconds_ = !Chance(10);
        if (Chance(10)) text += Blanks();
        const int messages = Chance(15) ? 0 : Between(1, Chance(20) ? 60 : 8);
        for (int i = 0; i < messages; ++i) {
            if (i > 0) text += Break();
            text += Header();
            for (int lines = Between(Chance(10) ? 0 : 1, 4); lines > 0; --lines) text += Break() + Line();
        }
        if (messages == 0) {
            for (int lines = Between(1, 5); lines > 0; --lines) text += Line() + Break();
        }
        if (Chance(10)) text += Break() + Blanks();
        return text;
    }

private:
    int Between(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }
    bool Chance(int percent) { return Between(1, 100) <= percent; }

    std::string Break() {
        static const char* const kBreaks[] = {"\r\n", "\r", "\n"};
        std::string breaks = kBreaks[Between(0, 2)];
        if (Chance(10)) breaks += kBreaks[Between(0, 2)];  // a blank line
        return breaks;
    }

    std::string Blanks() { return std::string(static_cast<std::size_t>(Between(1, 3)), Chance(50) ? ' ' : '\t'); }

    // A GB2312 character: lead bytes B0-D7 hold the common Chinese characters.
    std::string Chinese() {
        const int lead = Between(0xB0, 0xD7);
        const int trail = Between(0xA1, lead == 0xD7 ? 0xF9 : 0xFE);
        return {static_cast<char>(lead), static_cast<char>(trail)};
    }

    std::string Name() {
        switch (Between(0, 6)) {
        case 0: return "sky";
        case 1: return "moon(10001)";
        case 2: return "10001";
        case 3: return Chinese() + Chinese();
        case 4: return "[vip]" + Chinese() + "<m.x>";
        case 5: return "\xA1\xB6" + Chinese() + "\xA1\xB7";  // 《…》
        default: return std::string(static_cast<std::size_t>(Between(30, 90)), 'n');  // wraps
        }
    }

    std::string Header() {
        std::string header = Chance(10) ? Blanks() : "";
        header += Name() + (Chance(10) ? "  " : " ");
        if (Chance(10)) header += "2009-1-6 ";
        const int hour = Between(0, 23);
        header += (Chance(20) && hour < 10 ? "0" : "") + std::to_string(hour) + ":" + std::to_string(Between(10, 59));
        if (withSeconds_) header += ":" + std::to_string(Between(10, 59));
        if (Chance(10)) header += Blanks();
        return header;
    }

    std::string Line() {
        std::string line;
        switch (Between(0, 9)) {
        case 0: return "";
        case 1: return Blanks();
        case 2: return "meet at " + std::to_string(Between(0, 23)) + ":30";  // a header line only without seconds
        case 3:  // long enough to wrap
            for (int i = Between(40, 160); i > 0; --i) line += Chance(60) ? Chinese() : std::string(1, 'a' + Between(0, 25));
            return line;
        case 4:
            for (int i = Between(20, 60); i > 0; --i) line += Chance(15) ? " " : std::string(1, 'a' + Between(0, 25));
            return line;
        default:
            if (Chance(20)) line += Blanks();
            for (int i = Between(1, 12); i > 0; --i) line += Chance(50) ? Chinese() : std::string(1, 'a' + Between(0, 25));
            if (Chance(20)) line += Blanks();
            return line;
        }
    }

    std::mt19937 random_;
    // Whether the messenger shows seconds in the header lines of this transcript.
    bool withSeconds_ = true;
};

}  // namespace parlowen::testing
