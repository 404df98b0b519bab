#include "wav_file_win32.h"

#include "call_log_win32.h"

#include <mmsystem.h>

#include <cmath>
#include <vector>

namespace parlowen::sapi_recorder {
namespace {

constexpr DWORD kHeaderBytes = 44;
constexpr LONGLONG kRiffSizeOffset = 4;
constexpr LONGLONG kDataSizeOffset = 40;

void Put16(std::vector<BYTE>& out, WORD value) {
    out.push_back(static_cast<BYTE>(value));
    out.push_back(static_cast<BYTE>(value >> 8));
}

void Put32(std::vector<BYTE>& out, DWORD value) {
    Put16(out, static_cast<WORD>(value));
    Put16(out, static_cast<WORD>(value >> 16));
}

void PutTag(std::vector<BYTE>& out, const char (&tag)[5]) { out.insert(out.end(), tag, tag + 4); }

// The canonical 44-byte header; the two sizes are patched when the file is finished.
std::vector<BYTE> Header(const PcmFormat& format) {
    const WORD blockAlign = static_cast<WORD>(format.channels * format.bitsPerSample / 8);
    std::vector<BYTE> out;
    PutTag(out, "RIFF");
    Put32(out, kHeaderBytes - 8);
    PutTag(out, "WAVE");
    PutTag(out, "fmt ");
    Put32(out, 16);
    Put16(out, WAVE_FORMAT_PCM);
    Put16(out, format.channels);
    Put32(out, format.samplesPerSecond);
    Put32(out, format.samplesPerSecond * blockAlign);
    Put16(out, blockAlign);
    Put16(out, format.bitsPerSample);
    PutTag(out, "data");
    Put32(out, 0);
    return out;
}

}  // namespace

std::optional<PcmFormat> PcmFormatOf(int type) {
    // SAFT8kHz8BitMono (4) to SAFT48kHz16BitStereo (39): nine rates, each in the order
    // 8-bit mono, 8-bit stereo, 16-bit mono, 16-bit stereo.
    static constexpr DWORD kRates[] = {8000, 11025, 12000, 16000, 22050, 24000, 32000, 44100, 48000};
    if (type < 4 || type > 39) return std::nullopt;
    const int variant = (type - 4) % 4;
    return PcmFormat{kRates[(type - 4) / 4], static_cast<WORD>(variant < 2 ? 8 : 16),
                     static_cast<WORD>(variant % 2 == 0 ? 1 : 2)};
}

DWORD SamplesFor(std::wstring_view text, DWORD samplesPerSecond) {
    return samplesPerSecond / 10 + static_cast<DWORD>(text.size()) * (samplesPerSecond / 100);
}

std::optional<WavFile> WavFile::Create(const std::wstring& path, PcmFormat format) {
    UniqueFile file(::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                  CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return std::nullopt;
    WavFile wav(std::move(file), format);
    const std::vector<BYTE> header = Header(format);
    if (FAILED(wav.Write(header.data(), static_cast<DWORD>(header.size())))) return std::nullopt;
    return wav;
}

HRESULT WavFile::Render(std::wstring_view text) {
    // A quiet 440 Hz tone, so that the data is not mistaken for an empty rendering.
    const DWORD samples = SamplesFor(text, format_.samplesPerSecond);
    const double pi = std::acos(-1.0);
    std::vector<BYTE> pcm;
    pcm.reserve(static_cast<std::size_t>(samples) * format_.channels * format_.bitsPerSample / 8);
    for (DWORD i = 0; i < samples; ++i) {
        const double level = 0.25 * std::sin(2 * pi * 440.0 * i / format_.samplesPerSecond);
        for (WORD channel = 0; channel < format_.channels; ++channel) {
            if (format_.bitsPerSample == 8)
                pcm.push_back(static_cast<BYTE>(128 + std::lround(level * 127)));
            else
                Put16(pcm, static_cast<WORD>(static_cast<short>(std::lround(level * 32767))));
        }
    }
    if (HRESULT hr = Write(pcm.data(), static_cast<DWORD>(pcm.size())); FAILED(hr)) return hr;
    dataBytes_ += static_cast<DWORD>(pcm.size());
    if (!comment_.empty()) comment_ += '\n';
    comment_ += Utf8(text);
    return S_OK;
}

HRESULT WavFile::Finish() {
    std::vector<BYTE> tail;
    if (dataBytes_ % 2) tail.push_back(0);  // chunks start on even offsets
    if (!comment_.empty()) {
        const DWORD textBytes = static_cast<DWORD>(comment_.size() + 1);
        const DWORD paddedText = textBytes + textBytes % 2;
        PutTag(tail, "LIST");
        Put32(tail, 4 + 8 + paddedText);
        PutTag(tail, "INFO");
        PutTag(tail, "ICMT");
        Put32(tail, textBytes);
        tail.insert(tail.end(), comment_.begin(), comment_.end());
        tail.resize(tail.size() + 1 + paddedText - textBytes, 0);
    }
    HRESULT hr = Write(tail.data(), static_cast<DWORD>(tail.size()));
    const DWORD fileBytes = kHeaderBytes + dataBytes_ + static_cast<DWORD>(tail.size());
    if (SUCCEEDED(hr)) hr = WriteAt(kRiffSizeOffset, fileBytes - 8);
    if (SUCCEEDED(hr)) hr = WriteAt(kDataSizeOffset, dataBytes_);
    file_.reset();
    return hr;
}

HRESULT WavFile::Write(const void* bytes, DWORD size) {
    DWORD written = 0;
    if (size && (!::WriteFile(file_.get(), bytes, size, &written, nullptr) || written != size))
        return HRESULT_FROM_WIN32(::GetLastError());
    return S_OK;
}

HRESULT WavFile::WriteAt(LONGLONG offset, DWORD value) {
    LARGE_INTEGER position;
    position.QuadPart = offset;
    if (!::SetFilePointerEx(file_.get(), position, nullptr, FILE_BEGIN))
        return HRESULT_FROM_WIN32(::GetLastError());
    std::vector<BYTE> bytes;
    Put32(bytes, value);
    return Write(bytes.data(), static_cast<DWORD>(bytes.size()));
}

}  // namespace parlowen::sapi_recorder
