#include "reports/LedgerCreateDlg.h"

#include "app/MainFrame.h"
#include "app/ViewRegistry.h"
#include "platform/data/Record.h"
#include "platform/ui/Clock.h"
#include "platform/ui/CodeListTool.h"
#include "platform/ui/Help.h"
#include "platform/ui/Ime.h"
#include "platform/ui/Modal.h"
#include "platform/ui/Prompt.h"
#include "platform/ui/UiServices.h"
#include "platform/ui/WaitIndicator.h"
#include "reports/RecordFields.h"
#include "reports/ReportCommands.h"
#include "reports/ReportModes.h"
#include "reports/ReportOpen.h"
#include "reports/ReportRequest.h"
#include "resources/CommandIds.h"

#include <QDateEdit>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace
{

// The one-time partner: one full-width blank.
const QString kOneTimeCode = QStringLiteral("\u3000");

// The stock detail of a product (42).
bool IsProductLedger(int mode)
{
    const CReportModeInfo& info = ReportMode(mode);
    return info.ledger && info.ListsProducts();
}

// The text of the ledger's kind: the stock detail of a product (42), a
// supplier ledger (44, 46) or a customer ledger.
QString Pick(int mode, const char* product, const char* supplier, const char* customer)
{
    const CReportModeInfo& info = ReportMode(mode);
    return Q(IsProductLedger(mode) ? product : info.ledger && info.side.IsPurchases() ? supplier : customer);
}

} // namespace

bool CLedgerCreateRules::IsProduct() const
{
    return IsProductLedger(m_nMode);
}

CLedgerCreateRules::CLedgerCreateRules(Lookup lookup) : m_lookup(std::move(lookup))
{
    const QDate today = UiServices::Clock().Today();
    m_from = today;
    m_to = today;
}

QString CLedgerCreateRules::Caption() const
{
    return Pick(m_nMode, "入出庫明細の作成", "仕入先元帳の作成", "得意先元帳の作成");
}

QString CLedgerCreateRules::CodeLabel() const
{
    return Pick(m_nMode, "品番", "仕入先コード", "得意先コード");
}

QString CLedgerCreateRules::Table() const
{
    return Pick(m_nMode, "Item", "Supplier", "Customer");
}

QString CLedgerCreateRules::CodeField() const
{
    return Pick(m_nMode, "ItemCode", "SupplierCode", "CustomerCode");
}

QString CLedgerCreateRules::ToolSwitch() const
{
    return Pick(m_nMode, " /G", " /S", " /C");
}

bool CLedgerCreateRules::LookupCode()
{
    if (m_strCode.isEmpty()) {
        m_bFound = 0;
        return false;
    }
    CCDSData found;
    int result = 0;
    {
        CWaitCursor wait;
        if (m_lookup) {
            result = m_lookup(Table(), CodeField(), m_strCode, found);
        } else if (CMainFrame* frame = CMainFrame::Instance()) {
            result = frame->CheckDuplicateCode(Table(), CodeField(), m_strCode, found);
        } else {
            m_bFound = 0;
            UiServices::Prompt().MessageBox(Q("親ウィンドウが取得できません"));
            return false;
        }
    }
    QString refusal;
    if (result != 1)
        refusal = Q("検索に失敗しました。");
    else if (found.GetCount() == 0)
        refusal = Q("入力されたコードのデータは見つかりません。");
    if (!refusal.isEmpty()) {
        UiServices::Prompt().MessageBox(refusal);
        m_strName.clear();
        m_bFound = 0;
        return false;
    }
    const COneRecord* record = found.GetAt(0);
    if (IsProduct())
        m_strName = TextOf(record, "ItemName");
    else if (m_strCode == kOneTimeCode)
        m_strName = Q("諸口");
    else
        m_strName = QString(TextOf(record, "Company") + u' ' + TextOf(record, "Section") + u' ' +
                            TextOf(record, "Name"))
                        .trimmed();
    m_bFound = 1;
    return true;
}

void CLedgerCreateRules::SetOneTime()
{
    m_strCode = kOneTimeCode;
    m_strName = Q("諸口");
}

bool CLedgerCreateRules::TakeToolAnswer(int wParam, const QString& code)
{
    if (wParam < 0 || wParam > 2 || code.isEmpty())
        return false;
    m_strCode = code;
    return true;
}

bool CLedgerCreateRules::OnOK()
{
    if (!m_from.isValid() || !m_to.isValid() || m_from > m_to) {
        UiServices::Prompt().MessageBox(Q("日付の設定が正しくありません。"));
        return false;
    }
    if (m_strCode.isEmpty()) {
        UiServices::Prompt().MessageBox(Q("コードを指定してください。"));
        return false;
    }
    return LookupCode();
}

