// The portable INI reader and writer against Wine's own profile functions: the same
// steps run through WindowsProfileStore (GetPrivateProfileStringA and
// WritePrivateProfileStringA) and through IniFileStore, on two files side by side in a
// temporary folder; every read must return the same value and, after every write, the
// two files must hold the same bytes. Also the GetPath folder routines under Wine.
#include "e2e.h"

#include "app/handles_win32.h"
#include "app/settings/get_path_win32.h"
#include "app/settings/ini_file_store.h"
#include "app/settings/profile_store_win32.h"
#include "app/settings/settings.h"

#include <shlobj.h>

#include <functional>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace {

using namespace e2e;
using namespace parlowen::settings;
using namespace std::string_literals;

using parlowen::win32::UniqueKernelHandle;

UniqueKernelHandle OpenFile(const std::string& path, DWORD access, DWORD disposition) {
    const HANDLE file = ::CreateFileA(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, disposition, 0, nullptr);
    return UniqueKernelHandle(file == INVALID_HANDLE_VALUE ? nullptr : file);
}

std::optional<std::string> FileBytes(const std::string& path) {
    const UniqueKernelHandle file = OpenFile(path, GENERIC_READ, OPEN_EXISTING);
    if (!file) return std::nullopt;
    std::string bytes;
    char chunk[65536];
    DWORD count = 0;
    while (::ReadFile(file.get(), chunk, sizeof chunk, &count, nullptr) && count > 0) bytes.append(chunk, count);
    return bytes;
}

