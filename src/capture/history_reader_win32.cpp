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

DWORD WINAPI HistoryReaderWin32::Run(void* self) {
    static_cast<HistoryReaderWin32*>(self)->ReadRequests();
    return 0;
}

void HistoryReaderWin32::ReadRequests() {
    for (;;) {
        const DWORD woken = ::WaitForSingleObject(wake_.get(), windows_.Watching() ? kWatchIntervalMs : INFINITE);
        if (stopping_ || (woken != WAIT_OBJECT_0 && woken != WAIT_TIMEOUT)) break;
        if (woken == WAIT_TIMEOUT) {
            // A change seen is reported once; the read it brings looks again.
            if (windows_.WatchedHistoryChanged()) ::PostMessageW(notify_, changedMessage_, 0, 0);
            continue;
        }
        std::vector<ChatRead> requests;
        {
            Locked locked(lock_);
            requests = requests_;
        }
        // What was read of chats closed since is forgotten now and then.
        if (++readsSinceForgetting_ >= kReadsBetweenForgetting) {
            windows_.ForgetClosed();
            readsSinceForgetting_ = 0;
        }
        std::vector<WindowRead> reads;
        // The first window is read last, so that it is the one watched until the next reads.
        for (std::size_t i = requests.size(); i-- > 0;) {
            WindowRead read{requests[i].window, requests[i].window, {}};
            // Nothing may escape the thread; a read that failed reads as an empty history.
            try {
                read = windows_.ReadHistory(requests[i]);
            } catch (...) {
                read.history = {};
            }
            reads.insert(reads.begin(), std::move(read));
        }
        {
            Locked locked(lock_);
            result_ = std::move(reads);
        }
        ::PostMessageW(notify_, readMessage_, 0, 0);
    }
}

}  // namespace parlowen::capture
