// Host name lookups that a caller can stop waiting for.
#pragma once

#include <netdb.h>

#include <cstdint>

#include "platform/serial_port.h"

// Looks `host` and `service` up for a TCP connection (getaddrinfo) on a helper thread
// of its own, so that the wait ends when the lookup does, when `waker` is woken, or at
// `deadline_ms` (MonotonicMs; 0: none), whichever comes first: a name server that does
// not answer holds nobody. A lookup given up finishes on its helper thread and frees
// what it found. Returns 0 with the addresses in *found (for freeaddrinfo); else the
// getaddrinfo error: EAI_NONAME for a name that does not exist, EAI_AGAIN when the
// name server did not answer, and EAI_SYSTEM with errno ECANCELED (woken) or ETIMEDOUT
// (the deadline passed) when the wait was given up.
int NameLookup(const char* host, const char* service, SerialWaker waker, int64_t deadline_ms,
               addrinfo** found);
