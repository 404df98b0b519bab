// The header of a RIFF/WAVE file of PCM samples, as the WAV export writes it.
#pragma once

#include <array>
#include <cstdint>

namespace parlowen::speech {

inline constexpr std::uint32_t kExportSampleRate = 16000;  // the export's 16 kHz, 16-bit, mono
inline constexpr std::size_t kWavHeaderSize = 44;

// The 44 bytes before `dataBytes` bytes of little-endian PCM samples. A size that does
// not fit the format's 32-bit fields is given as the largest that does.
std::array<unsigned char, kWavHeaderSize> WavHeader(std::uint64_t dataBytes,
                                                    std::uint32_t sampleRate = kExportSampleRate,
                                                    std::uint16_t channels = 1, std::uint16_t bitsPerSample = 16);

}  // namespace parlowen::speech
