// SIGINT, SIGTERM and SIGHUP as a request to finish cleanly instead of dying.
#pragma once

// From now on SIGINT, SIGTERM and SIGHUP only set the stop request; a read they interrupt
// returns early instead of being restarted.
void InstallStopSignals();

// True once one of them arrived, or RequestStop was called.
bool StopRequested();

// Asks the run to stop as a stop signal does; any thread may call it.
void RequestStop();
