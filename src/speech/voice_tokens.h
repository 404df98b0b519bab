// The two English voices shipped in the program's TTS folder, made known to the speech
// platform while the program runs on the Windows 2000 / XP / Server 2003 generation: a
// token for each is written under HKEY_LOCAL_MACHINE at start-up and removed at exit.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace parlowen::speech {

// The registry as the token writing uses it: one open key at a time, paths absolute
// under HKEY_LOCAL_MACHINE ("\SOFTWARE\..."), names compared without regard to case.
// The program's implementation changes nothing it has no right to change and reports
// nothing; the tests keep the keys in memory. Writes tell whether they succeeded.
class TokenRegistry {
public:
    virtual ~TokenRegistry() = default;
    // Opens `path`, closing the key opened before; `create` makes it and any missing
    // parent. False when it cannot be opened.
    virtual bool OpenKey(std::string_view path, bool create) = 0;
    virtual bool CreateSubkey(std::string_view name) = 0;
    // A string value of the open key; the empty name is the key's default value.
    virtual bool WriteString(std::string_view name, std::string_view value) = 0;
    virtual std::optional<std::string> ReadString(std::string_view name) = 0;
    // Deletes a subkey of the open key with all its subkeys; a missing one is no error.
    virtual void DeleteTree(std::string_view name) = 0;
    virtual void CloseKey() = 0;
    // Whether a file the tokens name (their voice data) is there.
    virtual bool FileExists(const std::string& path) = 0;
};

inline constexpr std::string_view kTokenFolder = "\\SOFTWARE\\Microsoft\\Speech\\Voices\\Tokens";

// The phone-name map of the letter-to-sound rules: 72 pairs, 719 characters, with two
// spaces before "IH1".
extern const std::string_view kPhoneMap;

// The prefixes the token values start with: the running executable's folder with its
// trailing "\" and the Windows directory's drive ("C:").
struct VoicePlaces {
    std::string programFolder;
    std::string systemDrive;
};

// The drive part of a path without a backslash: "C:" for "C:\WINDOWS"; "" without one.
std::string DriveOf(std::string_view path);

enum class Voice { Mary, Mike };

// True when the voice's token exists, was not written by this program (its "VoiceData"
// lies outside this program's TTS folder) and its voice data is there. Such a token
// belongs to another installation of the voice and is never deleted, overwritten or
// installed over; one whose voice data is gone is no one's voice any more.
bool IsForeignToken(TokenRegistry& registry, Voice voice, const VoicePlaces& places);

// Deletes the voice's token with its subtree, unless it is foreign.
void RemoveVoiceToken(TokenRegistry& registry, Voice voice, const VoicePlaces& places);
// Writes the voice's token tree, unless a foreign token is in its place or the system
// has no token folder (no speech platform to tell). A tree that could be written only in
// part is removed again: a token without its data would be a voice that cannot speak.
void InstallVoiceToken(TokenRegistry& registry, Voice voice, const VoicePlaces& places);

// At start-up: both tokens written afresh (remove Mary, remove Mike, install Mike,
// install Mary), so that a token left by a run that did not end is rewritten.
void RefreshVoiceTokens(TokenRegistry& registry, const VoicePlaces& places);
// At exit: remove Mary, then Mike.
void RemoveVoiceTokens(TokenRegistry& registry, const VoicePlaces& places);

}  // namespace parlowen::speech
