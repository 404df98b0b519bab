// The voice engine on eSpeak NG, for systems whose own speech has no voice (Wine on
// Linux). Each voice object keeps one voice process (parlowen-voice.exe.so) for the
// whole run, so the two profiles sound at once and each can be silenced alone.
#pragma once

#include "speech/start_back_off.h"
#include "speech/voice_engine.h"
#include "speech/voice_process_win32.h"
#include "win32/replace_file_win32.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace parlowen::speech {

// A WAV file for the export. Opening creates its temporary file with an empty 16 kHz,
// 16-bit, mono header; the voice process appends the speech and keeps the header in step.
class EspeakFileStream : public AudioFileStream {
public:
    void SetFormat16kHz16BitMono() override {}  // the only format it writes
    void OpenForWrite(std::string_view ansiPath) override;
    std::uint64_t BytesWritten() override;
    void Close() override;
    void Discard() noexcept override;
    // The full path of the file the voice process writes, in UTF-8; throws when the
    // stream is not open.
    std::string Utf8Path() const;

private:
    std::optional<win32::PendingReplacement> file_;  // empty while nothing is open
};

class EspeakVoiceEngine : public VoiceEngine {
public:
    explicit EspeakVoiceEngine(std::shared_ptr<const VoiceProgram> program);

    // The voice process stays; it is silenced and set back to a new voice's defaults.
    void Disconnect() noexcept override;
    std::vector<InstalledVoice> GetVoices() override;
    void SetVoice(const VoiceToken& token) override;
    void SetRate(int rate) override;
    void SetVolume(int volume) override;
    void SetPitch(int pitch) override;
    std::vector<std::string> Variants() override;
    void SetVariant(const std::string& variant) override;
    void Speak(std::string_view ansiText) override;
    bool Speaking() override;
    void SetAllowAudioOutputFormatChanges(bool) override {}
    void SetOutputStream(AudioFileStream& stream) override;
    bool WaitUntilDone(unsigned timeoutMs) override;
    void ResetOutputToDefaultDevice() override { outputPath_.clear(); }

    // For the latency benchmark: performance-counter ticks at which the voice process
    // received the last Speak and played its first sample (0 while it has not).
    struct SpeakTiming {
        long long received = 0, firstSample = 0;
    };
    std::optional<SpeakTiming> LastSpeakTiming();
    // The running voice process, or 0.
    DWORD ProcessId() const;

private:
    struct Settings {
        std::string voice;  // empty: the voice process's first voice
        std::string variant;
        int rate = 0, volume = 100, pitch = 0;
    };
    // The voice process, started or replaced when it has ended or stopped answering, as
    // often as the back-off allows (none meanwhile: process_ is empty); a new one is given
    // the current settings. Whether it is new. Before an utterance the system is asked
    // too, so that none is sent to a process that has just died. A failure to start is
    // thrown only the first time after a process served.
    bool EnsureRunning(bool beforeUtterance = false);
    void Configure(const protocol::Fields& command);

    std::shared_ptr<const VoiceProgram> program_;
    std::unique_ptr<VoiceProcess> process_;
    StartBackOff starts_;
    Settings settings_;
    std::string outputPath_;  // UTF-8; empty: the sound output
    std::optional<std::uint64_t> pendingWait_;  // a wait command whose reply has not come yet
    std::optional<std::vector<InstalledVoice>> voices_;
};

}  // namespace parlowen::speech
