// Writing a file through a temporary one beside it, which takes the file's place only
// once it is complete: a failure at any point leaves the earlier file as it was.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

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

}  // namespace parlowen::win32
