#include "SlipTestDb.h"

#include "slips/StockChangeDlg.h"
#include "slips/StockChangeRules.h"

#include "platform/ui/NumEdit.h"
#include "platform/ui/Prompt.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QFocusEvent>
#include <QLineEdit>

namespace
{

class StockChangeDb : public CSlipDbTest
{
  protected:
    void SetUp() override
    {
        CSlipDbTest::SetUp();
        Exec("INSERT INTO Item(ItemCode, ItemName, StockType) VALUES('A-1', 'ボールペン', 1), ('N-1', "
             "'送料', 0)");
        Exec("DELETE FROM Util");
    }
    QString Row(const QString& condition = {})
    {
        CCDSData request;
        request.m_strCondition =
            QStringLiteral("SELECT No || '|' || Date || '|' || ItemCode || '|' || ItemName || '|' "
                           "|| Type || '|' || InNumber || '|' || OutNumber || '|' || Memo "
                           "FROM StockChange ") +
            condition + QStringLiteral(" ORDER BY ID");
        CCDSData result;
        QString err;
        EXPECT_EQ(m_data.GetDataList(request, result, err), 1) << err.toStdString();
        QStringList rows;
        for (int i = 0; i < result.GetCount(); ++i)
            rows << result.GetAt(i)->GetAt(0)->GetText();
        return rows.join(u',');
    }
    void Fill(CStockChangeRules& r, const QString& code, const QString& quantity, int type)
    {
        r.m_date = QDate(2024, 4, 10);
        r.m_strCode = code;
        r.m_strQuantity = quantity;
        r.m_nType = type;
        r.m_strMemo = QStringLiteral("棚卸");
    }
};

TEST_F(StockChangeDb, ValidationOrderAndCarryForwardDate)
{
    struct Case {
        QString carried, code, quantity;
        int type;
        CStockChangeRules::Field field;
        QString text;
    } cases[] = {
        {"2024-04-10", "A-1", "5", 1, CStockChangeRules::kDate, "繰越日より前のデータは登録できません。"},
        {"2024-04-09", "", "5", 1, CStockChangeRules::kCode, "品番を入力してください"},
        {"", "A-1", "", 1, CStockChangeRules::kQuantity, "個数を入力してください"},
        {"", "A-1", "5", -1, CStockChangeRules::kType, "種類を入力してください"},
        {"", "ZZ", "5", 1, CStockChangeRules::kCode, "入力された品番のデータは見つかりません。"},
        // A quantity is a number other than 0, never read as 0 in silence.
        {"", "A-1", "-", 1, CStockChangeRules::kQuantity, "不正な数値が入力されています。"},
        {"", "A-1", ".", 1, CStockChangeRules::kQuantity, "不正な数値が入力されています。"},
        {"", "A-1", "1.2.3", 1, CStockChangeRules::kQuantity, "不正な数値が入力されています。"},
        {"", "A-1", "0", 1, CStockChangeRules::kQuantity, "数量に0は入力できません。"},
        {"2024-04-09", "A-1", "5", 1, CStockChangeRules::kNone, ""},
    };
    for (const Case& c : cases) {
        m_ui.Prompt().Clear();
        Exec("DELETE FROM Util");
        if (!c.carried.isEmpty())
            Exec(QStringLiteral("INSERT INTO Util(StartDate) VALUES('%1')").arg(c.carried));
        CStockChangeRules r(m_data, 0);
        Fill(r, c.code, c.quantity, c.type);
        EXPECT_EQ(r.ValidateAndSave(), c.field) << c.text.toStdString();
        EXPECT_EQ(Texts(), c.text.isEmpty() ? QStringList() : QStringList{c.text});
        // Leaving the field checks the quantity alone, with the same words.
        if (c.field == CStockChangeRules::kQuantity && !c.quantity.isEmpty()) {
            m_ui.Prompt().Clear();
            EXPECT_EQ(r.CheckQuantity(), CStockChangeRules::kQuantity);
            EXPECT_EQ(Texts(), QStringList{c.text});
        }
    }
    EXPECT_EQ(Count("StockChange"), 1);
}

TEST_F(StockChangeDb, DirectionFieldsAndTheCounter)
{
    CStockChangeRules r(m_data, 0);
    r.Init();
    const int first = r.m_strNo.toInt();
    r.m_strCode = "A-1";
    EXPECT_EQ(r.LookupItem(), CStockChangeRules::kNone);
    EXPECT_EQ(r.m_strName, QStringLiteral("ボールペン"));
    Fill(r, "A-1", "12.5", CStockChangeRules::kIn);
    m_ui.Prompt().QueueAnswers({IDOK});
    EXPECT_EQ(r.OnOK(), CStockChangeRules::kNext);
    EXPECT_EQ(Texts(), QStringList{"登録してもよろしいですか？"});
    EXPECT_TRUE(r.m_strCode.isEmpty() && r.m_strQuantity.isEmpty() && r.m_strName.isEmpty());
    EXPECT_EQ(r.m_nType, CStockChangeRules::kIn);
    EXPECT_EQ(r.m_strNo.toInt(), first + 1);

    // Saving through the close question also moves the counter on.
    Fill(r, "A-1", "3", CStockChangeRules::kOut);
    m_ui.Prompt().QueueAnswers({IDYES});
    EXPECT_EQ(r.OnCancel(), CStockChangeRules::kCloseOk);
    CStockChangeRules next(m_data, 0);
    next.Init();
    EXPECT_EQ(next.m_strNo.toInt(), first + 2);
    const QString n1 = QString::number(first).rightJustified(6, u'0');
    const QString n2 = QString::number(first + 1).rightJustified(6, u'0');
    EXPECT_EQ(Row(),
              n1 + "|2024-04-10|A-1|ボールペン|1|125000|0|棚卸," + n2 + "|2024-04-10|A-1||0|0|30000|棚卸");

    // A change turning the direction round zeroes the other field.
    CStockChangeRules change(m_data, 2);
    change.m_nID = 1;
    change.m_strNo = n1;
    change.m_strName = "ボールペン";
    Fill(change, "A-1", "7", CStockChangeRules::kOut);
    m_ui.Prompt().QueueAnswers({IDOK});
    EXPECT_EQ(change.OnOK(), CStockChangeRules::kCloseOk);
    EXPECT_EQ(Row("WHERE ID=1"), n1 + "|2024-04-10|A-1|ボールペン|0|0|70000|棚卸");
    EXPECT_EQ(Texts().last(), "修正してもよろしいですか？");
}

TEST_F(StockChangeDb, ProductWithoutStockKeepingAndTheCloseQuestion)
{
    CStockChangeRules r(m_data, 0);
    r.m_strCode = "N-1";
    r.m_strName = "前の名前";
    EXPECT_EQ(r.LookupItem(), CStockChangeRules::kCode);
    EXPECT_EQ(Texts(), QStringList{"在庫管理しない商品なので入出庫調整はできません。"});
    EXPECT_TRUE(r.m_strName.isEmpty());
    EXPECT_EQ(r.m_strCode, "N-1");
    Fill(r, "N-1", "1", CStockChangeRules::kOut);
    EXPECT_EQ(r.ValidateAndSave(), CStockChangeRules::kNone); // still accepted
    r.m_strCode = "ZZ";
    m_ui.Prompt().Clear();
    EXPECT_EQ(r.LookupItem(), CStockChangeRules::kCode);
    EXPECT_EQ(Texts(), QStringList{"入力された品番のデータは見つかりません。"});
    // とじる: Cancel stays, No closes, nothing entered closes without asking.
    m_ui.Prompt().QueueAnswers({IDCANCEL, IDNO});
    EXPECT_EQ(r.OnCancel(), CStockChangeRules::kStay);
    EXPECT_EQ(r.OnCancel(), CStockChangeRules::kCloseCancel);
    r.m_strQuantity.clear();
    EXPECT_EQ(r.OnCancel(), CStockChangeRules::kCloseCancel);
    EXPECT_EQ(Count("StockChange"), 1);
}

TEST_F(StockChangeDb, DialogSavesAMovement)
{
    CStockChangeDlg dialog(0, m_data);
    dialog.Rules().Init();
    dialog.ShowValues();
    EXPECT_EQ(dialog.size(), QSize(CStockChangeDlg::kWidth, CStockChangeDlg::kHeight));
    dialog.OnCodeChosen(1, "A-1"); // a partner's answer is not for this dialog
    EXPECT_TRUE(dialog.CodeEdit()->text().isEmpty());
    CScriptedCodeList list;
    list.m_strCode = "A-1";
    dialog.OnReference();
    EXPECT_EQ(list.m_switches, QStringList{" /G"});
    EXPECT_EQ(dialog.NameEdit()->text(), QStringLiteral("ボールペン"));
    dialog.TypeCombo()->setCurrentIndex(1);
    // Leaving the quantity checks it; the window losing the focus does not.
    dialog.QuantityEdit()->setText("0");
    m_ui.Prompt().Clear();
    QFocusEvent tabbed(QEvent::FocusOut, Qt::TabFocusReason),
        away(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
    QCoreApplication::sendEvent(dialog.QuantityEdit(), &away);
    EXPECT_TRUE(Texts().isEmpty());
    QCoreApplication::sendEvent(dialog.QuantityEdit(), &tabbed);
    EXPECT_EQ(Texts(), QStringList{"数量に0は入力できません。"});
    dialog.QuantityEdit()->setText("4");
    m_ui.Prompt().QueueAnswers({IDOK});
    dialog.accept();
    EXPECT_EQ(Count("StockChange", "WHERE ItemCode='A-1' AND Type=1 AND InNumber=40000 AND OutNumber=0"), 1);
    EXPECT_TRUE(dialog.CodeEdit()->text().isEmpty());
}

} // namespace
