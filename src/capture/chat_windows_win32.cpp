#include "capture/chat_windows_win32.h"

#include "win32/process_width_win32.h"
#include "win32/text_win32.h"

#include <richedit.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace parlowen::capture {
namespace {

constexpr int kTitleBufferSize = 255;
constexpr std::size_t kMinimumReadBytes = 16 << 10;

// Where the structures and the text lie in the block inside the messenger's process.
constexpr std::size_t kLengthRequestOffset = 0;
constexpr std::size_t kRangeRequestOffset = 16;
constexpr std::size_t kTextOffset = 64;
constexpr std::size_t kBlockGranularity = 64 << 10;
// The length request is the same for both widths; the range request is written in the
// messenger's layout, which for a messenger of the program's own width is the system's.
static_assert(sizeof(GETTEXTLENGTHEX) == 8);
static_assert(sizeof(TEXTRANGEA) == TextRangeBytes(kOwnPointerWidth));
static_assert(kRangeRequestOffset + TextRangeBytes(PointerWidth::Bits64) <= kTextOffset);

// The requests to one history control, each bounded in time. SMTO_BLOCK keeps the
// calling thread's own windows from being re-entered while it waits.
//
// Parts of the text are asked for with EM_GETTEXTRANGE, whose buffer lies in the
// messenger's own memory. EM_GETLINE, which Wine does carry across processes, cannot
// be used there: Wine 8 hands the control a buffer size read from memory it never
// wrote (the control saw 104 or 138 whatever size was sent), so rows come back cut,
// and the messenger's heap is overrun: the demo chat died after 200 to 500 of them.
class HistoryControlWin32 final : public HistoryControl {
public:
    HistoryControlWin32(HWND control, const std::atomic<bool>* cancelled, MessengerMemory& memory)
        : control_(control), cancelled_(cancelled), memory_(memory) {}

    bool ReadsParts() override { return memory_.Serves(control_); }
    std::optional<long> RowCount() override { return Ask(EM_GETLINECOUNT, 0, 0); }
    std::optional<long> Length() override;
    std::optional<long> LengthFromRows() override;
    std::optional<std::string> Text(long start, long end) override;
    std::optional<std::string> WholeText() override;

private:
    bool Send(UINT message, WPARAM wParam, LPARAM lParam, DWORD_PTR& result) {
        if (cancelled_ && cancelled_->load()) return false;
        return ::SendMessageTimeoutA(control_, message, wParam, lParam, SMTO_ABORTIFHUNG | SMTO_BLOCK,
                                     ChatWindowsWin32::kRequestTimeoutMs, &result) != 0;
    }
    std::optional<long> Ask(UINT message, WPARAM wParam, LPARAM lParam) {
        DWORD_PTR result = 0;
        if (!Send(message, wParam, lParam, result)) return std::nullopt;
        memory_.AfterCompletedRequest(control_);
        return static_cast<long>(static_cast<LONG_PTR>(result));
    }
    // A request whose structure and answer lie in the block.
    std::optional<long> AskThroughBlock(UINT message, WPARAM wParam, LPARAM lParam) {
        if (cancelled_ && cancelled_->load()) return std::nullopt;
        const std::optional<long> answer = Ask(message, wParam, lParam);
        memory_.AfterBlockRequest(control_, answer.has_value());
        return answer;
    }
    char* Block(std::size_t bytes) { return memory_.BlockFor(control_, bytes); }

