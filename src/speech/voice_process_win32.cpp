#include "speech/voice_process_win32.h"

#include "win32/running_exe_win32.h"

#include <utility>

namespace parlowen::speech {

VoiceProgram::VoiceProgram(std::wstring path) : path_(std::move(path)) {
    // Without a job (nested jobs are refused before Windows 8) the voice processes still
    // end by themselves when their input closes with this program.
    job_.reset(::CreateJobObjectW(nullptr, nullptr));
    if (job_) {
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
        limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
        if (!::SetInformationJobObject(job_.get(), JobObjectExtendedLimitInformation, &limits, sizeof(limits)))
            job_.reset();
    }
}

std::optional<std::wstring> VoiceProgram::BesideExecutable() {
    std::wstring path = win32::RunningExePathWide();
    if (path.empty()) return std::nullopt;
    path = path.substr(0, path.find_last_of(L"\\/") + 1) + L"parlowen-voice.exe.so";
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return std::nullopt;
    return path;
}

VoiceProcess::VoiceProcess(const VoiceProgram& program)
    : input_(win32::StoppablePipe::Direction::kToChild), output_(win32::StoppablePipe::Direction::kFromChild) {
    stop_.reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    win32::ThrowLastErrorIf(!stop_, "CreateEvent");
    // Its diagnostics (the sound libraries write some) must not mix with the replies.
    SECURITY_ATTRIBUTES inheritable{sizeof(inheritable), nullptr, TRUE};
    HANDLE nulDevice = ::CreateFileW(L"NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inheritable,
                                     OPEN_EXISTING, 0, nullptr);
    win32::UniqueKernelHandle nul(nulDevice == INVALID_HANDLE_VALUE ? nullptr : nulDevice);

    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = input_.childEnd();
    startup.hStdOutput = output_.childEnd();
    startup.hStdError = nul.get();
    std::wstring commandLine = L"\"" + program.path() + L"\"";
    PROCESS_INFORMATION info{};
    win32::ThrowLastErrorIf(!::CreateProcessW(program.path().c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                                              CREATE_NO_WINDOW | CREATE_SUSPENDED, nullptr, nullptr, &startup, &info),
                            "parlowen-voice");
    process_.reset(info.hProcess);
    processId_ = info.dwProcessId;
    if (program.job()) ::AssignProcessToJobObject(program.job(), info.hProcess);
    ::ResumeThread(info.hThread);
    ::CloseHandle(info.hThread);
    // Only the child holds its ends now, so they close when it ends.
    input_.CloseChildEnd();
    output_.CloseChildEnd();

    writer_ = std::thread([this] { WriteLines(); });
    reader_ = std::thread([this] { ReadLines(); });
}

VoiceProcess::~VoiceProcess() {
    ::TerminateProcess(process_.get(), 0);
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    // Its ends of the pipes may outlive it for a while; the stop event ends a read or
    // write that is waiting on them.
    ::SetEvent(stop_.get());
    writer_.join();
    reader_.join();
}

std::uint64_t VoiceProcess::Send(const protocol::Fields& command, bool keepReply) {
    std::lock_guard lock(mutex_);
    const std::uint64_t number = ++sent_;
    outbox_.push_back(protocol::EncodeCommand(number, command));
    sentAt_.push_back(::GetTickCount());
    if (keepReply) kept_[number] = std::nullopt;
    changed_.notify_all();
    return number;
}

std::optional<protocol::Fields> VoiceProcess::Reply(std::uint64_t command, DWORD timeoutMs, bool askAgain) {
    std::unique_lock lock(mutex_);
    const auto arrived = [&] { return broken_ || (kept_.count(command) && kept_[command].has_value()); };
    if (timeoutMs == INFINITE) changed_.wait(lock, arrived);
    else changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs), arrived);
    std::optional<protocol::Fields> reply;
    if (auto found = kept_.find(command); found != kept_.end()) {
        reply = std::move(found->second);
        if (reply || !askAgain || broken_) kept_.erase(found);
    }
    return reply;
}

bool VoiceProcess::Usable(DWORD answerTimeoutMs) const {
    std::lock_guard lock(mutex_);
    return !broken_ && (sentAt_.empty() || ::GetTickCount() - sentAt_.front() <= answerTimeoutMs);
}

bool VoiceProcess::Running() const { return ::WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT; }

bool VoiceProcess::Served() const {
    std::lock_guard lock(mutex_);
    return answered_ > 0;
}

void VoiceProcess::Break() {
    {
        std::lock_guard lock(mutex_);
        broken_ = true;
    }
    changed_.notify_all();
}

void VoiceProcess::WriteLines() {
    for (;;) {
        std::string line;
        {
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [&] { return stopping_ || broken_ || !outbox_.empty(); });
            if (stopping_ || broken_) return;
            line = std::move(outbox_.front());
            outbox_.pop_front();
        }
        if (!input_.Write(line.data(), static_cast<DWORD>(line.size()), stop_.get())) {
            Break();
            return;
        }
    }
}

void VoiceProcess::ReadLines() {
    protocol::LineBuffer lines(protocol::kLongestReply);
    char buffer[16384];
    while (const DWORD read = output_.Read(buffer, sizeof(buffer), stop_.get())) {
        lines.Append(std::string_view(buffer, read));
        while (const auto line = lines.NextLine()) {
            std::lock_guard lock(mutex_);
            if (!greeted_) {
                // Anything but our greeting is some other program, or another version.
                if (protocol::GreetingVersion(*line) != protocol::kVersion) {
                    broken_ = true;
                    changed_.notify_all();
                    return;
                }
                greeted_ = true;
                continue;
            }
            // Only the reply to the oldest command waiting counts; any other line neither
            // answers a command nor shows that the process still works.
            std::optional<protocol::Fields> reply = protocol::ReplyTo(answered_ + 1, *line);
            if (!reply) continue;
            const std::uint64_t number = ++answered_;
            if (!sentAt_.empty()) sentAt_.pop_front();
            if (auto kept = kept_.find(number); kept != kept_.end()) kept->second = std::move(reply);
            changed_.notify_all();
        }
        // A line longer than any reply: whatever writes it is no voice process to trust.
        if (lines.overlong()) {
            ::TerminateProcess(process_.get(), 0);
            break;
        }
    }
    Break();
}

}  // namespace parlowen::speech
