#pragma once

#include "display/il2data.h"

// A flight data record with plausible values in every field, as in a steady
// climb shortly after take-off, so that each line shows a typical width.
IL2Data sampleFlightData();
