#include "app/settings/settings.h"


#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <optional>
#include <initializer_list>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace {

using namespace parlowen::settings;

// The settings file held in memory: the values as the profile functions return them.
class MemoryStore : public ProfileStore {
public:
    MemoryStore() = default;
    MemoryStore(std::initializer_list<std::pair<const std::string, std::string>> values) : values_(values) {}
    std::string ReadString(std::string_view section, std::string_view key) override {
        const auto found = values_.find(Name(section, key));
        return found == values_.end() ? std::string() : found->second;
    }
    void WriteString(std::string_view section, std::string_view key, std::string_view value) override {
        values_[Name(section, key)] = value;
    }
    std::optional<std::string> Find(std::string_view key) const {
        const auto found = values_.find(Name(kSection, key));
        return found == values_.end() ? std::nullopt : std::optional<std::string>(found->second);
    }

private:
    static std::string Name(std::string_view section, std::string_view key) {
        return std::string(section) + "/" + std::string(key);
    }
    std::map<std::string, std::string> values_;
};

// Records every call; reads answer from `values`, and the write numbered `failingWrite`
// (counting from 1) throws.
class RecordingStore : public ProfileStore {
public:
    std::string ReadString(std::string_view section, std::string_view key) override {
        calls.push_back("read " + std::string(section) + "/" + std::string(key));
        return {};
    }
    void WriteString(std::string_view section, std::string_view key, std::string_view value) override {
        if (++writes == failingWrite) throw SettingsWriteError("Unable to write to X:\\set.ini");
        calls.push_back(std::string(section) + "/" + std::string(key) + "=" + std::string(value));
    }
    std::vector<std::string> calls;
    int writes = 0;
    int failingWrite = 0;
};

TEST(ParseInteger, DecimalAndHexadecimalWithin32Bits) {
    struct Case {
        const char* text;
        std::optional<int> value;
    };
    const Case cases[] = {
        {"15", 15},          {"-5", -5},         {"0", 0},
        {"007", 7},          {"0x0A", 10},       {"0X1f", 31},
        {"$1F", 31},         {"$a", 10},         {"0x", std::nullopt},
        {"0X", std::nullopt}, {"$", std::nullopt}, {"0xG", std::nullopt},
        {"yes", std::nullopt}, {"", std::nullopt}, {"-", std::nullopt},
        {"+5", std::nullopt}, {" 7", std::nullopt}, {"7 ", std::nullopt},
        {"1.5", std::nullopt}, {"12abc", std::nullopt}, {"-0x5", std::nullopt},
        {"2147483647", INT_MAX}, {"-2147483648", INT_MIN}, {"2147483648", std::nullopt},
        {"-2147483649", std::nullopt}, {"99999999999", std::nullopt},
        {"99999999999999999999999", std::nullopt}, {"$FFFFFFFF", -1}, {"0x7FFFFFFF", INT_MAX},
        {"0x80000000", INT_MIN}, {"0x100000000", std::nullopt}, {"0x0000000010", 16},
    };
    for (const Case& c : cases) EXPECT_EQ(ParseInteger(c.text), c.value) << '"' << c.text << '"';
}

// Every setting at its table's default.
Settings DefaultSettings() {
    Settings settings;
    for (const Setting& setting : kSettings) setting.set(settings, setting.defaultValue);
    return settings;
}

TEST(Settings, DefaultsAreWhatTheProgramStartsWithAndWhatAMissingFileGives) {
    MemoryStore empty;
    EXPECT_EQ(DefaultSettings(), Settings{});
    EXPECT_EQ(LoadSettings(empty), Settings{});
}

