// Cost of one capture tick's parsing as the transcript grows: the tick parses the
// whole transcript every second, and the cost has to follow the last message, not the
// history before it. Parsing makes one memchr-speed pass for the NUL that ends the
// text; BM_FindNul shows that share on its own.
#include "capture/chat_text.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <string_view>

namespace {

// Earlier messages fill the transcript up to about `size` bytes; it always ends in
// the same short message, a header line and a one-line body.
std::string TranscriptOfSize(std::size_t size) {
    constexpr std::string_view kEarlierMessage =
        "sky 20:15:08\r\nhello, are you coming to the meeting this afternoon?\r\n";
    constexpr std::string_view kLastMessage = "moon(10001) 20:16:30\r\nsee you at the gate";
    std::string transcript;
    transcript.reserve(size + kEarlierMessage.size());
    while (transcript.size() + kLastMessage.size() < size) transcript += kEarlierMessage;
    transcript += kLastMessage;
    return transcript;
}

void BM_CaptureTickParsers(benchmark::State& state) {
    const std::string transcript = TranscriptOfSize(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        parlowen::capture::LastMessage message = parlowen::capture::ParseLastMessage(transcript);
        benchmark::DoNotOptimize(message);
    }
    state.SetLabel(parlowen::capture::LastMessageSender(transcript) + ": " +
                   parlowen::capture::LastMessageBody(transcript));
}

// The search for the ending NUL alone, the one pass over the whole transcript.
void BM_FindNul(benchmark::State& state) {
    const std::string transcript = TranscriptOfSize(static_cast<std::size_t>(state.range(0)));
    const std::string_view text = transcript;
    for (auto _ : state) {
        benchmark::DoNotOptimize(text.find('\0'));
        benchmark::ClobberMemory();
    }
}

constexpr std::int64_t kTenKilobytes = 10 << 10;
constexpr std::int64_t kOneMegabyte = 1 << 20;
constexpr std::int64_t kTenMegabytes = 10 << 20;

BENCHMARK(BM_CaptureTickParsers)->Arg(kTenKilobytes)->Arg(kOneMegabyte)->Arg(kTenMegabytes)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FindNul)->Arg(kTenKilobytes)->Arg(kOneMegabyte)->Arg(kTenMegabytes)
    ->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
