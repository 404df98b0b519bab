#include "speech/speakable_text.h"

#include <algorithm>
#include <string>

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

std::string PitchMarkup(std::string_view ansiText, int pitch) {
    std::string markup = "<pitch absmiddle=\"" + std::to_string(std::clamp(pitch, -10, 10)) + "\">";
    for (char c : SpeakableText(ansiText)) {
        switch (c) {
        case '&': markup += "&amp;"; break;
        case '<': markup += "&lt;"; break;
        case '>': markup += "&gt;"; break;
        default: markup += c;
        }
    }
    return markup + "</pitch>";
}

}  // namespace parlowen::speech
