// A registry in memory for the voice token tests: keys and value names are compared
// without regard to ASCII case and keep the spelling they were created with, as in the
// Windows registry.
#pragma once

#include "speech/voice_tokens.h"

#include <algorithm>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace parlowen::testing {

class FakeTokenRegistry : public speech::TokenRegistry {
public:
    // With speech, the token folder the speech platform's installation makes is there.
    explicit FakeTokenRegistry(bool withSpeech = true) {
        if (withSpeech) OpenKey(speech::kTokenFolder, true), CloseKey();
    }
    // The files there are: the voice data the tokens name.
    std::set<std::string> files = {"C:\\Program Files\\Speech\\mary.spd"};
    bool FileExists(const std::string& path) override { return files.count(path) > 0; }
    // After this many more subkeys and values written, every write fails.
    std::size_t writesLeft = static_cast<std::size_t>(-1);

    bool OpenKey(std::string_view path, bool create) override {
        open_ = Find(path);
        if (open_ == kNone && create) {
            for (std::size_t cut = path.find('\\', 1); cut != std::string_view::npos; cut = path.find('\\', cut + 1))
                Make(path.substr(0, cut));
            open_ = Make(path);
        }
        return open_ != kNone;
    }
    bool CreateSubkey(std::string_view name) override {
        if (open_ == kNone || !Write()) return false;
        Make(keys_[open_].path + "\\" + std::string(name));
        return true;
    }
    bool WriteString(std::string_view name, std::string_view value) override {
        if (open_ == kNone || !Write()) return false;
        auto& values = keys_[open_].values;
        const auto same = std::find_if(values.begin(), values.end(), [&](auto& v) { return Fold(v.first) == Fold(name); });
        if (same != values.end()) same->second = value;
        else values.emplace_back(name, value);
        return true;
    }
    std::optional<std::string> ReadString(std::string_view name) override {
        if (open_ != kNone)
            for (const auto& [existing, value] : keys_[open_].values)
                if (Fold(existing) == Fold(name)) return value;
        return std::nullopt;
    }
    void DeleteTree(std::string_view name) override {
        if (open_ == kNone) return;
        const std::string root = Fold(keys_[open_].path + "\\" + std::string(name));
        const std::string openPath = keys_[open_].path;
        std::erase_if(keys_, [&](const Key& key) { return Fold(key.path) == root || Fold(key.path).starts_with(root + "\\"); });
        open_ = Find(openPath);
    }
    void CloseKey() override { open_ = kNone; }

    // Every key below `path` in the order created, one line a value: "<key below>|<name>|<value>";
    // a key without values gives "<key below>" alone.
    std::vector<std::string> Dump(std::string_view path) const {
        std::vector<std::string> lines;
        const std::string root = Fold(path) + "\\";
        for (const Key& key : keys_) {
            if (!Fold(key.path).starts_with(root)) continue;
            const std::string below = key.path.substr(root.size());
            if (key.values.empty()) lines.push_back(below);
            for (const auto& [name, value] : key.values) lines.push_back(below + "|" + name + "|" + value);
        }
        return lines;
    }

private:
    struct Key {
        std::string path;
        std::vector<std::pair<std::string, std::string>> values;
    };
    static constexpr std::size_t kNone = static_cast<std::size_t>(-1);

    bool Write() { return writesLeft != 0 && (writesLeft == static_cast<std::size_t>(-1) || writesLeft-- > 0); }

    static std::string Fold(std::string_view text) {
        std::string folded(text);
        for (char& c : folded) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
        return folded;
    }
    std::size_t Find(std::string_view path) const {
        for (std::size_t i = 0; i < keys_.size(); ++i)
            if (Fold(keys_[i].path) == Fold(path)) return i;
        return kNone;
    }
    std::size_t Make(std::string_view path) {
        const std::size_t found = Find(path);
        if (found != kNone) return found;
        keys_.push_back({std::string(path), {}});
        return keys_.size() - 1;
    }

    std::vector<Key> keys_;
    std::size_t open_ = kNone;
};

}  // namespace parlowen::testing
