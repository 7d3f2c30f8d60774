// The words that tell a person why a port did not open and what to do about it.
#pragma once

#include "language/resource_module.h"

inline constexpr int kOpenFailureChars = 512;

// "COM1: (/dev/ttyUSB0): No such device. Plug the receiver in, ..." for port `name`
// (UTF-8), the path `tried` the open used for it (the link's `device`; "" when the name
// led nowhere) and the errno `error_number` the open left, in the module's language (the
// program's own words where the module lacks them); the device is left out when it is
// the name itself. Writes at most capacity - 1 characters and a terminator; returns
// the characters written, 0 when the buffer is unusable.
int OpenFailureText(const ResourceModule& module, const char* name, const char* tried,
                    int error_number, char16_t* text, int capacity);
