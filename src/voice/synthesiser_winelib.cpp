#include "voice/synthesiser_winelib.h"

#include "speech/wav_header.h"

#include <pcaudiolib/audio.h>
#include <soxr.h>

#include <algorithm>
#include <chrono>
#include <iterator>
#include <stdexcept>
#include <utility>

namespace parlowen::voice {
namespace {

namespace espeak = speech::espeak;

static_assert(espeak::kMinimumWordsPerMinute == espeakRATE_MINIMUM);
static_assert(espeak::kMaximumWordsPerMinute == espeakRATE_MAXIMUM);
static_assert(espeak::kNormalWordsPerMinute == espeakRATE_NORMAL);

// Length of the sample buffers eSpeak hands over: a purge stops the voice after at most
// one of them.
constexpr int kBufferMs = 20;
// How long a purge waits for the worker to leave its utterance.
constexpr auto kPurgeWait = std::chrono::seconds(2);

Synthesiser* instance = nullptr;  // eSpeak's callback has no context of its own

std::int64_t PerformanceCounter() {
    LARGE_INTEGER now;
    ::QueryPerformanceCounter(&now);
    return now.QuadPart;
}

// The system's text for an error, in UTF-8 as the protocol carries it.
std::string SystemMessage(DWORD error) {
    WCHAR text[512] = {};
    DWORD length = ::FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
                                    text, 512, nullptr);
    while (length > 0 && (text[length - 1] == '\n' || text[length - 1] == '\r' || text[length - 1] == '.')) --length;
    if (length == 0) return "error " + std::to_string(error);
    char utf8[2048];
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), utf8, sizeof(utf8), nullptr,
                                           nullptr);
    return std::string(utf8, static_cast<size_t>(size > 0 ? size : 0));
}

}  // namespace

// Appends eSpeak's samples, resampled to 16 kHz, to a WAV file and keeps its header in
// step with what it holds. A file shorter than a header is started afresh.
class Synthesiser::WavAppender {
public:
    WavAppender(const std::u16string& path, int inputRate) {
        file_ = ::CreateFileW(reinterpret_cast<const WCHAR*>(path.c_str()), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file_ == INVALID_HANDLE_VALUE) throw std::runtime_error(SystemMessage(::GetLastError()));
        LARGE_INTEGER size{};
        ::GetFileSizeEx(file_, &size);
        if (size.QuadPart >= static_cast<LONGLONG>(speech::kWavHeaderSize)) {
            dataBytes_ = static_cast<std::uint64_t>(size.QuadPart) - speech::kWavHeaderSize;
            dataBytes_ -= dataBytes_ % 2;
        }
        const soxr_io_spec_t io = soxr_io_spec(SOXR_INT16_I, SOXR_INT16_I);
        const soxr_quality_spec_t quality = soxr_quality_spec(SOXR_HQ, 0);
        soxr_error_t error = nullptr;
        resampler_ = soxr_create(inputRate, speech::kExportSampleRate, 1, &error, &io, &quality, nullptr);
        if (error) {
            ::CloseHandle(file_);
            throw std::runtime_error(std::string("soxr: ") + error);
        }
        WriteAt(0, speech::WavHeader(dataBytes_).data(), speech::kWavHeaderSize);
        LARGE_INTEGER end{};
        end.QuadPart = static_cast<LONGLONG>(speech::kWavHeaderSize + dataBytes_);
        ::SetFilePointerEx(file_, end, nullptr, FILE_BEGIN);
        ::SetEndOfFile(file_);
    }

    ~WavAppender() {
        soxr_delete(resampler_);
        ::CloseHandle(file_);
    }

    void Add(const short* samples, size_t count) { Resample(samples, count); }

    // Writes what the resampler still holds and the final header.
    void Finish() {
        Resample(nullptr, 0);
        LARGE_INTEGER zero{};
        ::SetFilePointerEx(file_, zero, nullptr, FILE_BEGIN);
        Write(speech::WavHeader(dataBytes_).data(), speech::kWavHeaderSize);
    }

private:
    void Resample(const short* samples, size_t count) {
        short out[4096];
        do {
            size_t used = 0, produced = 0;
            if (soxr_error_t error = soxr_process(resampler_, samples, count, &used, out, std::size(out), &produced))
                throw std::runtime_error(std::string("soxr: ") + error);
            Write(out, produced * sizeof(short));
            dataBytes_ += produced * sizeof(short);
            if (samples) samples += used;
            count -= used;
            if (!samples && produced == 0) break;  // flushed
        } while (count > 0 || !samples);
    }

