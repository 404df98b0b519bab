#include "sound_recording_win32.h"

#include "e2e.h"
#include "speech/wav_header.h"

#include <cmath>
#include <fstream>

namespace e2e {

std::optional<SoundRecording> SoundRecording::Open() {
    wchar_t path[MAX_PATH];
    const DWORD length = ::GetEnvironmentVariableW(L"PARLOWEN_E2E_RECORDING", path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return std::nullopt;
    return SoundRecording(std::wstring(path, length));
}

size_t SoundRecording::Now() const {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExW(path_.c_str(), GetFileExInfoStandard, &data)) return 0;
    return static_cast<size_t>((static_cast<std::uint64_t>(data.nFileSizeHigh) << 32 | data.nFileSizeLow) / 2);
}

std::vector<std::int16_t> SoundRecording::Samples(size_t from, size_t to) const {
    std::vector<std::int16_t> samples;
    if (to <= from) return samples;
    std::ifstream file(path_.c_str(), std::ios::binary);
    file.seekg(static_cast<std::streamoff>(from * 2));
    samples.resize(to - from);
    file.read(reinterpret_cast<char*>(samples.data()), static_cast<std::streamsize>(samples.size() * 2));
    samples.resize(static_cast<size_t>(file.gcount()) / 2);
    return samples;
}

double SoundRecording::Rms(const std::vector<std::int16_t>& samples) {
    if (samples.empty()) return 0;
    double sum = 0;
    for (std::int16_t s : samples) sum += static_cast<double>(s) * s;
    return std::sqrt(sum / static_cast<double>(samples.size())) / 32768.0;
}

std::optional<SoundRecording::Sound> SoundRecording::SoundBetween(size_t from, size_t to) const {
    const std::vector<std::int16_t> samples = Samples(from, to);
    std::optional<Sound> sound;
    for (size_t at = 0; at + kWindow <= samples.size(); at += kWindow) {
        const std::vector<std::int16_t> window(samples.begin() + at, samples.begin() + at + kWindow);
        if (Rms(window) < kSoundThreshold) continue;
        if (!sound) sound = Sound{from + at, from + at + kWindow};
        sound->end = from + at + kWindow;
    }
    return sound;
}

std::optional<size_t> SoundRecording::WaitForSound(size_t from, DWORD timeoutMs) const {
    std::optional<size_t> start;
    WaitUntil(
        [&] {
            if (auto sound = SoundBetween(from, Now())) start = sound->start;
            return start.has_value();
        },
        timeoutMs);
    return start;
}

std::optional<SoundRecording::Sound> SoundRecording::WaitForSilence(size_t from, DWORD quietMs,
                                                                    DWORD timeoutMs) const {
    const size_t quiet = quietMs * kRate / 1000;
    std::optional<Sound> sound;
    const bool silent = WaitUntil(
        [&] {
            const size_t now = Now();
            sound = SoundBetween(from, now);
            return sound && now - sound->end >= quiet;
        },
        timeoutMs);
    return silent ? sound : std::nullopt;
}

void SoundRecording::Save(const std::wstring& name, size_t from, size_t to) const {
    const std::vector<std::int16_t> samples = Samples(from, to);
    const std::wstring folder = path_.substr(0, path_.find_last_of(L"\\/") + 1);
    std::ofstream file((folder + name + L".wav").c_str(), std::ios::binary);
    const auto header = parlowen::speech::WavHeader(samples.size() * 2);
    file.write(reinterpret_cast<const char*>(header.data()), static_cast<std::streamsize>(header.size()));
    file.write(reinterpret_cast<const char*>(samples.data()), static_cast<std::streamsize>(samples.size() * 2));
}

}  // namespace e2e
