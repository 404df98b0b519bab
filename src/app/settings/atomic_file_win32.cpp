// The Windows side of atomic_file.h. It sits in the portable core because IniFileStore
// needs it in every build; it is the core's only file that includes <windows.h>.
#include "app/settings/atomic_file.h"

#include <windows.h>

namespace parlowen::settings {
namespace {

class FileHandle {
public:
    explicit FileHandle(HANDLE handle) noexcept : handle_(handle) {}
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    ~FileHandle() {
        if (valid()) ::CloseHandle(handle_);
    }
    HANDLE get() const noexcept { return handle_; }
    bool valid() const noexcept { return handle_ != INVALID_HANDLE_VALUE; }
    bool Close() noexcept {
        const HANDLE handle = handle_;
        handle_ = INVALID_HANDLE_VALUE;
        return ::CloseHandle(handle) != FALSE;
    }

private:
    HANDLE handle_;
};

bool WriteAll(HANDLE file, std::string_view bytes) {
    while (!bytes.empty()) {
        const DWORD chunk = bytes.size() > 1u << 30 ? 1u << 30 : static_cast<DWORD>(bytes.size());
        DWORD written = 0;
        if (!::WriteFile(file, bytes.data(), chunk, &written, nullptr) || written == 0) return false;
        bytes.remove_prefix(written);
    }
    return true;
}

}  // namespace

FileContents ReadWholeFile(const std::string& path) {
    FileHandle file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) {
        const DWORD error = ::GetLastError();
        const bool missing = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
        return {missing ? FileReadStatus::Missing : FileReadStatus::Failed, {}};
    }
    FileContents contents{FileReadStatus::Read, {}};
    char chunk[65536];
    for (;;) {
        DWORD count = 0;
        if (!::ReadFile(file.get(), chunk, sizeof chunk, &count, nullptr)) return {FileReadStatus::Failed, {}};
        if (count == 0) break;
        contents.bytes.append(chunk, count);
    }
    return contents;
}

bool ReplaceFileContents(const std::string& path, std::string_view bytes) {
    const std::string temporary = path + ".tmp";
    FileHandle file(::CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) return false;
    const bool written = WriteAll(file.get(), bytes) && ::FlushFileBuffers(file.get());
    const bool closed = file.Close();
    if (!written || !closed || !::MoveFileExA(temporary.c_str(), path.c_str(),
                                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        ::DeleteFileA(temporary.c_str());
        return false;
    }
    return true;
}

}  // namespace parlowen::settings
