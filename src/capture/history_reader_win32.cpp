#include "capture/history_reader_win32.h"

#include "win32/errors_win32.h"

#include <utility>

namespace parlowen::capture {
namespace {

class Locked {
public:
    explicit Locked(CRITICAL_SECTION& lock) : lock_(lock) { ::EnterCriticalSection(&lock_); }
    Locked(const Locked&) = delete;
    Locked& operator=(const Locked&) = delete;
    ~Locked() { ::LeaveCriticalSection(&lock_); }

private:
    CRITICAL_SECTION& lock_;
};

}  // namespace

HistoryReaderWin32::HistoryReaderWin32(HWND notify, UINT readMessage, UINT changedMessage)
    : notify_(notify), readMessage_(readMessage), changedMessage_(changedMessage) {
    ::InitializeCriticalSection(&lock_);
    wake_.reset(::CreateEventW(nullptr, FALSE, FALSE, nullptr));
    if (wake_) thread_.reset(::CreateThread(nullptr, 0, &HistoryReaderWin32::Run, this, 0, nullptr));
    if (!thread_) {
        const DWORD error = ::GetLastError();
        ::DeleteCriticalSection(&lock_);
        ::SetLastError(error);
        win32::ThrowLastErrorIf(true, "CreateThread");
    }
}

HistoryReaderWin32::~HistoryReaderWin32() {
    stopping_ = true;
    ::SetEvent(wake_.get());
    ::WaitForSingleObject(thread_.get(), INFINITE);
    ::DeleteCriticalSection(&lock_);
}

void HistoryReaderWin32::Start(std::vector<ChatRead> requests) {
    if (busy_ || requests.empty()) return;
    busy_ = true;
    {
        Locked locked(lock_);
        requests_ = std::move(requests);
    }
    asked_ = true;
    ::SetEvent(wake_.get());
}

std::optional<std::vector<WindowRead>> HistoryReaderWin32::Take() {
    std::optional<std::vector<WindowRead>> read;
    {
        Locked locked(lock_);
        read = std::exchange(result_, std::nullopt);
    }
    if (read) busy_ = false;
    return read;
}

bool HistoryReaderWin32::AwaitRequests(bool& changeReported) {
    for (;;) {
        // Between looks the watch sleeps: under Wine a Sleep asks nothing of the
        // wineserver, where a wait with a timeout costs it a request and a wake-up at the
        // timeout. Reads asked for meanwhile start when the sleep ends.
        const bool sleeping = histories_.Watching() && !changeReported;
        DWORD woken = WAIT_TIMEOUT;
        if (sleeping)
            ::Sleep(ChatHistoriesWin32::kWatchIntervalMs);
        else
            woken = ::WaitForSingleObject(wake_.get(), histories_.Watching() ? ChatHistoriesWin32::kWatchIntervalMs : INFINITE);
        if (stopping_ || (woken != WAIT_OBJECT_0 && woken != WAIT_TIMEOUT)) return false;
        // The event may also be left set by reads that started at the end of a sleep.
        if (asked_.exchange(false)) return true;
        if (woken == WAIT_OBJECT_0) continue;
        // A change seen is reported once; until the read it brings, the watch waits for
        // that read rather than sleeping through its start.
        if (histories_.WatchedHistoryChanged()) {
            ::PostMessageW(notify_, changedMessage_, 0, 0);
            changeReported = true;
        }
    }
}

DWORD WINAPI HistoryReaderWin32::Run(void* self) {
    static_cast<HistoryReaderWin32*>(self)->ReadRequests();
    return 0;
}

void HistoryReaderWin32::ReadRequests() {
    bool changeReported = false;
    for (;;) {
        if (!AwaitRequests(changeReported)) break;
        changeReported = false;
        std::vector<ChatRead> requests;
        {
            Locked locked(lock_);
            requests = requests_;
        }
        // What was read of chats closed since is forgotten now and then.
        if (++readsSinceForgetting_ >= kReadsBetweenForgetting) {
            histories_.ForgetClosed();
            readsSinceForgetting_ = 0;
        }
        std::vector<WindowRead> reads;
        for (const ChatRead& request : requests) {
            WindowRead read{request.window, request.window, {}};
            // Nothing may escape the thread; a read that failed reads as an empty history.
            try {
                read = histories_.Read(request);
            } catch (...) {
                read.history = {};
            }
            reads.push_back(std::move(read));
        }
        // The chat last in front, read first, is watched until the next reads.
        histories_.Watch(reads.empty() ? 0 : reads.front().read.handle);
        {
            Locked locked(lock_);
            result_ = std::move(reads);
        }
        ::PostMessageW(notify_, readMessage_, 0, 0);
    }
}

}  // namespace parlowen::capture
