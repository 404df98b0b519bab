// Reading a whole file, and replacing one so that a process killed at any moment
// leaves either the old file or the new one, never a part of it. Paths are byte
// strings: ANSI code page on Windows, as the file system takes them elsewhere.
#pragma once

#include <string>
#include <string_view>

namespace parlowen::settings {

enum class FileReadStatus { Read, Missing, Failed };

struct FileContents {
    FileReadStatus status = FileReadStatus::Missing;
    std::string bytes;
};

// The file's bytes; Missing when neither it nor its folder exists.
FileContents ReadWholeFile(const std::string& path);

// Writes `bytes` to a temporary file beside `path`, flushes it to the disk and renames
// it over `path`. Returns false (and leaves no temporary file) when any step fails.
bool ReplaceFileContents(const std::string& path, std::string_view bytes);

}  // namespace parlowen::settings
