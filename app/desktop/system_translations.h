// The texts Qt draws itself (Yes, No, the file dialog) in the user's language, as the
// window system of the handheld gives its buttons.
#pragma once

class QCoreApplication;

// Loads Qt's own translations for the user's locale where they are installed; without
// them those texts stay English.
void InstallSystemTranslations(QCoreApplication* application);
