// Giving a file new content without ever losing the old: the new content is written
// whole into a temporary file beside the file first, and only then takes its place. A
// link keeps being a link: the file it leads to is the one replaced.
//
// Two ways of taking the place, as the system makes sound:
//  - Swap (Windows): ReplaceFile with a backup name, which keeps the file's attributes,
//    security and creation time. It may fail halfway (1176, 1177); the file's old
//    content is then put back from the backup.
//  - Overwrite (Wine): the old content is copied to a backup, and the new is copied into
//    the file itself, which so keeps its identity: its Unix mode, owner and links.
//    Wine's ReplaceFile makes a new file with the default mode (a private 0600 log
//    becomes 0644) and, given a link, deletes the file the link leads to.
// Temporary names cannot be guessed and are created new, so that nothing planted or
// left at such a name is ever written through or deleted: a save deletes only files
// it made itself. On a failure after the new content was written whole, the file keeps
// its old content, and the error names where the new content is kept.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>

namespace parlowen::win32 {

// What a replacement needs of the file system. Results are system error codes, 0 for
// success.
class ReplacementFiles {
public:
    virtual ~ReplacementFiles() = default;
    // The file `path` names, through any links; nothing when there is none.
    virtual std::optional<std::wstring> ExistingFile(const std::wstring& path) = 0;
    // Makes an empty file at `path`, failing when anything is there already.
    virtual unsigned long CreateNew(const std::wstring& path) = 0;
    virtual unsigned long Delete(const std::wstring& path) = 0;
    // Renames `from` to `to`, where nothing may be.
    virtual unsigned long Move(const std::wstring& from, const std::wstring& to) = 0;
    // ReplaceFile: `replacement` takes the place of `target`, which goes to `backup`.
    virtual unsigned long Replace(const std::wstring& target, const std::wstring& replacement,
                                  const std::wstring& backup) = 0;
    // Writes the content of `from` into the existing file `into`, truncated to it.
    virtual unsigned long CopyContent(const std::wstring& from, const std::wstring& into) = 0;
    // A name part no one can guess.
    virtual std::wstring RandomPart() = 0;
    // The system's words for an error, and a path as messages show it.
    virtual std::string Describe(unsigned long error) = 0;
    virtual std::string Shown(const std::wstring& path) = 0;
};

enum class ReplacementWay { Swap, Overwrite };

// Its error messages read "<what>: <the system's reason>", and say where each copy is
// kept when one was kept.
class FileReplacement {
public:
    // Creates the temporary file beside the file `target` names. Throws when none can
    // be created.
    FileReplacement(ReplacementFiles& files, std::wstring target, ReplacementWay way, const std::string& what);
    // Removes the temporary file unless it was committed or kept for the user.
    ~FileReplacement();
    FileReplacement(const FileReplacement&) = delete;
    FileReplacement& operator=(const FileReplacement&) = delete;

    // Where to write the new content.
    const std::wstring& path() const noexcept { return temporary_; }
    // Puts the new content in the place of the file. Throws std::runtime_error "what:
    // reason", the file then holding its old content.
    void Commit(const std::string& what);

    // How many names are tried before the temporary file is given up on.
    static constexpr int kNameAttempts = 8;

private:
    // A new empty file beside the target, with an unguessable name ending in `suffix`.
    std::wstring CreateBeside(const std::wstring& suffix, const std::string& what);
    void MoveIntoPlace(const std::string& what);
    void Swap(const std::string& what);
    void Overwrite(const std::string& what);
    [[noreturn]] void Fail(const std::string& what, unsigned long error, const std::string& kept);

    ReplacementFiles& files_;
    std::wstring target_;                // the path the user chose
    std::optional<std::wstring> file_;   // the file it leads to, when there is one
    ReplacementWay way_;
    std::wstring temporary_;
    bool removeTemporary_ = true;
};

}  // namespace parlowen::win32
