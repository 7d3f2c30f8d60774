// A recorded capture cut into the bursts a receiver sent, one per second.
#pragma once

#include <string>
#include <vector>

// The capture's bytes unchanged, except that lines starting with '#' (comments of the
// capture format) are left out. A burst ends after each GGA sentence; what follows the
// last one is a burst of its own.
std::vector<std::string> CaptureBursts(const std::string& capture);
