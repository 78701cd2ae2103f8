#include "app/OptionsCheck.h"

#include "app/SettingsDefaults.h"
#include "res/StringTable.h"

namespace {
OptionsCheckResult fail(int id, int control) {
    return OptionsCheckResult{false, LoadString(id), control};
}
} // namespace

OptionsCheckResult CheckOptions(const UserOptions& o) {
    if (o.flightPathWidth < 0) return fail(IDS_OPTIONS_WIDTH_MIN, kOptionsWidthEdit);
    if (o.flightPathWidth > 10) return fail(IDS_OPTIONS_WIDTH_MAX, kOptionsWidthEdit);
    if (o.redrawInterval < 100) return fail(IDS_OPTIONS_REDRAW_MIN, kOptionsRedrawEdit);
    if (o.redrawInterval > 65535) return fail(IDS_OPTIONS_REDRAW_MAX, kOptionsRedrawEdit);
    if (o.antialiasing < 1) return fail(IDS_OPTIONS_ANTIALIASING_MIN, kOptionsAntialiasingEdit);
    if (o.antialiasing > 128) return fail(IDS_OPTIONS_ANTIALIASING_MAX, kOptionsAntialiasingEdit);
    return OptionsCheckResult{};
}

UserOptions LoadOptions(const SettingsStore& store, const UserOptions& current) {
    UserOptions o;
    o.flightPathColor =
        settings::ReadFlightPathColor(store, settings::kOptionsPathColorDefault, current.flightPathColor);
    o.flightPathWidth = settings::ReadFlightPathWidth(store);
    o.redrawInterval = settings::ReadRedrawInterval(store);
    o.antialiasing = settings::ReadAntialiasing(store);
    return o;
}

bool StoreOptions(SettingsStore& store, const UserOptions& o) {
    bool ok = settings::WriteFlightPathColor(store, o.flightPathColor);
    ok = settings::WriteFlightPathWidth(store, o.flightPathWidth) && ok;
    ok = settings::WriteRedrawInterval(store, o.redrawInterval) && ok;
    ok = settings::WriteAntialiasing(store, o.antialiasing) && ok;
    return ok;
}
