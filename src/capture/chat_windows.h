// The window services the chat capture needs of the platform, and nothing more.
#pragma once

#include <string>
#include <string_view>

namespace parlowen::capture {

class ChatWindows {
public:
    virtual ~ChatWindows() = default;

    // The title of the window in the foreground as ANSI bytes, at most 254 of them;
    // empty when there is no foreground window or it has no title.
    virtual std::string ForegroundTitle() = 0;

    // ANSI text (the system code page) converted to UTF-16.
    virtual std::u16string AnsiToUnicode(std::string_view text) = 0;

    // The text of the first direct child of class "RichEdit20A" of the top-level window
    // titled exactly `title`, line breaks as CR LF: all of it, or its end from a little
    // before the last header line on, which the parsers read exactly as all of it;
    // empty on any failure: no such window, no such child, an empty control, or a
    // messenger that does not answer.
    virtual std::string ReadHistory(std::string_view title) = 0;
};

}  // namespace parlowen::capture
