// The people the program knows: the user's nicknames, which the capture keeps, and the
// group members with their voices. Loaded from the people file at start-up and written
// back whenever they change, so that a crash loses nothing learned before it.
#pragma once

#include "capture/capture_tick.h"
#include "speech/member_voices.h"

#include <string>
#include <vector>

namespace parlowen::app {

class PeopleWin32 {
public:
    explicit PeopleWin32(capture::CaptureTick& tick) : tick_(tick) {}

    // Reads the people file. When it cannot be read the failure is thrown, and nothing
    // is written to it during this run, so that what it holds is not lost.
    void Load();
    // Writes the file when anything changed since it was last written. A failure is
    // thrown once; the same failure again is not, so a full disk does not bring up a
    // report every second. Whether anything had changed.
    bool SaveIfChanged();

    speech::MemberVoices& members() noexcept { return members_; }
    capture::CaptureTick& tick() noexcept { return tick_; }

private:
    capture::CaptureTick& tick_;
    speech::MemberVoices members_;
    bool loaded_ = false;
    bool unsaved_ = false;  // a change whose writing failed: tried again each time
    std::vector<std::string> savedUserNames_;
    std::string lastFailure_;
};

}  // namespace parlowen::app
