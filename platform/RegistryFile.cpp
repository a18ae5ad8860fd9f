#include "platform/RegistryFile.h"

#include <vector>

namespace quaverly {

std::string LowerAscii(std::string_view text)
{
    std::string out(text);
    for (char &c : out)
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    return out;
}

namespace {

// Splits into lines at LF, dropping a CR before it; a line ending in "\"
// continues on the next one (hex data), as regedit writes long values.
std::vector<std::string> Lines(std::string_view text)
{
    std::vector<std::string> lines;
    std::string current;
    std::size_t pos = 0;
    while (pos <= text.size()) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = text.substr(pos, end - pos);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        current += line;
        bool continues = !current.empty() && current.back() == '\\' && current.find("=hex") != std::string::npos;
        if (continues) {
            current.pop_back();
            while (end + 1 < text.size() && (text[end + 1] == ' '))
                ++end;
        } else {
            lines.push_back(std::move(current));
            current.clear();
        }
        pos = end + 1;
    }
    if (!current.empty())
        lines.push_back(std::move(current));
    return lines;
}

// Reads a quoted string starting at text[pos] == '"'; pos ends after the
// closing quote. Escapes: \" and \\ (regedit writes nothing else).
std::optional<std::string> Quoted(const std::string &text, std::size_t &pos)
{
    if (pos >= text.size() || text[pos] != '"')
        return std::nullopt;
    std::string out;
    for (++pos; pos < text.size(); ++pos) {
        char c = text[pos];
        if (c == '"') {
            ++pos;
            return out;
        }
        if (c == '\\') {
            if (++pos >= text.size())
                return std::nullopt;
            c = text[pos];
        }
        out += c;
    }
    return std::nullopt;
}

std::string Quote(const std::string &text)
{
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\')
            out += '\\';
        out += c;
    }
    return out + '"';
}

RegistryKey *KeyAt(RegistryKey &root, std::string_view path)
{
    RegistryKey *key = &root;
    while (!path.empty()) {
        std::size_t cut = path.find('\\');
        std::string_view part = path.substr(0, cut);
        path = cut == std::string_view::npos ? std::string_view {} : path.substr(cut + 1);
        if (part.empty())
            return nullptr;  // "a\\b": an empty key name
        RegistryKey &child = key->keys[LowerAscii(part)];
        if (child.name.empty())
            child.name = std::string(part);
        key = &child;
    }
    return key;
}

void FormatKey(const RegistryKey &key, const std::string &path, bool isRoot, std::string &out)
{
    if (!isRoot || !key.values.empty()) {
        out += "[" + path + "]\r\n";
        for (const auto &[lower, value] : key.values) {
            out += value.name.empty() ? std::string("@") : Quote(value.name);
            out += "=";
            out += value.isString ? Quote(value.data) : value.data;
            out += "\r\n";
        }
        out += "\r\n";
    }
    for (const auto &[lower, child] : key.keys)
        FormatKey(child, path + "\\" + child.name, false, out);
}

}  // namespace

std::optional<RegistryKey> ParseRegistryFile(std::string_view text, std::string_view rootName)
{
    if (text.size() >= 3 && text.substr(0, 3) == "\xEF\xBB\xBF")
        text.remove_prefix(3);
    std::vector<std::string> lines = Lines(text);
    std::size_t i = 0;
    while (i < lines.size() && lines[i].empty())
        ++i;
    if (i == lines.size() || lines[i] != "REGEDIT4")
        return std::nullopt;
    ++i;

    RegistryKey root;
    root.name = std::string(rootName);
    const std::string lowerRoot = LowerAscii(rootName);
    RegistryKey *current = nullptr;
    for (; i < lines.size(); ++i) {
        const std::string &line = lines[i];
        if (line.empty() || line[0] == ';')
            continue;
        if (line[0] == '[') {
            if (line.back() != ']' || line.size() < 3)
                return std::nullopt;
            std::string path = line.substr(1, line.size() - 2);
            std::string lowerPath = LowerAscii(path);
            if (lowerPath == lowerRoot) {
                current = &root;
            } else if (lowerPath.size() > lowerRoot.size() + 1 && lowerPath.compare(0, lowerRoot.size(), lowerRoot) == 0
                       && lowerPath[lowerRoot.size()] == '\\') {
                current = KeyAt(root, std::string_view(path).substr(lowerRoot.size() + 1));
                if (!current)
                    return std::nullopt;
            } else {
                return std::nullopt;  // another root, or a deletion "[-...]"
            }
            continue;
        }
        if (!current)
            return std::nullopt;  // a value before any section
        std::size_t pos = 0;
        std::string name;
        if (line[0] == '@') {
            pos = 1;
        } else {
            auto quoted = Quoted(line, pos);
            if (!quoted)
                return std::nullopt;
            name = *quoted;
        }
        if (pos >= line.size() || line[pos] != '=')
            return std::nullopt;
        ++pos;
        RegistryKey::Value value;
        value.name = name;
        if (pos < line.size() && line[pos] == '"') {
            auto data = Quoted(line, pos);
            if (!data || pos != line.size())
                return std::nullopt;
            value.data = *data;
        } else {
            if (pos == line.size())
                return std::nullopt;
            value.data = line.substr(pos);
            value.isString = false;
        }
        current->values[LowerAscii(name)] = std::move(value);
    }
    return root;
}

std::string FormatRegistryFile(const RegistryKey &root, std::string_view rootName)
{
    std::string out = "REGEDIT4\r\n\r\n";
    FormatKey(root, std::string(rootName), true, out);
    return out;
}

}  // namespace quaverly
