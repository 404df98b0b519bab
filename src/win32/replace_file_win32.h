// Writing a file through a temporary one beside it, which takes the file's place only
// once it is complete: a failure at any point leaves the earlier file as it was.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>

namespace parlowen::win32 {

// The temporary file for a write to `target`: beside it, so on the same volume. Until
// Commit, the owner removes it again when it goes.
class PendingReplacement {
public:
    explicit PendingReplacement(std::wstring target);
    ~PendingReplacement();
    PendingReplacement(const PendingReplacement&) = delete;
    PendingReplacement& operator=(const PendingReplacement&) = delete;

    // Where to write.
    const std::wstring& path() const noexcept { return temporary_; }
    // How much has been written there so far (0 when that cannot be told).
    std::uint64_t BytesWritten() const;
    // Puts the temporary file in the place of the target. An existing target keeps its
    // identity (its attributes, security and creation time) as ReplaceFile gives it, as
    // editors on Windows do; a new one is moved into place. Throws PlatformError
    // "what: the system's reason", and the temporary file is then removed when the
    // owner goes.
    void Commit(const std::string& what);

private:
    std::wstring target_, temporary_;
    bool committed_ = false;
};

// Writes `bytes` as the whole content of `target` through a PendingReplacement: the
// earlier file stays as it was unless all of them are written. Throws PlatformError
// "what: the system's reason".
void WriteFileReplacing(const std::wstring& target, std::string_view bytes, const std::string& what);

}  // namespace parlowen::win32
