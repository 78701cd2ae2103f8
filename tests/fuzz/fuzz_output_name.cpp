// libFuzzer harness: the output name formatter with the template rule of the scene check (see
// OutputNameTarget.h).
#include "fuzz/OutputNameTarget.h"

ORVANTIS_FUZZ_ENTRY(fuzz::FuzzOutputName)
