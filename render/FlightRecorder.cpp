#include "render/FlightRecorder.h"

#include "app/CFormat.h"
#include "res/StringTable.h"

#include <clocale>
#include <cstring>
#include <langinfo.h>
#include <locale.h>

char UserDecimalSeparator() {
    locale_t loc = newlocale(LC_NUMERIC_MASK, "", static_cast<locale_t>(0));
    if (loc == static_cast<locale_t>(0)) return '.';
    const char* radix = nl_langinfo_l(RADIXCHAR, loc);
    char result = '.';
    if (radix != nullptr && std::strlen(radix) == 1) result = radix[0];
    freelocale(loc);
    return result;
}

std::string RecorderHeaderText() {
    return LoadString(IDS_RECORDER_HEADER);
}

std::string FormatRecorderRow(const RecorderRow& row, char decimalSeparator) {
    std::string line = cformat("%10.3f\t%10.3f\t%10.3f\t%10.3f\t%10.3f\t%10.3f\t%15.8f", row.posX, row.posY,
                               row.altitude, row.relativeAltitude, row.pitch, row.roll, row.curvature);
    if (decimalSeparator != '.')
        for (char& c : line)
            if (c == '.') c = decimalSeparator;
    return line;
}

bool FlightRecorder::Open(const std::string& path, const std::string& firstLine) {
    Close();
    if (!file.open(path)) {
        fail(IDS_RECORDER_CANNOT_CREATE);
        return false;
    }
    write(firstLine + "\r\n");
    return file.isOpen();
}

void FlightRecorder::WriteRow(const RecorderRow& row) {
    if (file.isOpen()) write(FormatRecorderRow(row, separator) + "\r\n");
}

void FlightRecorder::Close() {
    if (file.isOpen() && !file.commit()) fail(IDS_RECORDER_CANNOT_WRITE);
}

void FlightRecorder::write(const std::string& line) {
    if (!file.write(line)) fail(IDS_RECORDER_CANNOT_WRITE);
}

void FlightRecorder::fail(int messageId) {
    failed = true;
    file.abort();
    if (reportedFailure) return;
    reportedFailure = true;
    plat.message(FormatString(messageId, file.target().c_str()), MsgIcon::Warning, MsgButtons::Ok);
}
