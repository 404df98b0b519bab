// What the speaking rules cost and what they save, over a corpus of a few thousand
// chat lines of the kinds listeners complain about: plain chat, links, e-mail
// addresses, messenger and order numbers, emoticon codes and symbol art, laughter and
// question marks, and long pastes. Prints the time a message and the characters said
// before and after, with no replacements of the user's own and with a list of 300.
#include "speech/spoken_form.h"
#include "text/gbk.h"

#include "iconv_text.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

namespace {

std::string Gbk(const std::string& utf8) { return parlowen::bench::Convert(utf8, "UTF-8", "GBK"); }

std::size_t Characters(const std::string& text) {
    std::size_t count = 0;
    for (std::size_t i = 0; i < text.size(); ++count) i += parlowen::text::GbkCharLength(text, i);
    return count;
}

std::vector<std::string> Corpus() {
    const std::vector<std::string> plain = {
        "好的，明天见。", "你吃饭了吗", "今天晚上七点在校门口见，别忘了带上那本书。", "ok", "收到",
        "我刚到家，路上堵车了", "这个周末有空吗？一起去爬山吧", "lol that was great", "嗯嗯", "晚安"};
    const std::vector<std::string> spiced = {
        "看这个 https://www.example.com/articles/2024/12/09/some-very-long-title-of-an-article?utm_source=chat&id=1234",
        "视频在这里https://v.qq.com/x/cover/mzc00200abcdefg/x00412345.html 笑死我了",
        "发到我邮箱 moon.sky2009@mail.example.cn 就行", "我的QQ是 123456789，加我", "单号 202412091234567890 查一下",
        "[微笑][微笑][微笑]", "哈哈哈哈哈哈哈哈哈哈哈哈哈哈", "？？？？？？", "真的假的!!!!!!", "^_^ :-) (＾▽＾)",
        "★☆★☆ 小星星 ★☆★☆", "好好好好好好", "手机 13812345678"};
    std::string paste;
    while (Characters(Gbk(paste)) < 3000) paste += "根据会议的安排，本周五下午三点在三楼会议室讨论明年的计划，请各部门负责人准时参加并准备好材料。";
    std::mt19937 random(20091209);
    std::vector<std::string> corpus;
    for (int i = 0; i < 3000; ++i) {
        const unsigned kind = random() % 100;
        if (kind < 60) corpus.push_back(Gbk(plain[random() % plain.size()]));
        else if (kind < 98) corpus.push_back(Gbk(spiced[random() % spiced.size()]));
        else corpus.push_back(Gbk(paste));
    }
    return corpus;
}

// A long list of the user's own words, as a keen user might keep: game terms, nicknames
// and net slang, Latin and Chinese, most of which the corpus never holds.
parlowen::speech::Replacements UsersWords() {
    std::string list = Gbk("gg = 好局\nyyds = 永远的神\n小星星 = 星星\nlol = 笑死\n会议室 = 会议间\n");
    for (int i = 0; i < 150; ++i) list += "word" + std::to_string(i) + " = " + Gbk("词") + std::to_string(i) + "\n";
    for (int i = 0; i < 145; ++i) list += Gbk("昵称") + std::to_string(i) + Gbk(" = 朋友") + std::to_string(i) + "\n";
    std::vector<parlowen::speech::ReplacementLineProblem> problems;
    return parlowen::speech::Replacements::Parse(list, problems);
}

void BM_SpokenForm(benchmark::State& state) {
    static const std::vector<std::string> corpus = Corpus();
    static const parlowen::speech::Replacements none, words = UsersWords();
    const parlowen::speech::SpeakingRules rules;
    const parlowen::speech::Replacements& replacements = state.range(0) ? words : none;
    std::size_t next = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(parlowen::speech::SpokenForm(corpus[next], rules, replacements));
        next = (next + 1) % corpus.size();
    }
    state.SetLabel(state.range(0) ? "one message of the corpus, in turn, with 300 replacements"
                                  : "one message of the corpus, in turn");
}
BENCHMARK(BM_SpokenForm)->Arg(0)->Arg(1);

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> corpus = Corpus();
    std::size_t before = 0, after = 0, longest = 0;
    for (const std::string& message : corpus) {
        const std::size_t said = Characters(parlowen::speech::SpokenForm(message, {}));
        before += Characters(message);
        after += said;
        longest = std::max(longest, said);
    }
    std::printf("corpus: %zu messages, %zu characters; said: %zu characters (%.1f %%), the longest message said %zu\n",
                corpus.size(), before, after, 100.0 * static_cast<double>(after) / static_cast<double>(before),
                longest);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
