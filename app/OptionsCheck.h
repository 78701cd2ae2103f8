#pragma once
// The four user options of the Options dialog (flight path colour and width, redraw interval, antialiasing):
// loading them from the settings store, checking them, storing them.

#include "app/Settings.h"

#include <cstdint>
#include <string>

struct UserOptions {
    uint32_t flightPathColor = 0; // 0x00BBGGRR
    int flightPathWidth = 0;
    int redrawInterval = 1000;
    int antialiasing = 10;
};

// The controls of the Options dialog that a failed check focuses.
enum OptionsControl { kOptionsWidthEdit = 344, kOptionsRedrawEdit = 370, kOptionsAntialiasingEdit = 310 };

struct OptionsCheckResult {
    bool ok = true;
    std::string message;  // the failed rule's text
    int focusControl = 0; // 344, 370 or 310
};

// The six rules in their order; the first that fails is reported.
OptionsCheckResult CheckOptions(const UserOptions& options);

// As the dialog opens: "FlightPath" / "Color" (default "000000"; a text that does not parse keeps the
// colour of current), "FlightPath" / "Width", "Settings" / "RedrawInterval", "Settings" / "Antialiasing".
UserOptions LoadOptions(const SettingsStore& store, const UserOptions& current = UserOptions{});
// As OK stores them: the colour as "%lX", the others as integers. False when a value could not be written.
bool StoreOptions(SettingsStore& store, const UserOptions& options);
