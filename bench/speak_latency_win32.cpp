// How long SpeakMine keeps the GUI thread: from the call to the return of Speak, with
// the recording speech server in place of SAPI (it returns at once, as SAPI's
// asynchronous Speak does), so the figures are the program's own cost: a fresh voice
// object, its voice, rate and volume, and the text's conversion. Run it under Wine
// with bench/run-speak-latency.sh.
#include "win32/com_win32.h"
#include "win32/text_win32.h"
#include "sapi_registration_win32.h"
#include "speech/sapi_voice_engine_win32.h"
#include "speech/voice_profiles.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

using namespace parlowen::speech;

double Milliseconds(LARGE_INTEGER from, LARGE_INTEGER to, LARGE_INTEGER frequency) {
    return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

}  // namespace

int wmain() {
    parlowen::win32::ComApartment com;
    wchar_t temp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, temp);
    ::SetEnvironmentVariableW(L"PARLOWEN_SAPI_LOG", (std::wstring(temp) + L"parlowen-speak-bench.log").c_str());
    e2e::RecordingSpeech speech;
    e2e::InstallTestVoices({L"Bench Voice"});

    SapiVoiceEngine mine, friendVoice;
    VoiceSettings settings;
    VoiceProfiles profiles(mine, friendVoice, settings);
    profiles.Load();
    const std::string text = parlowen::win32::WideToAnsi(L"moon说：今天晚上七点在校门口见，别忘了带上那本书。");

    LARGE_INTEGER frequency;
    ::QueryPerformanceFrequency(&frequency);
    constexpr int kCalls = 500;
    std::vector<double> times;
    times.reserve(kCalls);
    for (int i = 0; i < kCalls; ++i) {
        LARGE_INTEGER start, end;
        ::QueryPerformanceCounter(&start);
        profiles.Speak(parlowen::chat::Role::Mine, text);
        ::QueryPerformanceCounter(&end);
        times.push_back(Milliseconds(start, end, frequency));
    }
    std::sort(times.begin(), times.end());
    std::printf("SpeakMine to Speak returning, %d calls with the recording server:\n", kCalls);
    std::printf("  min %.3f ms, median %.3f ms, 90th percentile %.3f ms, max %.3f ms\n", times.front(),
                times[times.size() / 2], times[times.size() * 9 / 10], times.back());
    return 0;
}
