// The transcripts the benchmarks parse: earlier messages fill them up to about `size`
// bytes, and they always end in the same short message, a header line and a one-line
// body, so that every size has the same last message to find. Their times show seconds
// unless asked not to, as some messengers write them: a transcript without any time
// with seconds is looked through whole before its header line is known.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace parlowen::bench {

inline std::string TranscriptOfSize(std::size_t size, bool showsSeconds = true) {
    const std::string_view earlierMessage =
        showsSeconds ? "sky 20:15:08\r\nhello, are you coming to the meeting this afternoon?\r\n"
                     : "sky 20:15\r\nhello, are you coming to the meeting this afternoon?\r\n";
    const std::string_view lastMessage =
        showsSeconds ? "moon(10001) 20:16:30\r\nsee you at the gate" : "moon(10001) 20:16\r\nsee you at the gate";
    std::string transcript;
    transcript.reserve(size + earlierMessage.size());
    while (transcript.size() + lastMessage.size() < size) transcript += earlierMessage;
    transcript += lastMessage;
    return transcript;
}

// 10 KB, 1 MB and 10 MB: a short chat, a long day's chat, and an extreme one.
inline constexpr std::int64_t kTenKilobytes = 10 << 10;
inline constexpr std::int64_t kOneMegabyte = 1 << 20;
inline constexpr std::int64_t kTenMegabytes = 10 << 20;

}  // namespace parlowen::bench
