#include "platform/ipc/ProcessLauncher.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace
{

struct Recorded {
    QString program, text;
};

} // namespace

TEST(ProcessLauncher, ArgumentTextAlwaysBeginsWithOneBlank)
{
    std::vector<Recorded> calls;
    bool succeed = true;
    const ProcessLauncher previous = SetProcessLauncher([&](const QString& program, const QString& text) {
        calls.push_back({program, text});
        return succeed;
    });
    const QString tel = QStringLiteral("/opt/corvanta/Exe/MorvekTel");
    EXPECT_EQ(RunExe(tel, QStringLiteral("/B")), 1);
    EXPECT_EQ(RunExe(tel, QStringLiteral(" /R")), 1);
    EXPECT_EQ(RunExe(tel), 1);
    // A partner text with quotes and a file name with blanks stay one text.
    EXPECT_EQ(RunExe(tel, QStringLiteral("/L:1 /C:4 /N:04\"A001\"")), 1);
    EXPECT_EQ(RunExe(QString(), QStringLiteral("/B")), 0);
    succeed = false;
    EXPECT_EQ(RunExe(tel, QStringLiteral("/B")), 0);
    SetProcessLauncher(previous);

    ASSERT_EQ(calls.size(), 5u);
    EXPECT_EQ(calls[0].program, tel);
    EXPECT_EQ(calls[0].text, QStringLiteral(" /B"));
    EXPECT_EQ(calls[1].text, QStringLiteral(" /R"));
    EXPECT_EQ(calls[2].text, QString());
    EXPECT_EQ(calls[3].text, QStringLiteral(" /L:1 /C:4 /N:04\"A001\""));

    // The real launcher: a missing program fails, an existing one starts
    // and is not waited for.
    EXPECT_EQ(RunExe(QStringLiteral("/nonexistent/corvanta/MorvekForm"), QStringLiteral("/B")), 0);
    EXPECT_EQ(RunExe(QStringLiteral("/bin/true"), QStringLiteral("/B")), 1);
}

TEST(ProcessLauncher, OpenUrlAnswersAndMessages)
{
    std::vector<QUrl> opened;
    bool succeed = true;
    const UrlOpener previous = SetUrlOpener([&](const QUrl& url) {
        opened.push_back(url);
        return succeed;
    });
    QString message = QStringLiteral("stale");
    EXPECT_EQ(OpenUrl(QString(), &message), 0);
    EXPECT_EQ(message, QStringLiteral("URLが空です。起動できません。"));
    EXPECT_EQ(OpenUrl(QStringLiteral("https://example.com/shop?a=1"), &message), 1);
    EXPECT_EQ(message, QString());
    EXPECT_EQ(OpenUrl(QStringLiteral("no address"), &message), 1);
    EXPECT_EQ(message, QStringLiteral("no address\nURLが存在しませんでした"));
    succeed = false;
    EXPECT_EQ(OpenUrl(QStringLiteral("https://example.com/"), &message), 1);
    EXPECT_EQ(message, QStringLiteral("この拡張子に関連付けられたアプリケーションがありません"));
    SetUrlOpener(previous);

    ASSERT_EQ(opened.size(), 2u);
    EXPECT_EQ(opened[0], QUrl(QStringLiteral("https://example.com/shop?a=1")));
}
