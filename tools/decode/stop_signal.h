// SIGINT and SIGTERM as a request to finish cleanly instead of dying.
#pragma once

// From now on SIGINT and SIGTERM only set the stop request; a read they interrupt
// returns early instead of being restarted.
void InstallStopSignals();

// True once SIGINT or SIGTERM arrived.
bool StopRequested();
