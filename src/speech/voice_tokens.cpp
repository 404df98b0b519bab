#include "speech/voice_tokens.h"

#include "text/gbk.h"

#include <initializer_list>

namespace parlowen::speech {

const std::string_view kPhoneMap =
    "AA 000a AA1 000a0008 AA2 000a0009 AE 000b AE1 000b0008 AE2 000b0009 AH 000c AH1 000c0008 AH2 000c0009 "
    "AO 000d AO1 000d0008 AO2 000d0009 AW 000e AW1 000e0008 AW2 000e0009 AX 000f AX1 000f0008 AX2 000f0009 "
    "AY 0010 AY1 00100008 AY2 00100009 B 0011 CH 0012 D 0013 DH 0014 EH 0015 EH1 00150008 EH2 00150009 "
    "ER 0016 ER1 00160008 ER2 00160009 EY 0017 EY1 00170008 EY2 00170009 F 0018 G 0019 H 001a "
    "IH 001b  IH1 001b0008 IH2 001b0009 IY 001c IY1 001c0008 IY2 001c0009 JH 001d K 001e L 001f M 0020 "
    "N 0021 NG 0022 OW 0023 OW1 00230008 OW2 00230009 OY 0024 OY1 00240008 OY2 00240009 P 0025 R 0026 "
    "S 0027 SH 0028 T 0029 TH 002a UH 002b UH1 002b0008 UH2 002b0009 UW 002c UW1 002c0008 UW2 002c0009 "
    "V 002d W 002e Y 002f Z 0030 ZH 0031";

namespace {

struct VoiceNames {
    std::string_view createdKey;  // the spelling the key is created with, and keeps
    std::string_view writtenKey;  // the spelling its values are written through
    std::string_view displayName;
    std::string_view fileStem;
    std::string_view gender;
};

const VoiceNames& NamesOf(Voice voice) {
    static constexpr VoiceNames kMary{"MSMary", "MsMary", "Microsoft Mary", "mary", "Female"};
    static constexpr VoiceNames kMike{"MSMike", "MsMike", "Microsoft Mike", "mike", "Male"};
    return voice == Voice::Mary ? kMary : kMike;
}

// Every value of a token, by subkey of the token's key, in the order written. In the
// values, $name, $file and $gender are the voice's own, $folder and $drive the prefixes.
struct TokenValue {
    std::string_view subkey;
    std::string_view name;
    std::string_view value;
};

constexpr std::string_view kLexicons = "$drive\\Program Files\\Common Files\\SpeechEngines\\Microsoft\\Lexicon\\1033\\";

const std::string kLexData = std::string(kLexicons) + "LTTS1033.LXA";
const std::string kLtsData = std::string(kLexicons) + "r1033tts.LXA";

const TokenValue kTokenValues[] = {
    {"", "", "$name"},
    {"", "409", "$name"},
    {"", "CLSID", "{65DBDDEF-0725-11D3-B50C-00C04F797396}"},
    {"", "VoiceData", "$folderTTS\\$file.spd"},
    {"", "VoiceDef", "$folderTTS\\$file.sdf"},
    {"\\Attributes", "", ""},
    {"\\Attributes", "Age", "Adult"},
    {"\\Attributes", "Gender", "$gender"},
    {"\\Attributes", "Language", "409;9"},
    {"\\Attributes", "Name", "$name"},
    {"\\Attributes", "Vender", "Microsoft"},
    {"\\Attributes", "VendorPreferred", ""},
    {"\\Lex", "", ""},
    {"\\Lex", "CLSID", "{90903716-2F42-11D3-9C26-00C04F8EF87C}"},
    {"\\Lex", "DataFile", kLexData},
    {"\\LTS", "", ""},
    {"\\LTS", "CLSID", "{685879BA-3263-11D3-9C26-00C04F8EF87C}"},
    {"\\LTS", "DataFile", kLtsData},
    {"\\LTS\\PhoneConverter", "", "Microsoft English LTS Phone Converter"},
    {"\\LTS\\PhoneConverter", "CLSID", "{9185F743-1143-4C28-86B5-BFF14F20E5C8}"},
    {"\\LTS\\PhoneConverter", "PhoneMap", kPhoneMap},
};

std::string Expand(std::string_view pattern, const VoiceNames& names, const VoicePlaces& places) {
    const std::pair<std::string_view, std::string_view> fields[] = {
        {"$name", names.displayName}, {"$file", names.fileStem},       {"$gender", names.gender},
        {"$folder", places.programFolder}, {"$drive", places.systemDrive},
    };
    std::string out;
    for (std::size_t pos = 0; pos < pattern.size();) {
        bool replaced = false;
        for (const auto& [field, value] : fields) {
            if (pattern.substr(pos, field.size()) != field) continue;
            out += value;
            pos += field.size();
            replaced = true;
            break;
        }
        if (!replaced) out += pattern[pos++];
    }
    return out;
}

std::string TokenPath(std::string_view key) { return std::string(kTokenFolder) + "\\" + std::string(key); }

bool CreateSubkeys(TokenRegistry& registry, const std::string& path, std::initializer_list<std::string_view> names) {
    if (!registry.OpenKey(path, false)) return false;
    for (std::string_view name : names)
        if (!registry.CreateSubkey(name)) return false;
    return true;
}

bool WriteValues(TokenRegistry& registry, const VoiceNames& names, const VoicePlaces& places, std::string_view subkey) {
    if (!registry.OpenKey(TokenPath(names.writtenKey) + std::string(subkey), true)) return false;
    for (const TokenValue& row : kTokenValues)
        if (row.subkey == subkey && !registry.WriteString(row.name, Expand(row.value, names, places))) return false;
    return true;
}

char FoldAscii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

// Whether `path` starts with `prefix`, ignoring the case of single-byte letters only:
// the trail byte of a double-byte character is part of that character.
bool StartsWithIgnoringCase(std::string_view path, std::string_view prefix) {
    if (path.size() < prefix.size()) return false;
    for (std::size_t pos = 0; pos < prefix.size();) {
        const std::size_t length = text::GbkCharLength(prefix, pos);
        if (length == 1 ? FoldAscii(path[pos]) != FoldAscii(prefix[pos]) : path.substr(pos, 2) != prefix.substr(pos, 2))
            return false;
        pos += length;
    }
    return true;
}

}  // namespace

std::string DriveOf(std::string_view path) {
    const std::size_t colon = path.find(':');
    return colon == std::string_view::npos ? std::string() : std::string(path.substr(0, colon + 1));
}

bool IsForeignToken(TokenRegistry& registry, Voice voice, const VoicePlaces& places) {
    if (!registry.OpenKey(TokenPath(NamesOf(voice).createdKey), false)) return false;
    const std::optional<std::string> voiceData = registry.ReadString("VoiceData");
    registry.CloseKey();
    // A token without voice data is of no use to anyone: the remains of an interrupted run.
    return voiceData && !StartsWithIgnoringCase(*voiceData, places.programFolder + "TTS\\") &&
           registry.FileExists(*voiceData);
}

void RemoveVoiceToken(TokenRegistry& registry, Voice voice, const VoicePlaces& places) {
    if (IsForeignToken(registry, voice, places)) return;
    if (!registry.OpenKey(kTokenFolder, false)) return;
    registry.DeleteTree(NamesOf(voice).createdKey);
    registry.CloseKey();
}

void InstallVoiceToken(TokenRegistry& registry, Voice voice, const VoicePlaces& places) {
    if (IsForeignToken(registry, voice, places)) return;
    const VoiceNames& names = NamesOf(voice);
    const std::string created = TokenPath(names.createdKey);
    const bool written = CreateSubkeys(registry, std::string(kTokenFolder), {names.createdKey}) &&
                         CreateSubkeys(registry, created, {"Attributes", "Lex", "LTS"}) &&
                         WriteValues(registry, names, places, "") &&
                         WriteValues(registry, names, places, "\\Attributes") &&
                         WriteValues(registry, names, places, "\\Lex") &&
                         CreateSubkeys(registry, created + "\\LTS", {"PhoneConverter"}) &&
                         WriteValues(registry, names, places, "\\LTS") &&
                         WriteValues(registry, names, places, "\\LTS\\PhoneConverter");
    registry.CloseKey();
    if (!written) RemoveVoiceToken(registry, voice, places);
}

void RefreshVoiceTokens(TokenRegistry& registry, const VoicePlaces& places) {
    RemoveVoiceToken(registry, Voice::Mary, places);
    RemoveVoiceToken(registry, Voice::Mike, places);
    InstallVoiceToken(registry, Voice::Mike, places);
    InstallVoiceToken(registry, Voice::Mary, places);
}

void RemoveVoiceTokens(TokenRegistry& registry, const VoicePlaces& places) {
    RemoveVoiceToken(registry, Voice::Mary, places);
    RemoveVoiceToken(registry, Voice::Mike, places);
}

}  // namespace parlowen::speech
