#pragma once
// The flight recorder: a tab-separated text file ("OVRECORD.XLS") with one line per drawn frame holding the
// camera's position, altitude, height above the terrain, pitch, roll and the path curvature, written so that
// a spreadsheet program opens it directly. Lines end with CR LF; in the rows every decimal point is replaced
// by the user's decimal separator (the header keeps its points).

#include "app/AtomicFile.h"
#include "app/Platform.h"

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

    // Starts the file for path with firstLine (the header line; a part's stamp). The lines go to a temporary
    // file beside it (as they come, each write checked), which takes path's place when the recorder is
    // closed; until then a file already at path stays as it was. A path that is a device, a FIFO or a folder
    // is refused. When the file cannot be created the user is told once and the recorder stays closed: rows
    // are then dropped.
    bool Open(const std::string& path, const std::string& firstLine = RecorderHeaderText());
    // Writes one row; nothing when the file is not open. A write that fails is reported once and gives the
    // new file up, so that a full disk leaves the previous file whole rather than cut.
    void WriteRow(const RecorderRow& row);
    // Puts the new file in path's place (a failure is reported as a failed write).
    void Close();
    // Rows were lost since the recorder was made: the file could not be created, written or put in place.
    bool Failed() const { return failed; }

private:
    void write(const std::string& line);
    void fail(int messageId);

    Platform& plat;
    char separator;
    AtomicFile file;
    bool reportedFailure = false;
    bool failed = false;
};
