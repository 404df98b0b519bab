// A ProfileStore that reads and writes an INI file itself, with the semantics and the
// bytes of the Windows profile functions (see ini_text.h). Every read reads the file
// afresh; every write reads it, changes it and, when it changed, replaces it whole
// through a temporary file, so a killed process never leaves a truncated file.
#pragma once

#include "app/settings/profile_store.h"

#include <string>

namespace parlowen::settings {

class IniFileStore : public ProfileStore {
public:
    explicit IniFileStore(std::string path) : path_(std::move(path)) {}

    std::string ReadString(std::string_view section, std::string_view key) override;
    void WriteString(std::string_view section, std::string_view key, std::string_view value) override;

    const std::string& path() const noexcept { return path_; }

private:
    std::string path_;
};

}  // namespace parlowen::settings
