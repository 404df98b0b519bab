// A registry in memory for the voice token tests: keys and value names are compared
// without regard to ASCII case and keep the spelling they were created with, as in the
// Windows registry.
#pragma once

#include "speech/voice_tokens.h"

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace parlowen::testing {

class FakeTokenRegistry : public speech::TokenRegistry {
public:
    bool OpenKey(std::string_view path, bool create) override {
        open_ = &root_;
        for (const std::string& name : Split(path)) {
            Node* child = Find(*open_, name);
            if (!child && !create) return (open_ = nullptr), false;
            open_ = child ? child : Add(*open_, name);
        }
        return true;
    }
    void CreateSubkey(std::string_view name) override {
        if (open_ && !Find(*open_, name)) Add(*open_, name);
    }
    void WriteString(std::string_view name, std::string_view value) override {
        if (!open_) return;
        for (auto& [existing, old] : open_->values)
            if (Fold(existing) == Fold(name)) return void(old = value);
        open_->values.emplace_back(name, value);
    }
    std::optional<std::string> ReadString(std::string_view name) override {
        if (open_)
            for (const auto& [existing, value] : open_->values)
                if (Fold(existing) == Fold(name)) return value;
        return std::nullopt;
    }
    void DeleteTree(std::string_view name) override {
        if (!open_) return;
        std::erase_if(open_->children, [&](const auto& child) { return Fold(child->name) == Fold(name); });
    }
    void CloseKey() override { open_ = nullptr; }

    // Every value under `path`, one line each: "<key path below it>|<name>|<value>", in
    // the order written; a key without values gives "<key path>" alone.
    std::vector<std::string> Dump(std::string_view path) {
        std::vector<std::string> lines;
        if (OpenKey(path, false)) DumpNode(*open_, "", lines);
        CloseKey();
        return lines;
    }

private:
    struct Node {
        std::string name;
        std::vector<std::pair<std::string, std::string>> values;
        std::vector<std::unique_ptr<Node>> children;
    };

    static std::string Fold(std::string_view text) {
        std::string folded(text);
        for (char& c : folded)
            if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        return folded;
    }
    static std::vector<std::string> Split(std::string_view path) {
        std::vector<std::string> names;
        std::string name;
        for (char c : std::string(path) + "\\") {
            if (c != '\\') name += c;
            else if (!name.empty()) names.push_back(std::exchange(name, ""));
        }
        return names;
    }
    static Node* Find(Node& parent, std::string_view name) {
        for (auto& child : parent.children)
            if (Fold(child->name) == Fold(name)) return child.get();
        return nullptr;
    }
    static Node* Add(Node& parent, std::string_view name) {
        parent.children.push_back(std::make_unique<Node>(Node{std::string(name), {}, {}}));
        return parent.children.back().get();
    }
    static void DumpNode(const Node& node, const std::string& path, std::vector<std::string>& lines) {
        if (node.values.empty() && !path.empty()) lines.push_back(path);
        for (const auto& [name, value] : node.values) lines.push_back(path + "|" + name + "|" + value);
        for (const auto& child : node.children)
            DumpNode(*child, path.empty() ? child->name : path + "\\" + child->name, lines);
    }

    Node root_;
    Node* open_ = nullptr;
};

}  // namespace parlowen::testing
