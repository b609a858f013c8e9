#include "master/MasterRecordStore.h"
#include "platform/data/MasterKinds.h"
#include "platform/data/Record.h"
#include "platform/ui/FakeUi.h"

#include <gtest/gtest.h>

namespace
{

// Answers the store's requests from a script and records them.
class CScriptedHost : public IMasterStoreHost
{
  public:
    int m_nLookup = 1; // CheckDuplicateCode's answer
    int m_nFound = 0;  // records the lookup finds
    int m_nResult = 1; // InsertData / UpdateData / GetDataNum
    QString m_strError;
    QStringList m_calls;
    QList<const COneRecord*> m_notified;

    int CheckDuplicateCode(const QString& table, const QString& field, const QString& code,
                           CCDSData& result) override
    {
        m_calls << QStringLiteral("lookup %1 %2 %3").arg(table, field, code);
        for (int i = 0; i < m_nFound; ++i)
            result.AddNew();
        return m_nLookup;
    }
    int InsertData(CCDSData&, QString& err) override { return Answer(QStringLiteral("insert"), err); }
    int UpdateData(const CCDSData&, QString& err) override { return Answer(QStringLiteral("update"), err); }
    int GetDataNum(const CCDSData&, int& count, QString& err) override
    {
        count = 5;
        return Answer(QStringLiteral("count"), err);
    }
    int NotifyMasterRecordAdded(const COneRecord* record) override
    {
        m_notified << record;
        return 1;
    }
    COneRecord* SelectNextMasterRecord(COneRecord*) override { return &m_next; }
    COneRecord* SelectPrevMasterRecord(COneRecord*) override { return nullptr; }
    int GetMasterPrevNextState(bool& hasPrev, bool& hasNext) override
    {
        hasPrev = true;
        hasNext = false;
        return 1;
    }

  private:
    int Answer(const QString& call, QString& err)
    {
        m_calls << call;
        err = m_strError;
        return m_nResult;
    }
    COneRecord m_next;
};

const QString kFatal = QStringLiteral(
    "処理中に重大なエラーが発生しました。このまま『Corvanta／販売』を使用することはできません。"
    "\n\nすみやかにアプリケーションを終了してください。");
const QString kAdvice =
    QStringLiteral("何らかのエラーが発生した可能性があります。\n『Corvanta／販売』を一旦終了してから"
                   "操作し直すことをおすすめします。");

} // namespace

TEST(MasterRecordStore, InsertMessagesByResult)
{
    const struct {
        int result;
        QString err;
        QString message;
        int icon;
    } cases[] = {
        {1, {}, QStringLiteral("\n登録しました。"), MB_ICONINFORMATION},
        {-100, QStringLiteral("disk"), kFatal, MB_ICONSTOP},
        {10, QStringLiteral("コードが長すぎます。"), QStringLiteral("コードが長すぎます。"),
         MB_ICONEXCLAMATION},
        {10, {}, kAdvice, MB_ICONEXCLAMATION},
        {3, QStringLiteral("ignored"),
         QStringLiteral("一部のレコードを追加できませんでした。\n『Corvanta／販売』を一旦終了してから操作し直"
                        "してください。"),
         MB_ICONEXCLAMATION},
    };
    for (const auto& c : cases) {
        ScopedFakeUi ui;
        CScriptedHost host;
        host.m_nResult = c.result;
        host.m_strError = c.err;
        CMasterRecordStore store(host);
        store.SetKind(CMasterKind::Customers());
        CCDSData set;
        set.AddNew();
        set.AddNew();
        EXPECT_EQ(store.Insert(set), c.result);
        ASSERT_EQ(ui.Prompt().Calls().size(), 1) << c.result;
        EXPECT_EQ(ui.Prompt().Calls()[0].text, c.message);
        EXPECT_EQ(ui.Prompt().Calls()[0].icon, c.icon);
        // Only a successful insert reaches the master list, every record of it.
        EXPECT_EQ(host.m_notified, c.result == 1 ? (QList<const COneRecord*>{set.GetAt(0), set.GetAt(1)})
                                                 : QList<const COneRecord*>());
    }
}

