// parlowen-sound-probe: what the null sink of the private audio server plays, stamped with
// Wine's performance counter, which this Winelib process shares with the Windows
// programs of the same Wine. One line on standard output for each change:
//   ready <time>   recording runs
//   on <time>      the first sample of a sound
//   off <time>     the first sample of a quiet stretch (at least kQuietMs long)
// Times are performance-counter ticks. With the argument "click <n>" it plays n short
// clicks onto the null sink instead and prints "click <time>" for each, the time the
// server says the click's first sample plays: the benchmark checks its clock against
// these.
//
// A fragment read from the monitor is stamped "now minus the stream's latency" for the
// sample after its last one. The monitor receives samples as the null sink renders them,
// which is at most one sink block (the latency the lowest stream asks for, here ours)
// before the sink's own clock plays them; libpulse-simple reports that lead as 0.
#include <windows.h>
#include <pulse/error.h>
#include <pulse/simple.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

constexpr std::uint32_t kRate = 44100;
constexpr pa_sample_spec kSpec{PA_SAMPLE_S16LE, kRate, 1};
// Small fragments and a small buffer: the server hands over what the sink rendered
// within a few milliseconds, and the sink renders in blocks no longer than that.
constexpr std::uint32_t kFragmentFrames = kRate / 400;  // 2.5 ms
// Digital silence is 0; anything from -54 dBFS up counts as sound.
constexpr int kLoud = 64;
// Shorter dips inside a sound are no silence.
constexpr std::uint32_t kQuietFrames = kRate / 500;  // 2 ms

struct SimpleDeleter {
    void operator()(pa_simple* stream) const { pa_simple_free(stream); }
};
using Stream = std::unique_ptr<pa_simple, SimpleDeleter>;

std::int64_t Now() {
    LARGE_INTEGER now;
    ::QueryPerformanceCounter(&now);
    return now.QuadPart;
}

std::int64_t Frequency() {
    LARGE_INTEGER frequency;
    ::QueryPerformanceFrequency(&frequency);
    return frequency.QuadPart;
}

std::int64_t Ticks(double seconds) { return static_cast<std::int64_t>(std::llround(seconds * static_cast<double>(Frequency()))); }

void WriteLine(const std::string& line) {
    const std::string text = line + "\n";
    DWORD written = 0;
    if (!::WriteFile(::GetStdHandle(STD_OUTPUT_HANDLE), text.data(), static_cast<DWORD>(text.size()), &written,
                     nullptr))
        std::exit(0);  // the benchmark has gone
}

Stream Open(pa_stream_direction_t direction, const char* device, const pa_buffer_attr& attributes) {
    int error = 0;
    Stream stream(pa_simple_new(nullptr, "parlowen-sound-probe", direction, device, "latency probe", &kSpec, nullptr,
                                &attributes, &error));
    if (!stream) throw std::runtime_error(std::string("pulseaudio: ") + pa_strerror(error));
    return stream;
}

std::uint32_t Bytes(std::uint32_t frames) { return frames * static_cast<std::uint32_t>(sizeof(std::int16_t)); }

// Finds the changes between sound and silence in stamped fragments.
class Detector {
public:
    void Add(const std::vector<std::int16_t>& samples, std::int64_t afterLast) {
        const double tick = static_cast<double>(Frequency()) / kRate;
        const auto timeOf = [&](size_t i) {
            return afterLast - static_cast<std::int64_t>(std::llround(static_cast<double>(samples.size() - i) * tick));
        };
        for (size_t i = 0; i < samples.size(); ++i) {
            if (std::abs(static_cast<int>(samples[i])) >= kLoud) {
                if (!sounding_) WriteLine("on " + std::to_string(timeOf(i)));
                sounding_ = true;
                quiet_ = 0;
            } else if (sounding_ && ++quiet_ == 1) {
                quietFrom_ = timeOf(i);
            } else if (sounding_ && quiet_ >= kQuietFrames) {
                WriteLine("off " + std::to_string(quietFrom_));
                sounding_ = false;
            }
        }
    }

private:
    bool sounding_ = false;
    std::uint32_t quiet_ = 0;
    std::int64_t quietFrom_ = 0;
};

void Listen() {
    const pa_buffer_attr attributes{static_cast<std::uint32_t>(-1), static_cast<std::uint32_t>(-1),
                                    static_cast<std::uint32_t>(-1), static_cast<std::uint32_t>(-1),
                                    Bytes(2 * kFragmentFrames)};
    Stream stream = Open(PA_STREAM_RECORD, "null.monitor", attributes);
    Detector detector;
    std::vector<std::int16_t> samples(kFragmentFrames);
    bool ready = false;
    for (;;) {
        int error = 0;
        if (pa_simple_read(stream.get(), samples.data(), Bytes(kFragmentFrames), &error) < 0)
            throw std::runtime_error(std::string("pulseaudio: ") + pa_strerror(error));
        const std::int64_t now = Now();
        const pa_usec_t latency = pa_simple_get_latency(stream.get(), &error);
        if (!ready) WriteLine("ready " + std::to_string(now));
        ready = true;
        detector.Add(samples, now - Ticks(static_cast<double>(latency) / 1e6));
    }
}

// Plays silence with `count` clicks 400 ms apart, keeping the stream running so that
// each click follows what is already queued.
void Click(int count) {
    const pa_buffer_attr attributes{static_cast<std::uint32_t>(-1), Bytes(4 * kFragmentFrames),
                                    static_cast<std::uint32_t>(-1), static_cast<std::uint32_t>(-1),
                                    static_cast<std::uint32_t>(-1)};
    Stream stream = Open(PA_STREAM_PLAYBACK, "null", attributes);
    const std::vector<std::int16_t> silence(kFragmentFrames);
    std::vector<std::int16_t> click(kFragmentFrames);
    for (size_t i = 0; i < click.size(); ++i)
        click[i] = static_cast<std::int16_t>(16000 * std::sin(2 * 3.14159265 * 1000 * static_cast<double>(i) / kRate));
    int error = 0;
    const auto write = [&](const std::vector<std::int16_t>& block) {
        if (pa_simple_write(stream.get(), block.data(), Bytes(kFragmentFrames), &error) < 0)
            throw std::runtime_error(std::string("pulseaudio: ") + pa_strerror(error));
    };
    constexpr int kBlocksApart = 160;  // 400 ms
    // The stream's timing is known only once it has played for a while: at first the
    // latency it reports was seen off by up to a quarter of a second.
    for (int i = 0; i < 5 * kBlocksApart; ++i) write(silence);
    for (int n = 0; n < count; ++n) {
        for (int i = 0; i < kBlocksApart; ++i) write(silence);
        const pa_usec_t latency = pa_simple_get_latency(stream.get(), &error);
        const std::int64_t now = Now();
        write(click);
        WriteLine("click " + std::to_string(now + Ticks(static_cast<double>(latency) / 1e6)));
    }
    for (int i = 0; i < kBlocksApart; ++i) write(silence);
    pa_simple_drain(stream.get(), &error);
}

}  // namespace

int main(int argc, char** argv) {
    try {
        if (argc >= 3 && std::string(argv[1]) == "click") Click(std::atoi(argv[2]));
        else Listen();
        return 0;
    } catch (const std::exception& e) {
        WriteLine(std::string("error ") + e.what());
        return 1;
    }
}
