// DeviceSim: the registry as REGEDIT4 text — export of a key with
// everything below it, and import of such text.
#include "kernel/Names.h"
#include "kernel/Registry.h"
#include "kernel/Utf8.h"

#include <algorithm>
#include <cstdio>

namespace sim {
namespace {

// s must be Representable, or at least hold only whole surrogate pairs.
void AppendText(std::string *out, std::u16string_view s, bool escape) {
    for (size_t i = 0; i < s.size(); ++i) {
        char32_t cp = s[i];
        if (IsHighSurrogate(s[i]) && i + 1 < s.size()) {
            cp = 0x10000 + ((char32_t(s[i] - 0xD800) << 10) | char32_t(s[i + 1] - 0xDC00));
            ++i;
        }
        if (escape && (cp == U'\\' || cp == U'"'))
            *out += '\\';
        AppendUtf8(out, cp);
    }
}

// ---------------------------------------------------------------- export

// A string value is written as quoted text only when reading it back gives
// the same bytes: even length, one terminator at the end, nothing a line of
// text cannot hold.
bool AsText(const std::vector<uint8_t> &data, std::u16string *text) {
    if (data.size() < 2 || data.size() % 2 != 0)
        return false;
    text->clear();
    for (size_t i = 0; i + 2 < data.size(); i += 2)
        *text += char16_t(data[i] | (data[i + 1] << 8));
    if (data[data.size() - 2] != 0 || data[data.size() - 1] != 0)
        return false;
    return Representable(*text);
}

void AppendHexList(std::string line, const std::vector<uint8_t> &data, std::string *out) {
    // Lines stay within 80 columns, continued with a backslash and indented
    // by two spaces, as regedit writes them.
    constexpr size_t kWidth = 80;
    for (size_t i = 0; i < data.size(); ++i) {
        bool last = i + 1 == data.size();
        char item[4];
        std::snprintf(item, sizeof item, last ? "%02x" : "%02x,", data[i]);
        size_t need = line.size() + std::char_traits<char>::length(item) + (last ? 0 : 1);
        if (need > kWidth && line != "  ") {
            *out += line;
            *out += "\\\n";
            line = "  ";
        }
        line += item;
    }
    *out += line;
    *out += '\n';
}

void ExportValue(const RegValue &value, std::string *out) {
    std::string line;
    if (value.name.empty()) {
        line = "@";
    } else {
        line = "\"";
        AppendText(&line, value.name, true);
        line += '"';
    }
    line += '=';
    std::u16string text;
    if (value.type == kRegSz && AsText(value.data, &text)) {
        line += '"';
        AppendText(&line, text, true);
        line += "\"\n";
        *out += line;
        return;
    }
    if (value.type == kRegDword && value.data.size() == 4) {
        uint32_t v = uint32_t(value.data[0]) | uint32_t(value.data[1]) << 8 |
                     uint32_t(value.data[2]) << 16 | uint32_t(value.data[3]) << 24;
        char buf[24];
        std::snprintf(buf, sizeof buf, "dword:%08x\n", v);
        *out += line;
        *out += buf;
        return;
    }
    if (value.type == kRegBinary) {
        line += "hex:";
    } else {
        char buf[24];
        std::snprintf(buf, sizeof buf, "hex(%x):", value.type);
        line += buf;
    }
    AppendHexList(std::move(line), value.data, out);
}

void ExportKey(const RegKey &key, std::string *out) {
    *out += '[';
    AppendText(out, key.Path(), false);
    *out += "]\n";
    for (const auto &value : key.Values())
        ExportValue(value, out);
    *out += '\n';
    for (const auto &sub : key.Subkeys())
        ExportKey(*sub, out);
}

// ---------------------------------------------------------------- import

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

bool StartsWithNoCase(std::string_view s, std::string_view prefix) {
    if (s.size() < prefix.size())
        return false;
    for (size_t i = 0; i < prefix.size(); ++i) {
        char c = s[i];
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
        if (c != prefix[i])
            return false;
    }
    return true;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// 1 to 8 hex digits, the whole of s.
bool ParseHex32(std::string_view s, uint32_t *out) {
    if (s.empty() || s.size() > 8)
        return false;
    uint32_t v = 0;
    for (char c : s) {
        int d = HexDigit(c);
        if (d < 0)
            return false;
        v = v << 4 | uint32_t(d);
    }
    *out = v;
    return true;
}

bool ParseHexList(std::string_view s, std::vector<uint8_t> *out) {
    out->clear();
    s = Trim(s);
    if (s.empty())
        return true;
    for (;;) {
        size_t comma = s.find(',');
        std::string_view item = Trim(s.substr(0, comma));
        uint32_t v;
        if (item.size() > 2 || !ParseHex32(item, &v))
            return false;
        out->push_back(uint8_t(v));
        if (comma == std::string_view::npos)
            return true;
        s.remove_prefix(comma + 1);
    }
}

// A double-quoted text starting at s[*pos], with \\ and \" escaped.
bool ParseQuoted(std::string_view s, size_t *pos, std::string *out) {
    out->clear();
    size_t i = *pos + 1;
    while (i < s.size()) {
        char c = s[i];
        if (c == '"') {
            *pos = i + 1;
            return true;
        }
        if (c == '\\') {
            if (i + 1 >= s.size() || (s[i + 1] != '\\' && s[i + 1] != '"'))
                return false;
            c = s[i + 1];
            ++i;
        }
        *out += c;
        ++i;
    }
    return false;
}

size_t SkipSpaces(std::string_view s, size_t pos) {
    while (pos < s.size() && (s[pos] == ' ' || s[pos] == '\t'))
        ++pos;
    return pos;
}

struct ImportOp {
    enum class Kind { CreateKey, DeleteKey, SetValue, DeleteValue };
    ImportOp(Kind k, RegRoot r, std::u16string p) : kind(k), root(r), path(std::move(p)) {}
    Kind kind;
    RegRoot root;
    std::u16string path;
    std::u16string name;
    uint32_t type = 0;
    std::vector<uint8_t> data;
};

RegImportResult Fail(size_t line, std::string message) {
    return RegImportResult{false, line, std::move(message)};
}

// Fills type and data, or marks the value for deletion; an empty string on
// success, else what is wrong.
std::string ParseData(std::string_view data, ImportOp *op) {
    if (data == "-") {
        op->kind = ImportOp::Kind::DeleteValue;
        return {};
    }
    op->kind = ImportOp::Kind::SetValue;
    if (!data.empty() && data[0] == '"') {
        size_t pos = 0;
        std::string raw;
        if (!ParseQuoted(data, &pos, &raw))
            return "unterminated or badly escaped string";
        if (pos != data.size())
            return "text after the closing quote";
        std::u16string text;
        if (!FromUtf8(raw, &text))
            return "string is not valid UTF-8";
        op->type = kRegSz;
        for (char16_t c : text) {
            op->data.push_back(uint8_t(c & 0xFF));
            op->data.push_back(uint8_t(c >> 8));
        }
        op->data.push_back(0);
        op->data.push_back(0);
        return {};
    }
    if (StartsWithNoCase(data, "dword:")) {
        uint32_t v;
        if (!ParseHex32(data.substr(6), &v))
            return "dword data must be 1 to 8 hex digits";
        op->type = kRegDword;
        op->data = {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
        return {};
    }
    if (StartsWithNoCase(data, "hex")) {
        std::string_view rest = data.substr(3);
        op->type = kRegBinary;
        if (!rest.empty() && rest[0] == '(') {
            size_t close = rest.find(')');
            if (close == std::string_view::npos ||
                !ParseHex32(rest.substr(1, close - 1), &op->type))
                return "hex type must be 1 to 8 hex digits in parentheses";
            rest.remove_prefix(close + 1);
        }
        if (rest.empty() || rest[0] != ':')
            return "expected : after hex";
        if (!ParseHexList(rest.substr(1), &op->data))
            return "hex data must be bytes of 1 or 2 hex digits separated by commas";
        return {};
    }
    return "unrecognised value data";
}

} // namespace

std::optional<std::string> Registry::Export(std::u16string_view fullPath) const {
    RegKeyRef key = FindKey(fullPath);
    if (!key)
        return std::nullopt;
    std::string out = "REGEDIT4\n\n";
    ExportKey(*key, &out);
    return out;
}

RegImportResult Registry::Import(std::string_view text) {
    std::vector<std::string_view> lines;
    for (size_t start = 0;;) {
        size_t end = text.find('\n', start);
        lines.push_back(text.substr(start, end == std::string_view::npos ? end : end - start));
        if (end == std::string_view::npos)
            break;
        start = end + 1;
    }
    if (Trim(lines[0]) != "REGEDIT4")
        return Fail(1, "the first line must be REGEDIT4");

    std::vector<ImportOp> ops;
    bool inSection = false;
    bool deletingSection = false;
    RegRoot sectionRoot = RegRoot::LocalMachine;
    std::u16string sectionPath;

    for (size_t i = 1; i < lines.size(); ++i) {
        const size_t lineNo = i + 1;
        std::string_view line = Trim(lines[i]);
        if (line.empty() || line[0] == ';')
            continue;

        if (line[0] == '[') {
            if (line.back() != ']' || line.size() < 2)
                return Fail(lineNo, "a key line must end with ]");
            std::string_view inner = line.substr(1, line.size() - 2);
            bool deleting = !inner.empty() && inner[0] == '-';
            if (deleting)
                inner.remove_prefix(1);
            std::u16string full;
            if (!FromUtf8(inner, &full))
                return Fail(lineNo, "key path is not valid UTF-8");
            RegRoot root;
            std::u16string_view rest;
            if (!ParseFullPath(full, &root, &rest))
                return Fail(lineNo, "key path must begin with a root key such as "
                                    "HKEY_LOCAL_MACHINE");
            std::vector<std::u16string_view> parts;
            if (!SplitPath(rest, &parts))
                return Fail(lineNo, "key path has an empty, over-long or invalid key name");
            if (parts.size() > kMaxDepth)
                return Fail(lineNo, "key path is too deep");
            if (deleting && parts.empty())
                return Fail(lineNo, "a root key cannot be deleted");
            inSection = true;
            deletingSection = deleting;
            sectionRoot = root;
            sectionPath = std::u16string(rest);
            ops.emplace_back(deleting ? ImportOp::Kind::DeleteKey : ImportOp::Kind::CreateKey, root,
                             sectionPath);
            continue;
        }

        if (line[0] == '"' || line[0] == '@') {
            if (!inSection)
                return Fail(lineNo, "value before the first key line");
            if (deletingSection)
                return Fail(lineNo, "value under a key line that deletes the key");
            ImportOp op(ImportOp::Kind::SetValue, sectionRoot, sectionPath);
            size_t pos = 1;
            if (line[0] == '"') {
                pos = 0;
                std::string raw;
                if (!ParseQuoted(line, &pos, &raw))
                    return Fail(lineNo, "unterminated or badly escaped value name");
                if (!FromUtf8(raw, &op.name))
                    return Fail(lineNo, "value name is not valid UTF-8");
                if (!ValidName(op.name))
                    return Fail(lineNo, "value name is too long or holds a control character");
            }
            pos = SkipSpaces(line, pos);
            if (pos >= line.size() || line[pos] != '=')
                return Fail(lineNo, "expected = after the value name");
            std::string data(line.substr(SkipSpaces(line, pos + 1)));
            if (StartsWithNoCase(data, "hex")) {
                while (!data.empty() && data.back() == '\\') {
                    data.pop_back();
                    if (++i >= lines.size())
                        return Fail(lineNo, "hex data continues past the end of the text");
                    data += Trim(lines[i]);
                }
            }
            std::string why = ParseData(data, &op);
            if (!why.empty())
                return Fail(lineNo, why);
            ops.push_back(std::move(op));
            continue;
        }

        return Fail(lineNo, "expected a [key] line, a \"name\"= or @= value line, or a ; comment");
    }

    // Everything parsed and checked; applying can no longer fail part way.
    for (const auto &op : ops) {
        RegKeyRef root = Root(op.root);
        RegKeyRef key;
        switch (op.kind) {
        case ImportOp::Kind::CreateKey: CreateKey(root, op.path, nullptr); break;
        case ImportOp::Kind::DeleteKey: DeleteKey(root, op.path); break;
        case ImportOp::Kind::SetValue:
            CreateKey(root, op.path, &key);
            SetValue(key, op.name, op.type, op.data);
            break;
        case ImportOp::Kind::DeleteValue:
            if (OpenKey(root, op.path, &key) == RegStatus::Ok)
                DeleteValue(key, op.name);
            break;
        }
    }
    return RegImportResult{};
}

} // namespace sim
