#pragma once

class QCoreApplication;

// Makes Qt's own dialogs and buttons (folder and font pickers, "Cancel" in
// button boxes) read Japanese whatever the desktop's language: loads Qt's
// Japanese base translation into the application. False when it is not
// installed (the standard texts then stay as Qt has them).
bool InstallQtTranslation(QCoreApplication& app);
