// IniText against what Wine 8.0's GetPrivateProfileStringA / WritePrivateProfileStringA
// were measured to do (code page 936); the end-to-end case
// ProfileStoreMatchesWindowsProfileFunctions checks the same under Wine itself.
#include "app/settings/ini_text.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace {

using parlowen::settings::IniText;
using namespace std::string_literals;

const std::string kMixed =
    "; top comment\r\n\r\ntopkey = topval \r\n[other]\r\n a = b \r\nKey=Val\r\n\r\n  [ SET ]  \r\n"
    "RATE = 5\r\n  engine=3\r\nfoo\r\n;c = d\r\n=x\r\n=y\r\n\t\r\n[other2] trailing\r\nz=1";

TEST(IniText, ReadsKeysWithoutRegardToCaseAndTrimmed) {
    const IniText ini(kMixed);
    EXPECT_EQ(ini.Read("set", "rate"), "5");
    EXPECT_EQ(ini.Read("Set", "Engine"), "3");
    EXPECT_EQ(ini.Read("OTHER", "A"), "b");
    EXPECT_EQ(ini.Read(" other ", " a "), "b");
    EXPECT_EQ(ini.Read("other", "key"), "Val");
    EXPECT_EQ(ini.Read("", "topkey"), "topval");  // lines before the first section
    EXPECT_EQ(ini.Read("other2", "z"), "1");
}

TEST(IniText, MissingSectionKeyOrValueReadsEmpty) {
    const IniText ini(kMixed);
    EXPECT_EQ(ini.Read("set", "missing"), "");
    EXPECT_EQ(ini.Read("nosuch", "rate"), "");
    EXPECT_EQ(ini.Read("set", "foo"), "");  // a line without "="
    EXPECT_EQ(IniText().Read("set", "rate"), "");
    EXPECT_EQ(IniText("").Read("set", "rate"), "");
}

TEST(IniText, CommentLinesAreKeysToo) {
    const IniText ini(kMixed);
    EXPECT_EQ(ini.Read("set", ";c"), "d");  // as in Wine: a ";" line holding "=" is a key
    EXPECT_EQ(ini.Read("set", ""), "x");
}

TEST(IniText, WritingTheValueAlreadyThereChangesNothing) {
    IniText ini(kMixed);
    EXPECT_FALSE(ini.Write("set", "RATE", "5"));
    EXPECT_FALSE(ini.Write("set", "rate", "  5"));  // leading blanks of a value are dropped

    IniText spaced("\r\n[set]\r\n\r\nRate = 5 \r\n;x\r\n");
    EXPECT_FALSE(spaced.Write("set", "rate", "5"));
}

TEST(IniText, AChangeRewritesTheWholeTextAsWineDoes) {
    IniText ini(kMixed);
    ASSERT_TRUE(ini.Write("set", "Rate", "7"));
    // Blank lines and blanks around "=" are gone, the header is trimmed and loses its
    // tail, the second "=y" line after "=x" is dropped, and every line ends in CR LF.
    EXPECT_EQ(ini.Text(),
              "; top comment\r\ntopkey=topval\r\n[other]\r\na=b\r\nKey=Val\r\n[SET]\r\nRATE=7\r\n"
              "engine=3\r\nfoo\r\n;c=d\r\n=x\r\n[other2]\r\nz=1\r\n");

    ASSERT_TRUE(ini.Write("set", "cbme", "1"));
    EXPECT_EQ(ini.Text(),
              "; top comment\r\ntopkey=topval\r\n[other]\r\na=b\r\nKey=Val\r\n[SET]\r\nRATE=7\r\n"
              "engine=3\r\nfoo\r\n;c=d\r\n=x\r\ncbme=1\r\n[other2]\r\nz=1\r\n");

    ASSERT_TRUE(ini.Write("new", "k", "v"));
    EXPECT_EQ(ini.Text(),
              "; top comment\r\ntopkey=topval\r\n[other]\r\na=b\r\nKey=Val\r\n[SET]\r\nRATE=7\r\n"
              "engine=3\r\nfoo\r\n;c=d\r\n=x\r\ncbme=1\r\n[other2]\r\nz=1\r\n[new]\r\nk=v\r\n");
}

