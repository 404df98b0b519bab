#include "capture/history_control_win32.h"

#include <richedit.h>

#include <algorithm>
#include <cstdint>
#include <vector>

namespace parlowen::capture {
namespace {

constexpr std::size_t kMinimumReadBytes = 16 << 10;

// The length request is the same for both widths; the range request is written in the
// messenger's layout, which for a messenger of the program's own width is the system's.
static_assert(sizeof(GETTEXTLENGTHEX) == 8);
static_assert(sizeof(TEXTRANGEA) == TextRangeBytes(kOwnPointerWidth));
static_assert(MessengerMemory::kRangeRequestOffset + TextRangeBytes(PointerWidth::Bits64) <= MessengerMemory::kTextOffset);

}  // namespace

// Positions, a paragraph break counting as one: what EM_GETTEXTRANGE counts. The
// control keeps the count, so the answer costs the same however long the text.
std::optional<long> HistoryControlWin32::Length() {
    char* block = Block(MessengerMemory::kTextOffset);
    const GETTEXTLENGTHEX how{GTL_NUMCHARS | GTL_PRECISE, 1200};  // 1200: UTF-16
    if (block == nullptr) return std::nullopt;
    if (!memory_.HoldsLengthRequest(block)) {
        if (!memory_.Write(MessengerMemory::kLengthRequestOffset, &how, sizeof how)) return std::nullopt;
        memory_.LengthRequestWritten(block);
    }
    return AskThroughBlock(EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(block + MessengerMemory::kLengthRequestOffset), 0);
}

std::optional<std::string> HistoryControlWin32::Text(long start, long end) {
    // The control writes whatever the range names: it must lie inside the text.
    if (start < 0 || end < start || end > HistoryTailReader::kLongestHistory) return std::nullopt;
    // Each character takes at most two bytes in the ANSI code page.
    const std::size_t capacity = 2 * static_cast<std::size_t>(std::max(0L, end - start)) + 1;
    char* block = Block(MessengerMemory::kTextOffset + capacity);
    if (block == nullptr) return std::nullopt;
    const std::vector<unsigned char> range = EncodeTextRange(
        memory_.width(), start, end, reinterpret_cast<std::uintptr_t>(block + MessengerMemory::kTextOffset));
    if (!memory_.Write(MessengerMemory::kRangeRequestOffset, range.data(), range.size())) return std::nullopt;
    const std::optional<long> copied =
        AskThroughBlock(EM_GETTEXTRANGE, 0, reinterpret_cast<LPARAM>(block + MessengerMemory::kRangeRequestOffset));
    if (!copied) return std::nullopt;
    std::string text(std::min(static_cast<std::size_t>(std::max(0L, *copied)), capacity), '\0');
    if (!text.empty() && !memory_.Read(MessengerMemory::kTextOffset, text.data(), text.size())) return std::nullopt;
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
    if (*length < 0 || static_cast<std::uint64_t>(*length) > kMaxHistoryBytes) return std::string();
    const auto characters = static_cast<std::uint64_t>(*length);

    // Room beyond the expected size, so that a text of exactly that size does not look
    // like a full buffer.
    std::uint64_t capacity = std::max<std::uint64_t>(2 * characters, kMinimumReadBytes) + 2;
    std::string text;
    while (capacity <= kMaxHistoryBytes) {
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

}  // namespace parlowen::capture
