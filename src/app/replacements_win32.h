// The user's own replacements, kept in "replacements.txt" beside set.ini: edited on the
// page "群聊与朗读" or by hand in any editor, and read again whenever the file changes.
// A line that is no replacement is reported with its number and passed over; it stays in
// the file for the user to mend.
#pragma once

#include "speech/replacements.h"

#include <windows.h>

#include <string>
#include <string_view>

namespace parlowen::app {

inline constexpr std::string_view kReplacementsFileName = "replacements.txt";

class ReplacementsWin32 {
public:
    // Reads the file; throws a report of a file that cannot be read, or of the lines
    // passed over.
    void Load();
    // Called once a second: whether the file is to be read again, having been written
    // since it was last read and stayed as it is since the last call, so that an editor's
    // save is not caught halfway.
    bool ChangedOnDisk();
    // Takes `list` as the user typed it on the page: used at once and written to the
    // file; throws a report of a failed write or of the lines passed over.
    void Apply(const std::wstring& list);

    const speech::Replacements& words() const noexcept { return words_; }
    const std::wstring& text() const noexcept { return text_; }

private:
    // When the file was written and how long it is; both 0 when there is none.
    struct Stamp {
        ULONGLONG written = 0, size = 0;
        bool operator==(const Stamp&) const = default;
    };
    static Stamp FileStamp();
    // Parses `text_`; throws the report of the lines passed over.
    void Use(std::wstring text);

    speech::Replacements words_;
    std::wstring text_;
    Stamp read_, seen_;  // as last read, and as seen at the last call
};

}  // namespace parlowen::app
