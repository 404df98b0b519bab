// The line protocol between the eSpeak NG voice engine in parlowen.exe and its voice
// process, parlowen-voice. Both sides use this file.
//
// Every line is UTF-8 text ending in "\n"; its fields are separated by a tab, and a
// backslash, tab, line feed, carriage return or NUL inside a field is escaped.
// The voice process first sends its greeting, "parlowen-voice <version>". Then each
// command line, which starts with the command's number, gets exactly one reply line,
// in order, starting with the same number: then "ok" with the command's results as
// further fields, or "error" and a message. Whatever else the process writes (a sound
// library's diagnostics, say) matches no command and is passed over. A reply is never
// longer than kLongestReply bytes: a process that writes a longer line is not ours.
//
//   voices                   ok, then an identifier, a name and a language for each voice,
//                            Mandarin first
//   voice <identifier>       the voice for the following utterances
//   rate <-10..10>           the rate as the system speech engine counts it
//   volume <0..100>          the volume as the system speech engine counts it
//   pitch <-10..10>          the pitch as the system speech engine counts it
//   variant <name>           one of eSpeak NG's variants of the voice ("f2"); "" for none
//   reset                    voice, rate, volume, pitch back to a new voice object's defaults
//   speak <text>             starts speaking on the sound output and answers at once
//   render <path> <text>     starts appending the spoken text to a 16 kHz 16-bit mono WAV
//                            file (created when empty) and answers at once
//   purge                    silences the current utterance and drops the queued ones
//   busy                     ok, then "1" while an utterance is being said or queued, else "0"
//   wait                     answers once everything queued is spoken or rendered; an
//                            error when a render since the last wait failed
//   timing                   ok, the performance-counter ticks at which the last speak
//                            command arrived and its first sample was played (0: not yet)
#pragma once

#include "text/field_line.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace parlowen::speech::protocol {

inline constexpr int kVersion = 3;
inline constexpr std::size_t kLongestReply = 64 * 1024;
inline constexpr std::string_view kGreetingWord = "parlowen-voice";

inline constexpr std::string_view kVoices = "voices", kVoice = "voice", kRate = "rate", kVolume = "volume",
                                  kPitch = "pitch", kVariant = "variant", kBusy = "busy",                                  kReset = "reset", kSpeak = "speak", kRender = "render", kPurge = "purge",
                                  kWait = "wait", kTiming = "timing";
inline constexpr std::string_view kOk = "ok", kError = "error";

using text::DecodeLine;
using text::EncodeLine;
using text::Fields;

// A command line: its number, then its fields.
std::string EncodeCommand(std::uint64_t number, const Fields& command);
// The fields of a reply line after its number, when that number is `number`.
std::optional<Fields> ReplyTo(std::uint64_t number, std::string_view line);

std::string GreetingLine();
// The version a greeting line announces, or nothing when it is no greeting.
std::optional<int> GreetingVersion(std::string_view line);

// Collects the bytes of a stream and hands out its complete lines, without "\n". Once
// a line runs past `longestLine` bytes, it hands out nothing more and is overlong().
class LineBuffer {
public:
    explicit LineBuffer(std::size_t longestLine = std::string::npos) : longestLine_(longestLine) {}
    void Append(std::string_view bytes) { pending_.append(bytes); }
    std::optional<std::string> NextLine();
    bool overlong() const noexcept { return overlong_; }

private:
    std::string pending_;
    size_t start_ = 0;
    std::size_t longestLine_;
    bool overlong_ = false;
};

// The text with every byte sequence that is not UTF-8 replaced by U+FFFD and every NUL
// dropped, so that the synthesiser is given well-formed text.
std::string ValidUtf8(std::string_view text);

}  // namespace parlowen::speech::protocol
