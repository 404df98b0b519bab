#include "text/field_line.h"

namespace parlowen::text {

std::string EncodeLine(const Fields& fields) {
    std::string line;
    for (size_t i = 0; i < fields.size(); ++i) {
        if (i > 0) line += '\t';
        for (char c : fields[i]) {
            switch (c) {
            case '\\': line += "\\\\"; break;
            case '\t': line += "\\t"; break;
            case '\n': line += "\\n"; break;
            case '\r': line += "\\r"; break;
            case '\0': line += "\\0"; break;
            default: line += c;
            }
        }
    }
    line += '\n';
    return line;
}

Fields DecodeLine(std::string_view line) {
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    Fields fields(1);
    for (size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (c == '\t') {
            fields.emplace_back();
        } else if (c == '\\' && i + 1 < line.size()) {
            switch (line[++i]) {
            case 't': fields.back() += '\t'; break;
            case 'n': fields.back() += '\n'; break;
            case 'r': fields.back() += '\r'; break;
            case '0': fields.back() += '\0'; break;
            default: fields.back() += line[i];  // "\\", and any other escaped byte as itself
            }
        } else {
            fields.back() += c;
        }
    }
    return fields;
}

}  // namespace parlowen::text
