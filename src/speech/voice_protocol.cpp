#include "speech/voice_protocol.h"

#include <charconv>

namespace parlowen::speech::protocol {

std::string EncodeCommand(std::uint64_t number, const Fields& command) {
    Fields fields{std::to_string(number)};
    fields.insert(fields.end(), command.begin(), command.end());
    return EncodeLine(fields);
}

std::optional<Fields> ReplyTo(std::uint64_t number, std::string_view line) {
    Fields fields = DecodeLine(line);
    if (fields.size() < 2 || fields.front() != std::to_string(number)) return std::nullopt;
    fields.erase(fields.begin());
    return fields;
}

std::string GreetingLine() { return EncodeLine({std::string(kGreetingWord), std::to_string(kVersion)}); }

std::optional<int> GreetingVersion(std::string_view line) {
    const Fields fields = DecodeLine(line);
    if (fields.size() != 2 || fields[0] != kGreetingWord) return std::nullopt;
    int version = 0;
    const std::string& number = fields[1];
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), version);
    if (error != std::errc() || end != number.data() + number.size()) return std::nullopt;
    return version;
}

std::optional<std::string> LineBuffer::NextLine() {
    if (overlong_) return std::nullopt;
    const size_t end = pending_.find('\n', start_);
    const size_t length = (end == std::string::npos ? pending_.size() : end) - start_;
    if (longestLine_ != std::string::npos && length > longestLine_) {
        overlong_ = true;
        pending_.clear();
        start_ = 0;
        return std::nullopt;
    }
    if (end == std::string::npos) {
        // Keep only the incomplete line, so a long stream does not pile up.
        pending_.erase(0, start_);
        start_ = 0;
        return std::nullopt;
    }
    std::string line = pending_.substr(start_, end - start_);
    start_ = end + 1;
    return line;
}

std::string ValidUtf8(std::string_view text) {
    static constexpr std::string_view kReplacement = "\xEF\xBF\xBD";
    std::string valid;
    valid.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        const auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
        const unsigned char lead = byte(i);
        if (lead == 0) {
            ++i;
            continue;
        }
        if (lead < 0x80) {
            valid += static_cast<char>(lead);
            ++i;
            continue;
        }
        // The length of the sequence and the range its second byte must lie in, which
        // rules out overlong forms, surrogates and code points past U+10FFFF.
        size_t length = 0;
        unsigned char low = 0x80, high = 0xBF;
        if (lead >= 0xC2 && lead <= 0xDF) length = 2;
        else if (lead == 0xE0) length = 3, low = 0xA0;
        else if (lead >= 0xE1 && lead <= 0xEC) length = 3;
        else if (lead == 0xED) length = 3, high = 0x9F;
        else if (lead >= 0xEE && lead <= 0xEF) length = 3;
        else if (lead == 0xF0) length = 4, low = 0x90;
        else if (lead >= 0xF1 && lead <= 0xF3) length = 4;
        else if (lead == 0xF4) length = 4, high = 0x8F;
        size_t good = 1;  // bytes that belong to a well-formed start of a sequence
        if (length > 0) {
            while (good < length && i + good < text.size()) {
                const unsigned char next = byte(i + good);
                const unsigned char min = good == 1 ? low : 0x80, max = good == 1 ? high : 0xBF;
                if (next < min || next > max) break;
                ++good;
            }
        }
        if (length > 0 && good == length) {
            valid.append(text.substr(i, length));
        } else {
            valid += kReplacement;  // one replacement for the longest broken start
        }
        i += good;
    }
    return valid;
}

}  // namespace parlowen::speech::protocol