TEST(MasterRecordStore, UpdateMessagesByResult)
{
    const struct {
        int result;
        bool showDone;
        QString err;
        QString message; // empty: silent
    } cases[] = {
        {1, true, {}, QStringLiteral("\n修正しました。")},
        {1, false, {}, {}},
        {-100, true, QStringLiteral("x"), kFatal},
        {10, false, QStringLiteral("値が正しくありません。"), QStringLiteral("値が正しくありません。")},
        {10, true, {}, kAdvice},
        {7, true, QStringLiteral("別の理由"), QStringLiteral("別の理由")},
        {0, true, {}, kAdvice},
    };
    for (const auto& c : cases) {
        ScopedFakeUi ui;
        CScriptedHost host;
        host.m_nResult = c.result;
        host.m_strError = c.err;
        CMasterRecordStore store(host);
        store.SetKind(CMasterKind::Items());
        EXPECT_EQ(store.Update(CCDSData(), c.showDone), c.result);
        EXPECT_EQ(ui.Prompt().Texts(), c.message.isEmpty() ? QStringList() : QStringList{c.message})
            << c.result;
    }
}

TEST(MasterRecordStore, DuplicateLookupNeverLetsACodeThroughOnFailure)
{
    const struct {
        int kind;
        int lookup;
        int found;
        int answer;
        QString call; // empty: no lookup sent
    } cases[] = {
        {1, 1, 0, 0, QStringLiteral("lookup Item ItemCode A'01")},
        {2, 1, 1, 1, QStringLiteral("lookup Customer CustomerCode A'01")},
        {3, 0, 0, 1, QStringLiteral("lookup Supplier SupplierCode A'01")}, // the lookup failed
        {0, 1, 0, 1, {}},
        {4, 1, 0, 1, {}},
    };
    for (const auto& c : cases) {
        ScopedFakeUi ui;
        CScriptedHost host;
        host.m_nLookup = c.lookup;
        host.m_nFound = c.found;
        CMasterRecordStore store(host);
        // A number naming no ledger leaves the store without one.
        if (const CMasterKind* kind = CMasterKind::OfNumber(c.kind))
            store.SetKind(*kind);
        CCDSData result;
        EXPECT_EQ(store.IsDuplicateCode(QStringLiteral("A'01"), result), c.answer) << c.kind;
        EXPECT_EQ(host.m_calls, c.call.isEmpty() ? QStringList() : QStringList{c.call}) << c.kind;
    }
}

TEST(MasterRecordStore, OtherKindsSendNothingAndTheRestPassesThrough)
{
    ScopedFakeUi ui;
    CScriptedHost host;
    CMasterRecordStore store(host); // no ledger set
    CCDSData set;
    set.AddNew();
    EXPECT_EQ(store.GetTableName(), QString());
    EXPECT_EQ(store.Insert(set), 0);
    EXPECT_EQ(store.Update(set, true), 0);
    EXPECT_TRUE(host.m_calls.isEmpty());
    EXPECT_TRUE(ui.Prompt().Texts().isEmpty());

    host.m_nResult = 10;
    host.m_strError = QStringLiteral("bad");
    int count = 0;
    QString err;
    EXPECT_EQ(store.GetCount(CCDSData(), count, err), 10);
    EXPECT_EQ(count, 5);
    EXPECT_EQ(err, QStringLiteral("bad"));
    EXPECT_TRUE(ui.Prompt().Texts().isEmpty()); // silent

    COneRecord record;
    EXPECT_EQ(store.NotifyAdded(&record), 1);
    EXPECT_NE(store.SelectNextRecord(nullptr), nullptr);
    EXPECT_EQ(store.SelectPrevRecord(&record), nullptr);
    bool hasPrev = false, hasNext = true;
    store.GetPrevNextState(hasPrev, hasNext);
    EXPECT_TRUE(hasPrev);
    EXPECT_FALSE(hasNext);
}
