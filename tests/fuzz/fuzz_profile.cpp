// libFuzzer harness: the INI/profile reader and LoadScript (see ProfileTarget.h).
#include "fuzz/ProfileTarget.h"

ORVANTIS_FUZZ_ENTRY(fuzz::FuzzProfile)