TEST(IniText, NewFileHoldsTheSectionAndItsKeysInWriteOrder) {
    IniText ini;
    EXPECT_TRUE(ini.Write("set", "Rate", "0"));
    EXPECT_TRUE(ini.Write("set", "Volume", "100"));
    EXPECT_EQ(ini.Text(), "[set]\r\nRate=0\r\nVolume=100\r\n");
}

TEST(IniText, EmptyOrBlankFileGetsTheSectionAfterAnyTopLevelKeys) {
    for (const std::string& text : {""s, "  \r\n\t\r\n"s}) {
        IniText ini(text);
        ini.Write("set", "B", "2");
        EXPECT_EQ(ini.Text(), "[set]\r\nB=2\r\n");
    }
    IniText top("a=1\r\n");
    top.Write("set", "B", "2");
    EXPECT_EQ(top.Text(), "a=1\r\n[set]\r\nB=2\r\n");
}

TEST(IniText, KeyWrittenInPlaceKeepsItsSpelling) {
    IniText ini("[set]\r\nRATE=5\r\nVolume=1\r\n");
    ASSERT_TRUE(ini.Write("set", "Rate", "-3"));
    EXPECT_EQ(ini.Text(), "[set]\r\nRATE=-3\r\nVolume=1\r\n");
    EXPECT_EQ(ini.Read("set", "rate"), "-3");
}

TEST(IniText, LineEndsOfAnyKind) {
    IniText lf("[set]\nA=1\n\nB=2\n");
    EXPECT_EQ(lf.Read("set", "B"), "2");
    lf.Write("set", "A", "9");
    EXPECT_EQ(lf.Text(), "[set]\r\nA=9\r\nB=2\r\n");

    IniText cr("[set]\rA=1\rB=2");
    EXPECT_EQ(cr.Read("set", "B"), "2");
    cr.Write("set", "C", "3");
    EXPECT_EQ(cr.Text(), "[set]\r\nA=1\r\nB=2\r\nC=3\r\n");
}

TEST(IniText, OddSectionHeaders) {
    IniText ini("[set\r\nA=1\r\n[set]x]y\r\nB=2\r\n[]\r\nC=3\r\n[set]\r\nD=4\r\n");
    EXPECT_EQ(ini.Read("set", "A"), "");  // "[set" without "]" is a key line
    EXPECT_EQ(ini.Read("[set", "A"), "");
    EXPECT_EQ(ini.Read("set]x", "B"), "2");  // the name runs to the last "]"
    EXPECT_EQ(ini.Read("set", "B"), "");
    EXPECT_EQ(ini.Read("", "C"), "");  // "" finds the lines before the first header
    EXPECT_EQ(ini.Read("set", "D"), "4");
    ini.Write("set", "D", "5");
    // "[]" is written without a header, so C=3 joins the section before it (as in Wine).
    EXPECT_EQ(ini.Text(), "[set\r\nA=1\r\n[set]x]\r\nB=2\r\nC=3\r\n[set]\r\nD=5\r\n");
}

TEST(IniText, OnlyTheFirstSectionOfANameCounts) {
    IniText ini("[set]\r\nA=1\r\n[x]\r\n[SET]\r\nB=2\r\n");
    EXPECT_EQ(ini.Read("set", "B"), "");
    ini.Write("set", "B", "3");
    EXPECT_EQ(ini.Text(), "[set]\r\nA=1\r\nB=3\r\n[x]\r\n[SET]\r\nB=2\r\n");
    EXPECT_EQ(ini.Read("set", "B"), "3");
}

