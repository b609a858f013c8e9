#pragma once

#include <QByteArray>
#include <QList>
#include <utility>

class QCoreApplication;

// Makes Qt's own dialogs and buttons (folder and font pickers, "Cancel" in
// button boxes) read Japanese whatever the desktop's language: loads Qt's
// Japanese base translation into the application, with the type names of
// the file pickers it lacks ("Folder"). False when it is not installed (the
// standard texts then stay as Qt has them).
bool InstallQtTranslation(QCoreApplication& app);

// Qt reads the desktop's locale once, while the application object is
// made, and its file pickers write sizes and dates by that locale, not by
// the program's default one. Made before the application object, this
// makes the locale Qt reads Japanese; Restore, once the application object
// exists, gives the environment back, so that the C library and the
// programs started from here keep the desktop's locale.
class CQtJapaneseLocale
{
  public:
    CQtJapaneseLocale();
    ~CQtJapaneseLocale() { Restore(); }
    CQtJapaneseLocale(const CQtJapaneseLocale&) = delete;
    CQtJapaneseLocale& operator=(const CQtJapaneseLocale&) = delete;

    void Restore();

  private:
    // Each variable set, with its value before; none when it was unset.
    QList<std::pair<const char*, std::pair<bool, QByteArray>>> m_saved;
    bool m_bRestored = false;
};
