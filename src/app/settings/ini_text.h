// INI text read and changed with the semantics of the Windows profile functions
// GetPrivateProfileStringA and WritePrivateProfileStringA as Wine 8 implements them,
// byte for byte, so that a file written here equals the file Wine would write.
//
// What Wine does, and so what this does (measured under Wine 8.0, code page 936):
// - Lines end at any run of CR and LF. Each line is trimmed of blanks (tab, LF, VT, FF,
//   CR, ^Z and space); empty lines are skipped.
// - "[name]" starts a section: the name runs to the line's last "]" and is trimmed;
//   text after that "]" is dropped. A line starting "[" without "]" is a key line.
// - A key line is "name=value" (name and value trimmed at the "="), or a line without
//   "=" (a key without a value; comments starting ";" are such lines, or keys when
//   they hold "="). Lines before the first section belong to an unnamed section.
// - Section and key names match without regard to ASCII letter case; only the first
//   section of a name is searched, and in it the first key of that name counts.
// - A read strips one pair of matching surrounding quotes (" or ') and returns what a
//   2048-byte buffer holds: at most 2047 bytes, never half a double-byte character.
// - A write strips leading blanks from the value. When the key already holds exactly
//   that value, nothing changes and the file is left as it was. Otherwise the whole
//   file is written anew from what was parsed: blank lines and the blanks around "="
//   are gone, every line ends in CR LF, a missing key is added at the end of its
//   section and a missing section at the end of the file; other sections, keys and
//   comments are kept, in their order and spelling.
//   (Windows edits the one line in place and keeps the rest of the file as it was;
//   Wine normalises the whole file, and this follows Wine.)
// - Every call here starts from the file's bytes, as a fresh process does. Wine keeps
//   the parsed file between calls and parses it again only when it changed or was
//   written less than 2.1 seconds ago; so a value written with trailing blanks can
//   keep them in Wine's later rewrites where a fresh parse drops them. The program
//   never writes such values.
//
// Text is bytes in the ANSI code page, GBK here: double-byte characters are stepped
// over whole, so a trail byte that looks like "]" or a letter is never taken for one.
// Where Wine's conversion through UTF-16 changes bytes, this keeps them: bytes that
// are not valid GBK (Wine writes "?"), NUL bytes (names and values end at the first
// NUL here; Wine was seen to write such a file back empty), UTF-16 files (not
// understood here) and the case of letters beyond ASCII (Wine compares names as
// UTF-16, where those letters have case too).
// A UTF-8 byte-order mark is kept and the rest is taken as bytes.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace parlowen::settings {

// The size of the buffer the program reads values into, as it passes it to
// GetPrivateProfileStringA.
inline constexpr std::size_t kValueBufferSize = 2048;

class IniText {
public:
    // The text of a file that does not exist.
    IniText() = default;
    // Parses the bytes of a file. Any bytes at all are accepted.
    explicit IniText(std::string_view fileBytes);

    // What GetPrivateProfileStringA(section, key, "", buffer, kValueBufferSize) puts
    // into the buffer: "" when the section, the key or its value is missing.
    std::string Read(std::string_view section, std::string_view key) const;

    // WritePrivateProfileStringA(section, key, value). Returns whether the text
    // changed; when it did not, the profile functions leave the file untouched.
    bool Write(std::string_view section, std::string_view key, std::string_view value);

    // The bytes the profile functions write for this text.
    std::string Text() const;

private:
    struct Entry {
        std::string name;
        std::optional<std::string> value;  // none for a line without "="
    };
    struct Section {
        std::string name;  // "" for the lines before the first section header
        std::vector<Entry> entries;
    };

    Section* FindSection(std::string_view name);
    const Section* FindSection(std::string_view name) const;

    bool utf8Bom_ = false;
    std::vector<Section> sections_;
};

}  // namespace parlowen::settings
