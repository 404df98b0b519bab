// What the program played on the sound output, as the end-to-end run records it: run.sh
// starts a private PulseAudio server whose only output is a null sink and records its
// monitor with parec (16 kHz, 16-bit, mono, raw) into one file for the whole run, named
// by PARLOWEN_E2E_RECORDING. Positions count samples from the start of that file, so a
// position taken now marks the present moment in the recording.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace e2e {

class SoundRecording {
public:
    static constexpr int kRate = 16000;
    // The run's recording, or nothing when the run has no audio server.
    static std::optional<SoundRecording> Open();

    // Samples recorded so far.
    size_t Now() const;
    std::vector<std::int16_t> Samples(size_t from, size_t to) const;

    // A stretch of sound: from the first to the last 20 ms window whose RMS reaches the
    // threshold (of full scale), after `from`.
    struct Sound {
        size_t start = 0, end = 0;
        double Seconds() const { return static_cast<double>(end - start) / kRate; }
    };
    std::optional<Sound> SoundBetween(size_t from, size_t to) const;
    // Waits, pumping messages, until sound has started after `from`; its start.
    std::optional<size_t> WaitForSound(size_t from, DWORD timeoutMs) const;
    // Waits until `quietMs` of silence follow the last sound after `from`; the sound.
    std::optional<Sound> WaitForSilence(size_t from, DWORD quietMs, DWORD timeoutMs) const;

    static double Rms(const std::vector<std::int16_t>& samples);
    // Saves samples [from, to) beside the recording as <name>.wav, for measuring by hand.
    void Save(const std::wstring& name, size_t from, size_t to) const;

    static constexpr double kSoundThreshold = 0.01;
    static constexpr size_t kWindow = kRate / 50;  // 20 ms

private:
    explicit SoundRecording(std::wstring path) : path_(std::move(path)) {}
    std::wstring path_;
};

inline size_t Milliseconds(size_t samples) { return samples * 1000 / SoundRecording::kRate; }

}  // namespace e2e
