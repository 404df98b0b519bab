#include "capture/chat_histories_win32.h"

#include "capture/history_control_win32.h"

#include <algorithm>
#include <utility>

namespace parlowen::capture {

WindowRead ChatHistoriesWin32::Read(const ChatRead& request) {
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
    std::optional<long> lengthWatched;
    if (const std::optional<DWORD> at = std::exchange(followed.watchedAt, std::nullopt);
        at && ::GetTickCount() - *at <= 2 * kWatchIntervalMs)
        lengthWatched = followed.length;
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
    followed.length = tail.LengthRead();
    return read;
}

HWND ChatHistoriesWin32::HistoryOf(HWND chatWindow) {
    if (chatWindow == nullptr) return nullptr;
    HWND& history = historyOf_[chatWindow];
    if (history == nullptr) history = ::FindWindowExA(chatWindow, nullptr, "RichEdit20A", nullptr);
    if (history == nullptr) historyOf_.erase(chatWindow);
    return history;
}

MessengerMemory& ChatHistoriesWin32::MemoryOf(DWORD processId) {
    std::unique_ptr<MessengerMemory>& memory = memories_[processId];
    if (!memory) memory = std::make_unique<MessengerMemory>(processId);
    return *memory;
}

void ChatHistoriesWin32::ForgetClosed() {
    std::erase_if(tails_, [](const auto& tail) { return !::IsWindow(tail.first); });
    std::erase_if(historyOf_, [&](const auto& chat) { return !tails_.contains(chat.second); });
    if (!tails_.contains(watched_)) watched_ = nullptr;
    // A messenger with no history control left may have ended; its block goes with it.
    std::erase_if(memories_, [&](const auto& memory) {
        return std::none_of(tails_.begin(), tails_.end(),
                            [&](const auto& tail) { return tail.second.processId == memory.first; });
    });
}

HistoryTailReader::Counts ChatHistoriesWin32::ReadCounts() const noexcept {
    HistoryTailReader::Counts all;
    for (const auto& [control, followed] : tails_) {
        all.unchanged += followed.tail.counts().unchanged;
        all.tails += followed.tail.counts().tails;
        all.wholeTexts += followed.tail.counts().wholeTexts;
        all.unanswered += followed.tail.counts().unanswered;
    }
    return all;
}

void ChatHistoriesWin32::Watch(std::uintptr_t chatWindow) {
    const auto history = historyOf_.find(reinterpret_cast<HWND>(chatWindow));
    watched_ = history != historyOf_.end() && tails_.contains(history->second) ? history->second : nullptr;
}

bool ChatHistoriesWin32::Watching() const noexcept {
    const auto followed = tails_.find(watched_);
    return followed != tails_.end() && followed->second.length.has_value();
}

bool ChatHistoriesWin32::WatchedHistoryChanged() {
    // Asked several times a second: one request, and nothing else asked of the system.
    const auto found = tails_.find(watched_);
    if (found == tails_.end() || !found->second.length) return false;
    Followed& followed = found->second;
    HistoryControlWin32 control(watched_, cancelled_, MemoryOf(followed.processId));
    if (!control.ReadsParts()) return false;
    const std::optional<long> length = control.Length();
    if (!length) {
        if (!::IsWindow(watched_)) watched_ = nullptr;  // the chat closed: the next reads find what is left
        return false;
    }
    // The length just seen is what the read it may bring starts from: a length found
    // unchanged a moment before the change would have that read find nothing new, and the
    // message wait for the next look.
    const bool changed = *length != *followed.length;
    followed.length = length;
    followed.watchedAt = ::GetTickCount();
    return changed;
}

}  // namespace parlowen::capture
