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

HistoryReaderWin32::HistoryReaderWin32(HWND notify, UINT message)
    : notify_(notify), message_(message) {
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

void HistoryReaderWin32::Start(std::string_view chatTitle) {
    if (busy_) return;
    busy_ = true;
    {
        Locked locked(lock_);
        request_.assign(chatTitle);
    }
    ::SetEvent(wake_.get());
}

std::optional<HistoryReaderWin32::Read> HistoryReaderWin32::Take() {
    std::optional<Read> read;
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
    while (::WaitForSingleObject(wake_.get(), INFINITE) == WAIT_OBJECT_0 && !stopping_) {
        Read read;
        // Nothing may escape the thread; a read that failed reads as an empty history.
        try {
            {
                Locked locked(lock_);
                read.chatTitle = request_;
            }
            read.history = windows_.ReadHistory(read.chatTitle);
        } catch (...) {
            read.history.clear();
        }
        {
            Locked locked(lock_);
            result_ = std::move(read);
        }
        ::PostMessageW(notify_, message_, 0, 0);
    }
}

}  // namespace parlowen::capture