    HWND control_;
    const std::atomic<bool>* cancelled_;
    MessengerMemory& memory_;
};

// Positions, a paragraph break counting as one: what EM_GETTEXTRANGE counts. The
// control keeps the count, so the answer costs the same however long the text.
std::optional<long> HistoryControlWin32::Length() {
    char* block = Block(kTextOffset);
    const GETTEXTLENGTHEX how{GTL_NUMCHARS | GTL_PRECISE, 1200};  // 1200: UTF-16
    if (block == nullptr) return std::nullopt;
    if (!memory_.HoldsLengthRequest(block)) {
        if (!memory_.Write(kLengthRequestOffset, &how, sizeof how)) return std::nullopt;
        memory_.LengthRequestWritten(block);
    }
    return AskThroughBlock(EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(block + kLengthRequestOffset), 0);
}

std::optional<std::string> HistoryControlWin32::Text(long start, long end) {
    // The control writes whatever the range names: it must lie inside the text.
    if (start < 0 || end < start || end > HistoryTailReader::kLongestHistory) return std::nullopt;
    // Each character takes at most two bytes in the ANSI code page.
    const std::size_t capacity = 2 * static_cast<std::size_t>(std::max(0L, end - start)) + 1;
    char* block = Block(kTextOffset + capacity);
    if (block == nullptr) return std::nullopt;
    const std::vector<unsigned char> range = EncodeTextRange(
        memory_.width(), start, end, reinterpret_cast<std::uintptr_t>(block + kTextOffset));
    if (!memory_.Write(kRangeRequestOffset, range.data(), range.size())) return std::nullopt;
    const std::optional<long> copied =
        AskThroughBlock(EM_GETTEXTRANGE, 0, reinterpret_cast<LPARAM>(block + kRangeRequestOffset));
    if (!copied) return std::nullopt;
    std::string text(std::min(static_cast<std::size_t>(std::max(0L, *copied)), capacity), '\0');
    if (!text.empty() && !memory_.Read(kTextOffset, text.data(), text.size())) return std::nullopt;
    return text;
}

// The number of characters in a rich edit control, a line break counting as one: where
// its last line starts plus that line's length. These requests carry no pointer, so
// they cross processes unchanged. Empty when the control does not answer.
std::optional<long> HistoryControlWin32::LengthFromRows() {
    const std::optional<long> rows = RowCount();
    if (!rows) return std::nullopt;
    const std::optional<long> lastRowStart = Ask(EM_LINEINDEX, *rows > 0 ? *rows - 1 : 0, 0);
    if (!lastRowStart) return std::nullopt;
    const std::optional<long> lastRowLength = Ask(EM_LINELENGTH, static_cast<WPARAM>(*lastRowStart), 0);
    if (!lastRowLength) return std::nullopt;
    return std::max(0L, *lastRowStart + *lastRowLength);
}

std::optional<std::string> HistoryControlWin32::WholeText() {
    // How long the text is cannot simply be asked. WM_GETTEXT with no buffer answers 0;
    // under Wine, a WM_GETTEXTLENGTH from another process copies the whole text out and
    // then, once it holds a double-byte character, answers 0, and a WM_GETTEXT whose
    // buffer is too small answers 0 instead of filling it. So the buffer is sized from
    // the character count (each character, a double-byte one or a line break given as
    // CR LF, takes at most two bytes), the count WM_GETTEXT returns is trusted, and a
    // read that fills the buffer, or comes back empty from a control that is not, is
    // repeated with a buffer twice as large.
    const std::optional<long> length = LengthFromRows();
    if (!length) return std::nullopt;
    // A length past the longest history is refused before any sum is made of it: in a
    // 32-bit program twice a length near LONG_MAX wraps round to a small size.
    if (*length < 0 || static_cast<std::uint64_t>(*length) > ChatWindowsWin32::kMaxHistoryBytes) return std::string();
    const auto characters = static_cast<std::uint64_t>(*length);

    // Room beyond the expected size, so that a text of exactly that size does not look
    // like a full buffer.
    std::uint64_t capacity = std::max<std::uint64_t>(2 * characters, kMinimumReadBytes) + 2;
    std::string text;
    while (capacity <= ChatWindowsWin32::kMaxHistoryBytes) {
        text.assign(static_cast<std::size_t>(capacity) + 1, '\0');  // and the closing NUL
        DWORD_PTR copied = 0;
        if (!Send(WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), copied)) {
            return std::nullopt;
        }
        // A control may stop a byte short of a full buffer rather than split a
        // double-byte character or a CR LF, so that counts as full as well.
        const bool full = copied + 1 >= capacity;
        const bool refused = copied == 0 && characters > 0;
        if (!full && !refused) {
            text.resize(static_cast<std::size_t>(copied));
            return text;
        }
        capacity *= 2;
    }
    return std::string();
}

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

