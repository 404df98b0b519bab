// A rich edit history control as the tail reader sees it, for the native tests: the
// text held as paragraphs, rows wrapped at a fixed number of characters, the requests
// answered the way RichEdit20A answers them, and ways to make it change, stop
// answering or refuse parts of its text while it is read.
#pragma once

#include "text/gbk.h"
#include "capture/history_tail.h"

#include <algorithm>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace parlowen::testing {

class FakeHistoryControl : public capture::HistoryControl {
public:
    explicit FakeHistoryControl(std::string_view transcript = {}, long rowWidth = 20)
        : rowWidth_(rowWidth) {
        SetText(transcript);
    }

    // Replaces the text, as WM_SETTEXT does: CR LF, CR and LF each break a paragraph.
    void SetText(std::string_view transcript) {
        paragraphs_.assign(1, {});
        for (std::size_t i = 0; i < transcript.size(); ++i) {
            if (transcript[i] == '\r' || transcript[i] == '\n') {
                if (transcript[i] == '\r' && i + 1 < transcript.size() && transcript[i + 1] == '\n') ++i;
                paragraphs_.emplace_back();
            } else {
                paragraphs_.back() += transcript[i];
            }
        }
    }
    void Append(std::string_view text) { SetText(WholeTextNow() + std::string(text)); }
    // Drops the first `count` paragraphs, as a history capped in length does.
    void DropFirstParagraphs(std::size_t count) {
        paragraphs_.erase(paragraphs_.begin(), paragraphs_.begin() + static_cast<long>(count));
    }

    // The whole text, paragraph breaks as CR LF, without asking.
    std::string WholeTextNow() const {
        std::string text;
        for (std::size_t i = 0; i < paragraphs_.size(); ++i) text += (i ? "\r\n" : "") + paragraphs_[i];
        return text;
    }
    long RowsNow() const {
        long rows = 0;
        for (const std::string& paragraph : paragraphs_)
            rows += std::max(1L, (static_cast<long>(capture::GbkCharacterCount(paragraph)) + rowWidth_ - 1) / rowWidth_);
        return rows;
    }

    // Called before each request is answered: a test may change the text there.
    std::function<void(FakeHistoryControl&)> beforeRequest;
    // Requests answered before the control stops answering.
    int answeringRequests = 1 << 30;
    bool readsParts = true;
    bool answersParts = true;
    // A length answered in place of the real one, as a broken or hostile control may.
    std::optional<long> lengthAnswer;

    int requests = 0;
    // Requests whose cost grows with the text under Wine: a part of the text that does
    // not begin at its start is found by walking the paragraphs from the start.
    int walks = 0;
    int wholeReads = 0;
    int partReads = 0;

    bool ReadsParts() override { return readsParts; }
    std::optional<long> RowCount() override {
        if (!Answer()) return std::nullopt;
        return RowsNow();
    }
    std::optional<long> Length() override {
        if (!Answer()) return std::nullopt;
        return lengthAnswer.value_or(static_cast<long>(capture::GbkCharacterCount(ControlText())));
    }
    std::optional<long> LengthFromRows() override {
        if (!Answer()) return std::nullopt;
        ++walks;
        return static_cast<long>(capture::GbkCharacterCount(ControlText()));
    }
    std::optional<std::string> Text(long start, long end) override {
        if (!Answer()) return std::nullopt;
        ++partReads;
        if (start > 0) ++walks;
        if (!answersParts) return std::string();
        // Positions count characters; the text is cut at character boundaries.
        const std::string text = ControlText();
        std::string part;
        long position = 0;
        for (std::size_t pos = 0; pos < text.size() && position < end; ++position) {
            const std::size_t length = text::GbkCharLength(text, pos);
            if (position >= start) part += text.substr(pos, length);
            pos += length;
        }
        return part;
    }
    std::optional<std::string> WholeText() override {
        if (!Answer()) return std::nullopt;
        ++wholeReads;
        return WholeTextNow();
    }

private:
    bool Answer() {
        if (beforeRequest) beforeRequest(*this);
        return ++requests <= answeringRequests;
    }
    // The text as the control holds it: a paragraph break is one "\r".
    std::string ControlText() const {
        std::string text;
        for (std::size_t i = 0; i < paragraphs_.size(); ++i) text += (i ? "\r" : "") + paragraphs_[i];
        return text;
    }

    long rowWidth_;
    std::vector<std::string> paragraphs_;
};

}  // namespace parlowen::testing
