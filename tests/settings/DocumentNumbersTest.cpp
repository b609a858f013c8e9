#include <gtest/gtest.h>

#include "SettingsTestDb.h"
#include "platform/data/MakeMsgID.h"
#include "platform/ui/FakeUi.h"
#include "settings/CounterSetModel.h"
#include "settings/DocumentNumbers.h"

#include <QDateTime>

namespace
{

QString U(const char* text)
{
    return QString::fromUtf8(text);
}

enum class EState {
    Missing, // NoInfo.dat deleted
    Set,     // as set by hand, or an older file put back
    Reset,   // damaged, the reset agreed
    Refused, // damaged, the reset refused
};

using R = CDocumentNumbers::EResult;

} // namespace

// Whatever state the counter file is in, the numbers a run takes are none
// the books hold by value within the form, the user is told once quoting
// the stored number as stored, a run that would wrap onto held numbers is
// refused, and the number settings dialog proposes the same number.
TEST(DocumentNumbers, NoNumberTheBooksHoldIsHandedOutAgain)
{
    ScopedFakeUi ui;
    CSettingsTestDb db;
    QString err;
    ASSERT_EQ(
        CMakeMsgID::CreateDatabase(CMakeMsgID::DatabasePath(db.Folder()), QDateTime::currentDateTime(), err),
        1)
        << err.toStdString();
    CMakeMsgID data;
    ASSERT_EQ(data.Open(db.Folder(), err), 1) << err.toStdString();
    const QString noInfo = db.File("NoInfo.dat");

    const QString fresh =
        U("番号の設定ファイル<%1>に%2の番号がなかったため、%3の%2の番号「%4」の次の「%5」から"
          "番号を付けます。");
    const QString held =
        U("番号の設定ファイル<%1>の%2の番号「%3」からの番号は%4の%2の番号と重なるため、%4の%2"
          "の番号「%5」の次の「%6」から番号を付けます。");
    const QString full =
        U("%1の番号を%2桁では付けられないため、締め処理を行いませんでした。\n%3の%1の番号「%4」"
          "の次からの番号は%2桁に収まりません。「伝票番号の設定」で桁数を増やしてから、もう一度"
          "締めてください。");
    const struct {
        const char* what;
        int kind;
        EState state;
        int number, digits, zeroFill;
        const char* prefix;
        const char* suffix;
        QStringList stored; // in the kind's table; "S:" on the other side's closings
        int count;
        R result;
        QStringList numbers;
        int proposal; // of the settings dialog, with the zero fill
        QString notice;
    } cases[] = {
        // clang-format off
        {"invoices, file deleted", COUNTER_INVOICE, EState::Missing, 0, 0, 0, "", "",
         {"000001", "000002", "000003", "S:000009"}, 2, R::Taken, {"000004", "000005"}, 4,
         fresh.arg(noInfo, U("請求書"), U("締め済み"), U("000003"), U("000004"))},
        {"invoices, only the other side's closings", COUNTER_INVOICE, EState::Missing, 0, 0, 0, "", "",
         {"S:000001", "S:000002"}, 1, R::Taken, {"000001"}, 1, {}},
        {"receipts, file deleted", COUNTER_RECEIPT, EState::Missing, 0, 0, 0, "", "", {"000001"}, 1, R::Taken,
         {"000002"}, 2, fresh.arg(noInfo, U("入金"), U("登録済み"), U("000001"), U("000002"))},
        {"payments, damaged and reset", COUNTER_PAYMENT, EState::Reset, 0, 0, 0, "", "", {"000001", "000002"}, 1,
         R::Taken, {"000003"}, 3, fresh.arg(noInfo, U("出金"), U("登録済み"), U("000002"), U("000003"))},
        {"stock movements, damaged and refused", COUNTER_STOCK, EState::Refused, 0, 0, 0, "", "",
         {"000001", "000002"}, 1, R::NoCounter, {}, 3, {}},
        {"payment statements, older file", COUNTER_PAYMENT_STATEMENT, EState::Set, 1, 6, 1, "", "",
         {"000001", "000002"}, 2, R::Taken, {"000003", "000004"}, 3,
         held.arg(noInfo, U("支払明細書"), U("000001"), U("締め済み"), U("000002"), U("000003"))},
        {"a form set back by hand", COUNTER_INVOICE, EState::Set, 1, 8, 1, "INV-", "-J",
         {"INV-00000001-J", "INV-00000002-J", "inv-00000004-j", "000009"}, 1, R::Taken, {"INV-00000005-J"}, 5,
         held.arg(noInfo, U("請求書"), U("INV-00000001-J"), U("締め済み"), U("inv-00000004-j"), U("INV-00000005-J"))},
        {"1 and 000001 are one number", COUNTER_RECEIPT, EState::Set, 1, 6, 0, "", "", {"000001", "2"}, 1,
         R::Taken, {"3"}, 3, held.arg(noInfo, U("入金"), U("1"), U("登録済み"), U("2"), U("3"))},
        {"a wider number not in the run", COUNTER_STOCK, EState::Set, 4, 6, 1, "", "",
         {"000001", "000003", "1234567"}, 1, R::Taken, {"000004"}, 4, {}},
        {"a wider number past the digits", COUNTER_INVOICE, EState::Missing, 0, 0, 0, "", "", {"1234567"}, 1,
         R::Taken, {"000001"}, 1, {}},
        {"the last number wraps onto held ones", COUNTER_PAYMENT, EState::Set, 999999, 6, 1, "", "",
         {"000001", "999998"}, 2, R::Exhausted, {}, 999999, full.arg(U("出金")).arg(6).arg(U("登録済み"), U("999998"))},
        {"the last number wraps onto free ones", COUNTER_STOCK, EState::Set, 999, 3, 1, "", "", {"998"}, 2,
         R::Taken, {"999", "001"}, 999, {}},
        {"quoted as stored", COUNTER_INVOICE, EState::Set, 108704, 8, 1, "", "", {"00108704"}, 1, R::Taken,
         {"00108705"}, 108705,
         held.arg(noInfo, U("請求書"), U("00108704"), U("締め済み"), U("00108704"), U("00108705"))},
        // clang-format on
    };
    const QByteArray damaged("\x01\x00\xff\xff\x01\x00", 6);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const QString table = CDocumentNumbers::TableOf(c.kind);
        const QString other = c.kind == COUNTER_INVOICE ? U("Stock_Close") : U("Sales_Close");
        for (const char* emptied : {"Sales_Close", "Stock_Close", "Receipt_H", "Pay_H", "StockChange"})
            ASSERT_EQ(data.Execute(U("DELETE FROM ") + U(emptied), err), 1) << err.toStdString();
        for (const QString& number : c.stored) {
            CCDSData set;
            set.m_strTable = number.startsWith(U("S:")) ? other : table;
            set.AddNew()->SetField(set.m_strTable + U(".No"),
                                   number.startsWith(U("S:")) ? number.mid(2) : number);
            ASSERT_EQ(data.InsertData(set, err), 1) << err.toStdString();
        }
        QFile::remove(noInfo);
        QList<int> answers; // of the settings dialog, then of the run
        if (c.state == EState::Set) {
            CCounterInfo counter;
            CCounterInfoElem* elem = counter.GetElem(c.kind);
            ASSERT_NE(elem, nullptr);
            *elem = {c.kind, c.number, c.digits, c.zeroFill, U(c.prefix), U(c.suffix), 0};
            ASSERT_EQ(counter.Save(), 1);
        } else if (c.state != EState::Missing) {
            CSettingsTestDb::Put(noInfo, damaged);
            answers = c.state == EState::Reset ? QList<int>{IDYES} : QList<int>{IDNO, IDNO};
        }
        ui.Prompt().Clear();
        ui.Prompt().QueueAnswers(answers);

        CCounterSetModel dialog(c.kind, &data);
        dialog.Open();
        EXPECT_EQ(dialog.m_nSetNo, c.proposal);
        EXPECT_EQ(dialog.m_nZeroFill, c.state == EState::Set ? c.zeroFill : 1);

        CDocumentNumbers numbers(data, c.kind);
        QStringList taken;
        ASSERT_EQ(numbers.Take(c.count, taken), c.result);
        EXPECT_EQ(taken, c.numbers);
        if (c.result == R::Exhausted) {
            EXPECT_EQ(numbers.RefusalText(U("締め処理を行いませんでした"), U("締めて")), c.notice);
            EXPECT_EQ(CCounterInfo().GetElem(c.kind)->m_nNumber, c.state == EState::Set ? c.number : 1);
        } else {
            EXPECT_EQ(numbers.Notice(), c.notice);
        }
        EXPECT_EQ(ui.Prompt().PendingAnswers(), 0);
        EXPECT_TRUE(ui.Prompt().ScriptErrors().isEmpty());
        if (c.result != R::Taken)
            continue;
        // The counter stands after the run, and the next run takes on from
        // there, passing none the books hold.
        for (const QString& number : taken) {
            CCDSData set;
            set.m_strTable = table;
            set.AddNew()->SetField(table + U(".No"), number);
            ASSERT_EQ(data.InsertData(set, err), 1) << err.toStdString();
        }
        QStringList next;
        ASSERT_EQ(numbers.Take(1, next), R::Taken);
        ASSERT_EQ(next.size(), 1);
        EXPECT_FALSE(c.stored.contains(next[0]) || taken.contains(next[0])) << next[0].toStdString();
        EXPECT_EQ(numbers.Notice(), QString());
    }
}
