#include "SlipTestDb.h"

#include "slips/ReceiptRules.h"
#include "slips/StockChangeRules.h"

#include "platform/ui/Prompt.h"
#include "settings/CounterInfo.h"
#include "settings/CounterSetModel.h"

#include <QFile>

namespace
{

class HandTypedNumberDb : public CSlipDbTest
{
  protected:
    void SetUp() override
    {
        CSlipDbTest::SetUp();
        Exec(QStringLiteral("INSERT INTO Customer(CustomerCode, Company) VALUES('K1', '青木商事')"));
        Exec(QStringLiteral("INSERT INTO Supplier(SupplierCode, Company) VALUES('S1', '北星物産')"));
        Exec(
            QStringLiteral("INSERT INTO Item(ItemCode, ItemName, StockType) VALUES('A-1', 'ボールペン', 1)"));
        m_noInfo = m_folder + QStringLiteral("/NoInfo.dat");
    }
    // The counter of `kind` written anew: 0 digits removes the file.
    void SetCounter(int kind, int digits, int number)
    {
        QFile::remove(m_noInfo);
        if (digits == 0)
            return;
        CCounterInfo counter;
        CCounterInfoElem* elem = counter.GetElem(kind);
        ASSERT_NE(elem, nullptr);
        elem->m_nDigits = digits;
        elem->m_nNumber = number;
        ASSERT_EQ(counter.Save(), 1);
    }
    QString Numbers(const QString& table)
    {
        CCDSData request;
        request.m_strCondition =
            QStringLiteral("SELECT group_concat(No, ',') FROM (SELECT No FROM %1 ORDER BY ID)").arg(table);
        CCDSData result;
        QString err;
        EXPECT_EQ(m_data.GetDataList(request, result, err), 1) << err.toStdString();
        return result.GetCount() ? result.GetAt(0)->GetAt(0)->GetText() : QString();
    }
    // Opens the dialog's rules of `dialog` (0 receipt, 1 payment, 2 stock),
    // which propose a number, and saves one document with it: what the
    // dialog proposed and what it answered.
    bool SaveOne(int dialog, QString& proposed)
    {
        if (dialog == 2) {
            CStockChangeRules r(m_data, 0);
            r.Init();
            proposed = r.m_strNo;
            r.m_date = QDate(2024, 4, 10);
            r.m_strCode = QStringLiteral("A-1");
            r.m_strQuantity = QStringLiteral("1");
            r.m_nType = CStockChangeRules::kIn;
            m_ui.Prompt().QueueAnswers({IDOK});
            return r.OnOK() == CStockChangeRules::kNext;
        }
        CReceiptRules r(m_data, dialog, 0);
        r.Init();
        proposed = r.m_strNo;
        r.m_strCode = dialog == 0 ? QStringLiteral("K1") : QStringLiteral("S1");
        r.m_date = QDate(2024, 4, 10);
        r.m_rows[0].m_nMethod = 0;
        r.m_rows[0].m_amount = CMny(1000);
        r.ComputeTotals();
        return r.Save() == CReceiptRules::kSaved;
    }

    QString m_noInfo;
};

const struct Dialog {
    int kind;
    const char* table;
    const char* word;
} kDialogs[] = {
    {COUNTER_RECEIPT, "Receipt_H", "入金"},
    {COUNTER_PAYMENT, "Pay_H", "出金"},
    {COUNTER_STOCK, "StockChange", "入出庫"},
};

} // namespace

