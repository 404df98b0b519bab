// The speech log that the recording speech server writes and the end-to-end driver
// reads. One UTF-8 line per call:
//   <process id> TAB <object> TAB <method> [TAB <argument>]... [TAB FAILED | TAB NOTIMPL]
// A field never holds a tab or a line break: those, and the backslash, are escaped as
// \t \r \n \\ so that every line splits back into exactly the fields that were written.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

namespace parlowen::speech_log {

// Where the log goes: this environment variable, or the default path when it is unset.
inline constexpr wchar_t kPathVariable[] = L"PARLOWEN_SAPI_LOG";
inline constexpr wchar_t kDefaultPath[] = L"C:\\users\\Public\\parlowen-sapi.log";

// An environment variable of this process; empty when it is unset.
inline std::wstring Environment(const wchar_t* name) {
    const DWORD size = ::GetEnvironmentVariableW(name, nullptr, 0);
    if (size == 0) return {};
    std::wstring value(size, L'\0');
    value.resize(::GetEnvironmentVariableW(name, value.data(), size));
    return value;
}

// The log the server writes and the driver reads: both ask here, so they agree.
inline std::wstring LogPath() {
    const std::wstring path = Environment(kPathVariable);
    return path.empty() ? kDefaultPath : path;
}

// Comma-separated method names that fail with E_FAIL. "create" fails the class
// factory; "voice.create" or "stream.Open" limit a name to one kind of object.
inline constexpr wchar_t kFailVariable[] = L"PARLOWEN_SAPI_FAIL";

// The last field of a call that returned an error, and of a call the server does not
// implement (it answered E_NOTIMPL).
inline constexpr char kFailedMark[] = "FAILED";
inline constexpr char kNotImplementedMark[] = "NOTIMPL";

inline std::string EscapeField(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
            case '\t': out += "\\t"; break;
            case '\r': out += "\\r"; break;
            case '\n': out += "\\n"; break;
            case '\\': out += "\\\\"; break;
            default: out += c;
        }
    }
    return out;
}

inline std::string UnescapeField(std::string_view field) {
    std::string out;
    out.reserve(field.size());
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] != '\\' || i + 1 == field.size()) {
            out += field[i];
            continue;
        }
        switch (field[++i]) {
            case 't': out += '\t'; break;
            case 'r': out += '\r'; break;
            case 'n': out += '\n'; break;
            case '\\': out += '\\'; break;
            default:
                out += '\\';
                out += field[i];
        }
    }
    return out;
}

// One line without its line break, split at the tabs and unescaped.
inline std::vector<std::string> SplitLine(std::string_view line) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (;;) {
        const std::size_t tab = line.find('\t', start);
        fields.push_back(UnescapeField(line.substr(start, tab - start)));
        if (tab == std::string_view::npos) break;
        start = tab + 1;
    }
    return fields;
}

}  // namespace parlowen::speech_log
