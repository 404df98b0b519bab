// A pipe to a child process whose reads and writes on our side can be called off.
//
// A blocking ReadFile on an anonymous pipe ends only when every write end has closed,
// and a killed child does not always close them at once: under Wine a console helper
// of the child can hold an inherited copy for a while. Our end is therefore the server
// of a named pipe opened for overlapped I/O, so a thread waiting on it also waits on a
// stop event, and nothing that ends us depends on when the child's end goes.
#pragma once

#include "win32/handles_win32.h"

#include <windows.h>

#include <optional>

namespace parlowen::win32 {

class StoppablePipe {
public:
    enum class Direction { kFromChild, kToChild };

    // Creates the pipe; throws PlatformError when the system refuses. The child's end
    // is inheritable and does plain blocking I/O.
    explicit StoppablePipe(Direction direction);

    // The end to hand to the child; close our copy once the child has started.
    HANDLE childEnd() const noexcept { return childEnd_.get(); }
    void CloseChildEnd() noexcept { childEnd_.reset(); }

    // Reads what is there, waiting for at least one byte. Returns the count, or 0 when
    // the child's end has closed or `stop` was signalled first. One thread at a time.
    DWORD Read(void* buffer, DWORD size, HANDLE stop);
    // Writes all of `data`; false when the child's end has closed or `stop` was
    // signalled first. One thread at a time.
    bool Write(const void* data, DWORD size, HANDLE stop);

private:
    // One overlapped transfer: the bytes moved, or nothing when ended or stopped.
    std::optional<DWORD> Transfer(bool write, void* data, DWORD size, HANDLE stop);

    UniqueKernelHandle ours_;
    UniqueKernelHandle childEnd_;
    UniqueKernelHandle done_;  // signalled when a transfer completes
};

}  // namespace parlowen::win32
