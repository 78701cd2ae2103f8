// libFuzzer harness: the TGA reader in both modes (see TgaTarget.h).
#include "fuzz/TgaTarget.h"

ORVANTIS_FUZZ_ENTRY(fuzz::FuzzTga)
