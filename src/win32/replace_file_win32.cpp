#include "win32/replace_file_win32.h"

#include "win32/errors_win32.h"

namespace parlowen::win32 {

std::wstring TemporaryBeside(const std::wstring& path) { return path + L".parlowen-saving"; }

void ReplaceWithTemporary(const std::wstring& temporary, const std::wstring& target, const std::string& what) {
    const bool replaced =
        ::GetFileAttributesW(target.c_str()) == INVALID_FILE_ATTRIBUTES
            ? ::MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH)
            : ::ReplaceFileW(target.c_str(), temporary.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr,
                             nullptr);
    ThrowLastErrorIf(!replaced, what.c_str());
}

std::optional<std::uint64_t> FileSize(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return std::nullopt;
    return (std::uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
}

}  // namespace parlowen::win32
