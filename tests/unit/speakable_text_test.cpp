#include "speech/speakable_text.h"

#include <gtest/gtest.h>

namespace parlowen::speech {
namespace {

TEST(SpeakableTextTest, ControlCharactersBecomeSpacesAndTextStaysAsItWas) {
    const struct {
        std::string text, speakable;
    } cases[] = {
        {"\x01" "300A loud", " 300A loud"},                 // eSpeak NG's embedded command
        {"a\x01V\x01S\x01P\x1B[0m\x7F" "b", "a V S P [0m b"},
        {"tab\tand\r\nbreaks\nstay", "tab\tand\r\nbreaks\nstay"},
        {std::string("nul\0inside", 10), "nul inside"},
        {"\xC4\xE3\xBA\xC3 <volume level=\"100\"/>", "\xC4\xE3\xBA\xC3 <volume level=\"100\"/>"},  // GBK, markup as text
    };
    for (const auto& c : cases) EXPECT_EQ(SpeakableText(c.text), c.speakable) << c.text;
}

TEST(SpeakableTextTest, PitchMarkupKeepsTheMessageWordsToBeRead) {
    EXPECT_EQ(PitchMarkup("\xC4\xE3</pitch><volume level=\"100\"/>&amp;\x01", 6),
              "<pitch absmiddle=\"6\">\xC4\xE3&lt;/pitch&gt;&lt;volume level=\"100\"/&gt;&amp;amp; </pitch>");
    EXPECT_EQ(PitchMarkup("", -99), "<pitch absmiddle=\"-10\"></pitch>");
}

}  // namespace
}  // namespace parlowen::speech
