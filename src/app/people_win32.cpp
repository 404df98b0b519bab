#include "app/people_win32.h"

#include "app/settings/people_file_win32.h"

#include <stdexcept>

namespace parlowen::app {

void PeopleWin32::Load() {
    settings::People people = settings::LoadPeople();
    tick_.SetUserNames(people.userNames);
    members_.Restore(std::move(people.members));
    savedUserNames_ = tick_.UserNames();
    loaded_ = true;
}

bool PeopleWin32::SaveIfChanged() {
    if (!loaded_) return members_.TakeChanged();
    unsaved_ = members_.TakeChanged() || unsaved_ || tick_.UserNames() != savedUserNames_;
    if (!unsaved_) return false;
    try {
        settings::SavePeople({tick_.UserNames(), members_.members()});
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
