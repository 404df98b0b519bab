#include "speech/espeak_settings.h"
#include "speech/wav_header.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace parlowen::speech;

TEST(EspeakSettings, RateScalesThreefoldEachTenStepsWithinEspeaksRange) {
    EXPECT_EQ(espeak::WordsPerMinute(0), 175);
    EXPECT_EQ(espeak::WordsPerMinute(5), 303);   // 175 x 3^0.5
    EXPECT_EQ(espeak::WordsPerMinute(-5), 101);  // 175 / 3^0.5
    EXPECT_EQ(espeak::WordsPerMinute(-7), 81);
    EXPECT_EQ(espeak::WordsPerMinute(8), 421);
    // 525 and 58 lie outside eSpeak's 80..450.
    EXPECT_EQ(espeak::WordsPerMinute(10), 450);
    EXPECT_EQ(espeak::WordsPerMinute(-10), 80);
    EXPECT_EQ(espeak::WordsPerMinute(99), 450);
    EXPECT_EQ(espeak::WordsPerMinute(-99), 80);
    for (int rate = -9; rate <= 10; ++rate) EXPECT_GE(espeak::WordsPerMinute(rate), espeak::WordsPerMinute(rate - 1));
}

TEST(EspeakSettings, VolumeIsTheShareOfTheNormalAmplitude) {
    EXPECT_EQ(espeak::Amplitude(100), 100);
    EXPECT_EQ(espeak::Amplitude(50), 50);
    EXPECT_EQ(espeak::Amplitude(0), 0);
    EXPECT_EQ(espeak::Amplitude(-5), 0);
    EXPECT_EQ(espeak::Amplitude(130), 100);
}

TEST(EspeakSettings, MandarinComesFirstAndTheRestByName) {
    const std::vector<espeak::Voice> listed = espeak::InListOrder({
        {"gmw/en-US", "English (America)", "en-us"},
        {"sit/cmn-Latn-pinyin", "Chinese (Mandarin, latin as Pinyin)", "cmn-latn-pinyin"},
        {"gmw/af", "Afrikaans", "af"},
        {"sit/cmn", "Chinese (Mandarin, latin as English)", "cmn"},
        {"sit/yue", "Chinese (Cantonese)", "yue"},
    });
    std::vector<std::string> order;
    for (const espeak::Voice& voice : listed) order.push_back(voice.identifier);
    EXPECT_EQ(order, (std::vector<std::string>{"sit/cmn", "gmw/af", "sit/yue", "sit/cmn-Latn-pinyin", "gmw/en-US"}));
}

TEST(WavHeader, DescribesSixteenKilohertzSixteenBitMonoPcm) {
    const auto header = WavHeader(32000);
    const unsigned char expected[kWavHeaderSize] = {
        'R', 'I', 'F', 'F', 0x24, 0x7D, 0x00, 0x00, 'W', 'A', 'V', 'E',   // RIFF size 36 + 32000
        'f', 'm', 't', ' ', 16, 0, 0, 0, 1, 0, 1, 0,                      // PCM, one channel
        0x80, 0x3E, 0x00, 0x00, 0x00, 0x7D, 0x00, 0x00, 2, 0, 16, 0,      // 16000 Hz, 32000 bytes/s
        'd', 'a', 't', 'a', 0x00, 0x7D, 0x00, 0x00};
    EXPECT_EQ(std::vector<unsigned char>(header.begin(), header.end()),
              std::vector<unsigned char>(std::begin(expected), std::end(expected)));
}

TEST(WavHeader, OtherFormatsAndSizesTooLargeForTheFields) {
    const auto stereo = WavHeader(0, 22050, 2, 16);
    EXPECT_EQ(stereo[22], 2);
    EXPECT_EQ(stereo[24] | stereo[25] << 8, 22050);
    EXPECT_EQ(stereo[32], 4);  // block align
    EXPECT_EQ(stereo[4], 36);
    EXPECT_EQ(stereo[40], 0);

    const auto huge = WavHeader(1ull << 33);
    const auto field = [&](size_t at) {
        return static_cast<unsigned long long>(huge[at]) | huge[at + 1] << 8 | huge[at + 2] << 16 |
               static_cast<unsigned long long>(huge[at + 3]) << 24;
    };
    EXPECT_EQ(field(40), 0xFFFFFFDAull);  // the largest even size that leaves room for the 36 bytes
    EXPECT_EQ(field(4), 0xFFFFFFFEull);
}

}  // namespace
