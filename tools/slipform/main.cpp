#include <QApplication>
#include <QMessageBox>

#include "SlipFormWindow.h"
#include "platform/data/DbManager.h"
#include "platform/env/DBDirMng.h"
#include "platform/forms/SlipFormCommand.h"
#include "platform/ipc/NamedLock.h"
#include "platform/ui/PopupPlacement.h"
#include "platform/ui/Translation.h"

// The slip-form program. The main program passes its whole command line as
// one argument; typed by hand it may arrive split at blanks.
int main(int argc, char* argv[])
{
    // Qt's file pickers write dates and sizes as the locale read here says.
    CQtJapaneseLocale japanese;
    QApplication app(argc, argv);
    japanese.Restore();
    InstallQtTranslation(app);
    KeepPopupsOnScreen(app);
    QStringList arguments = QApplication::arguments();
    arguments.removeFirst();
    QString line = arguments.size() == 1 ? arguments.first() : arguments.join(u' ');
    if (arguments.size() > 1 && !line.startsWith(u' '))
        line.prepend(u' ');

    CSlipFormCommand command;
    if (!command.Parse(line)) {
        QMessageBox::critical(nullptr, QStringLiteral("フォーム画面"),
                              command.GetError() + QStringLiteral("\n<%1>").arg(line));
        return 1;
    }
    // The main program's start-up looks for this lock to see whether
    // another user has the slip-form program open.
    CNamedLock lock(kSiblingLockNames[0]);
    lock.TryAcquire();
    // While a slip is open here the main program must not back up, restore,
    // switch or compact the database under it.
    QString name;
    QString folder;
    CDBDirMng().GetNowDB(name, folder);
    const CDbSessionHold session(folder);

    CSlipFormWindow window(command);
    window.show();
    return app.exec();
}
