#include "platform/mail/MapiMail.h"
#include "platform/ui/FakeUi.h"

#include <gtest/gtest.h>

namespace
{

class CScriptedMailOpener : public IMailOpener
{
  public:
    CScriptedMailOpener() : m_old(SetMailOpener(this)) {}
    ~CScriptedMailOpener() override { SetMailOpener(m_old); }
    CScriptedMailOpener(const CScriptedMailOpener&) = delete;
    CScriptedMailOpener& operator=(const CScriptedMailOpener&) = delete;

    bool m_bInstalled = true;
    int m_nResult = SUCCESS_SUCCESS;
    int m_nAsked = 0;
    QList<CMailMessage> m_sent;

    bool IsInstalled() override
    {
        ++m_nAsked;
        return m_bInstalled;
    }
    int Compose(const CMailMessage& message) override
    {
        m_sent << message;
        return m_nResult;
    }

  private:
    IMailOpener* m_old;
};

QStringList Addresses(int count)
{
    QStringList list;
    for (int i = 0; i < count; ++i)
        list << QStringLiteral("p%1@example.jp").arg(i);
    return list;
}

} // namespace

TEST(MapiMail, RecipientsGoAsToForOneAndBccForSeveral)
{
    ScopedFakeUi ui;
    CScriptedMailOpener opener;
    EXPECT_EQ(SendMapiMail({QStringLiteral("taro@example.jp")}, QString()), 1);
    ASSERT_EQ(opener.m_sent.size(), 1);
    EXPECT_EQ(opener.m_sent[0].m_recipients,
              (QList<CMailRecipient>{
                  {MAPI_TO, QStringLiteral("taro@example.jp"), QStringLiteral("taro@example.jp")}}));

    EXPECT_EQ(SendMapiMail({QStringLiteral("a@x.jp"), QStringLiteral("b@x.jp")}, QStringLiteral("件名")), 1);
    for (const CMailRecipient& r : opener.m_sent[1].m_recipients)
        EXPECT_EQ(r.m_nClass, MAPI_BCC);
    EXPECT_EQ(opener.m_sent[1].m_strSubject, QStringLiteral("件名"));

    EXPECT_EQ(SendMapiMail(Addresses(1000), QString()), 1);
    EXPECT_EQ(opener.m_sent.last().m_recipients.size(), 1000);
    EXPECT_TRUE(ui.Prompt().Texts().isEmpty());
}

TEST(MapiMail, RefusalsBeforeTheMailProgram)
{
    ScopedFakeUi ui;
    CScriptedMailOpener opener;
    EXPECT_EQ(SendMapiMail({}, QString()), 0);
    EXPECT_EQ(SendMapiMail(Addresses(1001), QString()), 0);
    EXPECT_EQ(opener.m_nAsked, 0);
    opener.m_bInstalled = false;
    EXPECT_EQ(SendMapiMail({QStringLiteral("a@x.jp")}, QString()), 0);
    EXPECT_TRUE(opener.m_sent.isEmpty());
    EXPECT_EQ(
        ui.Prompt().Texts(),
        (QStringList{QStringLiteral("メール送信の対象者が指定されていません"),
                     QStringLiteral("メール送信の対象者が多すぎます。一括で送信できるのは 1000 人までです。\n"
                                    "送信対象者を減らしてください。"),
                     QStringLiteral("MAPI32.DLL をロードできませんでした")}));
}

TEST(MapiMail, AnswersOfTheMailProgram)
{
    const QString failed = QStringLiteral("メールを作成できませんでした。");
    const QString tooMany = QStringLiteral(
        "メール送信の対象者が多すぎます。ご利用のメーラーでは 3 件の同報送信はできませんでした。");
    const struct {
        int result;
        QString message; // empty: none
    } cases[] = {
        {1, {}},       {25, {}},     {2, failed},  {3, failed},  {5, failed},  {9, failed},
        {11, failed},  {12, failed}, {14, failed}, {15, failed}, {18, failed}, {21, failed},
        {10, tooMany}, {4, {}},      {6, {}},      {13, {}},     {24, {}},     {26, {}},
    };
    for (const auto& c : cases) {
        ScopedFakeUi ui;
        CScriptedMailOpener opener;
        opener.m_nResult = c.result;
        EXPECT_EQ(SendMapiMail(Addresses(3), QString()), 0) << c.result;
        EXPECT_EQ(ui.Prompt().Texts(), c.message.isEmpty() ? QStringList() : QStringList{c.message})
            << c.result;
    }
}

TEST(MapiMail, MailtoAddressKeepsEachRecipientWhole)
{
    CMailMessage one;
    one.m_recipients = {{MAPI_TO, {}, QStringLiteral("taro@example.jp")}};
    EXPECT_EQ(MailtoUrl(one), QStringLiteral("mailto:taro@example.jp"));

    CMailMessage several;
    several.m_strSubject = QStringLiteral("ご案内");
    several.m_recipients = {{MAPI_BCC, {}, QStringLiteral("a@x.jp")},
                            {MAPI_BCC, {}, QStringLiteral("b@x.jp?cc=evil@y.jp&body=z,c@d")}};
    EXPECT_EQ(MailtoUrl(several), QStringLiteral("mailto:?bcc=a@x.jp,b@x.jp%3Fcc%3Devil@y.jp%26body%3Dz%2Cc@d"
                                                 "&subject=%E3%81%94%E6%A1%88%E5%86%85"));
}
