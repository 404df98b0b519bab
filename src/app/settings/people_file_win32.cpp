#include "app/settings/people_file_win32.h"

#include "app/settings/settings_folder_file_win32.h"

namespace parlowen::settings {

People LoadPeople() { return ParsePeople(ReadSettingsFolderFile(kPeopleFileName).value_or("")); }

void SavePeople(const People& people) { WriteSettingsFolderFile(kPeopleFileName, FormatPeople(people)); }

}  // namespace parlowen::settings
