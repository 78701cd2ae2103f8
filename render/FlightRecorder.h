#pragma once
// The flight recorder: a tab-separated text file ("OVRECORD.XLS") with one line per drawn frame holding the
// camera's position, altitude, height above the terrain, pitch, roll and the path curvature, written so that
// a spreadsheet program opens it directly. Lines end with CR LF; in the rows every decimal point is replaced
// by the user's decimal separator (the header keeps its points).

#include "app/Platform.h"

#include <cstdio>
#include <string>

struct RecorderRow {
    double posX = 0.0;
    double posY = 0.0;
    double altitude = 0.0;
    double relativeAltitude = 0.0;
    double pitch = 0.0;
    double roll = 0.0;
    double curvature = 0.0;
};

// The decimal separator of the user's locale (LC_NUMERIC of the environment), read without changing the
// process's own numeric formatting; '.' when the locale is unknown or its separator is not one character.
char UserDecimalSeparator();

// The header line and a row as written (without the line end).
std::string RecorderHeaderText();
std::string FormatRecorderRow(const RecorderRow& row, char decimalSeparator);

class FlightRecorder {
public:
    FlightRecorder(Platform& platform, char decimalSeparator) : plat(platform), separator(decimalSeparator) {}
    ~FlightRecorder() { Close(); }
    FlightRecorder(const FlightRecorder&) = delete;
    FlightRecorder& operator=(const FlightRecorder&) = delete;

    // Creates path anew (an existing file is truncated) and writes the header line. When the file cannot be
    // created the user is told once and the recorder stays closed: rows are then dropped.
    bool Open(const std::string& path);
    // Writes one row and flushes it; nothing when the file is not open.
    void WriteRow(const RecorderRow& row);
    void Close();

private:
    Platform& plat;
    char separator;
    std::FILE* file = nullptr;
    bool reportedFailure = false;
};
