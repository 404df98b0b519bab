#include "log/log_file_format.h"

#include <gtest/gtest.h>

namespace {

using parlowen::log::FormatForOpening;
using parlowen::log::LogFileFormat;
using parlowen::log::LowerCaseExtension;
using parlowen::log::PlainTextModeForSaving;

TEST(LogFileFormat, SavingChoosesByTheLowerCasedExtensionOfTheFileName) {
    const struct { const char* path; const char* extension; bool plainText; } cases[] = {
        {"C:\\logs\\chat.rtf", ".rtf", false},
        {"C:\\logs\\chat.Rtf", ".rtf", false},
        {"C:\\logs\\chat.TXT", ".txt", true},
        {"C:\\logs\\chat.doc", ".doc", true},
        {"C:\\logs\\chat.log", ".log", true},
        {"C:\\logs\\chat", "", true},                // no extension
        {"C:\\my.logs\\chat", "", true},             // the dot of a folder does not count
        {"C:\\logs\\chat.rtf.txt", ".txt", true},    // the last dot
        {"C:\\logs\\chat.", ".", true},
        {"\xD7\xA2.RTF", ".rtf", false},              // GBK name
        {"a.rtf\xB2\\b", ".rtf\xB2\\b", true},          // 0x5C as a GBK trail byte is no separator
    };
    for (const auto& c : cases) {
        EXPECT_EQ(LowerCaseExtension(c.path), c.extension) << c.path;
        EXPECT_EQ(PlainTextModeForSaving(c.path), c.plainText) << c.path;
    }
}

// By content alone: an .rtf file opens with its colours also after a save as text.
TEST(LogFileFormat, OpeningReadsRtfWhenTheFileIsRtf) {
    const struct { const char* content; LogFileFormat format; } cases[] = {
        {"{\\rtf1\\ansi hello}", LogFileFormat::Rtf},
        {"{\\urtf1 hello}", LogFileFormat::Rtf},
        {"hello\r\nworld", LogFileFormat::PlainText},
        {"", LogFileFormat::PlainText},
        {" {\\rtf1}", LogFileFormat::PlainText},
    };
    for (const auto& c : cases) EXPECT_EQ(FormatForOpening(c.content), c.format) << c.content;
}

}  // namespace
