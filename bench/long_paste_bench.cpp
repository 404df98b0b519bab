// How long a long paste is heard for with eSpeak NG's Mandarin voice, as the speaking
// rules cut it: with the old limit of 200 characters and with the default of about half
// a minute at the voice's rate, at several rates. Synthesises what would be said and
// prints the seconds of sound; exits 1 when the default lets a paste run past 40 s.
#include "speech/espeak_settings.h"
#include "speech/spoken_form.h"

#include "iconv_text.h"

#include <espeak-ng/speak_lib.h>

#include <cstdio>
#include <string>

namespace {

using parlowen::bench::Convert;

long samples = 0;

int CountSamples(short*, int count, espeak_EVENT*) {
    samples += count;
    return 0;
}

// Seconds of sound eSpeak NG makes of `gbk` at `rate` (the system engine's -10..10).
double SecondsSaid(const std::string& gbk, int rate, int sampleRate) {
    espeak_SetParameter(espeakRATE, parlowen::speech::espeak::WordsPerMinute(rate), 0);
    const std::string utf8 = Convert(gbk, "GBK", "UTF-8");
    samples = 0;
    espeak_Synth(utf8.c_str(), utf8.size() + 1, 0, POS_CHARACTER, 0, espeakCHARS_UTF8, nullptr, nullptr);
    espeak_Synchronize();
    return static_cast<double>(samples) / sampleRate;
}

}  // namespace

int main() {
    const int sampleRate = espeak_Initialize(AUDIO_OUTPUT_SYNCHRONOUS, 0, nullptr, 0);
    if (sampleRate <= 0 || espeak_SetVoiceByName("cmn") != EE_OK) {
        std::fprintf(stderr, "long paste: eSpeak NG or its Mandarin voice is missing\n");
        return 1;
    }
    espeak_SetSynthCallback(&CountSamples);
    // A paste of punctuated Chinese, 400 characters: a notice forwarded into the chat.
    std::string paste;
    for (int i = 0; i < 20; ++i)
        paste += Convert("各位同学请注意，明天上午九点在三楼会议室开会，请准时参加。", "UTF-8", "GBK");

    bool tooLong = false;
    std::printf("%-6s %-28s %9s\n", "rate", "limit", "heard (s)");
    for (int rate : {-5, 0, 5}) {
        const double old = SecondsSaid(parlowen::speech::SpokenForm(paste, {.longestMessage = 200}, {}, rate), rate,
                                       sampleRate);
        const double byTime = SecondsSaid(parlowen::speech::SpokenForm(paste, {}, {}, rate), rate, sampleRate);
        std::printf("%-6d %-28s %9.1f\n%-6d %-28s %9.1f\n", rate, "200 characters", old, rate,
                    "about 30 s (the default)", byTime);
        tooLong = tooLong || byTime > 40;
    }
    espeak_Terminate();
    return tooLong ? 1 : 0;
}