void PutFile(const std::string& path, const std::string& bytes) {
    const UniqueKernelHandle file = OpenFile(path, GENERIC_WRITE, CREATE_ALWAYS);
    REQUIRE(file);
    DWORD written = 0;
    ::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

// A short picture of a possibly huge text.
std::string Excerpt(const std::string& text) {
    if (text.size() <= 160) return Describe(text);
    return Describe(text.substr(0, 60)) + "..." + Describe(text.substr(text.size() - 60)) + " (" +
           std::to_string(text.size()) + " bytes)";
}

std::string Excerpt(const std::optional<std::string>& file) { return file ? Excerpt(*file) : "(no file)"; }

std::string WhereTheyDiffer(const std::string& a, const std::string& b) {
    std::size_t at = 0;
    while (at < a.size() && at < b.size() && a[at] == b[at]) ++at;
    const std::size_t from = at < 20 ? 0 : at - 20;
    return "first difference at byte " + std::to_string(at) + ": Windows " + Describe(a.substr(from, 60)) +
           ", portable " + Describe(b.substr(from, 60));
}

// Runs every call through both stores and compares what they give and what they leave.
class TwinStore : public ProfileStore {
public:
    TwinStore(std::string scenario, const std::string& windowsPath, const std::string& portablePath)
        : scenario_(std::move(scenario)), windows_(windowsPath), portable_(portablePath) {}

    std::string ReadString(std::string_view section, std::string_view key) override {
        const std::string fromWindows = windows_.ReadString(section, key);
        const std::string fromPortable = portable_.ReadString(section, key);
        if (fromWindows != fromPortable)
            Mismatch("read [" + std::string(section) + "] " + std::string(key) + ": Windows " +
                     Excerpt(fromWindows) + ", portable " + Excerpt(fromPortable));
        return fromWindows;
    }

    void WriteString(std::string_view section, std::string_view key, std::string_view value) override {
        const std::string step = "write [" + std::string(section) + "] " + std::string(key) + "=" +
                                 Excerpt(std::string(value));
        const std::optional<std::string> windowsError = Try([&] { windows_.WriteString(section, key, value); });
        const std::optional<std::string> portableError = Try([&] { portable_.WriteString(section, key, value); });
        if (windowsError.has_value() != portableError.has_value())
            Mismatch(step + ": Windows " + (windowsError ? "failed" : "wrote") + ", portable " +
                     (portableError ? "failed" : "wrote"));
        if (windowsError && *windowsError != "Unable to write to " + windows_.path())
            Mismatch(step + ": Windows error " + Describe(*windowsError));
        if (portableError && *portableError != "Unable to write to " + portable_.path())
            Mismatch(step + ": portable error " + Describe(*portableError));
        CompareFiles(step);
        if (windowsError) throw SettingsWriteError(*windowsError);
    }

    void CompareFiles(const std::string& step) {
        const std::optional<std::string> fromWindows = FileBytes(windows_.path());
        const std::optional<std::string> fromPortable = FileBytes(portable_.path());
        if (fromWindows.has_value() != fromPortable.has_value())
            Mismatch("after " + step + ": Windows file " + Excerpt(fromWindows) + ", portable file " +
                     Excerpt(fromPortable));
        else if (fromWindows && *fromWindows != *fromPortable)
            Mismatch("after " + step + ": " + WhereTheyDiffer(*fromWindows, *fromPortable) + "; Windows file " +
                     Excerpt(fromWindows) + ", portable file " + Excerpt(fromPortable));
    }

    std::optional<std::string> WindowsFile() const { return FileBytes(windows_.path()); }

private:
    static std::optional<std::string> Try(const std::function<void()>& write) {
        try {
            write();
            return std::nullopt;
        } catch (const SettingsWriteError& e) {
            return std::string(e.what());
        }
    }

    void Mismatch(const std::string& what) { Fail(__FILE__, __LINE__, scenario_ + ": " + what); }

    std::string scenario_;
    WindowsProfileStore windows_;
    IniFileStore portable_;
};

struct Scenario {
    const char* name;
    std::optional<std::string> file;  // none: no file to start with
    std::function<void(TwinStore&)> steps;
};

SettingsToSave FirstVoices() {
    SettingsToSave settings;
    settings.engine = 0;
    settings.engine1 = 0;
    return settings;
}

SettingsToSave Changed() {
    SettingsToSave settings;
    settings.rate = -3;
    settings.volume = 55;
    settings.engine = 1;
    settings.rate1 = 10;
    settings.volume1 = 0;
    settings.cbfriend = false;
    settings.showtime = false;
    return settings;
}

void Read(TwinStore& store, std::string_view section, std::initializer_list<std::string_view> keys) {
    for (std::string_view key : keys) store.ReadString(section, key);
}

std::string Repeat(std::string_view text, int times) {
    std::string out;
    for (int i = 0; i < times; ++i) out += text;
    return out;
}

constexpr char kFreshFile[] =
    "[set]\r\nRate=0\r\nVolume=100\r\nEngine=0\r\nRate1=0\r\nVolume1=100\r\nEngine1=0\r\n"
    "cbme=1\r\ncbfriend=1\r\ncbmyname=1\r\ncbfriendsname=1\r\nshowtime=1\r\n";

const std::string kMixed =
    "; top comment\r\n\r\ntopkey = topval \r\n[other]\r\n a = b \r\nKey=Val\r\n\r\n  [ SET ]  \r\n"
    "RATE = 5\r\n  engine=3\r\nfoo\r\n;c = d\r\n=x\r\n=y\r\n\t\r\n[other2] trailing\r\nz=1";

const std::string kNi = "\xC4\xE3";  // a GBK character

std::vector<Scenario> Scenarios() {
    std::vector<Scenario> scenarios;
    scenarios.push_back({"fresh file", std::nullopt, [](TwinStore& store) {
        LoadSettings(store);
        SaveSettings(store, FirstVoices());
        CHECK_EQ(store.WindowsFile().value_or("(no file)"), std::string(kFreshFile));
        LoadSettings(store);
        SaveSettings(store, Changed());
        LoadSettings(store);
    }});
    scenarios.push_back({"other sections, comments, odd spacing, other letter case", kMixed, [](TwinStore& store) {
        Read(store, "set", {"rate", "Rate", "RATE", "Engine", "foo", ";c", "", "missing", "z"});
        Read(store, "other", {"a", "A", "key", "b"});
        Read(store, " other ", {" a "});
        Read(store, "", {"topkey", "; top comment"});
        Read(store, "other2", {"z"});
        store.WriteString("set", "RATE", "5");  // the value already there: the file stays as it is
        LoadSettings(store);
        SaveSettings(store, Changed());
        LoadSettings(store);
        store.WriteString("new", "k", "v");
        store.WriteString("other", "A", "c");
        Read(store, "new", {"K"});
    }});
    scenarios.push_back({"saving what the file holds",
                         "\r\n[set]\r\nRate = 0\r\n\r\nVolume=100\r\nEngine=0\r\nRate1=0\r\nVolume1=100\r\n"
                         "Engine1=0\r\ncbme=1\r\ncbfriend=1\r\ncbmyname=1\r\ncbfriendsname=1\r\nshowtime=1",
                         [](TwinStore& store) {
                             SaveSettings(store, FirstVoices());
                             store.WriteString("set", "rate", "  0");
                             SaveSettings(store, Changed());
                         }});
    scenarios.push_back({"keys in other letter case",
                         "[SET]\r\nRATE = 15\r\nvolume1=-5\r\nENGINE=0x0A\r\nengine1=$1F\r\nRate1= 7 \r\n"
                         "Volume=yes\r\nCBME=2\r\ncbFriend=\r\nCbMyName=0\r\nSHOWTIME\r\n",
                         [](TwinStore& store) {
                             LoadSettings(store);
                             SaveSettings(store, FirstVoices());
                             LoadSettings(store);
                         }});
    scenarios.push_back({"Engine survives a save without voices", "[set]\r\nEngine=3\r\n", [](TwinStore& store) {
        SaveSettings(store, SettingsToSave{});
        LoadSettings(store);
    }});
    scenarios.push_back({"assorted lines",
                         "[my section]\r\nmy key = v 1 \r\na=b=c\r\n=\r\n\t;tabbed comment\r\n[set] ; note\r\n"
                         "Rate=\t2\t\r\n\n\rVolume\t=\t3\r\n\n\r  \r\n",
                         [](TwinStore& store) {
                             Read(store, "my section", {"my key", "MY KEY", "a", "", ";tabbed comment"});
                             LoadSettings(store);
                             SaveSettings(store, Changed());
                             store.WriteString("my section", "a", "x=y");
                             Read(store, "my section", {"a"});
                         }});
    scenarios.push_back({"LF line ends", "[set]\nA=1\n\nB=2\n", [](TwinStore& store) {
        Read(store, "set", {"A", "B"});
        store.WriteString("set", "A", "9");
        SaveSettings(store, FirstVoices());
    }});
    scenarios.push_back({"CR line ends", "[set]\rA=1\rB=2", [](TwinStore& store) {
        Read(store, "set", {"A", "B"});
        store.WriteString("set", "C", "3");
    }});
    scenarios.push_back({"odd section headers",
                         "[set\r\nA=1\r\n[set]x]y\r\nB=2\r\n[]\r\nC=3\r\n[set]\r\nD=4\r\n", [](TwinStore& store) {
                             Read(store, "set", {"A", "B", "D"});
                             Read(store, "set]x", {"B"});
                             Read(store, "[set", {"A"});
                             Read(store, "", {"C", "[set", "A"});
                             store.WriteString("set", "D", "5");
                             SaveSettings(store, Changed());
                         }});
    scenarios.push_back({"the same section twice", "[set]\r\nA=1\r\n[x]\r\n[SET]\r\nB=2\r\n", [](TwinStore& store) {
        Read(store, "set", {"A", "B"});
        store.WriteString("set", "B", "3");
        Read(store, "set", {"B"});
    }});
    scenarios.push_back({"the same key twice", "[set]\r\nrate\r\nRate=4\r\nRATE=5\r\n", [](TwinStore& store) {
        Read(store, "set", {"Rate"});
        store.WriteString("set", "Rate", "1");
        Read(store, "set", {"Rate"});
    }});
    scenarios.push_back({"empty file", "", [](TwinStore& store) { SaveSettings(store, FirstVoices()); }});
    scenarios.push_back({"blank file", "  \r\n\t\r\n\r\n", [](TwinStore& store) { SaveSettings(store, FirstVoices()); }});
    scenarios.push_back({"keys before any section", "a=1\r\nb\r\n", [](TwinStore& store) {
        Read(store, "", {"a", "b"});
        SaveSettings(store, FirstVoices());
    }});
    scenarios.push_back({"UTF-8 byte-order mark", "\xEF\xBB\xBF[set]\r\nRate=1\r\n", [](TwinStore& store) {
        LoadSettings(store);
        SaveSettings(store, FirstVoices());
    }});
    scenarios.push_back({"control characters as blanks", "[set]\x1a\r\n\x0b" "Rate\x0c=\x1a" "1\x1a\r\n",
                         [](TwinStore& store) {
                             LoadSettings(store);
                             SaveSettings(store, Changed());
                         }});
    scenarios.push_back({"quotes and lengths",
                         "[set]\r\nq1=\"abc\"\r\nq2='abc'\r\nq3=\"abc'\r\nq4=\"\r\nq5=\"\"\r\nq6= \" x \" \r\n"
                         "t=\t7\t\r\ne=\r\nn\r\nsp = a  b \r\nbig=" + std::string(3000, 'x') + "\r\nq2046=\"" +
                             std::string(2046, 'y') + "\"\r\nq2047=\"" + std::string(2047, 'y') + "\"\r\nq2048=\"" +
                             std::string(2048, 'y') + "\"\r\nv2047=" + std::string(2047, 'z') + "\r\nv2048=" +
                             std::string(2048, 'z') + "\r\nRate=\"7\"\r\n",
                         [](TwinStore& store) {
                             Read(store, "set", {"q1", "q2", "q3", "q4", "q5", "q6", "t", "e", "n", "sp", "big",
                                                 "q2046", "q2047", "q2048", "v2047", "v2048"});
                             LoadSettings(store);
                             SaveSettings(store, FirstVoices());
                         }});
    scenarios.push_back({"double-byte text",
                         "[set]\r\ngbk=" + Repeat(kNi, 1500) + "\r\nmix=a" + Repeat(kNi, 1500) + "\r\nh=" +
                             Repeat(kNi, 1023) + "\r\nh2=a" + Repeat(kNi, 1023) + "\r\nk\x81\x41=1\r\nname=" +
                             kNi + "\r\n[s\x81\x5Dt]\r\nk=2\r\n",
                         [](TwinStore& store) {
                             Read(store, "set", {"gbk", "mix", "h", "h2", "k\x81\x41", "K\x81\x41", "name"});
                             Read(store, "s\x81\x5Dt", {"k"});
                             Read(store, "S\x81\x5DT", {"K"});
                             store.WriteString("set", "name", kNi + kNi);
                             store.WriteString("s\x81\x5Dt", "k", "3");
                             SaveSettings(store, FirstVoices());
                         }});
    scenarios.push_back({"values written", std::nullopt, [](TwinStore& store) {
        store.WriteString("set", "long", std::string(2000, 'v'));
        // Leading blanks only: a value written with trailing blanks stays in Wine's cache
        // of the file with them, while a fresh read of the file drops them (see ini_text.h).
        store.WriteString("set", "padded", "  lead");
        store.WriteString("set", "quoted", "\"q\"");
        store.WriteString("set", "empty", "");
        store.WriteString("set", "Rate", "-0");
        Read(store, "set", {"long", "padded", "quoted", "empty"});
        LoadSettings(store);
        store.WriteString("set", "long", std::string(2100, 'w'));
        Read(store, "set", {"long"});
        SaveSettings(store, Changed());
    }});
    scenarios.push_back({"huge file without line breaks", "[set]\r\nA=" + std::string(2 * 1024 * 1024, 'q'),
                         [](TwinStore& store) {
                             Read(store, "set", {"A", "Rate"});
                             SaveSettings(store, FirstVoices());
                             LoadSettings(store);
                         }});
    return scenarios;
}

std::string TemporaryFolder() {
    char temp[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, temp);
    const std::string folder = std::string(temp) + "parlowen-profile-" + std::to_string(::GetCurrentProcessId()) + "\\";
    ::CreateDirectoryA(folder.c_str(), nullptr);
    return folder;
}

// Removes the files of a folder made by TemporaryFolder, then the folder.
void RemoveTemporaryFolder(const std::string& folder) {
    WIN32_FIND_DATAA found;
    const HANDLE search = ::FindFirstFileA((folder + "*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) ::DeleteFileA((folder + found.cFileName).c_str());
        } while (::FindNextFileA(search, &found));
        ::FindClose(search);
    }
    ::RemoveDirectoryA(folder.c_str());
}

E2E_TEST(ProfileStoreMatchesWindowsProfileFunctions) {
    const std::string folder = TemporaryFolder();
    int index = 0;
    for (const Scenario& scenario : Scenarios()) {
        // New names for every scenario, so nothing Wine keeps of a file can be stale.
        const std::string stem = folder + std::to_string(++index);
        const std::string windowsPath = stem + "-windows.ini";
        const std::string portablePath = stem + "-portable.ini";
        if (scenario.file) {
            PutFile(windowsPath, *scenario.file);
            PutFile(portablePath, *scenario.file);
        }
        TwinStore store(scenario.name, windowsPath, portablePath);
        try {
            scenario.steps(store);
        } catch (const std::exception& e) {
            Fail(__FILE__, __LINE__, std::string(scenario.name) + ": " + e.what());
        }
        store.CompareFiles("the last step");
    }

    // A folder that does not exist: reads give "" and writes fail alike.
    TwinStore missing("missing folder", folder + "missing\\windows.ini", folder + "missing\\portable.ini");
    CHECK(LoadSettings(missing) == StoredSettings{});
    bool threw = false;
    try {
        SaveSettings(missing, FirstVoices());
    } catch (const SettingsWriteError& e) {
        threw = true;
        CHECK_EQ(std::string(e.what()), "Unable to write to " + folder + "missing\\windows.ini");
    }
    CHECK(threw);
    CHECK_EQ(::GetFileAttributesA((folder + "missing").c_str()), INVALID_FILE_ATTRIBUTES);
    RemoveTemporaryFolder(folder);
}

// Random bytes are no settings file, and Wine's conversion through UTF-16 changes them,
// so the two stores are not compared here: the portable one must only never fail.
E2E_TEST(IniFileStoreSurvivesBinaryFiles) {
    const std::string folder = TemporaryFolder();
    const std::string path = folder + "binary.ini";
    std::mt19937 random(2009);
    for (int round = 0; round < 5; ++round) {
        std::string bytes(200000 + round * 100000, '\0');
        for (char& c : bytes) c = static_cast<char>(random());
        PutFile(path, bytes);
        IniFileStore store(path);
        LoadSettings(store);
        SaveSettings(store, Changed());
        const StoredSettings loaded = LoadSettings(store);
        CHECK_EQ(loaded.rate, -3);
        CHECK_EQ(loaded.engine1, -1);
        CHECK_EQ(loaded.showtime, false);
        CHECK_EQ(::GetFileAttributesA((path + ".tmp").c_str()), INVALID_FILE_ATTRIBUTES);
    }
    RemoveTemporaryFolder(folder);
}

bool IsDirectory(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

E2E_TEST(GetPathFindsAndCreatesTheSettingsFolder) {
    const std::string appData = AppDataFolder();
    REQUIRE(appData.size() > 1);
    CHECK(appData.ends_with("\\"));
    CHECK(IsDirectory(appData));
    CHECK_EQ(appData, GetSpecialFolder(CSIDL_APPDATA) + "\\");
    const std::string startup = StartupFolder();
    CHECK(startup.size() > 1 && startup.ends_with("\\"));
    CHECK_EQ(GetSpecialFolder(0x7F), std::string());  // no such folder

    CHECK_EQ(ExeBaseName(RunningExePath()), std::string("parlowen_e2e"));
    const std::string folder = appData + "parlowen_e2e";
    ::RemoveDirectoryA(folder.c_str());
    REQUIRE(!IsDirectory(folder));
    CHECK_EQ(SettingsFolder(), folder + "\\");
    CHECK(IsDirectory(folder));
    CHECK_EQ(SettingsFolder(), folder + "\\");  // already there
    CHECK_EQ(SettingsPath(), folder + "\\set.ini");
    ::RemoveDirectoryA(folder.c_str());

    // A file in the folder's place: the folder cannot be created.
    PutFile(folder, "not a folder");
    std::string message;
    try {
        SettingsFolder();
    } catch (const std::exception& e) {
        message = e.what();
    }
    const std::string expected = "Cannot create the folder " + folder + ": ";
    CHECK_EQ(message.substr(0, expected.size()), expected);
    CHECK(message.size() > expected.size());
    ::DeleteFileA(folder.c_str());
}

}  // namespace
