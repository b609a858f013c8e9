#include "SlipTestDb.h"

#include "slips/ReceiptRules.h"
#include "slips/StockChangeRules.h"

#include "platform/ui/Prompt.h"
#include "settings/CounterSetModel.h"
#include "settings/DocumentNumbers.h"

#include <QFile>

using HandTypedNumberDb = CSlipDbTest;

// 000001, 000005 and 2024041001 typed by hand are in the books: "伝票番号の設定"
// and each dialog go on after 000005, the number file lost, damaged or at 9
// digits. With 9 digits full, both say to change the prefix or suffix.
TEST_F(HandTypedNumberDb, AWiderNumberTypedByHandBlocksNothing)
{
    const QString path = m_folder + QStringLiteral("/NoInfo.dat"),
                  at = QStringLiteral("番号の設定ファイル<%1>");
    const QString fresh =
        at + QStringLiteral("に%2の番号がなかったため、登録済みの%2の番号「000005」の次の「%3」から");
    const QString held =
        at + QStringLiteral("の%2の番号「000000001」からの番号は登録済みの%2の番号と重なるため、登録"
                            "済みの%2の番号「000005」の次の「%3」から");
    const auto setCounter = [](int kind, int number) {
        CCounterInfo counter;
        *counter.GetElem(kind) = {kind, number, 9, 1, {}, {}, 0};
        return counter.Save();
    };
    const struct {
        int kind;
        char file; // 'l' lost, 'd' damaged (the reset agreed), '9' at 9 digits
        QString number, notice;
    } cases[] = {
        {COUNTER_RECEIPT, 'l', QStringLiteral("000006"), fresh.arg(path, QStringLiteral("入金"))},
        {COUNTER_PAYMENT, 'd', QStringLiteral("000006"), fresh.arg(path, QStringLiteral("出金"))},
        {COUNTER_STOCK, '9', QStringLiteral("000000006"), held.arg(path, QStringLiteral("入出庫"))},
    };
    for (const auto& c : cases) {
        Exec(QStringLiteral("INSERT INTO %1(No) VALUES('000001'), ('000005'), ('2024041001')")
                 .arg(CDocumentNumbers::TableOf(c.kind)));
        QFile::remove(path);
        QStringList boxes{c.notice.arg(c.number) + QStringLiteral("番号を付けます。")};
        if (QFile file(path);
            c.file == 'd' && file.open(QIODevice::WriteOnly) && file.write(QByteArray(40, 'Z'))) {
            m_ui.Prompt().QueueAnswers({IDYES});
            boxes.prepend(
                QStringLiteral("設定ファイル<%1>が壊れています。初期状態にしてよろしいですか？").arg(path));
        }
        ASSERT_TRUE(c.file != '9' || setCounter(c.kind, 1));
        CCounterSetModel setting(c.kind, &m_data);
        setting.Open();
        EXPECT_EQ(setting.GetPreview(), c.number);
        CReceiptRules money(m_data, c.kind == COUNTER_PAYMENT, 0);
        CStockChangeRules stock(m_data, 0);
        c.kind == COUNTER_STOCK ? stock.Init() : money.Init();
        EXPECT_EQ(c.kind == COUNTER_STOCK ? stock.m_strNo : money.m_strNo, c.number);
        EXPECT_EQ(Texts(), boxes);
        m_ui.Prompt().Clear();
    }
    Exec(QStringLiteral("INSERT INTO StockChange(No) VALUES('999999999')"));
    ASSERT_TRUE(setCounter(COUNTER_STOCK, 999999999));
    CCounterSetModel(COUNTER_STOCK, &m_data).Open();
    CDialogNumber number(m_data, COUNTER_STOCK);
    QString proposed = number.Propose();
    EXPECT_EQ(number.Confirm(proposed), CDocumentNumbers::EResult::Exhausted);
    // The dialog's word, then the refusal: each names the change that frees numbers.
    EXPECT_EQ(Texts().join(u'|').count(QStringLiteral("9桁に収ま")), 2);
    EXPECT_EQ(Texts().join(u'|').count(QStringLiteral("接頭文字か接尾文字を変えて")), 2);
}
