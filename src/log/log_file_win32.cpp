#include "log/log_file_win32.h"

#include "log/log_file_format.h"
#include "win32/errors_win32.h"
#include "win32/handles_win32.h"
#include "win32/replace_file_win32.h"
#include "win32/text_win32.h"

#include <richedit.h>

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <string>
#include <string_view>

namespace parlowen::log {
namespace {

struct StreamBuffer {
    std::string bytes;
    std::size_t position = 0;
};

DWORD CALLBACK ReadFromBuffer(DWORD_PTR cookie, LPBYTE out, LONG size, LONG* done) {
    auto& buffer = *reinterpret_cast<StreamBuffer*>(cookie);
    const std::size_t count = std::min<std::size_t>(static_cast<std::size_t>(size), buffer.bytes.size() - buffer.position);
    std::memcpy(out, buffer.bytes.data() + buffer.position, count);
    buffer.position += count;
    *done = static_cast<LONG>(count);
    return 0;
}

DWORD CALLBACK WriteToBuffer(DWORD_PTR cookie, LPBYTE in, LONG size, LONG* done) {
    reinterpret_cast<StreamBuffer*>(cookie)->bytes.append(reinterpret_cast<const char*>(in), static_cast<std::size_t>(size));
    *done = size;
    return 0;
}

// Streams `bytes` into the control, replacing its content; false when the control refused them.
bool StreamIn(HWND richEdit, std::string bytes, UINT format) {
    StreamBuffer buffer{std::move(bytes)};
    EDITSTREAM stream{reinterpret_cast<DWORD_PTR>(&buffer), 0, &ReadFromBuffer};
    ::SendMessageA(richEdit, EM_STREAMIN, format, reinterpret_cast<LPARAM>(&stream));
    return stream.dwError == 0;
}

// The control's content in `format`.
std::string StreamOut(HWND richEdit, UINT format) {
    StreamBuffer buffer;
    EDITSTREAM stream{reinterpret_cast<DWORD_PTR>(&buffer), 0, &WriteToBuffer};
    ::SendMessageA(richEdit, EM_STREAMOUT, format, reinterpret_cast<LPARAM>(&stream));
    return std::move(buffer.bytes);
}

std::string ReadWholeFile(const std::string& path) {
    const std::string what = "Cannot open " + path;
    const win32::UniqueFile file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                               nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    win32::ThrowLastErrorIf(!file, what.c_str());
    LARGE_INTEGER size{};
    win32::ThrowLastErrorIf(!::GetFileSizeEx(file.get(), &size), what.c_str());
    if (size.QuadPart > static_cast<LONGLONG>(kLargestLogFileBytes))
        throw std::runtime_error(what + ": the file is larger than " + std::to_string(kLargestLogFileBytes >> 20) +
                                 " MB, more than the log can show");
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(size.QuadPart));
    char chunk[65536];
    DWORD count = 0;
    for (;;) {
        win32::ThrowLastErrorIf(!::ReadFile(file.get(), chunk, sizeof chunk, &count, nullptr), what.c_str());
        if (count == 0) break;
        bytes.append(chunk, count);
    }
    return bytes;
}

}  // namespace

void OpenLogFile(HWND richEdit, const std::string& path) {
    std::string content = ReadWholeFile(path);
    // What the log held, put back should the control fail to take the file in.
    const std::string previous = StreamOut(richEdit, SF_RTF);
    if (FormatForOpening(content) == LogFileFormat::Rtf && StreamIn(richEdit, content, SF_RTF)) return;
    // Not RTF after all (or damaged): read again from its start as plain text.
    if (StreamIn(richEdit, std::move(content), SF_TEXT)) return;
    StreamIn(richEdit, previous, SF_RTF);
    throw std::runtime_error("Cannot open " + path + ": the log could not take in its content");
}

void SaveLogFile(HWND richEdit, const std::string& path, bool plainText) {
    const std::string content = StreamOut(richEdit, plainText ? SF_TEXT : SF_RTF);

    win32::WriteFileReplacing(win32::AnsiToWide(path), content, "Cannot save " + path);
}

}  // namespace parlowen::log
