// One running voice process of the eSpeak NG engine (parlowen-voice.exe.so): the
// process, pipes to its standard input and output, and two threads that do the blocking
// reads and writes, so that the GUI thread never waits on the process unless it asks
// for a reply.
#pragma once

#include "win32/errors_win32.h"
#include "win32/handles_win32.h"
#include "win32/stoppable_pipe_win32.h"
#include "speech/voice_protocol.h"

#include <windows.h>

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

namespace parlowen::speech {

// The voice program and the job object its processes run in: when the job's last
// handle closes, which happens also when parlowen.exe is killed, the system ends them.
class VoiceProgram {
public:
    explicit VoiceProgram(std::wstring path);
    // parlowen-voice.exe.so beside the running executable, or nothing without one.
    static std::optional<std::wstring> BesideExecutable();
    const std::wstring& path() const noexcept { return path_; }
    HANDLE job() const noexcept { return job_.get(); }

private:
    std::wstring path_;
    win32::UniqueKernelHandle job_;
};

class VoiceProcess {
public:
    // Starts the program; throws PlatformError when it cannot be started. Does not wait
    // for it: commands sent before it has greeted wait in the pipe.
    explicit VoiceProcess(const VoiceProgram& program);
    // Ends the process at once.
    ~VoiceProcess();
    VoiceProcess(const VoiceProcess&) = delete;
    VoiceProcess& operator=(const VoiceProcess&) = delete;

    // Queues a command and returns its number; never waits. With keepReply, Reply can
    // fetch the answer.
    std::uint64_t Send(const protocol::Fields& command, bool keepReply = false);
    // The reply to a command sent with keepReply, waiting at most timeoutMs (INFINITE:
    // as long as the process lives); nothing when it ended or the time ran out. With
    // askAgain, a reply that has not come in time can still be asked for later.
    std::optional<protocol::Fields> Reply(std::uint64_t command, DWORD timeoutMs, bool askAgain = false);

    // False once the process has broken a pipe (as it does when it ends), greeted with
    // another protocol version, or left a command unanswered for longer than
    // answerTimeoutMs. Asks nothing of the system, so it costs next to nothing.
    bool Usable(DWORD answerTimeoutMs) const;
    // Whether the system still runs it, which a pipe may not show yet just after its end.
    bool Running() const;
    // Whether it has answered a command, even if it has ended since.
    bool Served() const;
    DWORD processId() const noexcept { return processId_; }

private:
    void WriteLines();
    void ReadLines();
    void Break();

    win32::UniqueKernelHandle process_;
    DWORD processId_ = 0;
    win32::StoppablePipe input_;   // its standard input
    win32::StoppablePipe output_;  // its standard output
    win32::UniqueKernelHandle stop_;  // signalled when this object goes

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::string> outbox_;
    std::deque<DWORD> sentAt_;  // tick counts of the commands still unanswered, oldest first
    std::uint64_t sent_ = 0, answered_ = 0;
    std::map<std::uint64_t, std::optional<protocol::Fields>> kept_;  // wanted replies, empty until they come
    bool greeted_ = false, broken_ = false, stopping_ = false;

    std::thread writer_;
    std::thread reader_;
};

}  // namespace parlowen::speech
