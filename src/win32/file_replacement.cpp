#include "win32/file_replacement.h"

#include <utility>

namespace parlowen::win32 {
namespace {

// The system's error codes the replacement tells apart.
constexpr unsigned long kFileExists = 80;
constexpr unsigned long kAlreadyExists = 183;
constexpr unsigned long kUnableToRemoveReplaced = 1175;
constexpr unsigned long kUnableToMoveReplacement = 1176;
constexpr unsigned long kUnableToMoveReplacement2 = 1177;

constexpr wchar_t kNewSuffix[] = L".parlowen-saving";
constexpr wchar_t kOldSuffix[] = L".parlowen-old";

}  // namespace

FileReplacement::FileReplacement(ReplacementFiles& files, std::wstring target, ReplacementWay way,
                                 const std::string& what)
    : files_(files), target_(std::move(target)), file_(files_.ExistingFile(target_)), way_(way) {
    temporary_ = CreateBeside(kNewSuffix, what);
}

FileReplacement::~FileReplacement() {
    if (removeTemporary_) files_.Delete(temporary_);
}

std::wstring FileReplacement::CreateBeside(const std::wstring& suffix, const std::string& what) {
    // Beside the file a link leads to, so on its volume: a rename never copies.
    const std::wstring& base = file_ ? *file_ : target_;
    unsigned long error = 0;
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        const std::wstring name = base + L"." + files_.RandomPart() + suffix;
        error = files_.CreateNew(name);
        if (error == 0) return name;
        if (error != kFileExists && error != kAlreadyExists) break;
    }
    throw std::runtime_error(what + ": " + files_.Describe(error));
}

void FileReplacement::Commit(const std::string& what) {
    if (!file_)
        MoveIntoPlace(what);
    else if (way_ == ReplacementWay::Swap)
        Swap(what);
    else
        Overwrite(what);
}

void FileReplacement::MoveIntoPlace(const std::string& what) {
    if (const unsigned long error = files_.Move(temporary_, target_))
        Fail(what, error, "the new content is kept in " + files_.Shown(temporary_));
    removeTemporary_ = false;
}

void FileReplacement::Swap(const std::string& what) {
    const std::wstring backup = CreateBeside(kOldSuffix, what);
    const unsigned long error = files_.Replace(*file_, temporary_, backup);
    if (error == 0) {
        removeTemporary_ = false;
        files_.Delete(backup);
        return;
    }
    // 1177 and failures the system does not explain may leave the old content under the
    // backup name only: it goes back. With 1175 and 1176 both files keep their names.
    const bool fileGone = error != kUnableToRemoveReplaced && error != kUnableToMoveReplacement &&
                          (error == kUnableToMoveReplacement2 || !files_.ExistingFile(*file_));
    const std::string newKept = "the new content is kept in " + files_.Shown(temporary_);
    if (fileGone && files_.Move(backup, *file_) != 0)
        Fail(what, error, "the earlier content is kept in " + files_.Shown(backup) + ", " + newKept);
    files_.Delete(backup);
    Fail(what, error, newKept);
}

void FileReplacement::Overwrite(const std::string& what) {
    const std::wstring backup = CreateBeside(kOldSuffix, what);
    const std::string newKept = "the new content is kept in " + files_.Shown(temporary_);
    if (const unsigned long error = files_.CopyContent(*file_, backup)) {
        files_.Delete(backup);
        Fail(what, error, newKept);
    }
    if (const unsigned long error = files_.CopyContent(temporary_, *file_)) {
        if (files_.CopyContent(backup, *file_) != 0)
            Fail(what, error, "the earlier content is kept in " + files_.Shown(backup) + ", " + newKept);
        files_.Delete(backup);
        Fail(what, error, newKept);
    }
    files_.Delete(backup);
}

void FileReplacement::Fail(const std::string& what, unsigned long error, const std::string& kept) {
    // The new content is whole: it stays where the message says.
    removeTemporary_ = false;
    throw std::runtime_error(what + ": " + files_.Describe(error) + "; " + kept);
}

}  // namespace parlowen::win32
