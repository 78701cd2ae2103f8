#include "app/PrivateProfile.h"

#include "app/RegularFile.h"

#include "app/AtomicFile.h"
#include "app/Blanks.h"
#include "app/CFormat.h"

#include <cerrno>
#include <cstdio>

namespace {

const std::string kUtf8Bom = "\xEF\xBB\xBF";

} // namespace

std::string PrivateProfile::foldName(const std::string& name) {
    std::string out;
    out.reserve(name.size());
    for (size_t i = 0; i < name.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(name[i]);
        if (c == 0xC3 && i + 1 < name.size()) {
            // The UTF-8 spellings of ä ö ü Ä Ö Ü become their Windows-1252 bytes.
            unsigned char d = static_cast<unsigned char>(name[i + 1]);
            if (d == 0xA4 || d == 0xB6 || d == 0xBC || d == 0x84 || d == 0x96 || d == 0x9C) {
                c = static_cast<unsigned char>(d + 0x40);
                ++i;
            }
        }
        if (c >= 'A' && c <= 'Z')
            c = static_cast<unsigned char>(c - 'A' + 'a');
        else if (c == 0xC4 || c == 0xD6 || c == 0xDC)
            c = static_cast<unsigned char>(c + 0x20);
        out.push_back(static_cast<char>(c));
    }
    return out;
}

PrivateProfile::Line PrivateProfile::classify(std::string raw, bool first) {
    Line line;
    std::string body = raw;
    if (first && body.compare(0, kUtf8Bom.size(), kUtf8Bom) == 0) body.erase(0, kUtf8Bom.size());
    line.raw = std::move(raw);
    size_t i = 0;
    while (i < body.size() && IsBlank(body[i])) ++i;
    if (i == body.size()) return line;
    if (body[i] == '[') {
        size_t close = body.find(']', i + 1);
        std::string name = body.substr(i + 1, close == std::string::npos ? std::string::npos : close - i - 1);
        line.kind = Line::Section;
        line.name = foldName(TrimBlanks(name));
        return line;
    }
    if (body[i] == ';') return line;
    size_t eq = body.find('=', i);
    if (eq == std::string::npos) return line;
    line.key = TrimBlanks(body.substr(i, eq - i));
    if (line.key.empty()) return line;
    line.kind = Line::Entry;
    line.name = foldName(line.key);
    line.value = TrimBlanks(body.substr(eq + 1));
    return line;
}

void PrivateProfile::setText(const std::string& bytes) {
    lines.clear();
    size_t start = 0;
    while (start < bytes.size()) {
        size_t lf = bytes.find('\n', start);
        size_t end = lf == std::string::npos ? bytes.size() : lf;
        size_t stop = end;
        if (stop > start && bytes[stop - 1] == '\r') --stop;
        lines.push_back(classify(bytes.substr(start, stop - start), lines.empty()));
        start = lf == std::string::npos ? bytes.size() : lf + 1;
    }
}

std::string PrivateProfile::text() const {
    std::string out;
    for (const Line& l : lines) {
        out += l.raw;
        out += "\r\n";
    }
    return out;
}

bool PrivateProfile::load(const std::string& path) {
    lines.clear();
    std::string bytes;
    if (!ReadRegularFile(path, bytes)) return errno == ENOENT; // a file that is not there is an empty profile
    setText(bytes);
    return true;
}

bool PrivateProfile::save(const std::string& path) const {
    return writeFileAtomically(path, text());
}

size_t PrivateProfile::findSection(const std::string& foldedSection) const {
    for (size_t i = 0; i < lines.size(); ++i)
        if (lines[i].kind == Line::Section && lines[i].name == foldedSection) return i;
    return std::string::npos;
}

size_t PrivateProfile::sectionEnd(size_t header) const {
    size_t i = header + 1;
    while (i < lines.size() && lines[i].kind != Line::Section) ++i;
    return i;
}

size_t PrivateProfile::findEntry(size_t header, const std::string& foldedKey) const {
    size_t end = sectionEnd(header);
    for (size_t i = header + 1; i < end; ++i)
        if (lines[i].kind == Line::Entry && lines[i].name == foldedKey) return i;
    return std::string::npos;
}

std::optional<std::string> PrivateProfile::get(const std::string& section, const std::string& key) const {
    size_t header = findSection(foldName(section));
    if (header == std::string::npos) return std::nullopt;
    size_t entry = findEntry(header, foldName(key));
    if (entry == std::string::npos) return std::nullopt;
    return lines[entry].value;
}

void PrivateProfile::set(const std::string& section, const std::string& key, const std::string& value) {
    const std::string foldedKey = foldName(key);
    size_t header = findSection(foldName(section));
    if (header == std::string::npos) {
        if (!lines.empty() && !TrimBlanks(lines.back().raw).empty()) lines.push_back(classify("", false));
        lines.push_back(classify("[" + section + "]", lines.empty()));
        lines.push_back(classify(key + "=" + value, false));
        return;
    }
    size_t entry = findEntry(header, foldedKey);
    if (entry != std::string::npos) {
        // Replaced in place; the key keeps the spelling it has in the file.
        Line& l = lines[entry];
        std::string leading = l.raw.substr(0, l.raw.find_first_not_of(" \t"));
        l = classify(leading + l.key + "=" + value, false);
        return;
    }
    size_t end = sectionEnd(header);
    size_t insertAt = header + 1;
    for (size_t i = header + 1; i < end; ++i)
        if (lines[i].kind == Line::Entry) insertAt = i + 1;
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(insertAt), classify(key + "=" + value, false));
}

bool PrivateProfile::remove(const std::string& section, const std::string& key) {
    size_t header = findSection(foldName(section));
    if (header == std::string::npos) return false;
    size_t entry = findEntry(header, foldName(key));
    if (entry == std::string::npos) return false;
    lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(entry));
    return true;
}

bool PrivateProfile::removeSection(const std::string& section) {
    size_t header = findSection(foldName(section));
    if (header == std::string::npos) return false;
    lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(header),
                lines.begin() + static_cast<std::ptrdiff_t>(sectionEnd(header)));
    return true;
}

std::vector<std::string> PrivateProfile::keys(const std::string& section) const {
    std::vector<std::string> out;
    size_t header = findSection(foldName(section));
    if (header == std::string::npos) return out;
    size_t end = sectionEnd(header);
    for (size_t i = header + 1; i < end; ++i)
        if (lines[i].kind == Line::Entry) out.push_back(lines[i].key);
    return out;
}

bool PrivateProfile::hasSection(const std::string& section) const {
    return findSection(foldName(section)) != std::string::npos;
}

std::string GetPrivateProfileString(const std::string& section, const std::string& key,
                                    const std::string& def, const std::string& path) {
    PrivateProfile p;
    p.load(path);
    return p.get(section, key).value_or(def);
}

int GetPrivateProfileInt(const std::string& section, const std::string& key, int def,
                         const std::string& path) {
    PrivateProfile p;
    p.load(path);
    std::optional<std::string> v = p.get(section, key);
    if (!v || v->empty()) return def;
    return atoiC(v->c_str());
}

bool WritePrivateProfileString(const std::string& section, const std::string& key,
                               const std::optional<std::string>& value, const std::string& path) {
    PrivateProfile p;
    if (!p.load(path)) return false;
    if (value) {
        p.set(section, key, *value);
    } else if (!p.remove(section, key)) {
        return true; // nothing to remove: the file stays as it is
    }
    return p.save(path);
}