TEST(IniText, OnlyTheFirstKeyOfANameCounts) {
    IniText ini("[set]\r\nrate\r\nRate=4\r\n");
    EXPECT_EQ(ini.Read("set", "Rate"), "");  // the first "rate" has no value
    ini.Write("set", "Rate", "1");
    EXPECT_EQ(ini.Text(), "[set]\r\nrate=1\r\nRate=4\r\n");
}

TEST(IniText, ControlCharactersAreBlanks) {
    IniText ini("[set]\x1a\r\n\x0b" "A\x0c=\x1a" "1\x1a\r\n");
    EXPECT_EQ(ini.Read("set", "A"), "1");
    ini.Write("set", "B", "2");
    EXPECT_EQ(ini.Text(), "[set]\r\nA=1\r\nB=2\r\n");
}

TEST(IniText, Utf8ByteOrderMarkIsKept) {
    IniText ini("\xEF\xBB\xBF[set]\r\nA=1\r\n");
    EXPECT_EQ(ini.Read("set", "A"), "1");
    ini.Write("set", "B", "2");
    EXPECT_EQ(ini.Text(), "\xEF\xBB\xBF[set]\r\nA=1\r\nB=2\r\n");
}

TEST(IniText, SurroundingQuotesAreStrippedOnRead) {
    const IniText ini(
        "[set]\r\nq1=\"abc\"\r\nq2='abc'\r\nq3=\"abc'\r\nq4=\"\r\nq5=\"\"\r\nq6= \" x \" \r\n"
        "t=\t7\t\r\ne=\r\nsp = a  b \r\n");
    EXPECT_EQ(ini.Read("set", "q1"), "abc");
    EXPECT_EQ(ini.Read("set", "q2"), "abc");
    EXPECT_EQ(ini.Read("set", "q3"), "\"abc'");
    EXPECT_EQ(ini.Read("set", "q4"), "\"");
    EXPECT_EQ(ini.Read("set", "q5"), "");
    EXPECT_EQ(ini.Read("set", "q6"), " x ");
    EXPECT_EQ(ini.Read("set", "t"), "7");
    EXPECT_EQ(ini.Read("set", "e"), "");
    EXPECT_EQ(ini.Read("set", "sp"), "a  b");
}

TEST(IniText, ReadsStopAt2047Bytes) {
    const std::string text = "[set]\r\nbig=" + std::string(3000, 'x') + "\r\nv2047=" + std::string(2047, 'z') +
                             "\r\nv2048=" + std::string(2048, 'z') + "\r\nq2046=\"" + std::string(2046, 'y') +
                             "\"\r\nq2047=\"" + std::string(2047, 'y') + "\"\r\nq2048=\"" + std::string(2048, 'y') +
                             "\"\r\nv2000=" + std::string(2000, 'w') + "\r\n";
    const IniText ini(text);
    EXPECT_EQ(ini.Read("set", "big"), std::string(2047, 'x'));
    EXPECT_EQ(ini.Read("set", "v2047"), std::string(2047, 'z'));
    EXPECT_EQ(ini.Read("set", "v2048"), std::string(2047, 'z'));
    EXPECT_EQ(ini.Read("set", "q2046"), std::string(2046, 'y'));
    EXPECT_EQ(ini.Read("set", "q2047"), std::string(2046, 'y'));  // Wine's quirk: one short
    EXPECT_EQ(ini.Read("set", "q2048"), std::string(2047, 'y'));  // no closing quote fits
    EXPECT_EQ(ini.Read("set", "v2000"), std::string(2000, 'w'));
}

