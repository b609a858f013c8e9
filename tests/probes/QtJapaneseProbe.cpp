// Started by the platform/ui tests in an environment of their choosing:
// sets up the application as the program does, opens Qt's own file picker
// on the folder it is given and prints what the picker shows, one
// "kind<TAB>text" a line. Qt reads the desktop's locale once, while the
// application object is made, so this must be a process of its own.
#include "platform/ui/Translation.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QLabel>
#include <QLocale>
#include <QTextStream>

#include <cstdio>

int main(int argc, char* argv[])
{
    CQtJapaneseLocale japanese;
    QApplication app(argc, argv);
    japanese.Restore();
    InstallQtTranslation(app);
    if (argc < 2)
        return 2;
    const QString folder = QString::fromLocal8Bit(argv[1]);

    QTextStream out(stdout);
    const auto say = [&out](const char* kind, const QString& text) {
        if (!text.isEmpty())
            out << kind << '\t' << QString(text).replace(u'\n', u' ') << '\n';
    };
    for (const char* name : {"LC_ALL", "LANG", "LANGUAGE"})
        say("env",
            QString::fromLatin1(name) + u'=' +
                (qEnvironmentVariableIsSet(name) ? qEnvironmentVariable(name) : QStringLiteral("<unset>")));
    say("system", QLocale::system().name());

    QFileDialog dialog(nullptr, QStringLiteral("ファイルを開く"), folder);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setViewMode(QFileDialog::Detail);
    auto* model = dialog.findChild<QFileSystemModel*>();
    if (!model)
        return 3;
    for (int column = 0; column < model->columnCount(); ++column)
        say("header", model->headerData(column, Qt::Horizontal).toString());
    // The entries' columns, read as the views read them.
    for (int i = 2; i < argc; ++i) {
        const QString path = folder + u'/' + QString::fromLocal8Bit(argv[i]);
        QStringList cells;
        for (int column = 0; column < model->columnCount(); ++column)
            cells << model->index(path, column).data().toString();
        say("entry", cells.join(u'\t'));
    }
    for (const QLabel* label : dialog.findChildren<QLabel*>())
        say("label", label->text());
    for (const QAbstractButton* button : dialog.findChildren<QAbstractButton*>()) {
        say("button", button->text());
        say("tip", button->toolTip());
    }
    for (const QAction* action : dialog.findChildren<QAction*>())
        say("action", action->text());
    for (const QComboBox* box : dialog.findChildren<QComboBox*>())
        for (int i = 0; i < box->count(); ++i)
            say("choice", box->itemText(i));
    out.flush();
    return 0;
}
