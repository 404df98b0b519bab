// What the capture keeps of each chat window, by its handle.
#pragma once

#include <cstdint>

namespace parlowen::capture {

// What `kept` holds for the window `from` goes to the window `to`, the chat closed and
// opened again, unless `to` has something of its own already.
template <class Map>
void MoveToWindow(Map& kept, std::uintptr_t from, std::uintptr_t to) {
    if (from == to || kept.contains(to)) return;
    if (auto entry = kept.extract(from)) {
        entry.key() = to;
        kept.insert(std::move(entry));
    }
}

}  // namespace parlowen::capture