TEST(IniText, ReadsNeverEndInHalfADoubleByteCharacter) {
    std::string ni1500, ni1023;  // U+4F60 in GBK
    for (int i = 0; i < 1500; ++i) ni1500 += "\xC4\xE3";
    for (int i = 0; i < 1023; ++i) ni1023 += "\xC4\xE3";
    const IniText ini("[set]\r\ngbk=" + ni1500 + "\r\nmix=a" + ni1500 + "\r\nh=" + ni1023 + "\r\nh2=a" + ni1023 +
                      "\r\n");
    EXPECT_EQ(ini.Read("set", "gbk"), ni1023);       // 2046 bytes: the next character would not fit
    EXPECT_EQ(ini.Read("set", "mix"), "a" + ni1023);  // 2047 bytes
    EXPECT_EQ(ini.Read("set", "h"), ni1023);
    EXPECT_EQ(ini.Read("set", "h2"), "a" + ni1023);
}

TEST(IniText, DoubleByteTrailBytesAreNotSyntax) {
    // 0x5D is "]", 0x41 is "A": both are GBK trail bytes here.
    IniText ini("[s\x81\x5Dt]\r\nk\x81\x41=1\r\n");
    EXPECT_EQ(ini.Read("s\x81\x5Dt", "k\x81\x41"), "1");
    EXPECT_EQ(ini.Read("s\x81\x5Dt", "k\x81\x61"), "");  // a trail byte is no letter
    EXPECT_EQ(ini.Read("S\x81\x5DT", "K\x81\x41"), "1");
}

TEST(IniText, WriteDropsLeadingBlanksOfTheValue) {
    IniText ini;
    ini.Write("set", "w", "  lead and trail  ");
    EXPECT_EQ(ini.Text(), "[set]\r\nw=lead and trail  \r\n");
    EXPECT_EQ(IniText(ini.Text()).Read("set", "w"), "lead and trail");
}

TEST(IniText, A2000CharacterValueRoundTrips) {
    const std::string value(2000, 'v');
    IniText ini;
    ini.Write("set", "long", value);
    EXPECT_EQ(IniText(ini.Text()).Read("set", "long"), value);
}

TEST(IniText, HugeFileWithoutLineBreaks) {
    const std::string text = "[set]\r\nA=" + std::string(20 * 1024 * 1024, 'q');
    IniText ini(text);
    EXPECT_EQ(ini.Read("set", "A"), std::string(2047, 'q'));
    ASSERT_TRUE(ini.Write("set", "B", "1"));
    const std::string written = ini.Text();
    EXPECT_EQ(written.size(), text.size() + 2 + 5);
    EXPECT_TRUE(written.ends_with("qqq\r\nB=1\r\n"));
}

TEST(IniText, HugeFileOfManyLines) {
    std::string text = "[set]\r\n";
    for (int i = 0; i < 200000; ++i) text += "k" + std::to_string(i) + "=" + std::to_string(i) + "\n";
    IniText ini(text);
    EXPECT_EQ(ini.Read("set", "K199999"), "199999");
    ini.Write("set", "k5", "x");
    EXPECT_EQ(IniText(ini.Text()).Read("set", "k5"), "x");
}

TEST(IniText, BinaryBytesNeverBreakIt) {
    std::mt19937 random(12345);
    for (int round = 0; round < 50; ++round) {
        std::string bytes(1 + random() % 20000, '\0');
        for (char& c : bytes) c = static_cast<char>(random());
        if (round % 2) bytes = "[set]\r\nA=1\r\n" + bytes;
        IniText ini(bytes);
        (void)ini.Read("set", "A");
        ini.Write("set", "A", "2");
        ini.Write("set", "B", "3");
        const IniText again(ini.Text());
        EXPECT_EQ(again.Read("set", "A"), "2");
        EXPECT_EQ(again.Read("set", "B"), "3");
    }
}

TEST(IniText, NamesAndValuesEndAtANul) {
    const IniText ini("[set]\r\nA=1\0junk\r\nB\0C=2\r\n"s);
    EXPECT_EQ(ini.Read("set", "A"), "1");
    EXPECT_EQ(ini.Read("set", "B"), "2");
    IniText written;
    written.Write("set"s, "K\0ey"s, "v\0alue"s);
    EXPECT_EQ(written.Text(), "[set]\r\nK=v\r\n");
}

}  // namespace
