#include "speech/speakable_text.h"

#include <algorithm>

namespace parlowen::speech {

std::string SpeakableText(std::string_view ansiText) {
    std::string text(ansiText);
    std::replace_if(
        text.begin(), text.end(),
        [](char c) {
            const auto byte = static_cast<unsigned char>(c);
            return (byte < 0x20 && c != '\t' && c != '\r' && c != '\n') || byte == 0x7F;
        },
        ' ');
    return text;
}

}  // namespace parlowen::speech
