#include "capture/messenger_memory_win32.h"

#include "win32/process_width_win32.h"

#include <cstdint>
#include <limits>

namespace parlowen::capture {
namespace {

// `size` bytes in `process`, ending at or below `highest`, or nullptr. The system picks
// the place when any will do; else the first free stretch low enough is asked for by
// its address, which the system then gives exactly or not at all.
char* AllocateIn(HANDLE process, std::size_t size, std::uint64_t highest) {
    constexpr DWORD kHow = MEM_COMMIT | MEM_RESERVE;
    if (highest >= std::numeric_limits<std::uintptr_t>::max())
        return static_cast<char*>(::VirtualAllocEx(process, nullptr, size, kHow, PAGE_READWRITE));
    SYSTEM_INFO system{};
    ::GetSystemInfo(&system);
    const std::uint64_t granularity = system.dwAllocationGranularity;
    MEMORY_BASIC_INFORMATION region{};
    for (std::uint64_t address = granularity; address + size - 1 <= highest;) {
        if (::VirtualQueryEx(process, reinterpret_cast<void*>(static_cast<std::uintptr_t>(address)), &region,
                             sizeof region) != sizeof region)
            break;
        const std::uint64_t regionEnd = reinterpret_cast<std::uintptr_t>(region.BaseAddress) + region.RegionSize;
        const std::uint64_t start = (address + granularity - 1) / granularity * granularity;
        if (region.State == MEM_FREE && start + size <= regionEnd && start + size - 1 <= highest) {
            void* wanted = reinterpret_cast<void*>(static_cast<std::uintptr_t>(start));
            if (void* block = ::VirtualAllocEx(process, wanted, size, kHow, PAGE_READWRITE)) {
                if (block == wanted) return static_cast<char*>(block);
                ::VirtualFreeEx(process, block, 0, MEM_RELEASE);
            }
        }
        if (regionEnd <= address) break;
        address = regionEnd;
    }
    return nullptr;
}

}  // namespace

char* MessengerMemory::BlockFor(HWND window, std::size_t bytes) {
    if (processId_ == 0) return nullptr;
    if (!process_) Open();
    if (!process_ || !widthKnown_) return nullptr;
    return reinterpret_cast<char*>(block_.For(Id(window), bytes, kBlockGranularity, *this));
}

RemoteBlock::Address MessengerMemory::Allocate(std::size_t bytes) {
    lengthRequestIn_ = nullptr;
    return reinterpret_cast<RemoteBlock::Address>(
        AllocateIn(process_.get(), bytes, HighestSharedAddress(kOwnPointerWidth, width_)));
}

void MessengerMemory::Free(RemoteBlock::Address block) {
    lengthRequestIn_ = nullptr;
    ::VirtualFreeEx(process_.get(), reinterpret_cast<void*>(block), 0, MEM_RELEASE);
}

void MessengerMemory::Open() {
    process_.reset(::OpenProcess(
        PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE | PROCESS_QUERY_INFORMATION, FALSE, processId_));
    // Tried again at the next read: the refusal may pass (a messenger still starting up).
    if (!process_) return;
    // A messenger whose width cannot be told is read whole, never guessed at.
    if (const std::optional<unsigned> pointerBytes = win32::ProcessPointerBytes(process_.get())) {
        widthKnown_ = true;
        width_ = *pointerBytes == 8 ? PointerWidth::Bits64 : PointerWidth::Bits32;
    }
}

bool MessengerMemory::Serves(HWND window) {
    return BlockFor(window, kTextOffset) != nullptr || (block_.BusyIn(Id(window)) && process_);
}

bool MessengerMemory::Write(std::size_t offset, const void* data, std::size_t bytes) {
    return block() && offset + bytes <= block_.size() &&
           ::WriteProcessMemory(process_.get(), block() + offset, data, bytes, nullptr);
}

bool MessengerMemory::Read(std::size_t offset, void* data, std::size_t bytes) {
    return block() && offset + bytes <= block_.size() &&
           ::ReadProcessMemory(process_.get(), block() + offset, data, bytes, nullptr);
}

void MessengerMemory::Release() {
    block_.Release(*this);
    process_.reset();
}

}  // namespace parlowen::capture
