#include "speech/voice_protocol.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace parlowen::speech::protocol;

TEST(VoiceProtocol, FieldsSurviveTheWireWhateverTheyHold) {
    const Fields fields = {"speak", std::string("a\tb\nc\rd\\e\0f", 11), "", "你好，世界"};
    const std::string line = EncodeLine(fields);
    EXPECT_EQ(line, std::string("speak\ta\\tb\\nc\\rd\\\\e\\0f\t\t你好，世界\n"));
    EXPECT_EQ(line.find('\n'), line.size() - 1);  // one line, whatever the text holds
    EXPECT_EQ(DecodeLine(line.substr(0, line.size() - 1)), fields);
}

TEST(VoiceProtocol, DecodingToleratesCarriageReturnsAndStrayBackslashes) {
    EXPECT_EQ(DecodeLine("ok\r"), Fields{"ok"});
    EXPECT_EQ(DecodeLine(""), Fields{""});
    EXPECT_EQ(DecodeLine("a\\qb\\"), Fields{"aqb\\"});
    EXPECT_EQ(DecodeLine("error\tno voice"), (Fields{"error", "no voice"}));
}

TEST(VoiceProtocol, GreetingCarriesTheVersion) {
    EXPECT_EQ(GreetingLine(), "parlowen-voice\t3\n");
    EXPECT_EQ(GreetingVersion("parlowen-voice\t1"), 1);
    EXPECT_EQ(GreetingVersion("parlowen-voice\t2\r"), 2);
    EXPECT_EQ(GreetingVersion("parlowen-voice\t1x"), std::nullopt);
    EXPECT_EQ(GreetingVersion("ok"), std::nullopt);
    EXPECT_EQ(GreetingVersion("#!/bin/sh"), std::nullopt);
}

TEST(VoiceProtocol, LineBufferHandsOutCompleteLinesAcrossReads) {
    LineBuffer buffer;
    buffer.Append("parlowen-voice\t1\nok\ta");
    EXPECT_EQ(buffer.NextLine(), "parlowen-voice\t1");
    EXPECT_EQ(buffer.NextLine(), std::nullopt);
    buffer.Append("b\n\nok\n");
    EXPECT_EQ(buffer.NextLine(), "ok\tab");
    EXPECT_EQ(buffer.NextLine(), "");
    EXPECT_EQ(buffer.NextLine(), "ok");
    EXPECT_EQ(buffer.NextLine(), std::nullopt);

    const std::string big(100'000, 'x');  // 100 KB of text in one line, fed in pieces
    for (size_t i = 0; i < big.size(); i += 4096) buffer.Append(std::string_view(big).substr(i, 4096));
    buffer.Append("\n");
    EXPECT_EQ(buffer.NextLine(), big);
}

TEST(VoiceProtocol, AReplyCountsOnlyWithTheNumberOfItsCommand) {
    EXPECT_EQ(EncodeCommand(7, {"speak", "hi"}), "7\tspeak\thi\n");
    EXPECT_EQ(ReplyTo(7, "7\tok\ta"), (Fields{"ok", "a"}));
    EXPECT_EQ(ReplyTo(7, "7\terror\tno voice"), (Fields{"error", "no voice"}));
    for (const char* stray : {"8\tok", "07\tok", "7", "ok", "", "ALSA lib pcm.c: underrun"})
        EXPECT_EQ(ReplyTo(7, stray), std::nullopt) << stray;
}

TEST(VoiceProtocol, ALineLongerThanAllowedEndsTheBuffer) {
    LineBuffer buffer(8);
    buffer.Append("12345678\n1234");
    EXPECT_EQ(buffer.NextLine(), "12345678");
    EXPECT_FALSE(buffer.overlong());
    buffer.Append("56789");  // nine bytes and no end yet
    EXPECT_EQ(buffer.NextLine(), std::nullopt);
    EXPECT_TRUE(buffer.overlong());
    buffer.Append("\nok\n");
    EXPECT_EQ(buffer.NextLine(), std::nullopt);
}

TEST(VoiceProtocol, ValidUtf8KeepsGoodTextAndReplacesTheRest) {
    EXPECT_EQ(ValidUtf8("你好 hello 𝄞"), "你好 hello 𝄞");
    EXPECT_EQ(ValidUtf8(std::string("a\0b", 3)), "ab");
    const std::string bad = "\xEF\xBF\xBD";
    EXPECT_EQ(ValidUtf8("\xC4\xE3\xBA\xC3"), bad + bad + bad);  // GBK "你好": C4, E3 BA, C3
    EXPECT_EQ(ValidUtf8("\xE4\xBD"), bad);                             // cut short at the end
    EXPECT_EQ(ValidUtf8("\xE4\xBDx"), bad + "x");
    EXPECT_EQ(ValidUtf8("\xC0\xAF"), bad + bad);                       // overlong "/"
    EXPECT_EQ(ValidUtf8("\xED\xA0\x80"), bad + bad + bad);             // a surrogate
    EXPECT_EQ(ValidUtf8("\xF4\x90\x80\x80"), bad + bad + bad + bad);   // past U+10FFFF
    EXPECT_EQ(ValidUtf8("\x01\x1F\x7F"), "\x01\x1F\x7F");              // control characters pass
}

}  // namespace
