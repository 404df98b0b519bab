#include "win32/replace_file_win32.h"

#include "win32/errors_win32.h"
#include "win32/handles_win32.h"

#include <utility>

namespace parlowen::win32 {

PendingReplacement::PendingReplacement(std::wstring target)
    : target_(std::move(target)), temporary_(target_ + L".parlowen-saving") {}

PendingReplacement::~PendingReplacement() {
    if (!committed_) ::DeleteFileW(temporary_.c_str());
}

std::uint64_t PendingReplacement::BytesWritten() const {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExW(temporary_.c_str(), GetFileExInfoStandard, &data)) return 0;
    return (std::uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
}

void PendingReplacement::Commit(const std::string& what) {
    const bool replaced =
        ::GetFileAttributesW(target_.c_str()) == INVALID_FILE_ATTRIBUTES
            ? ::MoveFileExW(temporary_.c_str(), target_.c_str(), MOVEFILE_WRITE_THROUGH)
            : ::ReplaceFileW(target_.c_str(), temporary_.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr,
                             nullptr);
    ThrowLastErrorIf(!replaced, what.c_str());
    committed_ = true;
}

void WriteFileReplacing(const std::wstring& target, std::string_view bytes, const std::string& what) {
    PendingReplacement pending(target);
    {
        const UniqueFile file(::CreateFileW(pending.path().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
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
