// Chat text is written by another person, and synthesisers read commands out of text:
// eSpeak NG takes U+0001 as the start of an embedded command (amplitude, voice, rate,
// pitch) whatever its flags, so a message could make a muted voice shout.
#pragma once

#include <string>
#include <string_view>

namespace parlowen::speech {

// `ansiText` with every control character except tab, CR and LF (the C0 controls and DEL)
// as a space, so that it is only ever read aloud. In GBK no byte of a double-byte
// character is a control character, so the bytes can be looked at one by one.
std::string SpeakableText(std::string_view ansiText);

// SpeakableText(ansiText) as the text of SAPI markup that speaks it at `pitch`
// (-10..10): "&", "<" and ">" become entities, so whatever the message holds stays
// words to be read. In GBK none of them is ever the second byte of a character.
std::string PitchMarkup(std::string_view ansiText, int pitch);

}  // namespace parlowen::speech
