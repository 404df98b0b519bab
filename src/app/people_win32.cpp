#include "app/people_win32.h"

#include "app/settings/people_file_win32.h"

#include <stdexcept>

namespace parlowen::app {

void PeopleWin32::Load() {
    settings::People people = settings::LoadPeople();
    tick_.SetUserNames(people.userNames);
    members_.Restore(std::move(people.members));
    tick_.chatModes().Restore(std::move(people.chats));
    savedUserNames_ = tick_.UserNames();
    loaded_ = true;
}

bool PeopleWin32::SaveIfChanged() {
    const bool changed = members_.TakeChanged() | tick_.chatModes().TakeChanged();
    if (!loaded_) return changed;
    unsaved_ = changed || unsaved_ || tick_.UserNames() != savedUserNames_;
    if (!unsaved_) return false;
    try {
        settings::SavePeople({tick_.UserNames(), members_.members(), tick_.chatModes().chats()});
        savedUserNames_ = tick_.UserNames();
        unsaved_ = false;
        lastFailure_.clear();
        return true;
    } catch (const std::exception& failure) {
        if (failure.what() == lastFailure_) return true;
        lastFailure_ = failure.what();
        throw;
    }
}

}  // namespace parlowen::app
