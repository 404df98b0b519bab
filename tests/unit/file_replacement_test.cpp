#include "win32/file_replacement.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>

namespace {

using parlowen::win32::FileReplacement;
using parlowen::win32::ReplacementFiles;
using parlowen::win32::ReplacementWay;

// Files in memory: a link holds the path it leads to. A step can be made to fail.
class FakeFiles : public ReplacementFiles {
public:
    std::map<std::wstring, std::string> files;
    std::map<std::wstring, std::wstring> links;
    std::function<unsigned long(const std::string& step)> failing = [](const std::string&) { return 0ul; };
    bool replaceLosesTarget = false;  // with the failure of "replace": the target is gone to the backup
    int names = 0;

    std::optional<std::wstring> ExistingFile(const std::wstring& path) override {
        const std::wstring file = links.count(path) ? links[path] : path;
        return files.count(file) ? std::optional<std::wstring>(file) : std::nullopt;
    }
    unsigned long CreateNew(const std::wstring& path) override {
        if (files.count(path) || links.count(path)) return 80;
        if (const unsigned long error = failing("create")) return error;
        files[path];
        return 0;
    }
    unsigned long Delete(const std::wstring& path) override { return files.erase(path) ? 0 : 2; }
    unsigned long Move(const std::wstring& from, const std::wstring& to) override {
        if (const unsigned long error = failing("move")) return error;
        Rename(from, to);
        return 0;
    }
    void Rename(const std::wstring& from, const std::wstring& to) {
        files[to] = files[from];
        files.erase(from);
    }
    unsigned long Replace(const std::wstring& target, const std::wstring& replacement,
                          const std::wstring& backup) override {
        if (const unsigned long error = failing("replace")) {
            if (error == 1177 || replaceLosesTarget) Rename(target, backup);
            return error;
        }
        files[backup] = files[target];
        Rename(replacement, target);
        return 0;
    }
    unsigned long CopyContent(const std::wstring& from, const std::wstring& into) override {
        if (const unsigned long error = failing(into.ends_with(L".parlowen-old") ? "copy to backup" : "copy into")) {
            files[into] = "half written";
            return error;
        }
        files[into] = files[from];
        return 0;
    }
    std::wstring RandomPart() override { return std::to_wstring(++names); }
    std::string Describe(unsigned long error) override { return "error " + std::to_string(error); }
    std::string Shown(const std::wstring& path) override { return std::string(path.begin(), path.end()); }
};

// Saves "new" over `path` the given way; the error message, or "" on success.
std::string Save(FakeFiles& fake, const std::wstring& path, ReplacementWay way) {
    try {
        FileReplacement replacement(fake, path, way, "Cannot save");
        fake.files[replacement.path()] = "new";
        replacement.Commit("Cannot save");
    } catch (const std::runtime_error& e) {
        return e.what();
    }
    return {};
}

TEST(FileReplacement, ANewFileALinkAndAPlantedNameEachEndWithTheNewContentAndNothingElse) {
    for (const ReplacementWay way : {ReplacementWay::Swap, ReplacementWay::Overwrite}) {
        FakeFiles fake;
        EXPECT_EQ(Save(fake, L"new.rtf", way), "");
        EXPECT_EQ(fake.files, (std::map<std::wstring, std::string>{{L"new.rtf", "new"}}));

        // Through a link: the file it leads to gets the content and the link stays.
        fake.files = {{L"real/log.rtf", "old"}, {L"log.rtf.1.parlowen-saving", "planted"}};
        fake.links = {{L"log.rtf", L"real/log.rtf"}, {L"real/log.rtf.1.parlowen-saving", L"elsewhere"}};
        fake.names = 0;
        EXPECT_EQ(Save(fake, L"log.rtf", way), "");
        EXPECT_EQ(fake.files, (std::map<std::wstring, std::string>{{L"real/log.rtf", "new"},
                                                                   {L"log.rtf.1.parlowen-saving", "planted"}}));
        EXPECT_EQ(fake.links.size(), 2u);
    }
}

// A failure at any step after the new content was written whole: the file holds its old
// content, and the message names where each copy kept is.
TEST(FileReplacement, AFailedStepLeavesTheOldContentAndNamesTheCopiesKept) {
    const struct {
        ReplacementWay way;
        const char* step;
        unsigned long error;
        bool replaceLosesTarget;
        const char* restoreStep;  // fails too, so the old content stays in the backup
        std::string message;
    } cases[] = {
        {ReplacementWay::Swap, "replace", 1175, false, nullptr, "kept in log.rtf.1.parlowen-saving"},
        {ReplacementWay::Swap, "replace", 1176, false, nullptr, "kept in log.rtf.1.parlowen-saving"},
        {ReplacementWay::Swap, "replace", 1177, false, nullptr, "kept in log.rtf.1.parlowen-saving"},
        {ReplacementWay::Swap, "replace", 5, true, nullptr, "kept in log.rtf.1.parlowen-saving"},
        {ReplacementWay::Swap, "replace", 1177, false, "move",
         "earlier content is kept in log.rtf.2.parlowen-old, the new content is kept in log.rtf.1.parlowen-saving"},
        {ReplacementWay::Overwrite, "copy to backup", 112, false, nullptr, "kept in log.rtf.1.parlowen-saving"},
        {ReplacementWay::Overwrite, "copy into", 112, false, nullptr, "kept in log.rtf.1.parlowen-saving"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.step) + " " + std::to_string(c.error));
        FakeFiles fake;
        fake.files = {{L"log.rtf", "old"}};
        fake.replaceLosesTarget = c.replaceLosesTarget;
        // The step fails once; the step that puts the old content back, when named, always.
        fake.failing = [&, failed = false](const std::string& step) mutable {
            if (step == c.step && !failed) return failed = true, c.error;
            return c.restoreStep && step == c.restoreStep ? 5ul : 0ul;
        };
        const std::string message = Save(fake, L"log.rtf", c.way);
        EXPECT_TRUE(message.starts_with("Cannot save: error " + std::to_string(c.error) + "; ")) << message;
        EXPECT_NE(message.find(c.message), std::string::npos) << message;
        EXPECT_EQ(fake.files[L"log.rtf.1.parlowen-saving"], "new");
        if (c.restoreStep)
            EXPECT_EQ(fake.files[L"log.rtf.2.parlowen-old"], "old");
        else
            EXPECT_EQ(fake.files, (std::map<std::wstring, std::string>{{L"log.rtf", "old"},
                                                                       {L"log.rtf.1.parlowen-saving", "new"}}));
    }
    // An overwrite whose restore fails too: the file may be half written, both copies stay.
    FakeFiles fake;
    fake.files = {{L"log.rtf", "old"}};
    fake.failing = [](const std::string& step) { return step == "copy into" ? 112ul : 0ul; };
    EXPECT_NE(Save(fake, L"log.rtf", ReplacementWay::Overwrite).find("earlier content is kept in log.rtf.2.parlowen-old"),
              std::string::npos);
    EXPECT_EQ(fake.files[L"log.rtf.2.parlowen-old"], "old");
}

TEST(FileReplacement, NoTemporaryFileNoSave) {
    FakeFiles fake;
    fake.files = {{L"log.rtf", "old"}};
    fake.failing = [](const std::string& step) { return step == "create" ? 5ul : 0ul; };
    EXPECT_EQ(Save(fake, L"log.rtf", ReplacementWay::Swap), "Cannot save: error 5");
    EXPECT_EQ(fake.files, (std::map<std::wstring, std::string>{{L"log.rtf", "old"}}));
}

}  // namespace
