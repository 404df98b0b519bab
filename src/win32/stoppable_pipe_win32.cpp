#include "win32/stoppable_pipe_win32.h"

#include "win32/errors_win32.h"
#include "win32/random_name_win32.h"

#include <atomic>
#include <optional>
#include <string>

namespace parlowen::win32 {

namespace {

constexpr DWORD kPipeBufferBytes = 64 * 1024;

// Windows XP does not know it, and refuses the call that names it.
constexpr DWORD kRejectRemoteClients = 0x00000008;  // PIPE_REJECT_REMOTE_CLIENTS
constexpr int kNameAttempts = 8;

// The first and only instance of a pipe under a name no one can guess, so that no other
// program can take the name or connect before the child's end does; a name that is taken
// all the same is given up for another.
HANDLE CreateOwnPipe(bool fromChild, std::wstring& name) {
    const DWORD openMode =
        (fromChild ? PIPE_ACCESS_INBOUND : PIPE_ACCESS_OUTBOUND) | FILE_FLAG_OVERLAPPED | FILE_FLAG_FIRST_PIPE_INSTANCE;
    DWORD rejectRemote = kRejectRemoteClients;
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        name = L"\\\\.\\pipe\\parlowen-" + UnguessableName();
        HANDLE pipe = ::CreateNamedPipeW(name.c_str(), openMode, PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT | rejectRemote,
                                         1, kPipeBufferBytes, kPipeBufferBytes, 0, nullptr);
        if (pipe != INVALID_HANDLE_VALUE) return pipe;
        const DWORD error = ::GetLastError();
        if (error == ERROR_INVALID_PARAMETER && rejectRemote != 0) {
            rejectRemote = 0;
            --attempt;
            continue;
        }
        if (error != ERROR_ACCESS_DENIED && error != ERROR_PIPE_BUSY) break;
    }
    return INVALID_HANDLE_VALUE;
}

}  // namespace

StoppablePipe::StoppablePipe(Direction direction) {
    const bool fromChild = direction == Direction::kFromChild;
    std::wstring name;
    HANDLE ours = CreateOwnPipe(fromChild, name);
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
