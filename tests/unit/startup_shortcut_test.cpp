#include "text/ansi_path.h"
#include "app/startup_shortcut.h"

#include <gtest/gtest.h>

#include <map>
#include <stdexcept>
#include <string>

namespace {

using namespace parlowen::app;

struct Shortcut {
    std::string target, arguments, description;
};

// Shortcut files in memory; creating one applies the same extension rule as the program's.
class FakeShortcutFiles : public ShortcutFiles {
public:
    bool Exists(const std::string& path) override { return files.contains(path); }
    void Delete(const std::string& path) override {
        ++deletions;
        files.erase(path);
    }
    void CreateShortcut(const std::string& target, const std::string& arguments, const std::string& linkPath,
                        const std::string& description) override {
        CheckLinkExtension(linkPath);
        files[linkPath] = {target, arguments, description};
    }
    std::map<std::string, Shortcut> files;
    int deletions = 0;
};

const StartupPlaces kPlaces{"D:\\Reader\\parlowen.exe", "C:\\Users\\u\\Startup\\"};
const std::string kLink = "C:\\Users\\u\\Startup\\parlowen.lnk";

std::string ExtensionMessage(const std::string& path) {
    try {
        CheckLinkExtension(path);
    } catch (const std::runtime_error& e) {
        return e.what();
    }
    return "";
}

TEST(CheckLinkExtension, OnlyLnkInAnyLetterCasePasses) {
    for (const char* path : {"C:\\a\\parlowen.lnk", "C:\\a\\x.LNK", "C:\\a\\x.LnK", "x.y.lnk", "C:.lnk"})
        EXPECT_EQ(ExtensionMessage(path), "") << path;
    const std::string message = "File Ext Must Be: \xA1\xE4\xA1\xE4LNK\xA1\xE4\xA1\xE4!";
    for (const char* path : {"C:\\a\\parlowen.txt", "C:\\a.lnk\\parlowen", "C:\\a\\lnk", "C:\\a\\x.lnk.", "x.lnkx", ""})
        EXPECT_EQ(ExtensionMessage(path), message) << path;
}

TEST(StartupShortcut, NamedAfterTheExecutableInTheStartupFolder) {
    EXPECT_EQ(StartupShortcutPath(kPlaces.startupFolder, kPlaces.exePath), kLink);
    EXPECT_EQ(StartupShortcutPath("\\", "C:\\x\\Reader.v2.exe"), "\\Reader.v2.lnk");
    EXPECT_EQ(parlowen::text::FolderOf(kPlaces.exePath), "D:\\Reader\\");
    EXPECT_EQ(parlowen::text::FolderOf("C:parlowen.exe"), "C:");
    EXPECT_EQ(parlowen::text::FolderOf("C:\\a\\\x95\x5C" "b.exe"), "C:\\a\\");
}

TEST(StartupShortcut, CheckingWritesTheShortcutAndUncheckingRemovesIt) {
    FakeShortcutFiles files;
    EXPECT_FALSE(StartupShortcutExists(files, kPlaces));
    ApplyStartWithWindows(files, kPlaces, true);
    ASSERT_TRUE(files.files.contains(kLink));
    EXPECT_EQ(files.files[kLink].target, kPlaces.exePath);
    EXPECT_EQ(files.files[kLink].arguments, " -s");
    EXPECT_EQ(files.files[kLink].description, "Parlowen2009");
    EXPECT_TRUE(StartupShortcutExists(files, kPlaces));

    ApplyStartWithWindows(files, kPlaces, false);
    EXPECT_TRUE(files.files.empty());
    EXPECT_EQ(files.deletions, 1);
    EXPECT_FALSE(StartupShortcutExists(files, kPlaces));
}

TEST(StartupShortcut, UncheckingWithoutTheFileDeletesNothing) {
    FakeShortcutFiles files;
    files.files["C:\\Users\\u\\Startup\\other.lnk"] = {};
    ApplyStartWithWindows(files, kPlaces, false);
    EXPECT_EQ(files.deletions, 0);
    EXPECT_EQ(files.files.size(), 1u);
}

}  // namespace
