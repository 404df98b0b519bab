#include "app/settings/settings.h"

#include "app/settings/ini_file_store.h"
#include "app/settings/ini_text.h"

#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace {

using namespace parlowen::settings;
namespace fs = std::filesystem;

// The settings file held in memory, read and written with the profile functions' rules.
class MemoryStore : public ProfileStore {
public:
    explicit MemoryStore(std::string text = {}) : text_(std::move(text)) {}
    std::string ReadString(std::string_view section, std::string_view key) override {
        return IniText(text_).Read(section, key);
    }
    void WriteString(std::string_view section, std::string_view key, std::string_view value) override {
        IniText ini(text_);
        if (ini.Write(section, key, value)) text_ = ini.Text();
    }
    const std::string& text() const { return text_; }

private:
    std::string text_;
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

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteFile(const fs::path& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// A fresh folder per test, removed afterwards.
class SettingsFile : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        folder_ = fs::temp_directory_path() /
                  ("parlowen-settings-" + std::to_string(std::random_device{}()) + "-" + test->name());
        fs::create_directories(folder_);
    }
    void TearDown() override { fs::remove_all(folder_); }
    fs::path Path(const char* name = "set.ini") const { return folder_ / name; }

    fs::path folder_;
};

SettingsToSave DefaultsWithFirstVoices() {
    SettingsToSave settings;
    settings.engine = 0;
    settings.engine1 = 0;
    return settings;
}

constexpr char kFreshFile[] =
    "[set]\r\nRate=0\r\nVolume=100\r\nEngine=0\r\nRate1=0\r\nVolume1=100\r\nEngine1=0\r\n"
    "cbme=1\r\ncbfriend=1\r\ncbmyname=1\r\ncbfriendsname=1\r\nshowtime=1\r\n";

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
        const char* line;  // nullptr: the key is missing
        int value;
    };
    const Case cases[] = {
        {"Rate=15", 15},         {"Rate=-5", -5},     {"Rate=0x0A", 10},      {"Rate=0X1f", 31},
        {"Rate=$1F", 31},        {"Rate=0x", 42},     {"Rate=yes", 42},       {"Rate=", 42},
        {nullptr, 42},           {"Rate", 42},        {"Rate= 7 ", 7},        {"Rate=99999999999", 42},
        {"rate=3", 3},           {"RATE=4", 4},       {"Rate=\"12\"", 12},    {"Rate=1.5", 42},
    };
    for (const Case& c : cases) {
        MemoryStore store(c.line ? std::string("[set]\r\n") + c.line + "\r\n" : "[set]\r\nOther=1\r\n");
        EXPECT_EQ(ReadInteger(store, "Rate", 42), c.value) << (c.line ? c.line : "(missing)");
    }
    MemoryStore noFile;
    EXPECT_EQ(ReadInteger(noFile, "Rate", -1), -1);
    MemoryStore otherSection("[other]\r\nRate=5\r\n");
    EXPECT_EQ(ReadInteger(otherSection, "Rate", -1), -1);
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
        MemoryStore store(c.value ? std::string("[set]\r\ncbme=") + c.value + "\r\n" : "");
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

