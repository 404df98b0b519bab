#include "app/settings/settings.h"


#include <gtest/gtest.h>

#include <climits>
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

SettingsToSave DefaultsWithFirstVoices() {
    SettingsToSave settings;
    settings.engine = 0;
    settings.engine1 = 0;
    return settings;
}

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

TEST(ReadInteger, ValuesAsTheFileHoldsThem) {
    struct Case {
        const char* value;  // nullptr: the key is missing
        int read;
    };
    const Case cases[] = {
        {"15", 15},    {"-5", -5}, {"0x0A", 10}, {"0X1f", 31},          {"$1F", 31},  {"0x", 42},
        {"yes", 42},   {"", 42},   {nullptr, 42}, {"99999999999", 42},   {"1.5", 42},
    };
    for (const Case& c : cases) {
        MemoryStore store;
        if (c.value) store.WriteString("set", "Rate", c.value);
        store.WriteString("other", "Rate", "5");
        EXPECT_EQ(ReadInteger(store, "Rate", 42), c.read) << (c.value ? c.value : "(missing)");
    }
}

TEST(ReadBoolean, AnyNonZeroIntegerIsTrue) {
    struct Case {
        const char* value;  // nullptr: missing
        bool defaultValue;
        bool read;
    };
    const Case cases[] = {
        {"1", false, true},   {"0", true, false},  {"2", false, true},   {"-1", false, true},
        {"yes", true, true},  {"yes", false, false}, {"", true, true},   {"", false, false},
        {nullptr, true, true}, {nullptr, false, false}, {"0x0", true, false}, {"$10", false, true},
    };
    for (const Case& c : cases) {
        MemoryStore store;
        if (c.value) store.WriteString("set", "cbme", c.value);
        EXPECT_EQ(ReadBoolean(store, "cbme", c.defaultValue), c.read)
            << (c.value ? c.value : "(missing)") << " default " << c.defaultValue;
    }
}

TEST(WriteValues, DecimalAndOneOrZero) {
    RecordingStore store;
    WriteInteger(store, "Rate", -3);
    WriteInteger(store, "Volume", 100);
    WriteInteger(store, "Engine", 0);
    WriteBoolean(store, "cbme", true);
    WriteBoolean(store, "showtime", false);
    EXPECT_EQ(store.calls, (std::vector<std::string>{"set/Rate=-3", "set/Volume=100", "set/Engine=0",
                                                     "set/cbme=1", "set/showtime=0"}));
}

TEST(KeyTable, ElevenKeysWithTheirTypesAndDefaults) {
    ASSERT_EQ(kKeys.size(), 11u);
    EXPECT_EQ(SpecOf(Key::Engine).name, "Engine");
    EXPECT_EQ(SpecOf(Key::Engine).defaultValue, -1);
    EXPECT_EQ(SpecOf(Key::Volume1).name, "Volume1");
    EXPECT_EQ(SpecOf(Key::Volume1).defaultValue, 100);
    EXPECT_EQ(SpecOf(Key::CbFriendsName).name, "cbfriendsname");
    EXPECT_EQ(SpecOf(Key::CbFriendsName).type, ValueType::Boolean);
    EXPECT_EQ(SpecOf(Key::Rate).type, ValueType::Integer);
    for (const KeySpec& entry : kKeys) EXPECT_EQ(&SpecOf(entry.key), &entry);
}

TEST(LoadSettings, DefaultsWhenThereIsNoFile) {
    MemoryStore store;
    EXPECT_EQ(LoadSettings(store), StoredSettings{});
    const StoredSettings defaults = LoadSettings(store);
    EXPECT_EQ(defaults.engine, -1);
    EXPECT_EQ(defaults.volume1, 100);
    EXPECT_TRUE(defaults.showtime);
}

TEST(LoadSettings, ReadsEveryKeyOnceInStartUpOrder) {
    RecordingStore store;
    LoadSettings(store);
    EXPECT_EQ(store.calls,
              (std::vector<std::string>{"read set/Engine", "read set/Engine1", "read set/Rate", "read set/Rate1",
                                        "read set/Volume", "read set/Volume1", "read set/cbme", "read set/cbfriend",
                                        "read set/cbmyname", "read set/cbfriendsname", "read set/showtime"}));
}

TEST(LoadSettings, ValuesAsStoredWithoutClamping) {
    MemoryStore store{{"set/Engine", "3"},   {"set/Engine1", "-7"}, {"set/Rate", "15"},
                      {"set/Rate1", "0x0A"}, {"set/Volume", "$10"}, {"set/Volume1", "-5"},
                      {"set/cbme", "2"},     {"set/cbfriend", "0"}, {"set/cbmyname", "yes"},
                      {"set/cbfriendsname", "0"}, {"set/showtime", "0"}};
    StoredSettings expected;
    expected.engine = 3;
    expected.engine1 = -7;
    expected.rate = 15;
    expected.rate1 = 10;
    expected.volume = 16;
    expected.volume1 = -5;
    expected.cbme = true;
    expected.cbfriend = false;
    expected.cbmyname = true;
    expected.cbfriendsname = false;
    expected.showtime = false;
    EXPECT_EQ(LoadSettings(store), expected);
}

TEST(SaveSettings, WritesInExitOrder) {
    RecordingStore store;
    SettingsToSave settings = DefaultsWithFirstVoices();
    settings.rate = -3;
    settings.volume1 = 7;
    settings.engine1 = 2;
    settings.cbfriend = false;
    SaveSettings(store, settings);
    EXPECT_EQ(store.calls,
              (std::vector<std::string>{"set/Rate=-3", "set/Volume=100", "set/Engine=0", "set/Rate1=0",
                                        "set/Volume1=7", "set/Engine1=2", "set/cbme=1", "set/cbfriend=0",
                                        "set/cbmyname=1", "set/cbfriendsname=1", "set/showtime=1"}));
}

TEST(SaveSettings, NoSelectedVoiceWritesNoEngine) {
    RecordingStore store;
    SettingsToSave settings;
    settings.engine1 = 1;
    SaveSettings(store, settings);
    EXPECT_EQ(store.calls,
              (std::vector<std::string>{"set/Rate=0", "set/Volume=100", "set/Rate1=0", "set/Volume1=100",
                                        "set/Engine1=1", "set/cbme=1", "set/cbfriend=1", "set/cbmyname=1",
                                        "set/cbfriendsname=1", "set/showtime=1"}));
}

TEST(SaveSettings, AFailedWriteStopsTheSave) {
    RecordingStore store;
    store.failingWrite = 3;
    try {
        SaveSettings(store, DefaultsWithFirstVoices());
        FAIL() << "no exception";
    } catch (const SettingsWriteError& e) {
        EXPECT_STREQ(e.what(), "Unable to write to X:\\set.ini");
    }
    EXPECT_EQ(store.calls, (std::vector<std::string>{"set/Rate=0", "set/Volume=100"}));
}

TEST(SaveSettings, SavedSettingsLoadBack) {
    MemoryStore store;
    SettingsToSave saved;
    saved.rate = -10;
    saved.volume = 0;
    saved.engine = 4;
    saved.rate1 = 10;
    saved.volume1 = 55;
    saved.cbmyname = false;
    saved.showtime = false;
    SaveSettings(store, saved);
    StoredSettings expected;
    expected.rate = -10;
    expected.volume = 0;
    expected.engine = 4;
    expected.rate1 = 10;
    expected.volume1 = 55;
    expected.cbmyname = false;
    expected.showtime = false;
    EXPECT_EQ(LoadSettings(store), expected);
}

}  // namespace
