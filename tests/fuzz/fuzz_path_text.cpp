// libFuzzer harness: the flight path text parser (see PathTextTarget.h).
#include "fuzz/PathTextTarget.h"

ORVANTIS_FUZZ_ENTRY(fuzz::FuzzPathText)
