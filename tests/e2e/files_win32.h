// Files the end-to-end cases read and write: whole files as bytes, and WAV files as
// their chunks describe them.
#pragma once

#include <windows.h>

#include <cstddef>
#include <optional>
#include <string>

namespace e2e {

// A file or folder of that name is there.
inline bool Exists(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }
// The file's bytes; empty when it cannot be read.
std::string FileBytes(const std::wstring& path);
// Creates or replaces the file with `bytes`.
void WriteFileBytes(const std::wstring& path, const std::string& bytes);

// What a WAV file says about itself, read chunk by chunk.
struct WavFacts {
    std::size_t fileBytes = 0;
    DWORD riffBytes = 0;
    WORD formatTag = 0;
    WORD channels = 0;
    DWORD samplesPerSecond = 0;
    DWORD bytesPerSecond = 0;
    WORD blockAlign = 0;
    WORD bitsPerSample = 0;
    std::optional<DWORD> dataBytes;
    std::string comment;  // LIST/INFO/ICMT without its closing NUL
};
// Nothing when the file is not a RIFF/WAVE file or a chunk runs past its end.
std::optional<WavFacts> ReadWav(const std::wstring& path);

}  // namespace e2e
