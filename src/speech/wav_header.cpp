#include "speech/wav_header.h"

#include <algorithm>

namespace parlowen::speech {

std::array<unsigned char, kWavHeaderSize> WavHeader(std::uint64_t dataBytes, std::uint32_t sampleRate,
                                                    std::uint16_t channels, std::uint16_t bitsPerSample) {
    const std::uint32_t blockAlign = channels * bitsPerSample / 8u;
    // The RIFF size counts everything after its own field: 36 header bytes and the data,
    // which stays a whole number of sample frames.
    const std::uint64_t largest = (0xFFFFFFFFull - 36u) / blockAlign * blockAlign;
    const auto data = static_cast<std::uint32_t>(std::min(dataBytes, largest));

    std::array<unsigned char, kWavHeaderSize> header{};
    size_t at = 0;
    const auto text = [&](const char (&four)[5]) {
        for (int i = 0; i < 4; ++i) header[at++] = static_cast<unsigned char>(four[i]);
    };
    const auto number = [&](std::uint32_t value, int bytes) {
        for (int i = 0; i < bytes; ++i) header[at++] = static_cast<unsigned char>(value >> (8 * i));
    };
    text("RIFF");
    number(36u + data, 4);
    text("WAVE");
    text("fmt ");
    number(16, 4);  // size of the format chunk
    number(1, 2);   // PCM
    number(channels, 2);
    number(sampleRate, 4);
    number(sampleRate * blockAlign, 4);  // bytes per second
    number(blockAlign, 2);
    number(bitsPerSample, 2);
    text("data");
    number(data, 4);
    return header;
}

}  // namespace parlowen::speech
