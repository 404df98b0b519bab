// The capture tick: once a second, the last message of the tracked chat window is
// taken out of its transcript and, when it is new, spoken and written to the log.
#pragma once

#include "capture/chat_tracking.h"
#include "capture/chat_windows.h"

#include <string>
#include <string_view>

namespace parlowen::capture {

// The reading options as the user has set them at the moment of asking.
struct ReadingOptions {
    bool readMine = true;         // CBMe
    bool readMyName = true;       // CBmyname
    bool readFriend = true;       // CBFriend
    bool readFriendsName = true;  // CBFriendsname
    bool showTime = true;         // NShowTime1
    bool operator==(const ReadingOptions&) const = default;
};

// Who wrote a message: the user, or the friend the chat window is with.
enum class Sender { Mine, Friend };

// Where a handled message goes: the reading options, the two voices and the log.
class CaptureOutput {
public:
    virtual ~CaptureOutput() = default;
    virtual ReadingOptions Options() = 0;
    virtual void SpeakMine(std::string_view text) = 0;
    virtual void SpeakFriend(std::string_view text) = 0;
    virtual void AppendLogEntry(std::string_view header, std::string_view body, Sender sender) = 0;
};

class CaptureTick {
public:
    // The tick's work (Timer2Timer) once the tracked window's transcript has been read,
    // on the reader's thread: `history` as ReadHistory gave it for the chat window titled
    // `chatTitle`, whose title also tells the friend's messages from the user's own. Its
    // last message is handled when it has a body and its header differs from
    // LastHeaderSeen.
    void Handle(std::string_view chatTitle, std::string_view history, CaptureOutput& output);

    // The header line of the last message handled; empty until one has been.
    const std::string& LastHeaderSeen() const noexcept { return lastHeaderSeen_; }

private:
    std::string lastHeaderSeen_;
};

}  // namespace parlowen::capture
