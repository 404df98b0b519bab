// How soon the eSpeak NG engine is heard, and how long speaking holds the GUI thread:
// SpeakMine through the real voice profiles and voice processes, for a short and a
// 500-character message, and for the first message after the voice process was killed
// (the engine starts a new one). "To first sample" runs from Speak returning to the
// voice process handing its first sample to the sound output, both read from Wine's
// performance counter. Run it with bench/run-espeak-latency.sh.
#include "speech/espeak_voice_engine_win32.h"
#include "speech/voice_profiles.h"
#include "win32/handles_win32.h"
#include "win32/text_win32.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace parlowen::speech;

double Milliseconds(LARGE_INTEGER from, LARGE_INTEGER to, LARGE_INTEGER frequency) {
    return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

LARGE_INTEGER Now() {
    LARGE_INTEGER now;
    ::QueryPerformanceCounter(&now);
    return now;
}

void Print(const char* what, std::vector<double> times) {
    if (times.empty()) {
        std::printf("  %-44s no figures\n", what);
        return;
    }
    std::sort(times.begin(), times.end());
    std::printf("  %-44s min %8.3f  median %8.3f  max %8.3f ms  (%zu runs)\n", what, times.front(),
                times[times.size() / 2], times.back(), times.size());
}

struct Figures {
    std::vector<double> held, toFirstSample;
};

// One SpeakMine, then the voice process's account of when its first sample left.
void Measure(VoiceProfiles& profiles, EspeakVoiceEngine& mine, const std::string& text, Figures& figures,
             LARGE_INTEGER frequency) {
    const LARGE_INTEGER start = Now();
    profiles.Speak(parlowen::chat::Role::Mine, text);
    const LARGE_INTEGER returned = Now();
    figures.held.push_back(Milliseconds(start, returned, frequency));
    for (int attempt = 0; attempt < 20; ++attempt) {
        ::Sleep(100);
        const auto timing = mine.LastSpeakTiming();
        if (timing && timing->firstSample > returned.QuadPart) {
            figures.toFirstSample.push_back(Milliseconds(returned, LARGE_INTEGER{.QuadPart = timing->firstSample},
                                                         frequency));
            return;
        }
    }
}

}  // namespace

int wmain() {
    const auto path = VoiceProgram::BesideExecutable();
    if (!path) {
        std::printf("parlowen-voice.exe.so is not beside the benchmark\n");
        return 1;
    }
    auto program = std::make_shared<const VoiceProgram>(*path);
    EspeakVoiceEngine mine(program), friendVoice(program);
    VoiceSettings settings;
    VoiceProfiles profiles(mine, friendVoice, settings);
    profiles.Load();
    std::printf("eSpeak NG voice: %s\n", mine.GetVoices().at(static_cast<size_t>(settings.mine.voice)).description.c_str());

    const std::wstring sentence = L"今天晚上七点在校门口见，别忘了带上那本书。";
    std::wstring longText;
    while (longText.size() < 500) longText += sentence;
    longText.resize(500);
    const std::string shortMessage = parlowen::win32::WideToAnsi(L"moon说：" + sentence);
    const std::string longMessage = parlowen::win32::WideToAnsi(longText);

    LARGE_INTEGER frequency;
    ::QueryPerformanceFrequency(&frequency);
    constexpr int kRuns = 20;
    Figures shortFigures, longFigures, restartFigures;
    Measure(profiles, mine, shortMessage, shortFigures, frequency);  // warms the voice up
    shortFigures = {};
    for (int i = 0; i < kRuns; ++i) {
        Measure(profiles, mine, shortMessage, shortFigures, frequency);
        Measure(profiles, mine, longMessage, longFigures, frequency);
    }
    for (int i = 0; i < 5; ++i) {
        const parlowen::win32::UniqueKernelHandle process(
            ::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, mine.ProcessId()));
        ::TerminateProcess(process.get(), 9);
        ::WaitForSingleObject(process.get(), 5000);
        Measure(profiles, mine, shortMessage, restartFigures, frequency);
    }
    profiles.StopSpeaking();

    std::printf("SpeakMine with the eSpeak NG engine (%zu-character short message, 500-character long one):\n",
                sentence.size() + 6);
    Print("GUI thread held, short message", shortFigures.held);
    Print("GUI thread held, 500 characters", longFigures.held);
    Print("GUI thread held, after a kill (new process)", restartFigures.held);
    Print("Speak returned to first sample, short", shortFigures.toFirstSample);
    Print("Speak returned to first sample, 500 characters", longFigures.toFirstSample);
    Print("Speak returned to first sample, after a kill", restartFigures.toFirstSample);
    return 0;
}
