// An owned file handle: CreateFileW reports failure as INVALID_HANDLE_VALUE, not null.
#pragma once

#include "app/handles_win32.h"

namespace parlowen::sapi_recorder {

struct FileHandleTraits {
    using Handle = HANDLE;
    static Handle Invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void Close(Handle h) noexcept { ::CloseHandle(h); }
};

using UniqueFile = win32::UniqueHandle<FileHandleTraits>;

}  // namespace parlowen::sapi_recorder
