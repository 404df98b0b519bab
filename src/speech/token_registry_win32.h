// The voice tokens' registry on Windows: keys under HKEY_LOCAL_MACHINE, opened with
// full access, which writing there needs. Without that right nothing opens, and the
// token writing changes and reports nothing.
#pragma once

#include "speech/voice_tokens.h"
#include "win32/handles_win32.h"

namespace parlowen::speech {

class WindowsTokenRegistry final : public TokenRegistry {
public:
    bool OpenKey(std::string_view path, bool create) override;
    bool CreateSubkey(std::string_view name) override;
    bool WriteString(std::string_view name, std::string_view value) override;
    std::optional<std::string> ReadString(std::string_view name) override;
    void DeleteTree(std::string_view name) override;
    void CloseKey() override { key_.reset(); }
    bool FileExists(const std::string& path) override {
        return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
    }

private:
    win32::UniqueKey key_;
};

// Where the running program and the Windows directory are.
VoicePlaces RunningVoicePlaces();

// On the Windows major version 5 only: the tokens written at start-up and removed at exit.
void RefreshVoiceTokensOnVersion5();
void RemoveVoiceTokensOnVersion5();

}  // namespace parlowen::speech
