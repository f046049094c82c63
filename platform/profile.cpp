// The settings-file reader and writer with Windows profile semantics.
//
// Both directions work on one parse of the text into lines, each remembered
// by its byte range, so a write can splice one line into the untouched text.
#include "platform/profile.h"

#include <vector>

#include "platform/local_file_system.h"

namespace platform {

namespace {

constexpr std::string_view kBlanks = " \t\v\f\r";

std::string_view trim(std::string_view s) {
    std::size_t first = s.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) return {};
    return s.substr(first, s.find_last_not_of(kBlanks) - first + 1);
}

char lowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool sameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (lowerAscii(a[i]) != lowerAscii(b[i])) return false;
    }
    return true;
}

enum class Kind { Other, Section, Entry };

struct Line {
    std::size_t begin = 0;  // first byte of the line
    std::size_t end = 0;    // one past the content, before the line end
    std::size_t next = 0;   // first byte of the next line
    Kind kind = Kind::Other;
    std::string_view name;   // section name or key, trimmed
    std::string_view value;  // entry value, trimmed
};

Line classify(std::string_view text, std::size_t begin, std::size_t end, std::size_t next) {
    Line line;
    line.begin = begin;
    line.end = end;
    line.next = next;
    std::string_view content = text.substr(begin, end - begin);
    content = trim(content.substr(0, content.find('\0')));
    if (content.empty() || content[0] == ';') return line;
    if (content[0] == '[') {
        std::size_t close = content.rfind(']');
        if (close != std::string_view::npos) {
            line.kind = Kind::Section;
            line.name = trim(content.substr(1, close - 1));
        }
        return line;
    }
    std::size_t eq = content.find('=');
    if (eq == std::string_view::npos) return line;
    line.kind = Kind::Entry;
    line.name = trim(content.substr(0, eq));
    line.value = trim(content.substr(eq + 1));
    return line;
}

std::vector<Line> parse(std::string_view text) {
    std::vector<Line> lines;
    std::size_t begin = 0;
    if (text.substr(0, 3) == "\xEF\xBB\xBF") begin = 3;  // a UTF-8 byte-order mark
    while (begin < text.size()) {
        std::size_t lf = text.find('\n', begin);
        std::size_t next = lf == std::string_view::npos ? text.size() : lf + 1;
        std::size_t end = lf == std::string_view::npos ? text.size() : lf;
        if (end > begin && text[end - 1] == '\r' && lf != std::string_view::npos) --end;
        lines.push_back(classify(text, begin, end, next));
        begin = next;
    }
    return lines;
}

bool isBlank(std::string_view text, const Line& line) {
    return trim(text.substr(line.begin, line.end - line.begin)).empty();
}

// Index of the first entry key in a section named section, or -1.
long findEntry(const std::vector<Line>& lines, std::string_view section, std::string_view key) {
    bool inSection = false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const Line& line = lines[i];
        if (line.kind == Kind::Section) {
            inSection = sameName(line.name, section);
        } else if (inSection && line.kind == Kind::Entry && sameName(line.name, key)) {
            return static_cast<long>(i);
        }
    }
    return -1;
}

std::string_view unquote(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        return value.substr(1, value.size() - 2);
    }
    return value;
}

bool hasLineBreakOrNul(std::string_view s) {
    return s.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

bool readableName(std::string_view name) {
    return trim(name) == name && !hasLineBreakOrNul(name);
}

// The line end the text already uses; LF for a text without one.
std::string_view lineEndOf(std::string_view text) {
    std::size_t lf = text.find('\n');
    return lf != std::string_view::npos && lf > 0 && text[lf - 1] == '\r' ? "\r\n" : "\n";
}

}  // namespace

std::string profileLookup(std::string_view text, std::string_view section, std::string_view key,
                          std::string_view defaultValue, std::size_t bufferSize) {
    std::vector<Line> lines = parse(text);
    long at = findEntry(lines, section, key);
    std::string_view value;
    if (at >= 0) {
        value = unquote(lines[static_cast<std::size_t>(at)].value);
    } else {
        value = defaultValue.substr(0, defaultValue.find_last_not_of(' ') + 1);
    }
    if (bufferSize == 0) return {};
    return std::string(value.substr(0, bufferSize - 1));
}

std::optional<std::string> profileUpdate(std::string_view text, std::string_view section,
                                         std::string_view key, std::string_view value) {
    if (!readableName(section) || section.find(']') != std::string_view::npos) return std::nullopt;
    if (key.empty() || !readableName(key) || key.find('=') != std::string_view::npos ||
        key[0] == ';' || key[0] == '[') {
        return std::nullopt;
    }
    std::string cleanValue(value);
    for (char& c : cleanValue) {
        if (c == '\r' || c == '\n' || c == '\0') c = ' ';
    }
    std::vector<Line> lines = parse(text);
    std::string_view eol = lineEndOf(text);
    std::string out;

    long at = findEntry(lines, section, key);
    if (at >= 0) {
        const Line& line = lines[static_cast<std::size_t>(at)];
        out.append(text.substr(0, line.begin));
        out.append(line.name).append("=").append(cleanValue);
        out.append(text.substr(line.end));
        return out;
    }

    // The last non-blank line of the first section of that name.
    long last = -1;
    bool inSection = false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].kind == Kind::Section) {
            if (last >= 0) break;
            inSection = sameName(lines[i].name, section);
            if (inSection) last = static_cast<long>(i);
        } else if (inSection && !isBlank(text, lines[i])) {
            last = static_cast<long>(i);
        }
    }
    std::string entry = std::string(key) + "=" + cleanValue;
    if (last >= 0) {
        const Line& line = lines[static_cast<std::size_t>(last)];
        out.append(text.substr(0, line.next));
        if (line.next == line.end) out.append(eol);  // the last line had no line end
        out.append(entry).append(eol);
        out.append(text.substr(line.next));
        return out;
    }

    out.append(text);
    if (!lines.empty()) {
        if (lines.back().next == lines.back().end) out.append(eol);
        if (!isBlank(text, lines.back())) out.append(eol);  // a blank line between sections
    }
    out.append("[").append(section).append("]").append(eol);
    out.append(entry).append(eol);
    return out;
}

std::string readProfileString(std::string_view section, std::string_view key,
                              std::string_view defaultValue, std::size_t bufferSize,
                              const std::string& path) {
    LocalFileSystem files;
    ReadResult file = files.readFile(path);
    return profileLookup(file.ok ? std::string_view(file.bytes) : std::string_view{}, section, key,
                         defaultValue, bufferSize);
}

bool writeProfileString(std::string_view section, std::string_view key, std::string_view value,
                        const std::string& path) {
    LocalFileSystem files;
    std::string text;
    if (files.exists(path)) {
        ReadResult file = files.readFile(path);
        if (!file.ok) return false;
        text = std::move(file.bytes);
    }
    std::optional<std::string> updated = profileUpdate(text, section, key, value);
    return updated && files.writeFile(path, *updated).ok;
}

}  // namespace platform
