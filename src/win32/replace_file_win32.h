// Writing a file through a temporary one beside it, which takes the file's place only
// once it is complete: a failure at any point leaves the earlier file as it was (see
// file_replacement.h for how, on Windows and under Wine).
#pragma once

#include "win32/file_replacement.h"

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace parlowen::win32 {

// The temporary file for a write to `target`, made new under a name no one can guess.
// Until Commit, the owner removes it again when it goes.
class PendingReplacement {
public:
    // Throws PlatformError "what: the system's reason" when no temporary file can be made.
    PendingReplacement(const std::wstring& target, const std::string& what);
    ~PendingReplacement();
    PendingReplacement(const PendingReplacement&) = delete;
    PendingReplacement& operator=(const PendingReplacement&) = delete;

    // Where to write.
    const std::wstring& path() const noexcept;
    // How much has been written there so far (0 when that cannot be told).
    std::uint64_t BytesWritten() const;
    // Puts the temporary file's content in the place of the target. Throws
    // std::runtime_error "what: the system's reason", the target then holding its
    // earlier content and the message naming where the new content is kept.
    void Commit(const std::string& what);

private:
    std::unique_ptr<ReplacementFiles> files_;
    std::unique_ptr<FileReplacement> replacement_;
};

// Writes `bytes` as the whole content of `target` through a PendingReplacement: the
// earlier file stays as it was unless all of them are written. Throws
// "what: the system's reason".
void WriteFileReplacing(const std::wstring& target, std::string_view bytes, const std::string& what);

}  // namespace parlowen::win32
