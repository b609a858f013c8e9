#include "master/BulkEditDlg.h"

#include "platform/ui/Ime.h"
#include "platform/ui/NumEdit.h"
#include "platform/ui/Prompt.h"
#include "settings/ComboData.h"
#include "settings/dlg/BunruiComboBox.h"
#include "settings/dlg/ComboDataBox.h"
#include "settings/dlg/DlgHelpers.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace
{

// The stored honorific takes at most this many bytes.
constexpr int kKeishoBytes = 10;

void Fill(QComboBox* box, const QList<CBulkEditRules::CItem>& items)
{
    box->clear();
    for (const CBulkEditRules::CItem& item : items)
        box->addItem(item.text);
    box->setCurrentIndex(-1);
}

} // namespace

CBulkEditDlg::CBulkEditDlg(int ledger, QWidget* parent) : QDialog(parent), m_rules(ledger)
{
    setWindowTitle(QStringLiteral("一括修正"));
    m_pFields = new QListWidget(this);
    m_pFields->setMinimumSize(180, 200);
    m_pNumber = new CNumEdit(this);
    m_pList = new QComboBox(this);
    m_pEditable = new QComboBox(this);
    m_pEditable->setEditable(true);
    m_pEditable->setInsertPolicy(QComboBox::NoInsert);
    m_pEditable->setCompleter(nullptr);
    LimitTextBytes(m_pEditable->lineEdit(), kKeishoBytes);
    m_pCycle = new QComboBox(this);
    m_pDay = new QComboBox(this);
    m_pDays = new QLineEdit(this);
    m_pDays->setValidator(new QIntValidator(0, 999, m_pDays));
    m_pDays->setMaxLength(3);
    m_pDaysUnit = new QLabel(QStringLiteral("日"), this);
    m_pStaff = new CComboDataBox(this);
    m_pClass = new CBunruiComboBox(this);
    SetImeMode(m_pNumber, ImeField::Number);
    SetImeMode(m_pDays, ImeField::Number);
    SetImeMode(m_pStaff, ImeField::Text);
    SetImeMode(m_pClass, ImeField::Text);
    SetImeMode(m_pEditable, ImeField::Text);

    // Every value control sits in the same place; only the field's shows.
    auto* values = new QGridLayout;
    for (QWidget* w : {static_cast<QWidget*>(m_pNumber), static_cast<QWidget*>(m_pList),
                       static_cast<QWidget*>(m_pEditable), static_cast<QWidget*>(m_pCycle),
                       static_cast<QWidget*>(m_pStaff), static_cast<QWidget*>(m_pClass)})
        values->addWidget(w, 0, 0, 1, 2);
    values->addWidget(m_pDay, 1, 0, 1, 2);
    values->addWidget(m_pDays, 1, 0);
    values->addWidget(m_pDaysUnit, 1, 1);
    values->setRowStretch(2, 1);
    values->setColumnMinimumWidth(0, 200);

    auto* left = new QVBoxLayout;
    left->addWidget(new QLabel(QStringLiteral("修正する項目を選択"), this));
    left->addWidget(m_pFields);
    auto* right = new QVBoxLayout;
    right->addWidget(new QLabel(QStringLiteral("修正後の値を設定"), this));
    right->addLayout(values);
    auto* body = new QHBoxLayout;
    body->addLayout(left);
    body->addWidget(new QLabel(QStringLiteral(" → "), this));
    body->addLayout(right);

    auto* ok = new QPushButton(QStringLiteral("一括修正"), this);
    ok->setDefault(true);
    QPushButton* cancel = MakeButton(QStringLiteral("ｷｬﾝｾﾙ"), this);
    QPushButton* help = MakeHelpButton(1605, this);
    connect(ok, &QPushButton::clicked, this, &CBulkEditDlg::accept);
    connect(cancel, &QPushButton::clicked, this, &CBulkEditDlg::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    buttons->addWidget(help);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(body);
    layout->addLayout(buttons);

    connect(m_pFields, &QListWidget::currentRowChanged, this, &CBulkEditDlg::OnFieldChanged);
    connect(m_pCycle, &QComboBox::currentIndexChanged, this, &CBulkEditDlg::OnCycleChanged);
}

int CBulkEditDlg::DoModal()
{
    return exec() == QDialog::Accepted ? IDOK : IDCANCEL;
}

void CBulkEditDlg::showEvent(QShowEvent* event)
{
    if (!m_bInitDone)
        OnInitDialog();
    QDialog::showEvent(event);
}

void CBulkEditDlg::OnInitDialog()
{
    m_bInitDone = true;
    setWindowTitle(m_rules.GetCaption());
    m_rules.Init();
    {
        const QSignalBlocker block(m_pFields);
        m_pFields->clear();
        m_pFields->addItems(m_rules.GetFieldCaptions());
    }
    m_pFields->setCurrentRow(0);
    ShowValueControls();
}

void CBulkEditDlg::OnFieldChanged(int row)
{
    m_rules.SelectField(row);
    ShowValueControls();
}

void CBulkEditDlg::OnCycleChanged(int index)
{
    m_rules.SelectCycle(index);
    const bool days = m_rules.ShowsDaysEdit();
    const bool cycle = m_rules.GetValueControl() == CBulkEditRules::kCycle;
    m_pDays->setVisible(cycle && days);
    m_pDays->setEnabled(cycle && days);
    m_pDaysUnit->setVisible(cycle && days);
    m_pDay->setVisible(cycle && !days);
    m_pDay->setEnabled(cycle && !days);
}

void CBulkEditDlg::ShowValueControls()
{
    const CBulkEditRules::ValueControl control = m_rules.GetValueControl();
    m_pNumber->clear();
    m_pDays->clear();
    Fill(m_pList, {});
    Fill(m_pEditable, {});
    m_pStaff->clear();
    m_pClass->clear();
    {
        const QSignalBlocker block(m_pCycle);
        Fill(m_pCycle, control == CBulkEditRules::kCycle ? CBulkEditRules::CycleItems()
                                                         : QList<CBulkEditRules::CItem>{});
    }
    Fill(m_pDay,
         control == CBulkEditRules::kCycle ? CBulkEditRules::DayItems() : QList<CBulkEditRules::CItem>{});

    m_pNumber->setVisible(control == CBulkEditRules::kNumber);
    m_pList->setVisible(control == CBulkEditRules::kListCombo);
    m_pEditable->setVisible(control == CBulkEditRules::kEditableCombo);
    m_pCycle->setVisible(control == CBulkEditRules::kCycle);
    m_pStaff->setVisible(control == CBulkEditRules::kEntryList);
    m_pClass->setVisible(control == CBulkEditRules::kClassList);
    if (control == CBulkEditRules::kListCombo)
        Fill(m_pList, m_rules.GetValueItems());
    else if (control == CBulkEditRules::kEditableCombo)
        Fill(m_pEditable, m_rules.GetValueItems());
    else if (control == CBulkEditRules::kEntryList)
        m_pStaff->Fill(COMBO_TANTO);
    else if (control == CBulkEditRules::kClassList)
        m_pClass->Fill(m_rules.GetLedger(), m_rules.GetClassIndex());
    if (control == CBulkEditRules::kEntryList || control == CBulkEditRules::kClassList)
        (control == CBulkEditRules::kEntryList ? static_cast<QComboBox*>(m_pStaff) : m_pClass)
            ->setEditText(QString());
    OnCycleChanged(-1);
}

void CBulkEditDlg::TakeInput()
{
    m_rules.m_strNumber = m_pNumber->text();
    m_rules.m_nValueIndex = m_pList->currentIndex();
    m_rules.m_nCycleIndex = m_pCycle->currentIndex();
    m_rules.m_nDayIndex = m_pDay->currentIndex();
    m_rules.m_strDays = m_pDays->text();
    switch (m_rules.GetValueControl()) {
    case CBulkEditRules::kEditableCombo:
        m_rules.m_strText = m_pEditable->currentText();
        break;
    case CBulkEditRules::kEntryList:
        m_rules.m_strText = m_pStaff->currentText();
        break;
    case CBulkEditRules::kClassList:
        m_rules.m_strText = m_pClass->currentText();
        break;
    default:
        m_rules.m_strText.clear();
        break;
    }
}

void CBulkEditDlg::FocusRefused()
{
    QWidget* target = nullptr;
    switch (m_rules.GetFocus()) {
    case CBulkEditRules::kFocusFields:
        target = m_pFields;
        break;
    case CBulkEditRules::kFocusNumber:
        target = m_pNumber;
        m_pNumber->selectAll();
        break;
    case CBulkEditRules::kFocusCycle:
        target = m_pCycle;
        break;
    case CBulkEditRules::kFocusDay:
        target = m_pDay;
        break;
    case CBulkEditRules::kFocusDays:
        target = m_pDays;
        break;
    case CBulkEditRules::kFocusValue:
        switch (m_rules.GetValueControl()) {
        case CBulkEditRules::kEditableCombo:
            target = m_pEditable;
            break;
        case CBulkEditRules::kEntryList:
            target = m_pStaff;
            break;
        case CBulkEditRules::kClassList:
            target = m_pClass;
            break;
        default:
            target = m_pList;
            break;
        }
        break;
    case CBulkEditRules::kFocusNone:
        break;
    }
    if (target)
        target->setFocus();
}

void CBulkEditDlg::accept()
{
    TakeInput();
    if (!m_rules.OnOK()) {
        FocusRefused();
        return;
    }
    QDialog::accept();
}
