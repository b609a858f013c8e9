#include "slips/StockChangeRules.h"

#include "slips/ReceiptRules.h"
#include "slips/SlipList.h"

#include "app/Period.h"
#include "platform/data/MakeMsgID.h"
#include "platform/data/Mny.h"
#include "platform/data/Record.h"
#include "platform/ui/Clock.h"
#include "platform/ui/Prompt.h"
#include "platform/ui/UiServices.h"
#include "platform/ui/WaitIndicator.h"
#include "settings/DocumentNumbers.h"

namespace
{

IPrompt& Ask()
{
    return UiServices::Prompt();
}

} // namespace

CStockChangeRules::CStockChangeRules(CMakeMsgID& data, int mode)
    : m_data(data), m_nMode(mode), m_pNumber(std::make_unique<CDialogNumber>(data, COUNTER_STOCK))
{
    m_date = UiServices::Clock().Today();
}

CStockChangeRules::~CStockChangeRules() = default;

void CStockChangeRules::Init()
{
    if (m_nMode != 2)
        ProposeNumber();
}

void CStockChangeRules::ProposeNumber()
{
    m_strNo = m_pNumber->Propose();
}

CStockChangeRules::Field CStockChangeRules::LookupItem()
{
    if (m_strCode.isEmpty())
        return kNone;
    CCDSData item;
    QString message;
    {
        CWaitCursor wait;
        if (!ReadMasterByCode(m_data, QStringLiteral("Item"), QStringLiteral("ItemCode"), m_strCode, item))
            message = QStringLiteral("指定された品番の商品は登録されていません。");
    }
    if (message.isEmpty() && item.GetCount() == 0)
        message = QStringLiteral("入力された品番のデータは見つかりません。");
    if (message.isEmpty()) {
        int stockType = 1;
        const CTb* f = item.GetAt(0)->GetOneField(QStringLiteral("Item"), QStringLiteral("StockType"));
        if (f && f->GetData(stockType) && stockType == 0)
            message = QStringLiteral("在庫管理しない商品なので入出庫調整はできません。");
    }
    if (!message.isEmpty()) {
        Ask().MessageBox(message);
        m_strName.clear();
        return kCode;
    }
    const CTb* name = item.GetAt(0)->GetOneField(QStringLiteral("Item"), QStringLiteral("ItemName"));
    m_strName = name ? name->GetText() : QString();
    return kNone;
}

CStockChangeRules::Field CStockChangeRules::CheckQuantity(CMny* quantity) const
{
    CMny read;
    if (!ReadMnyText(m_strQuantity, read))
        return kQuantity;
    // A movement of nothing changes no stock: it is a mistyped quantity.
    if (!m_strQuantity.isEmpty() && read.IsZero()) {
        Ask().MessageBox(QStringLiteral("数量に0は入力できません。"), MB_OK, MB_ICONEXCLAMATION);
        return kQuantity;
    }
    if (quantity)
        *quantity = read;
    return kNone;
}

