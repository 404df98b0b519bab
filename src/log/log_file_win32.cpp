#include "log/log_file_win32.h"

#include "log/log_control_win32.h"
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

struct StreamSource {
    std::string_view bytes;
    std::size_t position = 0;
};

DWORD CALLBACK ReadFromBuffer(DWORD_PTR cookie, LPBYTE out, LONG size, LONG* done) {
    auto& buffer = *reinterpret_cast<StreamSource*>(cookie);
    // An even count, so that UTF-16 text never stops inside a unit.
    const std::size_t count =
        std::min<std::size_t>(static_cast<std::size_t>(size) & ~std::size_t{1}, buffer.bytes.size() - buffer.position);
    std::memcpy(out, buffer.bytes.data() + buffer.position, count);
    buffer.position += count;
    *done = static_cast<LONG>(count);
    return 0;
}

DWORD CALLBACK WriteToBuffer(DWORD_PTR cookie, LPBYTE in, LONG size, LONG* done) {
    reinterpret_cast<std::string*>(cookie)->append(reinterpret_cast<const char*>(in), static_cast<std::size_t>(size));
    *done = size;
    return 0;
}

// Streams `bytes` into the control, replacing its content; false when the control refused them.
bool StreamIn(HWND richEdit, std::string_view bytes, UINT format) {
    StreamSource buffer{bytes};
    EDITSTREAM stream{reinterpret_cast<DWORD_PTR>(&buffer), 0, &ReadFromBuffer};
    ::SendMessageA(richEdit, EM_STREAMIN, format, reinterpret_cast<LPARAM>(&stream));
    return stream.dwError == 0;
}

// Plain text goes in as UTF-16 with each CR LF as the one CR a rich edit keeps. Wine's
// control reads text a block at a time: ANSI text loses a double-byte character that
// straddles two blocks, and a CR LF split between two blocks becomes two line breaks.
bool StreamInText(HWND richEdit, std::string_view ansi) {
    const std::wstring text = win32::AnsiToWide(ansi);
    std::wstring wide;
    wide.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        wide += text[i];
        if (text[i] == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n') ++i;
    }
    return StreamIn(richEdit, {reinterpret_cast<const char*>(wide.data()), wide.size() * sizeof(wchar_t)},
                    SF_TEXT | SF_UNICODE);
}

// The control's content in `format`.
std::string StreamOut(HWND richEdit, UINT format) {
    std::string bytes;
    EDITSTREAM stream{reinterpret_cast<DWORD_PTR>(&bytes), 0, &WriteToBuffer};
    ::SendMessageA(richEdit, EM_STREAMOUT, format, reinterpret_cast<LPARAM>(&stream));
    return bytes;
}

}  // namespace

LogFileToOpen::LogFileToOpen(const std::string& path) : what_("Cannot open " + path) {
    file_.reset(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
    win32::ThrowLastErrorIf(!file_, what_.c_str());
    LARGE_INTEGER size{};
    win32::ThrowLastErrorIf(!::GetFileSizeEx(file_.get(), &size), what_.c_str());
    size_ = static_cast<std::uint64_t>(size.QuadPart);
}

std::string LogFileToOpen::Read() {
    if (size_ > kLargestLogFileBytes)
        throw std::runtime_error(what_ + ": the file is larger than " + std::to_string(kLargestLogFileBytes >> 20) +
                                 " MB, more than a log Parlowen writes");
    std::string bytes(static_cast<std::size_t>(size_), '\0');
    std::size_t done = 0;
    while (done < bytes.size()) {
        DWORD count = 0;
        const auto wanted = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 20));
        win32::ThrowLastErrorIf(!::ReadFile(file_.get(), bytes.data() + done, wanted, &count, nullptr),
                                what_.c_str());
        if (count == 0) break;  // the file shrank meanwhile
        done += count;
    }
    bytes.resize(done);
    return bytes;
}

win32::UniqueWindow ControlHoldingLog(HWND current, HFONT font, std::string_view content, const std::string& path) {
    win32::UniqueWindow fresh = NewControlLike(current, font);
    const bool taken = (FormatForOpening(content) == LogFileFormat::Rtf && StreamIn(fresh.get(), content, SF_RTF)) ||
                       // Not RTF after all (or damaged): read again from its start as plain text.
                       StreamInText(fresh.get(), content);
    if (!taken) throw std::runtime_error("Cannot open " + path + ": the log could not take in its content");
    // Whatever the file ends with, the next entry looks at it before going in.
    ::SendMessageW(fresh.get(), EM_SETMODIFY, TRUE, 0);
    return fresh;
}

void SaveLogFile(HWND richEdit, const std::string& path, bool plainText) {
    const std::string content = StreamOut(richEdit, plainText ? SF_TEXT : SF_RTF);

    win32::WriteFileReplacing(win32::AnsiToWide(path), content, "Cannot save " + path);
}

}  // namespace parlowen::log
