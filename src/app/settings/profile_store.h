// The settings file as the settings logic sees it: one call per value, like the
// Windows profile functions that the program's implementation calls. The tests keep
// their values in memory.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace parlowen::settings {

// A value could not be written; what() is "Unable to write to <path>".
class SettingsWriteError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class ProfileStore {
public:
    virtual ~ProfileStore() = default;

    // The value of `key` in `section`; "" when the file, the section or the key is missing.
    virtual std::string ReadString(std::string_view section, std::string_view key) = 0;

    // Sets `key` in `section` to `value`, creating the file, the section and the key as
    // needed. Throws SettingsWriteError when the file cannot be written.
    virtual void WriteString(std::string_view section, std::string_view key,
                             std::string_view value) = 0;
};

}  // namespace parlowen::settings
