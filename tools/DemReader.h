#pragma once
// Reading USGS DEM files (the ASCII exchange format: one type A header record, then one type B record per
// profile, each profile a column of elevations from south to north).
//
// Three layouts occur. Most files are a stream of fixed 1024-byte records without any line break (the
// layout since the 1990s, and the one GDAL writes); older files end every record, or the header, with a
// line break. The reader treats both as a sequence of lines, a 1024-byte record being one line, so the
// same rules apply to both:
//   - the header is read field by field in its order, numbers as blank-separated tokens (reals with an
//     exponent letter E or D), the three resolution fields as 12-character fields; everything after the
//     row and column counts up to the end of the header's line is skipped (record-based files carry
//     further header elements there);
//   - each profile starts on a new line; its nine header numbers are tokens within the first 144
//     characters, its elevations six-character fields from character 144 on, continuing on the following
//     lines (a blank rest of a line, like the 4 filler bytes at the end of a record, is passed over).
// A file is taken as record-based when its first 1026 bytes hold no line break.
//
// The third layout has no line breaks and no filler: the header takes 893 or 918 bytes (or a whole
// record) and every profile follows the one before directly, its fields as wide as in a record. The
// profiles are then read as one long line starting at the header's end: each profile's header numbers
// within its first 144 characters, its elevations six-character fields from there on. A record-based file
// is taken to be of this kind when its first profile does not start at byte 1024, or when the second
// profile starts right after the first one's last elevation instead of at the next record.

#include <string>
#include <vector>

struct DemHeader {
    std::string name;           // quadrangle name field (up to 143 characters)
    int levelCode = 0;          // DEM level code
    int patternCode = 0;        // elevation pattern code
    int referenceSystem = 0;    // planimetric reference system code
    int zone = 0;               // zone code
    double projection[15] = {}; // map projection parameters
    int groundUnits = 0;        // units code for ground planimetric coordinates
    int elevationUnits = 0;     // units code for elevation coordinates
    int sides = 0;              // number of sides in the boundary polygon
    double corners[4][2] = {};  // the first four corners (x, y)
    double minElevation = 0, maxElevation = 0;
    double angle = 0;          // counterclockwise angle from the ground reference to the DEM reference
    int accuracy = 0;          // 1 unless the accuracy code is the digit 0
    double resolution[3] = {}; // spatial resolution x, y, z
    int rows = 0, columns = 0; // number of rows and columns of profiles

    // The number of corners stored (the sides, at most 4).
    int cornerCount() const { return sides < 0 ? 0 : sides > 4 ? 4 : sides; }
};

struct DemProfile {
    int row = 0, column = 0; // row and column identification (column 1 = first profile)
    int count = 0;           // number of elevations m
    int columns = 0;         // number of columns n
    double x = 0, y = 0;     // planimetric coordinates of the first elevation
    double datum = 0;        // elevation of the local datum
    double minElevation = 0, maxElevation = 0;
};

class DemReader {
public:
    // Takes the whole content of a DEM file.
    explicit DemReader(std::string content);

    bool recordBased() const { return records; }
    // Record-based, but the profiles follow each other without filler.
    bool unpadded() const { return stream; }

    // Reads the type A header. False when the file ends, or a number cannot be read, before the row and
    // column counts.
    bool readHeader(DemHeader& header);

    // Reads the next profile's header numbers. False when the file ends or a number cannot be read.
    bool readProfileHeader(DemProfile& profile);
    // Reads the next elevation of the current profile. False when the file ends or the field is not a
    // number.
    bool readElevation(int& value);
    // Ends the current profile: the next profile starts on the following line (record).
    void endProfile();

private:
    size_t lineEnd(size_t p) const;       // end of the line holding p (a line break, record end or file end)
    size_t nextLineStart(size_t p) const; // start of the line after the one holding p
    size_t lineStart(size_t p) const;
    bool isBlank(char c) const { return c == ' ' || c == '\t' || c == '\0' || c == '\r' || c == '\n'; }
    void skipBlanks();
    // The next blank-separated token, not reaching past limit.
    bool token(std::string& out, size_t limit = std::string::npos);
    bool intToken(int& v, size_t limit = std::string::npos);
    bool realToken(double& v, size_t limit = std::string::npos);
    // The row and column identification of a profile header at p, if p starts one.
    bool profileIdsAt(size_t p, int& row, int& column);
    // Where the profiles of a record-based file start, and whether they are padded to records.
    void findProfiles();

    std::string data;
    bool records = false;
    bool stream = false;     // record-based without filler: the profiles are one long line
    size_t profileStart = 0; // where the current profile's header starts
    size_t pos = 0;
};

// A real as the DEM standard writes them: decimal, with an exponent letter E or D (0.1D+04 is 1000.0),
// blanks around it allowed. False when the text is not such a number.
bool ParseDemReal(const std::string& text, double& value);
// An integer field (blanks, optional sign, digits, blanks). False when it is not one.
bool ParseDemInt(const std::string& text, int& value);