CStockChangeRules::Field CStockChangeRules::ValidateAndSave()
{
    m_lastFailure = kNone;
    auto refuse = [this](const QString& text, Field field) {
        Ask().MessageBox(text);
        m_lastFailure = field;
        return field;
    };
    if (!m_data.IsOpen())
        return refuse(QStringLiteral("親ウィンドウが取得できません"), kStore);
    const QDate carried = GetLastCarryForwardDate(m_data);
    if (carried.isValid() && m_date <= carried)
        return refuse(QStringLiteral("繰越日より前のデータは登録できません。"), kDate);
    if (m_strCode.isEmpty())
        return refuse(QStringLiteral("品番を入力してください"), kCode);
    if (m_strQuantity.isEmpty())
        return refuse(QStringLiteral("個数を入力してください"), kQuantity);
    CMny quantity;
    if (CheckQuantity(&quantity) != kNone) {
        m_lastFailure = kQuantity;
        return kQuantity;
    }
    if (m_nType != kOut && m_nType != kIn)
        return refuse(QStringLiteral("種類を入力してください"), kType);
    // A movement of a product that no master has would stay in the stock
    // lists without a product.
    CCDSData item;
    if (!ReadMasterByCode(m_data, QStringLiteral("Item"), QStringLiteral("ItemCode"), m_strCode, item)) {
        m_lastFailure = kCode;
        return kCode;
    }
    if (item.GetCount() == 0)
        return refuse(QStringLiteral("入力された品番のデータは見つかりません。"), kCode);
    // A number the books took since it was proposed is not written twice.
    if (m_nMode != 2) {
        const CDocumentNumbers::EResult number = m_pNumber->Confirm(m_strNo);
        if (number == CDocumentNumbers::EResult::NotRead) {
            if (m_pNumber->Numbers().DataResult() == CMakeMsgID::kFatal)
                ShowSlipFatalMessage();
            else
                Ask().MessageBox(m_pNumber->Numbers().DataError());
        }
        if (number == CDocumentNumbers::EResult::NotRead || number == CDocumentNumbers::EResult::Exhausted) {
            m_lastFailure = kStore;
            return kStore;
        }
    }

    CCDSData set;
    set.m_strTable = QStringLiteral("StockChange");
    COneRecord* r = set.AddNew();
    const QString s = QStringLiteral("StockChange.");
    if (m_nMode != 2)
        r->SetField(s + QStringLiteral("ID"), 0);
    r->SetField(s + QStringLiteral("No"), m_strNo);
    r->SetField(s + QStringLiteral("Date"), m_date);
    r->SetField(s + QStringLiteral("ItemCode"), m_strCode);
    r->SetField(s + QStringLiteral("ItemName"), m_strName);
    r->SetField(s + QStringLiteral("Type"), m_nType);
    // The quantity goes into its direction's field; the other one is 0, also
    // when a change turns the direction round.
    r->SetField(s + QStringLiteral("InNumber"), m_nType == kIn ? quantity : CMny(0));
    r->SetField(s + QStringLiteral("OutNumber"), m_nType == kOut ? quantity : CMny(0));
    r->SetField(s + QStringLiteral("Memo"), m_strMemo);
    QString err;
    int rc;
    if (m_nMode == 2) {
        set.m_strCondition = QStringLiteral("WHERE ID=%1").arg(m_nID);
        rc = m_data.UpdateData(set, err);
    } else {
        rc = m_data.InsertData(set, err);
    }
    if (rc == CMakeMsgID::kOk)
        return kNone;
    if (rc == CMakeMsgID::kFatal)
        ShowSlipFatalMessage();
    else if (!err.isEmpty())
        Ask().MessageBox(err);
    m_lastFailure = kStore;
    return kStore;
}

void CStockChangeRules::AfterInsert()
{
    // A new movement used the counter's number: the next one gets the next.
    if (m_nMode != 2)
        m_strNo = m_pNumber->Advance();
}

CStockChangeRules::Outcome CStockChangeRules::OnOK()
{
    const QString verb = m_nMode == 0 ? QStringLiteral("登録") : QStringLiteral("修正");
    if (Ask().MessageBox(verb + QStringLiteral("してもよろしいですか？"), MB_OKCANCEL, MB_ICONQUESTION) !=
        IDOK)
        return kStay;
    if (ValidateAndSave() != kNone)
        return kStay;
    AfterInsert();
    if (m_nMode != 0)
        return kCloseOk;
    m_strCode.clear();
    m_strName.clear();
    m_strMemo.clear();
    m_strQuantity.clear();
    return kNext;
}

CStockChangeRules::Outcome CStockChangeRules::OnCancel()
{
    if (m_strCode.isEmpty() || m_strQuantity.isEmpty())
        return kCloseCancel;
    const int answer =
        Ask().MessageBox(QStringLiteral("登録されていないデータがあります。画面を閉じる前に登録しますか？"),
                         MB_YESNOCANCEL, MB_ICONQUESTION);
    if (answer == IDCANCEL)
        return kStay;
    if (answer == IDNO)
        return kCloseCancel;
    if (ValidateAndSave() != kNone)
        return kStay;
    AfterInsert();
    return kCloseOk;
}
