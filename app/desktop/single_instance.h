// One tavik per user: the first instance holds a lock file and listens on a local
// socket named after "tavik" in the user's runtime folder; a later start asks it to
// come to the front and ends. The lock goes with the process, so an instance that
// crashed never locks the next one out.
#pragma once

#include <functional>
#include <string>

class QLocalServer;

struct SingleInstance {
  int lock_fd = -1;    // held by the first instance for its whole run
  std::string folder;  // "" when there is no safe folder: then every start runs
  QLocalServer* server = nullptr;
};

// $XDG_RUNTIME_DIR when set; else /tmp/tavik-<uid>, created private to the user. "" when
// neither is a folder only the user can write to.
std::string RuntimeFolder();

// Returns true when another instance runs: it has been asked to come forward, and
// this start is to end with 0. False for the first instance (it now holds the lock)
// and when no runtime folder is usable.
bool AskRunningInstanceToActivate(SingleInstance* instance);

// For the first instance, once the application object exists: listens for later
// starts and calls `activate` for each. Fails quietly.
void ListenForLaterStarts(SingleInstance* instance, std::function<void()> activate);

void ReleaseSingleInstance(SingleInstance* instance);
