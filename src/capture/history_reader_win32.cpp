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

void HistoryReaderWin32::Start(const ChatRead& request) {
    if (busy_) return;
    busy_ = true;
    {
        Locked locked(lock_);
        request_ = request;
    }
    ::SetEvent(wake_.get());
}

std::optional<WindowRead> HistoryReaderWin32::Take() {
    std::optional<WindowRead> read;
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
        WindowRead read;
        // Nothing may escape the thread; a read that failed reads as an empty history.
        try {
            ChatRead request;
            {
                Locked locked(lock_);
                request = request_;
            }
            read = {request.window, request.window, {}};
            read = windows_.ReadHistory(request);
        } catch (...) {
            read.history = {};
        }
        {
            Locked locked(lock_);
            result_ = std::move(read);
        }
        ::PostMessageW(notify_, readMessage_, 0, 0);
    }
}

}  // namespace parlowen::capture
