// The people file on disk, beside the settings file.
#pragma once

#include "app/settings/people_file.h"

namespace parlowen::settings {

// What the people file holds; nobody when there is none yet. Throws
// win32::PlatformError when the settings folder or an existing file cannot be read.
People LoadPeople();
// Writes the whole file through a temporary one: a failure leaves the earlier file as
// it was, and is thrown with the system's reason.
void SavePeople(const People& people);

}  // namespace parlowen::settings
