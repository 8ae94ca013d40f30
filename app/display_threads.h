#pragma once

#include <cstdint>
#include <vector>

#include "display/il2display.h"
#include "display/template_token.h"

class IL2Data;

// The display model. Written once by the main thread before the display
// threads start; its line texts are guarded by "mutexIl2disp".
extern IL2Display* il2Display;

// Rebuilds the display model from the IL2Data passed as `il2d` every 100 ms,
// holding "mutexIL2Data" and then "mutexIl2disp" (the only thread that holds two).
uint32_t refreshIL2DisplayThread(void* il2d);

// Writes every line of every page to the MFD passed as `mfd` every 100 ms,
// holding "mutexIl2disp" for the whole pass.
uint32_t refreshMFDThread(void* mfd);

// The display side of the start-up: the model from a copy of `tmpl`,
// refreshIL2DisplayThread, the MFD, refreshMFDThread, in this order.
void startDisplaySide(const std::vector<TemplateToken>& tmpl, IL2Data& il2d);
