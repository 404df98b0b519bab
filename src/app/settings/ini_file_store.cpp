#include "app/settings/ini_file_store.h"

#include "app/settings/atomic_file.h"
#include "app/settings/ini_text.h"

namespace parlowen::settings {
namespace {

IniText LoadForWriting(const std::string& path) {
    const FileContents file = ReadWholeFile(path);
    if (file.status == FileReadStatus::Failed) throw SettingsWriteError("Unable to write to " + path);
    return file.status == FileReadStatus::Read ? IniText(file.bytes) : IniText();
}

}  // namespace

std::string IniFileStore::ReadString(std::string_view section, std::string_view key) {
    const FileContents file = ReadWholeFile(path_);
    if (file.status != FileReadStatus::Read) return {};
    return IniText(file.bytes).Read(section, key);
}

void IniFileStore::WriteString(std::string_view section, std::string_view key, std::string_view value) {
    IniText text = LoadForWriting(path_);
    // Like the profile functions, leave the file untouched when the value is already there.
    if (!text.Write(section, key, value)) return;
    if (!ReplaceFileContents(path_, text.Text())) throw SettingsWriteError("Unable to write to " + path_);
}

}  // namespace parlowen::settings
