#include "platform/ui/Help.h"
#include "platform/ui/WaitIndicator.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QProgressBar>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace
{

void Touch(const QString& path)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("<html></html>");
}

QWidget* ShownWaitDialog()
{
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->objectName() == QLatin1String("WaitDialog") && widget->isVisible())
            return widget;
    }
    return nullptr;
}

} // namespace

TEST(HtmlHelp, OpensTheTopicPageOrTheContents)
{
    QTemporaryDir data, program;
    ASSERT_TRUE(data.isValid() && program.isValid());
    Touch(data.filePath(QStringLiteral("1505.html")));
    Touch(program.filePath(QStringLiteral("1601.html")));
    Touch(program.filePath(QStringLiteral("index.html")));

    QList<QUrl> opened;
    bool openerAnswer = true;
    CHtmlHelp help({data.path(), program.path()}, [&](const QUrl& url) {
        opened << url;
        return openerAnswer;
    });
    EXPECT_TRUE(help.ShowTopic(1505));
    // A topic in a later folder wins over the contents of an earlier one.
    EXPECT_TRUE(help.ShowTopic(1601));
    EXPECT_TRUE(help.ShowTopic(5002));
    const QList<QUrl> expected{
        QUrl::fromLocalFile(QDir(data.path()).absoluteFilePath(QStringLiteral("1505.html"))),
        QUrl::fromLocalFile(QDir(program.path()).absoluteFilePath(QStringLiteral("1601.html"))),
        QUrl::fromLocalFile(QDir(program.path()).absoluteFilePath(QStringLiteral("index.html")))};
    EXPECT_EQ(opened, expected);

    openerAnswer = false;
    EXPECT_FALSE(help.ShowTopic(1505));

    // No page at all: nothing is opened.
    opened.clear();
    help.SetFolders({data.path()});
    EXPECT_FALSE(help.ShowTopic(9999));
    help.SetFolders({});
    EXPECT_FALSE(help.ShowTopic(1505));
    EXPECT_TRUE(opened.isEmpty());
}

TEST(QtWaitIndicator, ShowsWithoutBlockingNestsAndCloses)
{
    CQtWaitIndicator qtWait;
    IWaitIndicator& wait = qtWait;
    EXPECT_EQ(ShownWaitDialog(), nullptr);
    wait.Begin(QStringLiteral(u"データを読み込んでいます"), 4);
    QWidget* dialog = ShownWaitDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->findChild<QLabel*>()->text(), QStringLiteral(u"データを読み込んでいます"));
    auto* bar = dialog->findChild<QProgressBar*>();
    EXPECT_EQ(bar->maximum(), 4);
    wait.Step();
    wait.Step(2);
    EXPECT_EQ(bar->value(), 3);
    wait.SetPos(10); // clamped to the total
    EXPECT_EQ(bar->value(), 4);

    wait.Begin(QStringLiteral(u"内側"), 0);
    wait.SetText(QStringLiteral(u"内側の処理"));
    EXPECT_EQ(dialog->findChild<QLabel*>()->text(), QStringLiteral(u"内側の処理"));
    wait.End();
    EXPECT_EQ(ShownWaitDialog(), dialog);
    EXPECT_FALSE(wait.IsCancelled());
    wait.End();
    EXPECT_EQ(ShownWaitDialog(), nullptr);
    wait.End(); // an extra End is harmless
    EXPECT_EQ(ShownWaitDialog(), nullptr);
}

TEST(QtWaitIndicator, EscapeCancelsOnlyWhenCancellingIsOffered)
{
    CQtWaitIndicator qtWait;
    IWaitIndicator& wait = qtWait;
    wait.Begin(QStringLiteral("a"), 0);
    QDialog* dialog = qobject_cast<QDialog*>(ShownWaitDialog());
    ASSERT_NE(dialog, nullptr);
    dialog->reject();
    EXPECT_FALSE(wait.IsCancelled());
    EXPECT_TRUE(dialog->isVisible());
    wait.End();

    wait.Begin(QStringLiteral("b"), 0, true);
    dialog = qobject_cast<QDialog*>(ShownWaitDialog());
    ASSERT_NE(dialog, nullptr);
    dialog->reject();
    EXPECT_TRUE(wait.IsCancelled());
    EXPECT_TRUE(dialog->isVisible()); // the caller decides when to stop
    wait.End();
    wait.Begin(QStringLiteral("c"), 0, true);
    EXPECT_FALSE(wait.IsCancelled()); // a new dialog starts uncancelled
    wait.End();
}
