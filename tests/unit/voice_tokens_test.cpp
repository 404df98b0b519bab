#include "speech/voice_tokens.h"

#include "fake_token_registry.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using namespace parlowen::speech;
using parlowen::testing::FakeTokenRegistry;

const VoicePlaces kPlaces{"D:\\Reader\\", "C:"};
const std::string kTokens = "\\SOFTWARE\\Microsoft\\Speech\\Voices\\Tokens";
const std::string kLexicon = "C:\\Program Files\\Common Files\\SpeechEngines\\Microsoft\\Lexicon\\1033\\";

// The token tree of one voice as the registry holds it after installation.
std::vector<std::string> ExpectedTree(const std::string& key, const std::string& name, const std::string& file,
                                      const std::string& gender) {
    return {
        key + "||" + name,
        key + "|409|" + name,
        key + "|CLSID|{65DBDDEF-0725-11D3-B50C-00C04F797396}",
        key + "|VoiceData|D:\\Reader\\TTS\\" + file + ".spd",
        key + "|VoiceDef|D:\\Reader\\TTS\\" + file + ".sdf",
        key + "\\Attributes||",
        key + "\\Attributes|Age|Adult",
        key + "\\Attributes|Gender|" + gender,
        key + "\\Attributes|Language|409;9",
        key + "\\Attributes|Name|" + name,
        key + "\\Attributes|Vender|Microsoft",
        key + "\\Attributes|VendorPreferred|",
        key + "\\Lex||",
        key + "\\Lex|CLSID|{90903716-2F42-11D3-9C26-00C04F8EF87C}",
        key + "\\Lex|DataFile|" + kLexicon + "LTTS1033.LXA",
        key + "\\LTS||",
        key + "\\LTS|CLSID|{685879BA-3263-11D3-9C26-00C04F8EF87C}",
        key + "\\LTS|DataFile|" + kLexicon + "r1033tts.LXA",
        key + "\\LTS\\PhoneConverter||Microsoft English LTS Phone Converter",
        key + "\\LTS\\PhoneConverter|CLSID|{9185F743-1143-4C28-86B5-BFF14F20E5C8}",
        key + "\\LTS\\PhoneConverter|PhoneMap|" + std::string(kPhoneMap),
    };
}

std::vector<std::string> BothTrees() {
    std::vector<std::string> both = ExpectedTree("MSMike", "Microsoft Mike", "mike", "Male");
    for (const std::string& line : ExpectedTree("MSMary", "Microsoft Mary", "mary", "Female")) both.push_back(line);
    return both;
}

TEST(VoiceTokens, PhoneMapHas72PairsIn719CharactersWithOneDoubleSpace) {
    EXPECT_EQ(kPhoneMap.size(), 719u);
    EXPECT_TRUE(kPhoneMap.starts_with("AA 000a AA1 000a0008 AA2 000a0009 AE 000b"));
    EXPECT_TRUE(kPhoneMap.ends_with("Z 0030 ZH 0031"));
    EXPECT_NE(kPhoneMap.find("EH 0015 EH1 00150008 EH2 00150009"), std::string_view::npos);
    EXPECT_EQ(kPhoneMap.find("  "), kPhoneMap.find("IH 001b  IH1") + 7);
    EXPECT_EQ(kPhoneMap.find("  ", kPhoneMap.find("  ") + 1), std::string_view::npos);
    EXPECT_EQ(std::count(kPhoneMap.begin(), kPhoneMap.end(), ' '), 2 * 72 - 1 + 1);
}

TEST(VoiceTokens, RefreshWritesBothTreesUnderTheCreatedSpelling) {
    FakeTokenRegistry registry;
    RefreshVoiceTokens(registry, kPlaces);
    EXPECT_EQ(registry.Dump(kTokens), BothTrees());
}

TEST(VoiceTokens, SystemDriveAndProgramFolderPrefixTheValues) {
    EXPECT_EQ(DriveOf("C:\\WINDOWS"), "C:");
    EXPECT_EQ(DriveOf("E:\\"), "E:");
    EXPECT_EQ(DriveOf("\\\\server\\windows"), "");
    FakeTokenRegistry registry;
    InstallVoiceToken(registry, Voice::Mary, {"E:\\x\\", "F:"});
    ASSERT_TRUE(registry.OpenKey(kTokens + "\\MSMary", false));
    EXPECT_EQ(registry.ReadString("VoiceDef"), "E:\\x\\TTS\\mary.sdf");
    ASSERT_TRUE(registry.OpenKey(kTokens + "\\msmary\\LEX", false));
    EXPECT_EQ(registry.ReadString("DataFile"), "F:\\Program Files\\Common Files\\SpeechEngines\\Microsoft\\Lexicon\\1033\\LTTS1033.LXA");
}

