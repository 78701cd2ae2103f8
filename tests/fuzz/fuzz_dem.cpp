// libFuzzer harness: the USGS DEM reader and import (see DemTarget.h).
#include "fuzz/DemTarget.h"

ORVANTIS_FUZZ_ENTRY(fuzz::FuzzDem)