CLedgerCreateDlg::CLedgerCreateDlg(int mode, QWidget* parent, CLedgerCreateRules::Lookup lookup)
    : QDialog(parent), m_rules(std::move(lookup))
{
    m_rules.m_nMode = mode;
    const QString format = Q("yyyy'年'M'月'd'日'");
    m_pFrom = new QDateEdit(this);
    m_pTo = new QDateEdit(this);
    for (QDateEdit* edit : {m_pFrom, m_pTo}) {
        edit->setDisplayFormat(format);
        edit->setCalendarPopup(true);
        SetImeMode(edit, ImeField::Number);
    }
    m_pCodeLabel = new QLabel(this);
    m_pCode = new QLineEdit(this);
    m_pCode->setMaxLength(100);
    SetImeMode(m_pCode, ImeField::Code);
    m_pCode->installEventFilter(this);
    m_pName = new QLineEdit(this);
    m_pName->setReadOnly(true);
    m_pName->setFocusPolicy(Qt::StrongFocus);

    auto* reference = new QPushButton(Q("取引先参照..."), this);
    reference->setAutoDefault(false);
    connect(reference, &QPushButton::clicked, this, &CLedgerCreateDlg::OnReference);
    auto* oneTime = new QPushButton(Q("諸口"), this);
    oneTime->setAutoDefault(false);
    connect(oneTime, &QPushButton::clicked, this, &CLedgerCreateDlg::OnOneTime);
    auto* help = new QPushButton(Q("？"), this);
    help->setAutoDefault(false);
    connect(help, &QPushButton::clicked, this, [] { ShowHelpTopic(4005); });
    auto* ok = new QPushButton(Q("OK"), this);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &CLedgerCreateDlg::OnOK);
    auto* cancel = new QPushButton(Q("キャンセル"), this);
    cancel->setAutoDefault(false);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel(Q("期間"), this), 0, 0);
    auto* period = new QHBoxLayout;
    period->addWidget(m_pFrom);
    period->addWidget(new QLabel(Q("～"), this));
    period->addWidget(m_pTo);
    grid->addLayout(period, 0, 1, 1, 2);
    grid->addWidget(m_pCodeLabel, 1, 0);
    grid->addWidget(m_pCode, 1, 1);
    grid->addWidget(reference, 1, 2);
    grid->addWidget(new QLabel(Q("名称"), this), 2, 0);
    grid->addWidget(m_pName, 2, 1);
    grid->addWidget(oneTime, 2, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(help);
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    grid->addLayout(buttons, 3, 0, 1, 3);
    OnInitDialog();
}

void CLedgerCreateDlg::OnInitDialog()
{
    setWindowTitle(m_rules.Caption());
    m_pCodeLabel->setText(m_rules.CodeLabel());
    ShowValues();
}

void CLedgerCreateDlg::ShowValues()
{
    m_pFrom->setDate(m_rules.m_from.isValid() ? m_rules.m_from : UiServices::Clock().Today());
    m_pTo->setDate(m_rules.m_to.isValid() ? m_rules.m_to : UiServices::Clock().Today());
    m_pCode->setText(m_rules.m_strCode);
    m_pName->setText(m_rules.m_strName);
}

void CLedgerCreateDlg::ReadValues()
{
    m_rules.m_from = m_pFrom->date();
    m_rules.m_to = m_pTo->date();
    m_rules.m_strCode = m_pCode->text();
}

void CLedgerCreateDlg::OnReference()
{
    ReadValues();
    CodeListTool().Start(this, m_rules.ToolSwitch(),
                         [this](int wParam, const QString& code) { OnCodeChosen(wParam, code); });
}

void CLedgerCreateDlg::OnCodeChosen(int wParam, const QString& code)
{
    if (!m_rules.TakeToolAnswer(wParam, code))
        return;
    m_pCode->setText(m_rules.m_strCode);
    activateWindow();
    // Looked up at once: the list window had the focus, so no focus change
    // of the code edit would run it. A code not found keeps the focus.
    OnCodeLeft();
    if (m_rules.m_bFound)
        m_pName->setFocus();
}

void CLedgerCreateDlg::OnCodeLeft()
{
    if (m_bLooking)
        return;
    m_bLooking = true;
    ReadValues();
    const bool found = m_rules.LookupCode();
    m_pName->setText(m_rules.m_strName);
    if (!found && !m_rules.m_strCode.isEmpty())
        m_pCode->setFocus();
    m_bLooking = false;
}

void CLedgerCreateDlg::OnOneTime()
{
    m_rules.SetOneTime();
    m_pCode->setText(m_rules.m_strCode);
    m_pName->setText(m_rules.m_strName);
}

void CLedgerCreateDlg::OnOK()
{
    m_bLooking = true;
    ReadValues();
    const bool ok = m_rules.OnOK();
    m_pName->setText(m_rules.m_strName);
    m_bLooking = false;
    if (ok) {
        accept();
        return;
    }
    m_pCode->setFocus();
}

bool CLedgerCreateDlg::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_pCode && event->type() == QEvent::FocusOut && isVisible())
        OnCodeLeft();
    return QDialog::eventFilter(watched, event);
}

bool AskLedgerConditions(CReportRequest& request, int mode, const QDate& from, const QDate& to)
{
    CLedgerCreateDlg dialog(mode);
    CLedgerCreateRules& r = dialog.Rules();
    r.m_from = from;
    r.m_to = to;
    dialog.OnInitDialog();
    if (RunModal(dialog) != QDialog::Accepted)
        return false;
    request.from = r.m_from;
    request.to = r.m_to;
    request.ledgerCode = r.m_strCode;
    request.ledgerName = r.m_strName;
    return true;
}

namespace
{

// Family I: the ledger of one partner, chosen in the dialog over this month.
void OpenLedger(CMainFrame& frame, int kind)
{
    QDate from, to;
    MonthPreset(UiServices::Clock().Today(), from, to);
    CReportRequest request;
    if (AskLedgerConditions(request, kind, from, to))
        OpenReportList(frame, kind, request);
}

} // namespace

void RegisterLedgerCommands(CViewRegistry& registry)
{
    registry.RegisterCommand(ID_CUSTOMER_LEDGER, [](CMainFrame& frame) { OpenLedger(frame, 45); });
    registry.RegisterCommand(ID_SUPPLIER_LEDGER, [](CMainFrame& frame) { OpenLedger(frame, 46); });
}
