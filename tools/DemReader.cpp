#include "tools/DemReader.h"

#include "app/Blanks.h"
#include "app/CFormat.h"

#include <algorithm>
#include <climits>

namespace {
constexpr size_t kRecordSize = 1024;
constexpr size_t kNameLength = 143;
constexpr size_t kProfileHeaderLength = 144;
constexpr size_t kElevationWidth = 6;
constexpr size_t kIntegerWidth = 6;
constexpr size_t kResolutionWidth = 12;
} // namespace

bool ParseDemInt(const std::string& text, int& value) {
    std::string t = TrimBlanks(text);
    size_t i = 0;
    bool negative = false;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) negative = t[i++] == '-';
    if (i == t.size()) return false;
    long long v = 0;
    for (; i < t.size(); ++i) {
        if (t[i] < '0' || t[i] > '9') return false;
        v = v * 10 + (t[i] - '0');
        if (v > static_cast<long long>(INT_MAX) + 1) return false;
    }
    if (negative) v = -v;
    if (v > INT_MAX || v < INT_MIN) return false;
    value = static_cast<int>(v);
    return true;
}

bool ParseDemReal(const std::string& text, double& value) {
    std::string t = TrimBlanks(text);
    if (t.empty()) return false;
    bool digit = false;
    for (char& c : t) {
        if (c == 'D' || c == 'd') c = 'E';
        if (c >= '0' && c <= '9')
            digit = true;
        else if (c != '+' && c != '-' && c != '.' && c != 'E' && c != 'e')
            return false;
    }
    return digit && parseRealStrict(t, value);
}

DemReader::DemReader(std::string content) : data(std::move(content)) {
    size_t probe = std::min(data.size(), kRecordSize + 2);
    records = std::find_if(data.begin(), data.begin() + static_cast<long>(probe), [](char c) {
                  return c == '\n' || c == '\r';
              }) == data.begin() + static_cast<long>(probe);
}

size_t DemReader::lineEnd(size_t p) const {
    if (p >= data.size() || stream) return data.size();
    if (records) return std::min((p / kRecordSize + 1) * kRecordSize, data.size());
    size_t e = data.find_first_of("\r\n", p);
    return e == std::string::npos ? data.size() : e;
}

size_t DemReader::nextLineStart(size_t p) const {
    size_t e = lineEnd(p);
    if (records || e >= data.size()) return e;
    if (data[e] == '\r' && e + 1 < data.size() && data[e + 1] == '\n') return e + 2;
    return e + 1;
}

size_t DemReader::lineStart(size_t p) const {
    if (stream) return profileStart;
    if (records) return p / kRecordSize * kRecordSize;
    while (p > 0 && data[p - 1] != '\n' && data[p - 1] != '\r') --p;
    return p;
}

void DemReader::skipBlanks() {
    while (pos < data.size() && isBlank(data[pos])) ++pos;
}

bool DemReader::token(std::string& out, size_t limit) {
    skipBlanks();
    if (pos >= data.size()) return false;
    size_t end = std::min(lineEnd(pos), limit);
    size_t start = pos;
    while (pos < end && !isBlank(data[pos])) ++pos;
    out.assign(data, start, pos - start);
    return !out.empty();
}

bool DemReader::intToken(int& v, size_t limit) {
    std::string t;
    return token(t, limit) && ParseDemInt(t, v);
}

bool DemReader::realToken(double& v, size_t limit) {
    std::string t;
    return token(t, limit) && ParseDemReal(t, v);
}

bool DemReader::readHeader(DemHeader& h) {
    pos = 0;
    // Element 1: the first 143 characters, or the text up to the end of the first line.
    size_t nameEnd = std::min(lineEnd(0), kNameLength);
    h.name.assign(data, 0, nameEnd);
    pos = nameEnd;

    if (!intToken(h.levelCode) || !intToken(h.patternCode) || !intToken(h.referenceSystem) ||
        !intToken(h.zone))
        return false;
    for (double& p : h.projection)
        if (!realToken(p)) return false;
    if (!intToken(h.groundUnits) || !intToken(h.elevationUnits) || !intToken(h.sides)) return false;
    for (int k = 0; k < h.sides; ++k) {
        double x = 0, y = 0;
        if (!realToken(x) || !realToken(y)) return false;
        if (k < 4) {
            h.corners[k][0] = x;
            h.corners[k][1] = y;
        }
    }
    if (!realToken(h.minElevation) || !realToken(h.maxElevation) || !realToken(h.angle)) return false;

    // Element 13: the next non-blank character.
    skipBlanks();
    if (pos >= data.size()) return false;
    h.accuracy = data[pos] == '0' ? 0 : 1;
    ++pos;

    // Element 14: three fixed 12-character fields (they touch each other in most files).
    if (pos < data.size() && (data[pos] == '\r' || data[pos] == '\n')) pos = nextLineStart(pos);
    for (double& r : h.resolution) {
        if (pos >= data.size()) return false;
        size_t end = std::min(pos + kResolutionWidth, lineEnd(pos));
        std::string field = data.substr(pos, end - pos);
        pos = end;
        if (TrimBlanks(field).empty())
            r = 0.0;
        else if (!ParseDemReal(field, r))
            return false;
    }

    // Element 15, then the rest of the header's line (record) is passed over.
    if (!intToken(h.rows) || !intToken(h.columns)) return false;
    endProfile();
    if (records) findProfiles();
    return true;
}