// A number typed by hand wider than the counter's digits can never meet
// what the counter makes: the numbering goes on after the highest stored
// number the digits hold, in the number settings dialog and in every dialog
// that numbers one document at a time, at 6 digits as at 9.
TEST_F(HandTypedNumberDb, AWiderNumberTypedByHandBlocksNothing)
{
    const QString fresh = QStringLiteral("番号の設定ファイル<%1>に%2の番号がなかったため、登録済みの%2の番号"
                                         "「000005」の次の「%3」から番号を付けます。");
    const QString held =
        QStringLiteral("番号の設定ファイル<%1>の%2の番号「%3」からの番号は登録済みの%2の番号"
                       "と重なるため、登録済みの%2の番号「000005」の次の「%4」から番号を付けます。");
    const struct {
        int digits;       // 0: the counter file lost
        const char* from; // where the counter stood, as it writes it
        const char* proposed;
        const char* next;
    } cases[] = {
        {0, "", "000006", "000007"},
        {6, "000001", "000006", "000007"},
        {9, "000000001", "000000006", "000000007"},
    };
    for (int dialog = 0; dialog < 3; ++dialog) {
        const Dialog& d = kDialogs[dialog];
        const QString table = QString::fromLatin1(d.table), word = QString::fromUtf8(d.word);
        for (const auto& c : cases) {
            SCOPED_TRACE(word.toStdString() + " at " + std::to_string(c.digits));
            Exec(QStringLiteral("DELETE FROM %1").arg(table));
            Exec(QStringLiteral("INSERT INTO %1(No) VALUES('000001'), ('000002'), ('000003'), ('000004'), "
                                "('000005'), ('2024041001')")
                     .arg(table));
            SetCounter(d.kind, c.digits, 1);
            m_ui.Prompt().Clear();

            CCounterSetModel setting(d.kind, &m_data);
            setting.Open();
            EXPECT_EQ(setting.GetPreview(), QString::fromLatin1(c.proposed));
            EXPECT_EQ(Texts(), QStringList());

            QString proposed;
            ASSERT_TRUE(SaveOne(dialog, proposed));
            EXPECT_EQ(proposed, QString::fromLatin1(c.proposed));
            const QString notice = c.digits == 0
                                       ? fresh.arg(m_noInfo, word, proposed)
                                       : held.arg(m_noInfo, word, QString::fromLatin1(c.from), proposed);
            EXPECT_EQ(Texts().value(0), notice);
            EXPECT_EQ(Numbers(table),
                      QStringLiteral("000001,000002,000003,000004,000005,2024041001,") + proposed);
            ASSERT_TRUE(SaveOne(dialog, proposed));
            EXPECT_EQ(proposed, QString::fromLatin1(c.next));
        }
    }
}

// With the digits full of stored numbers, the number settings dialog says
// so instead of proposing a held number, and a save is refused with advice
// the user can follow: more digits below 9, another prefix or suffix at 9.
TEST_F(HandTypedNumberDb, FullDigitsAreSaidWithAdviceThatCanBeFollowed)
{
    const QString full =
        QStringLiteral("登録済みの%1の番号「%2」の次からの番号は%3桁に収まらないため、%1の番号と"
                       "重ならない番号をお勧めできません。%4ください。");
    const QString refused =
        QStringLiteral("%1の番号を%2桁では付けられないため、登録しませんでした。\n登録済みの%1"
                       "の番号「%3」の次からの番号は%2桁に収まりません。「伝票番号の設定」で"
                       "%4から、もう一度登録してください。");
    const struct {
        int digits;
        const char* last;
        const char* change;
    } cases[] = {
        {3, "999", "桁数を増やして"},
        {9, "999999999", "接頭文字か接尾文字を変えて"},
    };
    for (int dialog = 0; dialog < 3; ++dialog) {
        const Dialog& d = kDialogs[dialog];
        const QString table = QString::fromLatin1(d.table), word = QString::fromUtf8(d.word);
        for (const auto& c : cases) {
            SCOPED_TRACE(word.toStdString() + " at " + std::to_string(c.digits));
            const QString last = QString::fromLatin1(c.last);
            Exec(QStringLiteral("DELETE FROM %1").arg(table));
            Exec(QStringLiteral("INSERT INTO %1(No) VALUES('1'), ('%2')").arg(table, last));
            SetCounter(d.kind, c.digits, 1);
            m_ui.Prompt().Clear();

            CCounterSetModel setting(d.kind, &m_data);
            setting.Open();
            EXPECT_EQ(Texts(),
                      QStringList{full.arg(word, last).arg(c.digits).arg(QString::fromUtf8(c.change))});
            m_ui.Prompt().Clear();

            QString proposed;
            EXPECT_FALSE(SaveOne(dialog, proposed));
            EXPECT_EQ(Texts().last(), refused.arg(word).arg(c.digits).arg(last, QString::fromUtf8(c.change)));
            EXPECT_EQ(Numbers(table), QStringLiteral("1,") + last);
        }
    }
}
