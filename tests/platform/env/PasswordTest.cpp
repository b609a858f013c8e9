#include "platform/env/Password.h"
#include "EnvHome.h"
#include "platform/ui/FakeUi.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <functional>

#include <gtest/gtest.h>

namespace
{

// Answers the prompts from a script and counts how often it was asked;
// an exhausted script cancels.
class CScript
{
  public:
    explicit CScript(QStringList answers) : m_answers(std::move(answers)) {}
    CNWPassCheck::Prompt Prompt()
    {
        return [this](QString& password) {
            ++m_asked;
            if (m_answers.isEmpty())
                return false;
            password = m_answers.takeFirst();
            return true;
        };
    }
    int Asked() const { return m_asked; }

  private:
    QStringList m_answers;
    int m_asked = 0;
};

int Check(const QString& path, const QStringList& answers, int* asked = nullptr)
{
    CScript script(answers);
    const int result = CNWPassCheck(path, script.Prompt(), {}).CheckPassWord();
    if (asked)
        *asked = script.Asked();
    return result;
}

int Set(const QString& path, const QStringList& current, const QString& next)
{
    CScript ask(current), askNew({next});
    return CNWPassCheck(path, ask.Prompt(), askNew.Prompt()).SetPassWord();
}

QByteArray ReadFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

TEST(Password, SetCheckChangeAndClear)
{
    ScopedFakeUi ui;
    CEnvHome home;
    const QString path = CNWPassCheck::GetDefaultPath();
    EXPECT_EQ(path, home.Path() + "/MyData/PassCheck.dat");
    const QString secret = QString::fromUtf8("ひみつ123");

    // No password: nobody is asked.
    int asked = -1;
    EXPECT_EQ(Check(path, {}, &asked), 1);
    EXPECT_EQ(asked, 0);

    EXPECT_EQ(Set(path, {}, secret), 1);
    const QByteArray stored = ReadFile(path);
    EXPECT_FALSE(stored.contains(secret.toUtf8()));
    EXPECT_FALSE(stored.contains("123"));

    EXPECT_EQ(Check(path, {secret}, &asked), 1);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(Check(path, {"wrong", secret}, &asked), 1);
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(Check(path, {"a", "b", "c", secret}, &asked), 0);
    EXPECT_EQ(asked, CNWPassCheck::kMaxTries);
    EXPECT_EQ(Check(path, {}, &asked), 0); // cancelled
    EXPECT_EQ(CNWPassCheck(path, {}, {}).CheckPassWord(), 0);
    EXPECT_EQ(Check(path, {QString::fromUtf8("ひみつ12")}), 0);

    // Changing needs the password in force.
    EXPECT_EQ(Set(path, {"x", "y", "z"}, "next"), 0);
    EXPECT_EQ(Check(path, {secret}), 1);
    EXPECT_EQ(Set(path, {secret}, "next"), 1);
    EXPECT_EQ(Check(path, {secret}), 0);
    EXPECT_EQ(Check(path, {"next"}), 1);

    // The same password stored twice gets a new salt.
    const QByteArray before = ReadFile(path);
    EXPECT_EQ(Set(path, {"next"}, "next"), 1);
    EXPECT_NE(ReadFile(path), before);
    EXPECT_EQ(Check(path, {"next"}), 1);

    // An empty new password clears it.
    EXPECT_EQ(Set(path, {"next"}, ""), 1);
    EXPECT_FALSE(QFileInfo::exists(path));
    EXPECT_EQ(Check(path, {}, &asked), 1);
    EXPECT_EQ(asked, 0);
}

TEST(Password, DamagedFileStopsBothCalls)
{
    ScopedFakeUi ui;
    CEnvHome home;
    const QString path = home.Path() + "/PassCheck.dat";
    ASSERT_EQ(Set(path, {}, "pw"), 1);
    const QByteArray good = ReadFile(path);
    const QRegularExpression cost(QStringLiteral("\"iterations\":\\d+"));
    ASSERT_TRUE(QString::fromLatin1(good).contains(cost));

    // A cost that would stall start-up for hours is no password file of ours.
    const QByteArray hostileCost =
        QString::fromLatin1(good).replace(cost, QStringLiteral("\"iterations\":2000000000")).toLatin1();
    QByteArray shortSalt = good;
    shortSalt.replace("\"salt\":\"", "\"salt\":\"AAAA");
    const QByteArray damaged[] = {QByteArray(), "\x01\x02garbage", good.left(good.size() / 2),
                                  hostileCost,  shortSalt,         "{}"};
    for (const QByteArray& bytes : damaged) {
        SCOPED_TRACE(bytes.toStdString());
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        file.close();
        int asked = -1;
        EXPECT_EQ(Check(path, {"pw"}, &asked), -1);
        EXPECT_EQ(asked, 0);
        EXPECT_EQ(Set(path, {"pw"}, "new"), -1);
        EXPECT_EQ(ReadFile(path), bytes);
    }
}

// Every wrong password is told with the tries left; a password set or
// removed is confirmed; a damaged file says nothing here (the callers do).
TEST(Password, WrongTriesAreToldAndChangesConfirmed)
{
    ScopedFakeUi ui;
    CEnvHome home;
    const QString path = home.Path() + "/PassCheck.dat";
    const auto u = [](const char* text) { return QString::fromUtf8(text); };
    const QString left2 = u("パスワードが違います。\nあと2回入力できます。");
    const QString left1 = u("パスワードが違います。\nあと1回入力できます。");
    const QString set = u("パスワードを設定しました。\n次回の起動からパスワードの入力が必要です。");

    struct Step {
        const char* what;
        std::function<int()> run;
        int result;
        QStringList texts;
    };
    const Step steps[] = {
        {"nothing to remove", [&] { return Set(path, {}, ""); }, 1, {u("パスワードは設定されていません。")}},
        {"set", [&] { return Set(path, {}, "pw"); }, 1, {set}},
        {"right at once", [&] { return Check(path, {"pw"}); }, 1, {}},
        {"right at the last try",
         [&] {
             return Check(path, {"a", "b", "pw"});
         },
         1,
         {left2, left1}},
        {"wrong three times",
         [&] {
             return Check(path, {"a", "b", "c"});
         },
         0,
         {left2, left1, u("パスワードが違います。")}},
        {"cancelled after one", [&] { return Check(path, {"a"}); }, 0, {left2}},
        {"change refused",
         [&] {
             return Set(path, {"a", "b", "c"}, "new");
         },
         0,
         {left2, left1, u("パスワードが違います。\nパスワードの設定・解除を中止します。")}},
        {"changed",
         [&] {
             return Set(path, {"x", "pw"}, "new");
         },
         1,
         {left2, set}},
        {"removed",
         [&] { return Set(path, {"new"}, ""); },
         1,
         {u("パスワードを解除しました。\n起動時にパスワードは聞かれません。")}},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        ui.Prompt().Clear();
        EXPECT_EQ(step.run(), step.result);
        EXPECT_EQ(ui.Prompt().Texts(), step.texts);
        for (const CPromptCall& call : ui.Prompt().Calls())
            EXPECT_EQ(call.icon, call.text.startsWith(u("パスワードが違います。")) ? MB_ICONEXCLAMATION
                                                                                   : MB_ICONINFORMATION);
    }
    EXPECT_FALSE(QFileInfo::exists(path));

    ASSERT_EQ(Set(path, {}, "pw"), 1);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("{}");
    file.close();
    ui.Prompt().Clear();
    EXPECT_EQ(Check(path, {"pw"}), -1);
    EXPECT_TRUE(ui.Prompt().Calls().isEmpty());
}
