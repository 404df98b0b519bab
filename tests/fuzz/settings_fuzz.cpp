// Any values in the settings file: every key is read by its rules without a crash,
// and what is saved reads back as the same settings.
#include "app/settings/settings.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <string>
#include <string_view>

namespace {

using namespace parlowen::settings;

class MemoryStore : public ProfileStore {
public:
    std::string ReadString(std::string_view section, std::string_view key) override {
        const auto found = values.find(std::string(section) + "/" + std::string(key));
        return found == values.end() ? std::string() : found->second;
    }
    void WriteString(std::string_view section, std::string_view key, std::string_view value) override {
        values[std::string(section) + "/" + std::string(key)] = value;
    }
    std::map<std::string, std::string> values;
};

}  // namespace

// The input is up to eleven values separated by NUL bytes, one for each key in read order.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view input(reinterpret_cast<const char*>(data), size);
    MemoryStore store;
    for (const Setting& setting : kSettings) {
        const std::size_t end = input.find('\0');
        store.WriteString(kSection, setting.key, input.substr(0, end));
        if (end == std::string_view::npos) break;
        input.remove_prefix(end + 1);
    }
    if (auto value = ParseInteger(store.ReadString(kSection, "Engine")))
        if (ParseInteger(std::to_string(*value)) != value) std::abort();

    const Settings stored = LoadSettings(store);
    MemoryStore written;
    SaveSettings(written, stored);
    if (!(LoadSettings(written) == stored)) std::abort();
    return 0;
}
