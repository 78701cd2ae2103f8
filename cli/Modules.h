#pragma once
// The parts of orvantis-cli that need large libraries, the raster import (GDAL) and the video writer
// (FFmpeg), are modules of their own, loaded the first time a command uses them: binding those libraries
// and the 200 they bring costs some 60 ms, which every command, every part of a render farm's job, would
// pay otherwise. A module lies beside the program in the build folder, and in lib/orvantis when installed.

#include <string>

namespace geodata {
struct Functions;
}
namespace video {
struct Functions;
}

namespace cli {

// The module's entry points; nullptr, with the reason in `error`, when it cannot be loaded.
const geodata::Functions* GeodataModule(std::string& error);
const video::Functions* VideoModule(std::string& error);

} // namespace cli