// Each key alone in the file: the value read (missing, empty and non-integer texts give
// the default; integers are clamped, booleans any non-zero, entries any negative as
// none) and what exit writes back.
TEST(Settings, EachKeyReadsIntoItsRangeAndWritesBack) {
    struct Case {
        const char* key;
        std::optional<std::string> stored;
        int read;
        std::optional<std::string> written;  // nothing: the key is not written
    };
    const Case cases[] = {
        {"Rate", std::nullopt, 0, "0"},  {"Rate", "", 0, "0"},        {"Rate", "abc", 0, "0"},
        {"Rate", "-7", -7, "-7"},        {"Rate", "15", 10, "10"},     {"Rate1", "$FFFFFFF6", -10, "-10"},
        {"Rate1", "0x0A", 10, "10"},     {"Volume", "-5", 0, "0"},     {"Volume", "$10", 16, "16"},
        {"Volume1", "1000", 100, "100"}, {"Volume1", "2147483648", 100, "100"},
        {"Engine", std::nullopt, -1, std::nullopt}, {"Engine", "3", 3, "3"}, {"Engine1", "-7", -1, std::nullopt},
        {"Engine1", "0", 0, "0"},        {"cbme", "2", 1, "1"},        {"cbme", "-1", 1, "1"},
        {"cbfriend", "0", 0, "0"},       {"cbmyname", "yes", 1, "1"},  {"cbfriendsname", "0x0", 0, "0"},
        {"showtime", "0", 0, "0"},       {"showtime", std::nullopt, 1, "1"},
        {"longestmessage", "-5", -1, "-1"}, {"longestmessage", "0", 0, "0"}, {"longestmessage", "9999999", 100000, "100000"},
        {"stophotkey", "0", 0, "0"},     {"pausehotkey", "$10000", 0xFFFF, "65535"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.key) + "=" + c.stored.value_or("(missing)"));
        const auto setting = std::find_if(kSettings.begin(), kSettings.end(),
                                          [&](const Setting& s) { return s.key == c.key; });
        ASSERT_NE(setting, kSettings.end());
        MemoryStore file;
        if (c.stored) file.WriteString(kSection, c.key, *c.stored);
        const Settings loaded = LoadSettings(file);
        EXPECT_EQ(setting->get(loaded), c.read);
        Settings expected = DefaultSettings();
        setting->set(expected, c.read);
        EXPECT_EQ(loaded, expected);  // no other setting moved

        MemoryStore written;
        SaveSettings(written, loaded);
        EXPECT_EQ(written.Find(c.key), c.written);
    }
}

// The orders the file's users know: start-up reads each key once, exit writes them
// as below, an entry of none left out.
TEST(Settings, StartUpReadsAndExitWritesEveryKeyOnceInTheirOrders) {
    RecordingStore store;
    Settings settings = LoadSettings(store);
    settings.voices.mine.voice = 0;
    SaveSettings(store, settings);
    EXPECT_EQ(store.calls,
              (std::vector<std::string>{"read set/Engine", "read set/Engine1", "read set/Rate", "read set/Rate1",
                                        "read set/Volume", "read set/Volume1", "read set/cbme", "read set/cbfriend",
                                        "read set/cbmyname", "read set/cbfriendsname", "read set/showtime",
                                        "read set/speaklinks", "read set/speaksymbols", "read set/speakrepeats",
                                        "read set/longestmessage", "read set/queuemessages",
                                        "read set/stophotkey", "read set/pausehotkey", "read set/saypause", "read set/everychat",
                                        "set/Rate=0", "set/Volume=100", "set/Engine=0", "set/Rate1=0",
                                        "set/Volume1=100", "set/cbme=1", "set/cbfriend=1", "set/cbmyname=1",
                                        "set/cbfriendsname=1", "set/showtime=1", "set/speaklinks=1",
                                        "set/speaksymbols=1", "set/speakrepeats=1", "set/longestmessage=-1",
                                        "set/queuemessages=0", "set/stophotkey=1619", "set/pausehotkey=1616",
                                        "set/saypause=1", "set/everychat=1"}));
}

TEST(SaveSettings, AFailedWriteStopsTheSave) {
    RecordingStore store;
    store.failingWrite = 3;
    try {
        SaveSettings(store, DefaultSettings());
        FAIL() << "no exception";
    } catch (const SettingsWriteError& e) {
        EXPECT_STREQ(e.what(), "Unable to write to X:\\set.ini");
    }
    EXPECT_EQ(store.calls, (std::vector<std::string>{"set/Rate=0", "set/Volume=100"}));
}

}  // namespace
