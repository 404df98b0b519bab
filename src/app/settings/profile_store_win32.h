// The settings file through the Windows profile functions:
// GetPrivateProfileStringA with a 2048-byte value buffer, WritePrivateProfileStringA.
#pragma once

#include "app/settings/profile_store.h"

#include <string>

namespace parlowen::settings {

class WindowsProfileStore : public ProfileStore {
public:
    explicit WindowsProfileStore(std::string path) : path_(std::move(path)) {}

    std::string ReadString(std::string_view section, std::string_view key) override;
    void WriteString(std::string_view section, std::string_view key, std::string_view value) override;

    const std::string& path() const noexcept { return path_; }

private:
    std::string path_;
};

}  // namespace parlowen::settings