TEST(VoiceTokens, StaleOwnTokenIsRewrittenAndRemovedAtExit) {
    FakeTokenRegistry registry;
    ASSERT_TRUE(registry.OpenKey(kTokens + "\\MsMary", true));  // spelt differently by a crashed run
    registry.WriteString("VoiceData", "d:\\reader\\tts\\old.spd");
    registry.WriteString("Extra", "left over");
    registry.CreateSubkey("Stale");
    ASSERT_TRUE(registry.OpenKey(kTokens + "\\MSMike\\Attributes", true));  // no voice data at all
    registry.WriteString("Junk", "1");

    RefreshVoiceTokens(registry, kPlaces);
    EXPECT_EQ(registry.Dump(kTokens), BothTrees());

    RemoveVoiceTokens(registry, kPlaces);
    EXPECT_TRUE(registry.Dump(kTokens).empty());
    EXPECT_TRUE(registry.OpenKey(kTokens, false));
}

TEST(VoiceTokens, ForeignTokenIsLeftAsItWas) {
    FakeTokenRegistry registry;
    ASSERT_TRUE(registry.OpenKey(kTokens + "\\MSMary", true));
    registry.WriteString("VoiceData", "C:\\Program Files\\Speech\\mary.spd");
    registry.CreateSubkey("Attributes");
    ASSERT_TRUE(registry.OpenKey(kTokens + "\\MSMary\\Attributes", false));
    registry.WriteString("Name", "Microsoft Mary");
    const std::vector<std::string> foreign = {"MSMary|VoiceData|C:\\Program Files\\Speech\\mary.spd",
                                              "MSMary\\Attributes|Name|Microsoft Mary"};
    EXPECT_TRUE(IsForeignToken(registry, Voice::Mary, kPlaces));
    EXPECT_FALSE(IsForeignToken(registry, Voice::Mike, kPlaces));

    RefreshVoiceTokens(registry, kPlaces);
    std::vector<std::string> expected = foreign;
    for (const std::string& line : ExpectedTree("MSMike", "Microsoft Mike", "mike", "Male")) expected.push_back(line);
    EXPECT_EQ(registry.Dump(kTokens), expected);

    RemoveVoiceTokens(registry, kPlaces);
    EXPECT_EQ(registry.Dump(kTokens), foreign);

    // Once its voice data is gone, it is replaced by this program's voice.
    registry.files.clear();
    RefreshVoiceTokens(registry, kPlaces);
    EXPECT_EQ(registry.Dump(kTokens), BothTrees());
}

TEST(VoiceTokens, OwnershipIgnoresTheCaseOfSingleByteLettersOnly) {
    FakeTokenRegistry registry;
    ASSERT_TRUE(registry.OpenKey(kTokens + "\\MSMary", true));
    registry.WriteString("VoiceData", "d:\\READER\\tts\\mary.spd");
    EXPECT_FALSE(IsForeignToken(registry, Voice::Mary, kPlaces));
    // The same bytes but for the case of a double-byte character's trail byte.
    const VoicePlaces gbk{"D:\\\x95\x61\\", "C:"};
    registry.OpenKey(kTokens + "\\MSMary", false);
    registry.WriteString("VoiceData", "D:\\\x95\x41\\TTS\\mary.spd");
    registry.files.insert("D:\\\x95\x41\\TTS\\mary.spd");
    EXPECT_TRUE(IsForeignToken(registry, Voice::Mary, gbk));
    registry.OpenKey(kTokens + "\\MSMary", false);
    registry.WriteString("VoiceData", "D:\\\x95\x61\\tts\\mary.spd");
    EXPECT_FALSE(IsForeignToken(registry, Voice::Mary, gbk));
}

// A write that fails leaves no part of a token behind; without a token folder (no speech
// platform) none is made.
TEST(VoiceTokens, TokensAreWrittenWholeOrNotAtAll) {
    constexpr std::size_t kMikeWrites = 26;  // its 5 keys and 21 values; Mike is written first
    for (std::size_t writes : {0, 1, 3, 10, 20, 25, 26, 40}) {
        FakeTokenRegistry registry;
        registry.writesLeft = writes;
        RefreshVoiceTokens(registry, kPlaces);
        const std::vector<std::string> expected =
            writes >= kMikeWrites ? ExpectedTree("MSMike", "Microsoft Mike", "mike", "Male") : std::vector<std::string>{};
        EXPECT_EQ(registry.Dump(kTokens), expected) << writes << " writes";
    }
    FakeTokenRegistry withoutSpeech(false);
    RefreshVoiceTokens(withoutSpeech, kPlaces);
    RemoveVoiceTokens(withoutSpeech, kPlaces);
    EXPECT_FALSE(withoutSpeech.OpenKey(kTokens, false));
    EXPECT_FALSE(withoutSpeech.OpenKey("\\SOFTWARE\\Microsoft\\Speech", false));
}

}  // namespace