TEST(Clamp, SlidersRanges) {
    EXPECT_EQ(ClampRate(15), 10);
    EXPECT_EQ(ClampRate(-11), -10);
    EXPECT_EQ(ClampRate(-10), -10);
    EXPECT_EQ(ClampRate(3), 3);
    EXPECT_EQ(ClampRate(INT_MIN), -10);
    EXPECT_EQ(ClampVolume(-5), 0);
    EXPECT_EQ(ClampVolume(0), 0);
    EXPECT_EQ(ClampVolume(100), 100);
    EXPECT_EQ(ClampVolume(101), 100);
    EXPECT_EQ(ClampVolume(INT_MAX), 100);
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
    MemoryStore store(
        "[set]\r\nEngine=3\r\nEngine1=-7\r\nRate=15\r\nRate1=0x0A\r\nVolume=$10\r\nVolume1=-5\r\n"
        "cbme=2\r\ncbfriend=0\r\ncbmyname=yes\r\ncbfriendsname=0\r\nshowtime=0\r\n");
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
    EXPECT_EQ(ClampRate(LoadSettings(store).rate), 10);
    EXPECT_EQ(ClampVolume(LoadSettings(store).volume1), 0);
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

TEST_F(SettingsFile, FreshFileAfterSavingDefaults) {
    IniFileStore store(Path().string());
    SaveSettings(store, DefaultsWithFirstVoices());
    EXPECT_EQ(ReadFile(Path()), kFreshFile);
    EXPECT_FALSE(fs::exists(Path("set.ini.tmp")));
}

TEST_F(SettingsFile, ReadingNeverCreatesTheFile) {
    IniFileStore store(Path().string());
    EXPECT_EQ(LoadSettings(store), StoredSettings{});
    EXPECT_FALSE(fs::exists(Path()));
}

TEST_F(SettingsFile, SavedSettingsLoadBack) {
    IniFileStore store(Path().string());
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

TEST_F(SettingsFile, KeyInOtherCaseIsReadAndWrittenBackInPlace) {
    WriteFile(Path(), "[set]\r\nRATE=5\r\n");
    IniFileStore store(Path().string());
    EXPECT_EQ(LoadSettings(store).rate, 5);
    SettingsToSave settings = DefaultsWithFirstVoices();
    settings.rate = 6;
    SaveSettings(store, settings);
    EXPECT_EQ(ReadFile(Path()),
              "[set]\r\nRATE=6\r\nVolume=100\r\nEngine=0\r\nRate1=0\r\nVolume1=100\r\nEngine1=0\r\n"
              "cbme=1\r\ncbfriend=1\r\ncbmyname=1\r\ncbfriendsname=1\r\nshowtime=1\r\n");
}

TEST_F(SettingsFile, EngineSurvivesASaveWithoutVoices) {
    WriteFile(Path(), "[set]\r\nEngine=3\r\n");
    IniFileStore store(Path().string());
    SaveSettings(store, SettingsToSave{});
    EXPECT_EQ(ReadFile(Path()),
              "[set]\r\nEngine=3\r\nRate=0\r\nVolume=100\r\nRate1=0\r\nVolume1=100\r\n"
              "cbme=1\r\ncbfriend=1\r\ncbmyname=1\r\ncbfriendsname=1\r\nshowtime=1\r\n");
    EXPECT_EQ(LoadSettings(store).engine, 3);
}

TEST_F(SettingsFile, OtherSectionsCommentsAndKeysAreKept) {
    WriteFile(Path(),
              "; Parlowen settings\r\n\r\n[Window]\r\n  Left = 10 \r\n\r\n[SET]\r\nrate = 2\r\ncustom=x\r\n"
              "; note = kept\r\nVOLUME1=7\r\n[zz]\r\nRate=99\r\n");
    IniFileStore store(Path().string());
    const StoredSettings loaded = LoadSettings(store);
    EXPECT_EQ(loaded.rate, 2);
    EXPECT_EQ(loaded.volume1, 7);
    SaveSettings(store, DefaultsWithFirstVoices());
    // As Wine does, the first change rewrites the file without blank lines and blanks
    // around "="; every section, comment and key stays, in its order and spelling.
    EXPECT_EQ(ReadFile(Path()),
              "; Parlowen settings\r\n[Window]\r\nLeft=10\r\n[SET]\r\nrate=0\r\ncustom=x\r\n; note=kept\r\n"
              "VOLUME1=100\r\nVolume=100\r\nEngine=0\r\nRate1=0\r\nEngine1=0\r\ncbme=1\r\ncbfriend=1\r\n"
              "cbmyname=1\r\ncbfriendsname=1\r\nshowtime=1\r\n[zz]\r\nRate=99\r\n");
}

TEST_F(SettingsFile, SavingWhatTheFileHoldsLeavesItUntouched) {
    const std::string original =
        "\r\n[set]\r\nRate = 0\r\n\r\nVolume=100\r\nEngine=0\r\nRate1=0\r\nVolume1=100\r\nEngine1=0\r\n"
        "cbme=1\r\ncbfriend=1\r\ncbmyname=1\r\ncbfriendsname=1\r\nshowtime=1";
    WriteFile(Path(), original);
    IniFileStore store(Path().string());
    SaveSettings(store, DefaultsWithFirstVoices());
    EXPECT_EQ(ReadFile(Path()), original);
}

TEST_F(SettingsFile, WriteFailsInAFolderThatDoesNotExist) {
    const std::string path = (folder_ / "missing" / "set.ini").string();
    IniFileStore store(path);
    EXPECT_EQ(store.ReadString("set", "Rate"), "");
    EXPECT_EQ(LoadSettings(store), StoredSettings{});
    try {
        SaveSettings(store, DefaultsWithFirstVoices());
        FAIL() << "no exception";
    } catch (const SettingsWriteError& e) {
        EXPECT_EQ(std::string(e.what()), "Unable to write to " + path);
    }
    EXPECT_FALSE(fs::exists(folder_ / "missing"));
}

TEST_F(SettingsFile, WriteFailsWhenThePathIsAFolder) {
    fs::create_directory(Path());
    IniFileStore store(Path().string());
    EXPECT_EQ(store.ReadString("set", "Rate"), "");
    EXPECT_THROW(store.WriteString("set", "Rate", "1"), SettingsWriteError);
}

TEST_F(SettingsFile, AStaleTemporaryFileFromAKilledRunDoesNotMatter) {
    WriteFile(Path(), "[set]\r\nRate=1\r\n");
    WriteFile(Path("set.ini.tmp"), "[set]\r\nRa");
    IniFileStore store(Path().string());
    store.WriteString("set", "Rate", "2");
    EXPECT_EQ(ReadFile(Path()), "[set]\r\nRate=2\r\n");
    EXPECT_FALSE(fs::exists(Path("set.ini.tmp")));
}

TEST_F(SettingsFile, HugeBinaryAndLineBreakLessFiles) {
    std::mt19937 random(7);
    std::string binary(1024 * 1024, '\0');
    for (char& c : binary) c = static_cast<char>(random());
    const std::string inputs[] = {binary, std::string(2 * 1024 * 1024, 'q'),
                                  "[set]\r\nRate=" + std::string(1000000, '7')};
    for (const std::string& input : inputs) {
        WriteFile(Path(), input);
        IniFileStore store(Path().string());
        const StoredSettings loaded = LoadSettings(store);
        EXPECT_EQ(loaded.volume, 100);
        SaveSettings(store, DefaultsWithFirstVoices());
        const StoredSettings again = LoadSettings(store);
        EXPECT_EQ(again.engine, 0);
        EXPECT_EQ(again.rate, 0);
        EXPECT_TRUE(again.showtime);
    }
}

TEST_F(SettingsFile, A2000CharacterValue) {
    const std::string value(2000, '9');
    IniFileStore store(Path().string());
    store.WriteString("set", "Rate", value);
    EXPECT_EQ(store.ReadString("set", "Rate"), value);
    EXPECT_EQ(ReadInteger(store, "Rate", 5), 5);
    EXPECT_EQ(ReadFile(Path()), "[set]\r\nRate=" + value + "\r\n");
}

}  // namespace
