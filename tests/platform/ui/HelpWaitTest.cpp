#include "TestPaths.h"
#include "platform/ui/FakeUi.h"
#include "platform/ui/Help.h"
#include "platform/ui/UiServices.h"
#include "platform/ui/WaitIndicator.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
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

// The pages installed with the program: the contents and a page of its own
// for every topic the screens open; a topic that cannot be opened is said.
TEST(HtmlHelp, InstalledPagesAndTheMessageWhenNoneOpens)
{
    const QString installed = QStringLiteral(CORVANTA_SOURCE_DIR "/src/resources/help");
    QStringList opened;
    CHtmlHelp help({installed}, [&](const QUrl& url) {
        opened << url.fileName();
        return true;
    });
    const QList<int> topics{kHelpContents, 1101, 1106, 1109, 1502, 1503, 1505, 1506, 1507, 1508, 1601,
                            1602,          1610, 1615, 1641, 1642, 1650, 2011, 3001, 3009, 4001, 4002,
                            4011,          4012, 5001, 5002, 5003, 4003, 4004, 4005, 4006, 4007, 4013,
                            4014,          4015, 4016, 4101, 4102, 4103, 4104, 4105, 4111, 4112, 4113,
                            4114,          4115, 4121, 4201, 4202, 4203, 4211, 4212, 4213, 4221, 4301,
                            4302,          4303, 4311, 4312, 4313, 4402, 4403, 4404, 4405, 4406, 4901};
    for (int topic : topics)
        EXPECT_TRUE(help.ShowTopic(topic)) << topic;
    for (int i = 1; i < topics.size(); ++i)
        EXPECT_EQ(opened.value(i), QString::number(topics[i]) + QStringLiteral(".html"));
    EXPECT_EQ(opened.value(0), QStringLiteral("index.html"));

    ScopedFakeUi ui;
    CHtmlHelp none({});
    IHelp* before = UiServices::SetHelp(&none);
    EXPECT_FALSE(ShowHelpTopic(2011));
    UiServices::SetHelp(before);
    ASSERT_EQ(ui.Prompt().Texts().size(), 1);
    EXPECT_TRUE(ui.Prompt().Texts().first().startsWith(QStringLiteral("ヘルプを表示できませんでした。")));
    EXPECT_TRUE(ShowHelpTopic(1505));
    EXPECT_EQ(ui.Prompt().Texts().size(), 1);
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