    void WriteAt(LONGLONG offset, const void* bytes, size_t size) {
        LARGE_INTEGER at{};
        at.QuadPart = offset;
        ::SetFilePointerEx(file_, at, nullptr, FILE_BEGIN);
        Write(bytes, size);
    }

    void Write(const void* bytes, size_t size) {
        DWORD written = 0;
        if (size > 0 && (!::WriteFile(file_, bytes, static_cast<DWORD>(size), &written, nullptr) || written != size))
            throw std::runtime_error(SystemMessage(::GetLastError()));
    }

    HANDLE file_ = INVALID_HANDLE_VALUE;
    soxr_t resampler_ = nullptr;
    std::uint64_t dataBytes_ = 0;
};

Synthesiser::Synthesiser() {
    sampleRate_ = espeak_Initialize(AUDIO_OUTPUT_SYNCHRONOUS, kBufferMs, nullptr, 0);
    if (sampleRate_ <= 0) throw std::runtime_error("eSpeak NG cannot start");
    instance = this;
    espeak_SetSynthCallback(&Synthesiser::OnSamples);

    std::vector<espeak::Voice> voices;
    for (const espeak_VOICE** v = espeak_ListVoices(nullptr); v && *v; ++v) {
        const char* languages = (*v)->languages;  // a priority byte, then the language name
        voices.push_back({(*v)->identifier ? (*v)->identifier : "", (*v)->name ? (*v)->name : "",
                          languages && *languages ? languages + 1 : ""});
    }
    voices_ = espeak::InListOrder(std::move(voices));
    if (voices_.empty()) throw std::runtime_error("eSpeak NG has no voices");
    voice_ = voices_.front().identifier;

    audio_ = create_audio_device_object(nullptr, "parlowen-voice", "Parlowen");
    worker_ = ::CreateThread(nullptr, 0, &Synthesiser::WorkerMain, this, 0, nullptr);
    if (!worker_) throw std::runtime_error("cannot start the synthesis thread");
}

Synthesiser::~Synthesiser() {
    Purge();
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    ::WaitForSingleObject(worker_, 5000);
    ::CloseHandle(worker_);
    if (audio_) {
        if (audioOpen_) audio_object_close(audio_);
        audio_object_destroy(audio_);
    }
    espeak_Terminate();
}

void Synthesiser::SetVoice(const std::string& identifier) {
    for (const espeak::Voice& voice : voices_) {
        if (voice.identifier == identifier) {
            voice_ = identifier;
            return;
        }
    }
    throw std::runtime_error("no voice " + identifier);
}

void Synthesiser::SetVariant(const std::string& variant) {
    if (!variant.empty() && std::find(std::begin(espeak::kVariants), std::end(espeak::kVariants), variant) ==
                                std::end(espeak::kVariants))
        throw std::runtime_error("no variant " + variant);
    variant_ = variant;
}

void Synthesiser::ResetSettings() {
    voice_ = voices_.front().identifier;
    variant_.clear();
    rate_ = 0;
    volume_ = 100;
    pitch_ = 0;
}

void Synthesiser::Speak(std::string utf8Text) {
    Job job;
    job.text = std::move(utf8Text);
    Enqueue(std::move(job));
}

void Synthesiser::Render(std::u16string wavPath, std::string utf8Text) {
    Job job;
    job.toFile = true;
    job.path = std::move(wavPath);
    job.text = std::move(utf8Text);
    Enqueue(std::move(job));
}

void Synthesiser::Enqueue(Job job) {
    job.voice = variant_.empty() ? voice_ : voice_ + "+" + variant_;
    job.rate = rate_;
    job.volume = volume_;
    job.pitch = pitch_;
    {
        std::lock_guard lock(mutex_);
        job.generation = generation_;
        job.id = nextId_++;
        if (!job.toFile) {
            lastSpeak_ = {PerformanceCounter(), 0};
            lastSpeakId_ = job.id;
        }
        queue_.push_back(std::move(job));
    }
    changed_.notify_all();
}

