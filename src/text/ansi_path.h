// Parts of a file path in ANSI (GBK) text, where a "\" can be the second byte of a
// double-byte character.
#pragma once

#include <string>
#include <string_view>

namespace parlowen::text {

// The file name without its folder and its extension: the text after the last "\" or
// ":", cut at its last "." ("C:\a\parlowen.exe" gives "parlowen"; a name without "."
// is kept whole). The path is ANSI (GBK) text: a "\" that is the second byte of a
// double-byte character is not a separator.
std::string ExeBaseName(std::string_view path);

// The folder of a file: its path up to and including the last "\" or ":" ("C:\a\b.exe"
// gives "C:\a\"; a bare name gives ""). GBK-aware like ExeBaseName.
std::string FolderOf(std::string_view path);

}  // namespace parlowen::text
