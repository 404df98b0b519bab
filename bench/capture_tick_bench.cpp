// Cost of one capture tick that finds nothing new, as the transcript grows. The tick
// reads the transcript once (a copy, as a cross-process read is) and parses only its
// last message, so it should cost little more than BM_CopyTranscript.
#include "capture/capture_tick.h"

#include "transcripts.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace {

using parlowen::bench::kOneMegabyte;
using parlowen::bench::kTenKilobytes;
using parlowen::bench::kTenMegabytes;
using parlowen::bench::TranscriptOfSize;

using namespace parlowen;

// A chat window in this process; every read hands out a fresh copy of its transcript.
class InProcessChatWindow : public capture::ChatWindows {
public:
    static constexpr std::string_view kTitle = "Chatting with moon";
    explicit InProcessChatWindow(std::string transcript) : transcript_(std::move(transcript)) {}

    std::string ForegroundTitle() override { return std::string(kTitle); }
    std::u16string AnsiToUnicode(std::string_view text) override {
        return std::u16string(text.begin(), text.end());  // the title is ASCII
    }
    std::string ReadHistory(std::string_view title) override {
        return title == kTitle ? transcript_ : std::string();
    }

private:
    std::string transcript_;
};

class DiscardingOutput : public capture::CaptureOutput {
public:
    int handled = 0;
    capture::ReadingOptions Options() override { return {}; }
    void SpeakMine(std::string_view) override {}
    void SpeakFriend(std::string_view) override {}
    void AppendLogEntry(std::string_view, std::string_view, capture::Sender) override { ++handled; }
};

void BM_CaptureTickNothingNew(benchmark::State& state) {
    InProcessChatWindow window(TranscriptOfSize(static_cast<std::size_t>(state.range(0))));
    capture::ChatTracking tracking;
    tracking.Timer3Tick(window);
    capture::CaptureTick tick;
    DiscardingOutput output;
    const auto run = [&] {
        tick.Handle(tracking.CurrentChatTitle(), window.ReadHistory(tracking.CurrentChatTitle()), output);
    };
    run();  // handles the last message once
    for (auto _ : state) run();
    if (output.handled != 1) throw std::logic_error("the tick handled an old message again");
    state.SetBytesProcessed(state.iterations() * state.range(0));
}

void BM_CopyTranscript(benchmark::State& state) {
    InProcessChatWindow window(TranscriptOfSize(static_cast<std::size_t>(state.range(0))));
    for (auto _ : state) {
        std::string copy = window.ReadHistory(InProcessChatWindow::kTitle);
        benchmark::DoNotOptimize(copy.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * state.range(0));
}

BENCHMARK(BM_CaptureTickNothingNew)->Arg(kTenKilobytes)->Arg(kOneMegabyte)->Arg(kTenMegabytes)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CopyTranscript)->Arg(kTenKilobytes)->Arg(kOneMegabyte)->Arg(kTenMegabytes)
    ->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