// EnumWindows: every top-level window, into the vector `found` points to; nothing escapes.
BOOL CALLBACK Collect(HWND window, LPARAM found) {
    try {
        reinterpret_cast<std::vector<HWND>*>(found)->push_back(window);
        return TRUE;
    } catch (...) {
        return FALSE;
    }
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

TitledWindow ChatWindowsWin32::Foreground() {
    HWND foreground = ::GetForegroundWindow();
    if (foreground == nullptr) return {};
    char title[kTitleBufferSize] = {};
    ::GetWindowTextA(foreground, title, kTitleBufferSize);
    return {reinterpret_cast<std::uintptr_t>(foreground), title};
}

std::vector<TitledWindow> ChatWindowsWin32::TopLevelWindows() {
    std::vector<HWND> handles;
    ::EnumWindows(&Collect, reinterpret_cast<LPARAM>(&handles));
    std::vector<TitledWindow> windows;
    for (HWND window : handles) {
        char title[kTitleBufferSize] = {};
        if (::GetWindowTextA(window, title, kTitleBufferSize) > 0)
            windows.push_back({reinterpret_cast<std::uintptr_t>(window), title});
    }
    return windows;
}

// A top-level window is shown when its own style says so (its parent, the desktop,
// always is), which asks the system less than IsWindowVisible, made for child windows.
bool ChatWindowsWin32::Shown(std::uintptr_t handle) {
    return (::GetWindowLongPtrW(reinterpret_cast<HWND>(handle), GWL_STYLE) & WS_VISIBLE) != 0;
}

std::string ChatWindowsWin32::UnicodeToAnsi(std::u16string_view text) {
    return win32::WideToAnsi(std::wstring_view(reinterpret_cast<const wchar_t*>(text.data()), text.size()));
}

std::u16string ChatWindowsWin32::AnsiToUnicode(std::string_view text) {
    const std::wstring wide = win32::AnsiToWide(text);  // wchar_t is UTF-16 on Windows
    return std::u16string(wide.begin(), wide.end());
}

WindowRead ChatWindowsWin32::ReadHistory(const ChatRead& request) {
    watched_ = nullptr;
    WindowRead read{request.window, request.window, {}};
    // The window followed, while it exists; once it is gone (the chat closed), the one
    // that has its title now (the chat opened again).
    HWND chatWindow = reinterpret_cast<HWND>(request.window.handle);
    HWND history = HistoryOf(chatWindow);
    if (history == nullptr && (chatWindow == nullptr || !::IsWindow(chatWindow))) {
        chatWindow = ::FindWindowA(nullptr, request.window.title.c_str());
        history = HistoryOf(chatWindow);
    }
    read.read.handle = reinterpret_cast<std::uintptr_t>(chatWindow);
    if (history == nullptr) return read;
    Followed& followed = tails_[history];
    if (followed.processId == 0) ::GetWindowThreadProcessId(history, &followed.processId);
    MessengerMemory& memory = MemoryOf(followed.processId);
    HistoryControlWin32 control(history, cancelled_, memory);
    HistoryTailReader& tail = followed.tail;
    const auto controlId = reinterpret_cast<std::uintptr_t>(history);
    // Looked at every second: mostly its length alone is asked (the chat in front has had
    // it asked by the watch since), and the whole cheap test now and then, which also sees
    // a capped history that a new message left as long.
    std::optional<long> lengthWatched = std::exchange(followed.lengthWatched, std::nullopt);
    if (::GetTickCount() - followed.watchedAt > 2 * kWatchIntervalMs) lengthWatched.reset();
    std::optional<TailRead> quick;
    if (!request.request.waiting && followed.quickLooks < kQuickLooksBetweenTests &&
        (quick = lengthWatched ? tail.SameLength(controlId, *lengthWatched) : tail.SameLength(control, controlId))) {
        ++followed.quickLooks;
        read.history = std::move(*quick);
    } else {
        followed.quickLooks = 0;
        const int unanswered = tail.counts().unanswered;
        read.history = tail.ReadFrom(control, controlId, request.request);
        // A control that does not answer may have been replaced: it is looked for anew.
        if (tail.counts().unanswered != unanswered) historyOf_.erase(chatWindow);
    }
    watched_ = history;
    watchedMemory_ = &memory;
    watchedLength_ = tail.LengthRead();
    return read;
}

HWND ChatWindowsWin32::HistoryOf(HWND chatWindow) {
    if (chatWindow == nullptr) return nullptr;
    HWND& history = historyOf_[chatWindow];
    if (history == nullptr) history = ::FindWindowExA(chatWindow, nullptr, "RichEdit20A", nullptr);
    if (history == nullptr) historyOf_.erase(chatWindow);
    return history;
}

MessengerMemory& ChatWindowsWin32::MemoryOf(DWORD processId) {
    std::unique_ptr<MessengerMemory>& memory = memories_[processId];
    if (!memory) memory = std::make_unique<MessengerMemory>(processId);
    return *memory;
}

void ChatWindowsWin32::ForgetClosed() {
    std::erase_if(tails_, [](const auto& tail) { return !::IsWindow(tail.first); });
    std::erase_if(historyOf_, [&](const auto& chat) { return !tails_.contains(chat.second); });
    if (!tails_.contains(watched_)) watched_ = nullptr;
    // A messenger with no history control left may have ended; its block goes with it.
    std::erase_if(memories_, [&](const auto& memory) {
        return std::none_of(tails_.begin(), tails_.end(),
                            [&](const auto& tail) { return tail.second.processId == memory.first; });
    });
}

HistoryTailReader::Counts ChatWindowsWin32::ReadCounts() const noexcept {
    HistoryTailReader::Counts all;
    for (const auto& [control, followed] : tails_) {
        all.unchanged += followed.tail.counts().unchanged;
        all.tails += followed.tail.counts().tails;
        all.wholeTexts += followed.tail.counts().wholeTexts;
        all.unanswered += followed.tail.counts().unanswered;
    }
    return all;
}

bool ChatWindowsWin32::WatchedHistoryChanged() {
    // Asked several times a second: one request, and nothing else asked of the system.
    if (!Watching() || watchedMemory_ == nullptr) return false;
    HistoryControlWin32 control(watched_, cancelled_, *watchedMemory_);
    if (!control.ReadsParts()) return false;
    const std::optional<long> length = control.Length();
    if (!length) {
        if (!::IsWindow(watched_)) watched_ = nullptr;  // the chat closed: the next reads find what is left
        return false;
    }
    // The length just seen is what the read it may bring starts from: a length found
    // unchanged a moment before the change would have that read find nothing new, and the
    // message wait for the next look.
    if (const auto followed = tails_.find(watched_); followed != tails_.end()) {
        followed->second.lengthWatched = length;
        followed->second.watchedAt = ::GetTickCount();
    }
    if (*length == *watchedLength_) return false;
    watchedLength_ = length;
    return true;
}

}  // namespace parlowen::capture
