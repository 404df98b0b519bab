// Cost of parsing the last message of a whole transcript as it grows, as a window seen
// for the first time is parsed: the cost has to follow the last message, not the
// history before it, whether or not the times show seconds. Parsing makes one
// memchr-speed pass for the NUL that ends the text; BM_FindNul shows that share on its
// own.
#include "capture/chat_memory.h"
#include "capture/chat_text.h"

#include "transcripts.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <string_view>

namespace {

using parlowen::bench::kOneMegabyte;
using parlowen::bench::kTenKilobytes;
using parlowen::bench::kTenMegabytes;
using parlowen::bench::TranscriptOfSize;

// range(1) is 0 for a transcript whose times show no seconds.
void BM_CaptureTickParsers(benchmark::State& state) {
    const std::string transcript = TranscriptOfSize(static_cast<std::size_t>(state.range(0)), state.range(1) != 0);
    // The reader knows where the text ends: the control's length.
    const long end = parlowen::capture::PositionsIn(transcript);
    const auto parse = [&] {
        return parlowen::capture::ParseTranscript(transcript, 0, {.group = true}, 0,
                                                  parlowen::capture::ChatMemory::kLinesOfALastMessage, end);
    };
    for (auto _ : state) {
        parlowen::capture::Transcript parsed = parse();
        benchmark::DoNotOptimize(parsed);
    }
    const parlowen::capture::ChatMessage last = parse().messages.back();
    state.SetLabel(last.sender + ": " + last.body);
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

BENCHMARK(BM_CaptureTickParsers)->ArgsProduct({{kTenKilobytes, kOneMegabyte, kTenMegabytes}, {1, 0}})
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FindNul)->Arg(kTenKilobytes)->Arg(kOneMegabyte)->Arg(kTenMegabytes)
    ->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
