#include "speech/spoken_form.h"

#include "fake_chat_windows.h"
#include "speech/speakable_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using parlowen::speech::ReplacementLineProblem;
using parlowen::speech::ReplacementProblem;
using parlowen::speech::Replacements;
using parlowen::speech::SpeakingRules;
using parlowen::speech::SpokenForm;
using parlowen::testing::Gbk;

TEST(SpokenForm, EachRuleSaysWhatAListenerWantsToHear) {
    const struct {
        const char* text;  // UTF-8, said in GBK
        const char* said;
    } cases[] = {
        // Links as the word and the site; what stands around them stays.
        {"看这个https://www.example.com/a/b?c=1#d好玩", "看这个 链接 example.com 好玩"},
        {"(http://bbs.qq.com:8080/x), ok", "( 链接 bbs.qq.com  ok"},  // the rest of the run goes with it
        {"www.163.com", " 链接 163.com "},
        {"写信到 moon.sky@mail.example.cn 吧", "写信到  邮箱 mail.example.cn  吧"},
        {"me@home no", "me@home no"},  // no domain: not an address
        // Numbers: a quantity stays, a messenger number digit by digit, an order number a word.
        {"2024年买了3个", "2024年买了3个"},
        {"QQ 12345678", "QQ 1 2 3 4, 5 6 7 8"},
        {"13812345678", "1 3 8, 1 2 3 4, 5 6 7 8"},
        {"单号 202412090001234", "单号  一串数字 "},
        // Emoticon codes as their word; symbols and symbol art not at all.
        {"[微笑]好的[大哭]", "微笑 好的大哭 "},
        {"★月亮★说 :-) ^_^", "月亮说    "},
        {"真的吗?!?! 好...", "真的吗? 好, "},
        {"[vip]星星", "[vip]星星"},
        // Repeats: three times, punctuation once, numbers never.
        {"哈哈哈哈哈哈哈哈哈哈哈哈", "哈哈哈"},
        {"哈哈哈", "哈哈哈"},
        {"？？？？？好", "？好"},
        {"abababab", "ababab"},
        {"好啊好啊好啊好啊！", "好啊好啊好啊！"},
        {"1111", "1111"},
    };
    for (const auto& c : cases) EXPECT_EQ(SpokenForm(Gbk(c.text), {}), Gbk(c.said)) << c.text;
}

TEST(SpokenForm, ALongMessageIsSaidUpToTheLimitAtASentenceEndAndSaysHowMuchMore) {
    std::string paste;
    for (int i = 0; i < 30; ++i) paste += Gbk("今天的会议改到下午三点。");  // 12 characters a sentence
    EXPECT_EQ(SpokenForm(paste, {.longestMessage = 50}),
              [&] {
                  std::string said;
                  for (int i = 0; i < 4; ++i) said += Gbk("今天的会议改到下午三点。");
                  return said + Gbk("，后面还有312字");
              }());
    // No sentence end in the second half: cut at the limit. A paste of megabytes is
    // counted whole, and so are characters only partly looked at.
    std::string huge;
    while (huge.size() < 4'000'000) huge += "abcdefghij";
    EXPECT_EQ(SpokenForm(huge, {.longestMessage = 20}), huge.substr(0, 20) + Gbk("，后面还有3999980字"));
    EXPECT_EQ(SpokenForm(paste, {.longestMessage = 0}).size(), paste.size());  // switched off
}

// By default a paste is heard for about half a minute at the voice's rate: 83 Chinese
// characters at the normal rate, three times as many at the fastest; a letter takes a
// quarter of a Chinese character's time.
TEST(SpokenForm, ByDefaultALongMessageIsHeardForAboutHalfAMinuteAtTheVoicesRate) {
    const auto said = [](const std::string& text, int rate) {
        const std::string spoken = SpokenForm(text, {}, {}, rate);
        return spoken.substr(0, spoken.find(Gbk("，后面还有")));
    };
    std::string chinese;
    for (int i = 0; i < 30; ++i) chinese += Gbk("今天的会议改到下午三点");  // no sentence end to stop at
    EXPECT_EQ(said(chinese, 0).size(), 2u * 83);
    EXPECT_EQ(said(chinese, 10).size(), 2u * 250);
    EXPECT_EQ(said(chinese, -10).size(), 2u * 27);
    EXPECT_EQ(SpokenForm(chinese, {}), said(chinese, 0) + Gbk("，后面还有247字"));
    std::string letters;
    while (letters.size() < 1000) letters += "abcdefghij";
    EXPECT_EQ(said(letters, 0).size(), 333u);
    EXPECT_EQ(SpokenForm(chinese.substr(0, 2 * 83), {}), chinese.substr(0, 2 * 83));  // within the time: all of it
}

TEST(SpokenForm, RulesSwitchedOffLeaveTheTextAsItIs) {
    const std::string text = Gbk("哈哈哈哈 https://x.cn ★ 123456789");
    EXPECT_EQ(SpokenForm(text, {.shortenLinks = false, .dropSymbols = false, .collapseRepeats = false,
                                .longestMessage = 0}),
              text);
}

TEST(SpokenForm, TheUsersOwnWordsReplaceWholeWordsAndExactChineseBeforeTheRules) {
    std::vector<ReplacementLineProblem> problems;
    const Replacements words = Replacements::Parse(Gbk("# 游戏里的词\n"
                                                       "gg = 好局\r\n"
                                                       "  yyds\t=\t永远的神  \n"
                                                       "小明 = 阿明\n"
                                                       "小明同学＝明明\n"
                                                       "a = b\n"
                                                       "b = c\n"
                                                       "233333 = 哈哈哈哈哈\n"
                                                       "\n"),
                                                   problems);
    EXPECT_TRUE(problems.empty());
    const struct {
        std::string text, said;
    } cases[] = {
        {Gbk("gg了 eggs GG, gg2"), Gbk("好局了 eggs 好局, gg2")},  // whole words, either case
        {Gbk("yyds!"), Gbk("永远的神!")},
        {Gbk("小明同学和小明"), Gbk("明明和阿明")},                 // the longest first
        {"a b", "b c"},                                              // what is put in stays
        {Gbk("233333"), Gbk("哈哈哈")},                             // then the rules
        // A letter is never matched against the second byte of a Chinese character.
        {"\x81\x67g ok", "\x81\x67g ok"},
    };
    for (const auto& c : cases) EXPECT_EQ(SpokenForm(c.text, {}, words), c.said) << c.text;
}

TEST(SpokenForm, AMalformedReplacementLineIsReportedByNumberAndTheRestStillApply) {
    std::vector<ReplacementLineProblem> problems;
    const Replacements words = Replacements::Parse(Gbk("没有等号\n= 空\n") + std::string(51, 'x') + Gbk("=长\nok = 好"),
                                                   problems);
    EXPECT_EQ(problems, (std::vector<ReplacementLineProblem>{{1, ReplacementProblem::NoEqualsSign},
                                                            {2, ReplacementProblem::NothingReplaced},
                                                            {3, ReplacementProblem::TooLong}}));
    EXPECT_EQ(words.Apply("ok"), Gbk("好"));
}

}  // namespace
