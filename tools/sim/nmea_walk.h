// A synthetic receiver walking a few metres per second: GGA, RMC and GSV sentences.
#pragma once

#include <ctime>
#include <string>

struct Walk {
  double latitude;   // degrees, north positive
  double longitude;  // degrees, east positive
  double heading;    // degrees clockwise from north
  int step;          // bursts sent so far
};

void WalkStart(Walk* walk);

// The sentences of one second at UTC time `now`, each ended by CR LF with a valid
// checksum; moves the walk on by one second.
std::string WalkBurst(Walk* walk, time_t now);

// "*HH" for the sentence between '$' and '*' (the XOR of its bytes, upper-case hex).
std::string NmeaChecksum(const std::string& body);
