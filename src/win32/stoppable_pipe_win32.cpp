#include "win32/stoppable_pipe_win32.h"

#include "win32/errors_win32.h"

#include <atomic>
#include <optional>
#include <string>

namespace parlowen::win32 {

namespace {

std::wstring UniquePipeName() {
    static std::atomic<unsigned> made{0};
    // Digits only, so widening them byte by byte is exact.
    const std::string unique = std::to_string(::GetCurrentProcessId()) + "-" + std::to_string(++made);
    return L"\\\\.\\pipe\\parlowen-" + std::wstring(unique.begin(), unique.end());
}

constexpr DWORD kPipeBufferBytes = 64 * 1024;

}  // namespace

StoppablePipe::StoppablePipe(Direction direction) {
    const std::wstring name = UniquePipeName();
    const bool fromChild = direction == Direction::kFromChild;
    // The first instance only, and only one: nobody else can take the name or connect
    // before the child's end below does.
    HANDLE ours = ::CreateNamedPipeW(
        name.c_str(),
        (fromChild ? PIPE_ACCESS_INBOUND : PIPE_ACCESS_OUTBOUND) | FILE_FLAG_OVERLAPPED | FILE_FLAG_FIRST_PIPE_INSTANCE,
        PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT, 1, kPipeBufferBytes, kPipeBufferBytes, 0, nullptr);
    ThrowLastErrorIf(ours == INVALID_HANDLE_VALUE, "CreateNamedPipe");
    ours_.reset(ours);

    SECURITY_ATTRIBUTES inheritable{sizeof(inheritable), nullptr, TRUE};
    HANDLE child = ::CreateFileW(name.c_str(), fromChild ? GENERIC_WRITE : GENERIC_READ, 0, &inheritable,
                                 OPEN_EXISTING, 0, nullptr);
    ThrowLastErrorIf(child == INVALID_HANDLE_VALUE, "CreateFile pipe");
    childEnd_.reset(child);

    done_.reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    ThrowLastErrorIf(!done_, "CreateEvent");
}

std::optional<DWORD> StoppablePipe::Transfer(bool write, void* data, DWORD size, HANDLE stop) {
    OVERLAPPED overlapped{};
    overlapped.hEvent = done_.get();
    const BOOL started = write ? ::WriteFile(ours_.get(), data, size, nullptr, &overlapped)
                               : ::ReadFile(ours_.get(), data, size, nullptr, &overlapped);
    if (!started && ::GetLastError() != ERROR_IO_PENDING) return std::nullopt;
    const HANDLE waits[] = {done_.get(), stop};
    const bool stopped = ::WaitForMultipleObjects(2, waits, FALSE, INFINITE) != WAIT_OBJECT_0;
    // The transfer must be over before `overlapped` and the buffer go; CancelIo calls
    // off what this thread started.
    if (stopped) ::CancelIo(ours_.get());
    DWORD moved = 0;
    if (!::GetOverlappedResult(ours_.get(), &overlapped, &moved, TRUE) || stopped) return std::nullopt;
    return moved;
}

DWORD StoppablePipe::Read(void* buffer, DWORD size, HANDLE stop) {
    // A zero-byte write on the other side completes a read with nothing: not an end.
    for (;;) {
        const std::optional<DWORD> read = Transfer(false, buffer, size, stop);
        if (!read || *read > 0) return read.value_or(0);
    }
}

bool StoppablePipe::Write(const void* data, DWORD size, HANDLE stop) {
    auto* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const std::optional<DWORD> written = Transfer(true, const_cast<char*>(bytes), size, stop);
        if (!written || *written == 0) return false;
        bytes += *written;
        size -= *written;
    }
    return true;
}

}  // namespace parlowen::win32
