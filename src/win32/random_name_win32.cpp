#include "win32/random_name_win32.h"

#include "win32/errors_win32.h"

#include <objbase.h>

namespace parlowen::win32 {

std::wstring UnguessableName() {
    GUID guid{};
    ThrowIfFailed(::CoCreateGuid(&guid), "CoCreateGuid");
    const auto* bytes = reinterpret_cast<const unsigned char*>(&guid);
    std::wstring name;
    for (std::size_t i = 0; i < sizeof guid; ++i) {
        name += L"0123456789abcdef"[bytes[i] >> 4];
        name += L"0123456789abcdef"[bytes[i] & 15];
    }
    return name;
}

}  // namespace parlowen::win32