void Synthesiser::Purge() {
    std::unique_lock lock(mutex_);
    ++generation_;
    queue_.clear();
    // The worker notices the new generation at its next buffer and leaves the utterance;
    // what the sound server already holds is dropped before and after that.
    FlushAudio();
    changed_.wait_for(lock, kPurgeWait, [&] { return !busy_; });
    FlushAudio();
}

bool Synthesiser::Busy() {
    std::lock_guard lock(mutex_);
    return busy_ || !queue_.empty();
}

void Synthesiser::FlushAudio() {
    std::lock_guard lock(audioMutex_);
    if (audioOpen_) audio_object_flush(audio_);
}

std::optional<std::string> Synthesiser::WaitUntilIdle() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return !busy_ && queue_.empty(); });
    return std::exchange(renderError_, std::nullopt);
}

Synthesiser::Timing Synthesiser::LastSpeakTiming() {
    std::lock_guard lock(mutex_);
    return lastSpeak_;
}

DWORD WINAPI Synthesiser::WorkerMain(void* self) {
    static_cast<Synthesiser*>(self)->Work();
    return 0;
}

void Synthesiser::Work() {
    for (;;) {
        Job job;
        {
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [&] { return stopping_ || !queue_.empty(); });
            if (stopping_) return;
            job = std::move(queue_.front());
            queue_.pop_front();
            busy_ = true;
        }
        try {
            Run(job);
        } catch (const std::exception& e) {
            if (job.toFile) {
                std::lock_guard lock(mutex_);
                renderError_ = e.what();
            }
        }
        {
            std::lock_guard lock(mutex_);
            busy_ = false;
        }
        changed_.notify_all();
    }
}

void Synthesiser::Run(const Job& job) {
    if (job.voice != voiceSelected_) {
        if (espeak_SetVoiceByName(job.voice.c_str()) != EE_OK) throw std::runtime_error("cannot load " + job.voice);
        voiceSelected_ = job.voice;
    }
    espeak_SetParameter(espeakRATE, espeak::WordsPerMinute(job.rate), 0);
    espeak_SetParameter(espeakVOLUME, espeak::Amplitude(job.volume), 0);
    espeak_SetParameter(espeakPITCH, espeak::BasePitch(job.pitch), 0);

    std::optional<WavAppender> file;
    if (job.toFile) file.emplace(job.path, sampleRate_);
    if (!job.toFile && !audioOpen_ && audio_) {
        std::lock_guard lock(audioMutex_);
        audioOpen_ = audio_object_open(audio_, AUDIO_OBJECT_FORMAT_S16LE, static_cast<uint32_t>(sampleRate_), 1) == 0;
    }

    running_ = &job;
    renderingTo_ = file ? &*file : nullptr;
    firstSampleOfJob_ = true;
    const std::string& text = job.text;
    espeak_Synth(text.c_str(), text.size() + 1, 0, POS_CHARACTER, 0, espeakCHARS_UTF8, nullptr, nullptr);
    running_ = nullptr;
    renderingTo_ = nullptr;
    if (file) file->Finish();
}

int Synthesiser::OnSamples(short* samples, int count, espeak_EVENT*) {
    Synthesiser& self = *instance;
    const Job& job = *self.running_;
    {
        std::lock_guard lock(self.mutex_);
        if (job.generation != self.generation_) return 1;  // purged: stop synthesising
    }
    if (!samples || count <= 0) return 0;
    if (self.renderingTo_) {
        self.renderingTo_->Add(samples, static_cast<size_t>(count));
        return 0;
    }
    if (self.firstSampleOfJob_) {
        self.firstSampleOfJob_ = false;
        std::lock_guard lock(self.mutex_);
        if (self.lastSpeakId_ == job.id) self.lastSpeak_.firstSample = PerformanceCounter();
    }
    self.Play(samples, count);
    return 0;
}

void Synthesiser::Play(const short* samples, int count) {
    if (!audioOpen_) return;  // no sound output: the utterance passes in silence
    if (audio_object_write(audio_, samples, static_cast<size_t>(count) * sizeof(short)) != 0) {
        std::lock_guard lock(audioMutex_);
        audio_object_close(audio_);
        audioOpen_ = false;  // opened again for the next utterance
    }
}

}  // namespace parlowen::voice
