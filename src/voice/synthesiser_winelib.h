// The voice process's speech: eSpeak NG synthesising on a worker thread, one utterance
// after the other, onto the sound output (eSpeak NG's own audio library, which plays to
// PulseAudio or ALSA) or appended to a 16 kHz WAV file.
#pragma once

#include "speech/espeak_settings.h"

#include <windows.h>
#include <espeak-ng/speak_lib.h>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

struct audio_object;

namespace parlowen::voice {

class Synthesiser {
public:
    // Starts eSpeak NG and the worker; throws when eSpeak NG cannot start.
    Synthesiser();
    ~Synthesiser();
    Synthesiser(const Synthesiser&) = delete;
    Synthesiser& operator=(const Synthesiser&) = delete;

    const std::vector<speech::espeak::Voice>& Voices() const { return voices_; }

    // The settings the utterances queued after them are spoken with. SetVoice throws for
    // a voice that is not installed.
    void SetVoice(const std::string& identifier);
    void SetRate(int rate) { rate_ = rate; }
    void SetVolume(int volume) { volume_ = volume; }
    void SetPitch(int pitch) { pitch_ = pitch; }
    // One of eSpeak NG's variants ("f2"), or "" for the voice itself; throws for a name
    // that is not one of espeak::kVariants.
    void SetVariant(const std::string& variant);
    void ResetSettings();

    void Speak(std::string utf8Text);
    void Render(std::u16string wavPath, std::string utf8Text);
    // Silences the utterance being spoken and drops the queued ones.
    void Purge();
    // Whether an utterance is being said or queued.
    bool Busy();
    // Waits until everything queued is done; returns the message of a render that failed
    // since the last wait.
    std::optional<std::string> WaitUntilIdle();

    // Performance-counter ticks of the last Speak: when it was asked for and when its
    // first sample went to the sound output (0 while none has).
    struct Timing {
        std::int64_t requested = 0, firstSample = 0;
    };
    Timing LastSpeakTiming();

private:
    struct Job {
        bool toFile = false;
        std::string text;
        std::u16string path;
        std::string voice;  // with "+variant" when it has one
        int rate = 0, volume = 100, pitch = 0;
        std::uint64_t generation = 0;
        std::uint64_t id = 0;
    };
    class WavAppender;

    static DWORD WINAPI WorkerMain(void* self);
    static int OnSamples(short* samples, int count, espeak_EVENT* events);
    void Work();
    void Run(const Job& job);
    void Play(const short* samples, int count);
    void FlushAudio();
    void Enqueue(Job job);

    std::vector<speech::espeak::Voice> voices_;
    int sampleRate_ = 0;
    std::string voice_, variant_;
    int rate_ = 0, volume_ = 100, pitch_ = 0;
    std::string voiceSelected_;  // what eSpeak has now; only the worker touches eSpeak

    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Job> queue_;
    bool busy_ = false, stopping_ = false;
    std::uint64_t generation_ = 0;  // raised by Purge: jobs of an older one stop
    std::uint64_t nextId_ = 1;
    std::optional<std::string> renderError_;
    Timing lastSpeak_;
    std::uint64_t lastSpeakId_ = 0;

    // The job the worker is running, as the sample callback sees it.
    const Job* running_ = nullptr;
    WavAppender* renderingTo_ = nullptr;
    bool firstSampleOfJob_ = false;

    audio_object* audio_ = nullptr;
    // Opened and closed by the worker, flushed by Purge while the worker may be writing.
    std::mutex audioMutex_;
    std::atomic<bool> audioOpen_ = false;
    HANDLE worker_ = nullptr;
};

}  // namespace parlowen::voice
