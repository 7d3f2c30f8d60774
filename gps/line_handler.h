// Callbacks through which received lines and decoded fixes travel.
#pragma once

#include <cstdint>

// One received line: NUL-terminated 8-bit text without CR or LF, its length
// (1 to 1023) and the handler's context. The text is valid only during the call.
using LineHandler = void (*)(const char* line, uint32_t length, void* context);

// One decoded fix in GgaFix order (time, latitude, longitude, altitude, northing,
// easting), then the callback's context.
using FixCallback = void (*)(double time, double latitude, double longitude, double altitude,
                             double northing, double easting, void* context);
