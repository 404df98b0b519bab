#include "files_win32.h"

#include "win32/handles_win32.h"

namespace e2e {

using parlowen::win32::UniqueFile;

std::string FileBytes(const std::wstring& path) {
    const UniqueFile file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    std::string bytes;
    if (!file) return bytes;
    char buffer[65536];
    DWORD read = 0;
    while (::ReadFile(file.get(), buffer, sizeof buffer, &read, nullptr) && read > 0) bytes.append(buffer, read);
    return bytes;
}

void WriteFileBytes(const std::wstring& path, const std::string& bytes) {
    const UniqueFile file(
        ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    if (file) ::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

namespace {

DWORD Read32(const std::string& bytes, std::size_t at) {
    DWORD value = 0;
    for (int i = 3; i >= 0; --i) value = (value << 8) | static_cast<unsigned char>(bytes.at(at + i));
    return value;
}

WORD Read16(const std::string& bytes, std::size_t at) {
    return static_cast<WORD>(static_cast<unsigned char>(bytes.at(at)) | static_cast<unsigned char>(bytes.at(at + 1)) << 8);
}

}  // namespace

std::optional<WavFacts> ReadWav(const std::wstring& path) {
    const std::string bytes = FileBytes(path);
    if (bytes.size() < 12 || bytes.compare(0, 4, "RIFF") != 0 || bytes.compare(8, 4, "WAVE") != 0) return std::nullopt;
    WavFacts facts;
    facts.fileBytes = bytes.size();
    facts.riffBytes = Read32(bytes, 4);
    for (std::size_t at = 12; at + 8 <= bytes.size();) {
        const std::string id = bytes.substr(at, 4);
        const DWORD size = Read32(bytes, at + 4);
        const std::size_t body = at + 8;
        if (body + size > bytes.size()) return std::nullopt;
        if (id == "fmt ") {
            facts.formatTag = Read16(bytes, body);
            facts.channels = Read16(bytes, body + 2);
            facts.samplesPerSecond = Read32(bytes, body + 4);
            facts.bytesPerSecond = Read32(bytes, body + 8);
            facts.blockAlign = Read16(bytes, body + 12);
            facts.bitsPerSample = Read16(bytes, body + 14);
        } else if (id == "data") {
            facts.dataBytes = size;
        } else if (id == "LIST" && bytes.compare(body, 4, "INFO") == 0) {
            for (std::size_t sub = body + 4; sub + 8 <= body + size;) {
                const DWORD subSize = Read32(bytes, sub + 4);
                if (bytes.compare(sub, 4, "ICMT") == 0) {
                    facts.comment = bytes.substr(sub + 8, subSize);
                    if (!facts.comment.empty() && facts.comment.back() == '\0') facts.comment.pop_back();
                }
                sub += 8 + subSize + subSize % 2;
            }
        }
        at = body + size + size % 2;
    }
    return facts;
}

}  // namespace e2e
