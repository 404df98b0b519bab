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

TEST(LogFileFormat, OpeningReadsRtfOnlyWhenTheModeIsOffAndTheFileIsRtf) {
    const struct { const char* content; bool plainTextMode; LogFileFormat format; } cases[] = {
        {"{\\rtf1\\ansi hello}", false, LogFileFormat::Rtf},
        {"{\\urtf1 hello}", false, LogFileFormat::Rtf},
        {"{\\rtf1\\ansi hello}", true, LogFileFormat::PlainText},  // after a save as text
        {"hello\r\nworld", false, LogFileFormat::PlainText},
        {"", false, LogFileFormat::PlainText},
        {" {\\rtf1}", false, LogFileFormat::PlainText},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatForOpening(c.content, c.plainTextMode), c.format) << c.content << " " << c.plainTextMode;
}

}  // namespace
