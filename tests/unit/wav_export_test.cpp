#include "speech/wav_export.h"

#include "speech_fakes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace {

using namespace parlowen::speech;
using parlowen::testing::FakeToken;
using parlowen::testing::RecordingVoice;

class RecordingStream : public AudioFileStream {
public:
    explicit RecordingStream(std::vector<std::string>& journal) : journal_(journal) {}
    void SetFormat16kHz16BitMono() override { journal_.push_back("stream.Format 16kHz16BitMono"); }
    void OpenForWrite(std::string_view path) override { journal_.push_back("stream.Open " + std::string(path)); }
    std::uint64_t BytesWritten() override { return written += growth; }
    void Close() override { journal_.push_back("stream.Close"); }
    void Discard() noexcept override { journal_.push_back("stream.Discard"); }

    std::uint64_t written = 0, growth = 0;  // each look at the file finds it `growth` bytes longer

private:
    std::vector<std::string>& journal_;
};

struct Log : ExportedText {
    std::string selected, whole;
    std::string SelectedText() override { return selected; }
    std::string WholeText() override { return whole; }
};

class WavExport : public ::testing::Test {
protected:
    std::vector<std::string> journal;
    RecordingVoice voice{"mine", journal};
    RecordingStream stream{journal};
    FakeToken token{"Lili"};
    Log log;

    // Whether the journal holds these entries in this order, with others between them.
    bool HasInOrder(std::initializer_list<std::string> entries) const {
        auto at = journal.begin();
        for (const std::string& entry : entries) {
            at = std::find(at, journal.end(), entry);
            if (at == journal.end()) return false;
            ++at;
        }
        return true;
    }
};

// The text goes to a file of the program's format that is complete (closed) before the
// voice speaks aloud again.
TEST_F(WavExport, RendersTheSelectionOrElseTheWholeLog) {
    log.whole = "sky 说：\r\nhello\r\n";
    for (const std::string selected : {"hello", ""}) {
        SCOPED_TRACE(selected);
        journal.clear();
        log.selected = selected;
        ExportToWav(voice, &token, stream, log, "C:\\chat.wav");
        EXPECT_TRUE(HasInOrder({"mine.SetVoice Lili", "stream.Format 16kHz16BitMono", "stream.Open C:\\chat.wav",
                                "mine.SetAllowAudioOutputFormatChanges false", "mine.SetOutputStream",
                                "mine.Speak " + (selected.empty() ? log.whole : selected), "stream.Close",
                                "mine.ResetOutputToDefaultDevice"}));
        EXPECT_EQ(std::count(journal.begin(), journal.end(), "stream.Discard"), 0);
    }
}

TEST_F(WavExport, WritesNothingWithoutAVoiceOrText) {
    log.whole = "hello";
    ExportToWav(voice, nullptr, stream, log, "C:\\chat.wav");  // no entry selected in the mine box
    EXPECT_EQ(journal, (std::vector<std::string>{"mine.Disconnect"}));

    journal.clear();
    voice.failing = {"SetVoice"};
    ExportToWav(voice, &token, stream, log, "C:\\chat.wav");
    EXPECT_EQ(journal, (std::vector<std::string>{"mine.Disconnect"}));

    journal.clear();
    voice.failing.clear();
    log.whole.clear();  // emptied while the dialog was open
    ExportToWav(voice, &token, stream, log, "C:\\chat.wav");
    EXPECT_EQ(journal, (std::vector<std::string>{"mine.Disconnect", "mine.SetVoice Lili"}));
}

TEST_F(WavExport, ARenderingFailureReachesTheCallerAndDiscardsTheFile) {
    log.whole = "hello";
    voice.failing = {"Speak"};
    EXPECT_THROW(ExportToWav(voice, &token, stream, log, "C:\\chat.wav"), std::runtime_error);
    EXPECT_EQ(std::vector<std::string>(journal.end() - 3, journal.end()),
              (std::vector<std::string>{"mine.SetOutputStream", "mine.Disconnect", "stream.Discard"}));
}

// A render is waited for as long as the file grows, and given up once it stops.
TEST_F(WavExport, ARenderIsGivenUpOnlyWhenTheFileStopsGrowing) {
    constexpr int kStalledWaits = static_cast<int>(kStalledRenderMs / kRenderSliceMs);
    log.whole = "hello";
    voice.waitsBeforeDone = 3 * kStalledWaits;
    stream.growth = 1;
    ExportToWav(voice, &token, stream, log, "C:\\chat.wav");
    EXPECT_EQ(std::count(journal.begin(), journal.end(), "mine.WaitUntilDone"), 3 * kStalledWaits + 1);
    EXPECT_EQ(journal.at(journal.size() - 2), "stream.Close");

    journal.clear();
    stream.growth = 0;
    voice.waitsBeforeDone = 1'000'000;
    EXPECT_THROW(ExportToWav(voice, &token, stream, log, "C:\\chat.wav"), std::runtime_error);
    EXPECT_EQ(std::count(journal.begin(), journal.end(), "mine.WaitUntilDone"), kStalledWaits);
    EXPECT_EQ(journal.back(), "stream.Discard");
}

}  // namespace
