#include "win32/replace_file_win32.h"

#include "win32/errors_win32.h"
#include "win32/handles_win32.h"
#include "win32/random_name_win32.h"
#include "win32/text_win32.h"
#include "win32/wine_win32.h"

#include <string_view>
#include <utility>

namespace parlowen::win32 {
namespace {

unsigned long ErrorUnless(bool done) { return done ? 0 : ::GetLastError(); }

// A path as GetFinalPathNameByHandle gives it ("\\?\C:\…", "\\?\UNC\server\…") in the
// form the user knows; a path no drive maps keeps its "\\?\".
std::wstring WithoutLongPrefix(std::wstring path) {
    if (path.starts_with(L"\\\\?\\UNC\\")) return L"\\\\" + path.substr(8);
    if (path.starts_with(L"\\\\?\\") && path.size() > 6 && path[5] == L':') return path.substr(4);
    return path;
}

class Win32ReplacementFiles final : public ReplacementFiles {
public:
    std::optional<std::wstring> ExistingFile(const std::wstring& path) override {
        const UniqueFile file(::CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) {
            const DWORD error = ::GetLastError();
            if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return std::nullopt;
            return path;  // there, but not to be looked into: the replace will say why
        }
        // Windows XP has no file links, and no GetFinalPathNameByHandleW either.
        using FinalPath = DWORD(WINAPI*)(HANDLE, LPWSTR, DWORD, DWORD);
        const auto finalPath = reinterpret_cast<FinalPath>(
            reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "GetFinalPathNameByHandleW")));
        if (!finalPath) return path;
        std::wstring resolved(MAX_PATH, L'\0');
        DWORD length = finalPath(file.get(), resolved.data(), static_cast<DWORD>(resolved.size()), 0);
        if (length >= resolved.size()) {
            resolved.resize(length);
            length = finalPath(file.get(), resolved.data(), static_cast<DWORD>(resolved.size()), 0);
        }
        if (length == 0 || length >= resolved.size()) return path;
        resolved.resize(length);
        return WithoutLongPrefix(std::move(resolved));
    }

    unsigned long CreateNew(const std::wstring& path) override {
        const UniqueFile file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                                            nullptr));
        return ErrorUnless(static_cast<bool>(file));
    }

    unsigned long Delete(const std::wstring& path) override { return ErrorUnless(::DeleteFileW(path.c_str())); }

    unsigned long Move(const std::wstring& from, const std::wstring& to) override {
        return ErrorUnless(::MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH));
    }

    unsigned long Replace(const std::wstring& target, const std::wstring& replacement,
                          const std::wstring& backup) override {
        return ErrorUnless(::ReplaceFileW(target.c_str(), replacement.c_str(), backup.c_str(),
                                          REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr));
    }

    unsigned long CopyContent(const std::wstring& from, const std::wstring& into) override {
        const UniqueFile source(::CreateFileW(from.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!source) return ::GetLastError();
        // Opened, not created: the file keeps its identity, and so its mode and links.
        // Whoever is reading it meanwhile (a desktop its autostart entry) may go on.
        const UniqueFile target(::CreateFileW(into.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                              FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!target) return ::GetLastError();
        char chunk[64 * 1024];
        for (;;) {
            DWORD read = 0, written = 0;
            if (!::ReadFile(source.get(), chunk, sizeof chunk, &read, nullptr)) return ::GetLastError();
            if (read == 0) break;
            if (!::WriteFile(target.get(), chunk, read, &written, nullptr)) return ::GetLastError();
            if (written != read) return ERROR_DISK_FULL;
        }
        return ErrorUnless(::SetEndOfFile(target.get()) && ::FlushFileBuffers(target.get()));
    }

    std::wstring RandomPart() override { return UnguessableName(); }

    std::string Describe(unsigned long error) override { return SystemMessage(error); }
    std::string Shown(const std::wstring& path) override { return WideToAnsi(path); }
};

}  // namespace

PendingReplacement::PendingReplacement(const std::wstring& target, const std::string& what)
    : files_(std::make_unique<Win32ReplacementFiles>()),
      replacement_(std::make_unique<FileReplacement>(
          *files_, target, UnderWine() ? ReplacementWay::Overwrite : ReplacementWay::Swap, what)) {}

PendingReplacement::~PendingReplacement() = default;

const std::wstring& PendingReplacement::path() const noexcept { return replacement_->path(); }

std::uint64_t PendingReplacement::BytesWritten() const {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExW(path().c_str(), GetFileExInfoStandard, &data)) return 0;
    return (std::uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
}

void PendingReplacement::Commit(const std::string& what) { replacement_->Commit(what); }

void WriteFileReplacing(const std::wstring& target, std::string_view bytes, const std::string& what) {
    PendingReplacement pending(target, what);
    {
        // The temporary file is new and ours: opened, not created again.
        const UniqueFile file(::CreateFileW(pending.path().c_str(), GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING,
                                            FILE_ATTRIBUTE_NORMAL, nullptr));
        ThrowLastErrorIf(!file, what.c_str());
        DWORD written = 0;
        const bool wrote = ::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                           written == bytes.size() && ::FlushFileBuffers(file.get());
        ThrowLastErrorIf(!wrote, what.c_str());
    }
    pending.Commit(what);
}

}  // namespace parlowen::win32
