// Cost of one capture tick that finds nothing new in a whole transcript, as the
// transcript grows. The tick reads the transcript once (a copy, as a cross-process read
// is), finds the last message handled where it stood and parses from a little before
// it, so it should cost little more than BM_CopyTranscript and the walk that counts the
// positions up to that message.
#include "capture/chat_capture.h"

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

    capture::TitledWindow Foreground() override { return {1, std::string(kTitle)}; }
    bool Exists(std::uintptr_t) override { return true; }
    std::u16string AnsiToUnicode(std::string_view text) override {
        return std::u16string(text.begin(), text.end());  // the title is ASCII
    }
    std::string UnicodeToAnsi(std::u16string_view text) override { return std::string(text.begin(), text.end()); }
    std::vector<std::uintptr_t> TopLevelWindows() override { return {1}; }
    std::string Title(std::uintptr_t) override { return std::string(kTitle); }
    bool Shown(std::uintptr_t) override { return true; }
    std::string ReadHistory() const { return transcript_; }

private:
    std::string transcript_;
};

class DiscardingOutput : public capture::CaptureOutput {
public:
    int handled = 0;
    capture::ReadingOptions Options() override { return {}; }
    void SpeakMine(std::string_view) override {}
    void SpeakFriend(std::string_view) override {}
    void SpeakMember(const chat::Speaker&, std::string_view, std::string_view) override {}
    void AppendLogEntry(std::string_view, std::string_view, const chat::Speaker&) override { ++handled; }
};

void BM_CaptureTickNothingNew(benchmark::State& state) {
    InProcessChatWindow window(TranscriptOfSize(static_cast<std::size_t>(state.range(0))));
    capture::ChatCapture capture;
    capture.TrackChats(window);
    DiscardingOutput output;
    // The reader knows where the text ends: the control's length.
    const long end = capture::PositionsIn(window.ReadHistory());
    const auto run = [&] {
        const capture::ChatWindowRef& chat = capture.CurrentChat();
        capture.HandleRead({chat, chat, {window.ReadHistory(), 0, true, end}}, output, {});
    };
    run();  // handles the last message once
    for (auto _ : state) run();
    if (output.handled != 1) throw std::logic_error("the tick handled an old message again");
    state.SetBytesProcessed(state.iterations() * state.range(0));
}

void BM_CopyTranscript(benchmark::State& state) {
    InProcessChatWindow window(TranscriptOfSize(static_cast<std::size_t>(state.range(0))));
    for (auto _ : state) {
        std::string copy = window.ReadHistory();
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
