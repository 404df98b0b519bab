// The WAV file that a recorder file stream renders speech into: a PCM header, a tone
// whose length follows the text, and the texts themselves as the file's comment
// (LIST/INFO/ICMT, UTF-8), so that tests can tell what was spoken into it.
#pragma once

#include "win32/handles_win32.h"

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

namespace parlowen::sapi_recorder {

using win32::UniqueFile;

struct PcmFormat {
    DWORD samplesPerSecond;
    WORD bitsPerSample;
    WORD channels;
};

// The PCM format of a SpeechAudioFormatType from SAFT8kHz8BitMono to SAFT48kHz16BitStereo.
std::optional<PcmFormat> PcmFormatOf(int speechAudioFormatType);

// Samples rendered for one text: a tenth of a second plus a hundredth per UTF-16 unit.
DWORD SamplesFor(std::wstring_view text, DWORD samplesPerSecond);

class WavFile {
public:
    // Creates the file, or empties an existing one; GetLastError explains a failure.
    static std::optional<WavFile> Create(const std::wstring& path, PcmFormat format);

    HRESULT Render(std::wstring_view text);
    // Writes the comment and the final chunk sizes, and closes the file.
    HRESULT Finish();

private:
    WavFile(UniqueFile file, PcmFormat format) : file_(std::move(file)), format_(format) {}
    HRESULT Write(const void* bytes, DWORD size);
    HRESULT WriteAt(LONGLONG offset, DWORD value);

    UniqueFile file_;
    PcmFormat format_;
    DWORD dataBytes_ = 0;
    std::string comment_;
};

}  // namespace parlowen::sapi_recorder