bool DemReader::profileIdsAt(size_t p, int& row, int& column) {
    const size_t saved = pos;
    pos = p;
    const size_t limit = std::min(p + kProfileHeaderLength, data.size());
    const bool ok = p < data.size() && intToken(row, limit) && intToken(column, limit);
    pos = saved;
    return ok;
}

void DemReader::findProfiles() {
    int row = 0, column = 0;
    size_t start = kRecordSize;
    if (!profileIdsAt(start, row, column) || row != 1) {
        // Headers shorter than a record end at one of these two places.
        for (size_t shorter : {size_t{893}, size_t{918}})
            if (profileIdsAt(shorter, row, column) && row == 1 && column == 1) {
                start = shorter;
                stream = true;
                break;
            }
        if (!stream) return; // not a profile anywhere: read as records, which reports the damage
    }
    pos = profileStart = start;
    if (!stream) {
        // Padded: the second profile starts at the record after the first one's last elevation; unpadded:
        // right after it.
        DemProfile first;
        if (!readProfileHeader(first) || first.count <= 0) {
            pos = start;
            return;
        }
        const size_t fields = static_cast<size_t>(first.count);
        const size_t unpaddedNext = start + kProfileHeaderLength + fields * kElevationWidth;
        constexpr size_t firstRecordFields = (kRecordSize - kProfileHeaderLength) / kElevationWidth;
        constexpr size_t recordFields = kRecordSize / kElevationWidth;
        const size_t extraRecords =
            fields <= firstRecordFields ? 0 : (fields - firstRecordFields + recordFields - 1) / recordFields;
        const size_t paddedNext = start + (1 + extraRecords) * kRecordSize;
        int nextRow = 0, nextColumn = 0;
        const bool padded = profileIdsAt(paddedNext, nextRow, nextColumn) && nextRow == 1;
        stream = !padded && profileIdsAt(unpaddedNext, nextRow, nextColumn) && nextRow == 1;
    }
    pos = profileStart = start;
}

bool DemReader::readProfileHeader(DemProfile& p) {
    const size_t before = pos;
    skipBlanks();
    if (pos >= data.size()) return false;
    if (stream) {
        // The profile's first field is the six characters that end with its row number.
        size_t rowEnd = pos;
        while (rowEnd < data.size() && !isBlank(data[rowEnd])) ++rowEnd;
        profileStart = std::max(before, rowEnd >= kIntegerWidth ? rowEnd - kIntegerWidth : 0);
    }
    size_t first = lineStart(pos);
    size_t firstEnd = lineEnd(first);
    size_t cut = first + kProfileHeaderLength;
    auto limit = [&] { return pos < cut && pos < firstEnd ? cut : std::string::npos; };
    auto nextInt = [&](int& v) {
        skipBlanks();
        return intToken(v, limit());
    };
    auto nextReal = [&](double& v) {
        skipBlanks();
        return realToken(v, limit());
    };
    if (!nextInt(p.row) || !nextInt(p.column) || !nextInt(p.count) || !nextInt(p.columns) || !nextReal(p.x) ||
        !nextReal(p.y) || !nextReal(p.datum) || !nextReal(p.minElevation) || !nextReal(p.maxElevation))
        return false;
    // The elevations begin at character 144 of the profile's first line (or on the next line when that
    // line is shorter).
    if (pos < firstEnd) pos = std::max(pos, std::min(cut, firstEnd));
    return true;
}

bool DemReader::readElevation(int& value) {
    for (;;) {
        if (pos >= data.size()) return false;
        size_t end = lineEnd(pos);
        size_t fieldEnd = std::min(pos + kElevationWidth, end);
        bool blank =
            std::all_of(data.begin() + static_cast<long>(pos), data.begin() + static_cast<long>(fieldEnd),
                        [](char c) { return IsBlank(c) || c == '\0'; });
        if (!blank) {
            std::string field = data.substr(pos, fieldEnd - pos);
            pos = fieldEnd;
            return ParseDemInt(field, value);
        }
        // A blank field is the filler at the end of a line (record): the values go on in the next one.
        bool restBlank =
            std::all_of(data.begin() + static_cast<long>(fieldEnd), data.begin() + static_cast<long>(end),
                        [](char c) { return IsBlank(c) || c == '\0'; });
        if (!restBlank || end >= data.size()) return false;
        pos = nextLineStart(pos);
    }
}

void DemReader::endProfile() {
    if (stream) return; // the next profile follows at once
    if (records) {
        pos = std::min((pos + kRecordSize - 1) / kRecordSize * kRecordSize, data.size());
        return;
    }
    pos = nextLineStart(pos);
}
