// Who wrote a message: one idea for the capture that tells it, the speech that voices
// it and the log that colours it.
#pragma once

#include <string>

namespace parlowen::chat {

// The user; the friend a one-to-one chat window is with; or a member of a group chat,
// anyone there but the user.
enum class Role : unsigned char { Mine, Friend, Member };

struct Speaker {
    Role role = Role::Mine;
    std::string name;  // as spoken: the sender the header line names
    std::string number;  // a group member's number, where the header line shows one
    bool operator==(const Speaker&) const = default;
};

}  // namespace parlowen::chat
