// When the display connection is lost (X server or compositor gone), Qt ends the
// program from inside its event handling, with exit() or a fatal message. These hooks
// run the program's own finish first, so nothing is lost on the way out.
#pragma once

// Arms `finish` for every end of the program that does not come back through main:
// exit() from anywhere and Qt's fatal messages. `finish` must run at most once and
// must not need the event loop. Null disarms.
void GuardAgainstDisplayLoss(void (*finish)());
