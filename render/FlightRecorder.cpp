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

bool FlightRecorder::Open(const std::string& path) {
    Close();
    file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        if (!reportedFailure) {
            reportedFailure = true;
            plat.message(FormatString(IDS_RECORDER_CANNOT_CREATE, path.c_str()), MsgIcon::Warning,
                         MsgButtons::Ok);
        }
        return false;
    }
    const std::string header = RecorderHeaderText() + "\r\n";
    std::fwrite(header.data(), 1, header.size(), file);
    std::fflush(file);
    return true;
}

void FlightRecorder::WriteRow(const RecorderRow& row) {
    if (file == nullptr) return;
    const std::string line = FormatRecorderRow(row, separator) + "\r\n";
    std::fwrite(line.data(), 1, line.size(), file);
    std::fflush(file);
}

void FlightRecorder::Close() {
    if (file != nullptr) std::fclose(file);
    file = nullptr;
}
