// The message log: the two ways the program appends to the coloured log pane.
#pragma once

#include "chat/speaker.h"

#include <string_view>

namespace parlowen::log {

struct Colour {
    unsigned char red = 0;
    unsigned char green = 0;
    unsigned char blue = 0;

    friend bool operator==(const Colour&, const Colour&) = default;
};

inline constexpr Colour kMineHeaderColour{0, 128, 0};
inline constexpr Colour kFriendHeaderColour{0, 0, 255};
inline constexpr Colour kBodyColour{0, 0, 0};

// What appending needs of a rich-text pane. Positions and lengths are in the pane's
// own units (for a rich edit control: characters, a line break counting as one), and
// are only ever taken from TextLength, so the append rules never count bytes. Every
// operation but PlaceCaret works at the end of the text, so that appending costs the
// same however long the log has grown; a pane may put off placing the caret until the
// user can see it.
class LogPane {
public:
    virtual ~LogPane() = default;

    // Length of the whole text; also the position of its end.
    virtual long TextLength() = 0;
    // True when the pane is empty or its text ends with a line break, so that text
    // put at the end starts a line of its own.
    virtual bool EndsAtLineStart() = 0;
    // Inserts ANSI text at the end in `colour`, always as plain text, and leaves the
    // caret after it with nothing selected. A CR LF becomes one line break.
    virtual void InsertAtEnd(std::string_view text, Colour colour) = 0;
    // Puts the caret at `position` with nothing selected.
    virtual void PlaceCaret(long position) = 0;
    virtual void ScrollCaretIntoView() = 0;
};

// Appends `text` as a new last line of the log, untrimmed, in `colour`. Blank text and
// the bare joiner "说：" are never written. Never throws: a failing pane leaves the log
// as the pane left it.
void AppendLogLine(LogPane& pane, std::string_view text, Colour colour = kBodyColour) noexcept;

// Appends one message: `header` as a line in its writer's colour (the user's green, the
// friend's and the members' blue), then `body` in black.
// Leaves the caret at the start of the body with nothing selected and scrolls the entry
// into view.
void AppendLogEntry(LogPane& pane, std::string_view header, std::string_view body, chat::Role writer);

}  // namespace parlowen::log
