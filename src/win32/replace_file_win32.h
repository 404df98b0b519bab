// Writing a file through a temporary one beside it, which takes the file's place only
// once it is complete: a failure at any point leaves the earlier file as it was.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>

namespace parlowen::win32 {

// The temporary file written before it replaces `path`: beside it, so on the same volume.
std::wstring TemporaryBeside(const std::wstring& path);

// Puts `temporary` in the place of `target`. An existing target keeps its identity (its
// attributes, security and creation time) as ReplaceFile gives it, as editors on Windows
// do; a new one is moved into place. Throws PlatformError "what: the system's reason",
// leaving the temporary file to the caller.
void ReplaceWithTemporary(const std::wstring& temporary, const std::wstring& target, const std::string& what);

// The size of the file at `path`, or nothing when it cannot be asked.
std::optional<std::uint64_t> FileSize(const std::wstring& path);

}  // namespace parlowen::win32
