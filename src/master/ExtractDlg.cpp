#include "master/ExtractDlg.h"

#include "app/MainFrame.h"
#include "platform/ui/Ime.h"
#include "platform/ui/Prompt.h"
#include "settings/dlg/DlgHelpers.h"
#include "settings/dlg/RenameDlg.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace
{

constexpr int kMaxNameBytes = 100;

ExtractDialogRunner& Runner()
{
    static ExtractDialogRunner runner;
    return runner;
}

} // namespace

CExtractDlg::CExtractDlg(EMasterKind target, CMainFrame& frame, QWidget* parent)
    : QDialog(parent), m_host(frame),
      m_rules(target, m_host, [this](const QString& caption, const QString& prompt, QString& name) {
          CRenameDlg dialog(this);
          dialog.SetCaption(caption);
          dialog.SetMessage(prompt);
          dialog.m_strName = name;
          dialog.m_nMaxLength = kMaxNameBytes;
          if (dialog.exec() != QDialog::Accepted)
              return false;
          name = dialog.m_strName;
          return true;
      })
{
    setWindowTitle(QStringLiteral("抽出"));
    auto* grid = new QGridLayout;
    const char16_t* const headings[] = {u"項目：", u"条件：", u"比較式：", u"つなぎ："};
    for (int i = 0; i < 4; ++i)
        grid->addWidget(new QLabel(QString::fromUtf16(headings[i]), this), 0, i + 1);
    for (int r = 0; r < 3; ++r) {
        CRowControls& row = m_rows[size_t(r)];
        grid->addWidget(new QLabel(QString(QChar(u'A' + r)), this), r + 1, 0);
        row.field = new QComboBox(this);
        row.field->setMinimumWidth(150);
        row.editable = new QComboBox(this);
        row.editable->setEditable(true);
        row.editable->setInsertPolicy(QComboBox::NoInsert);
        row.editable->setCompleter(nullptr);
        row.editable->setMinimumWidth(180);
        row.list = new QComboBox(this);
        row.list->setMinimumWidth(180);
        row.op = new QComboBox(this);
        row.op->setMinimumWidth(120);
        grid->addWidget(row.field, r + 1, 1);
        grid->addWidget(row.editable, r + 1, 2);
        grid->addWidget(row.list, r + 1, 2);
        grid->addWidget(row.op, r + 1, 3);
        if (r < 2) {
            row.connector = new QComboBox(this);
            row.connector->addItems(
                {QStringLiteral("かつ"), QStringLiteral("または"), QStringLiteral("おわり")});
            grid->addWidget(row.connector, r + 1, 4);
        }
        connect(row.field, &QComboBox::activated, this, [this, r](int index) {
            m_rules.SetField(r, index);
            ShowRow(r);
        });
        connect(row.editable, &QComboBox::editTextChanged, this, [this, r](const QString& text) {
            if (!m_bShowing)
                m_rules.SetValueText(r, text);
        });
        connect(row.list, &QComboBox::activated, this,
                [this, r](int index) { m_rules.SelectValue(r, index); });
        connect(row.op, &QComboBox::activated, this,
                [this, r](int index) { m_rules.SelectOperator(r, index); });
        if (row.connector) {
            connect(row.connector, &QComboBox::activated, this, [this, r](int index) {
                m_rules.SelectConnector(r, index);
                ShowRows();
            });
        }
    }

    m_pSaved = new QListWidget(this);
    m_pSaved->setMinimumHeight(110);
    QPushButton* save = MakeButton(QStringLiteral("この抽出条件を保存する..."), this);
    m_pRename = MakeButton(QStringLiteral("名前の変更..."), this);
    m_pDelete = MakeButton(QStringLiteral("条件を削除"), this);
    m_pRelease = MakeButton(QStringLiteral("抽出解除"), this);
    auto* run = new QPushButton(QStringLiteral("抽出実行"), this);
    run->setDefault(true);
    QPushButton* cancel = MakeButton(QStringLiteral("ｷｬﾝｾﾙ"), this);
    QPushButton* help = MakeHelpButton(1620, this);

    connect(m_pSaved, &QListWidget::currentRowChanged, this, [this](int row) {
        if (m_bShowing)
            return;
        m_rules.SelectSaved(row);
        ShowRows();
        UpdateButtons();
    });
    connect(save, &QPushButton::clicked, this, [this] {
        m_rules.OnSave();
        ShowSavedList();
        FocusRefused();
    });
    connect(m_pRename, &QPushButton::clicked, this, [this] {
        if (m_rules.OnRename())
            ShowSavedList();
        FocusRefused();
    });
    connect(m_pDelete, &QPushButton::clicked, this, [this] {
        if (m_rules.OnDelete())
            ShowSavedList();
        FocusRefused();
    });
    connect(m_pRelease, &QPushButton::clicked, this, &CExtractDlg::OnRelease);
    connect(run, &QPushButton::clicked, this, &CExtractDlg::accept);
    connect(cancel, &QPushButton::clicked, this, &CExtractDlg::reject);

    auto* savedButtons = new QVBoxLayout;
    savedButtons->addWidget(save);
    savedButtons->addWidget(m_pRename);
    savedButtons->addWidget(m_pDelete);
    savedButtons->addStretch(1);
    auto* saved = new QHBoxLayout;
    saved->addWidget(m_pSaved, 1);
    saved->addLayout(savedButtons);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_pRelease);
    buttons->addStretch(1);
    buttons->addWidget(run);
    buttons->addWidget(cancel);
    buttons->addWidget(help);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(new QLabel(QStringLiteral("※ （A B） Cの優先順です。"), this));
    layout->addWidget(new QLabel(
        QStringLiteral(
            "※ 項目が日付の場合、yyyy/mm/ddと入力してください。\n (例：2004/07/18) 時刻は無視します。"),
        this));
    layout->addWidget(new QLabel(QStringLiteral("保存済み抽出条件"), this));
    layout->addLayout(saved);
    layout->addWidget(new QLabel(
        QStringLiteral(
            "※新しい条件を指定するか、保存済み条件から選択して、【抽出実行】ボタンをクリックしてください。"),
        this));
    layout->addLayout(buttons);
}

int CExtractDlg::DoModal()
{
    return exec() == QDialog::Accepted ? IDOK : IDCANCEL;
}

void CExtractDlg::showEvent(QShowEvent* event)
{
    if (!m_bInitDone)
        OnInitDialog();
    QDialog::showEvent(event);
}

void CExtractDlg::OnInitDialog()
{
    m_bInitDone = true;
    setWindowTitle(m_rules.GetCaption());
    m_rules.Init();
    QStringList captions;
    for (const CQXCol& column : m_rules.Builder().GetFields())
        captions << column.m_strCaption;
    for (CRowControls& row : m_rows) {
        const QSignalBlocker block(row.field);
        row.field->clear();
        row.field->addItems(captions);
    }
    ShowRows();
    ShowSavedList();
}

void CExtractDlg::ShowRow(int r)
{
    m_bShowing = true;
    const CExtractRow& rule = m_rules.Row(r);
    CRowControls& row = m_rows[size_t(r)];
    const QString field = rule.field < 0 ? QString() : m_rules.Builder().GetFields()[rule.field].m_strField;
    const bool list = !field.isEmpty() && IsExtractListField(field);
    row.field->setCurrentIndex(rule.field);
    for (QComboBox* box : {row.editable, row.list}) {
        const QSignalBlocker block(box);
        box->clear();
        for (const CExtractValue& value : rule.values)
            box->addItem(value.text);
    }
    row.list->setCurrentIndex(rule.valueItem);
    row.editable->setCurrentIndex(-1);
    row.editable->setEditText(rule.value);
    row.editable->setVisible(!list);
    row.list->setVisible(list);
    SetImeMode(row.editable, field.isEmpty() ? ImeField::Text : GetExtractImeField(field));
    {
        const QSignalBlocker block(row.op);
        row.op->clear();
        for (const CExtractOperator& op : rule.operators)
            row.op->addItem(op.text);
        row.op->setCurrentIndex(rule.op);
    }
    if (row.connector)
        row.connector->setCurrentIndex(rule.connector);
    const bool enabled = m_rules.IsRowEnabled(r);
    for (QWidget* w : {static_cast<QWidget*>(row.field), static_cast<QWidget*>(row.editable),
                       static_cast<QWidget*>(row.list), static_cast<QWidget*>(row.op)})
        w->setEnabled(enabled);
    if (row.connector)
        row.connector->setEnabled(enabled);
    m_bShowing = false;
}

void CExtractDlg::ShowRows()
{
    for (int r = 0; r < 3; ++r)
        ShowRow(r);
}

void CExtractDlg::ShowSavedList()
{
    m_bShowing = true;
    m_pSaved->clear();
    m_pSaved->addItems(m_rules.GetSavedNames());
    m_pSaved->setCurrentRow(m_rules.GetSavedSelection());
    m_bShowing = false;
    UpdateButtons();
}

void CExtractDlg::UpdateButtons()
{
    m_pRename->setEnabled(m_rules.CanRenameOrDelete());
    m_pDelete->setEnabled(m_rules.CanRenameOrDelete());
    m_pRelease->setEnabled(m_rules.CanRelease());
}

void CExtractDlg::FocusRefused()
{
    const int r = m_rules.GetFocusRow();
    switch (m_rules.GetFocus()) {
    case CExtractRules::kFocusList:
        m_pSaved->setFocus();
        break;
    case CExtractRules::kFocusField:
        m_rows[size_t(r)].field->setFocus();
        break;
    case CExtractRules::kFocusValue:
        (m_rows[size_t(r)].list->isVisible() ? m_rows[size_t(r)].list : m_rows[size_t(r)].editable)
            ->setFocus();
        break;
    case CExtractRules::kFocusOperator:
        m_rows[size_t(r)].op->setFocus();
        break;
    case CExtractRules::kFocusNone:
        break;
    }
}

void CExtractDlg::OnRelease()
{
    if (m_rules.OnRelease())
        QDialog::accept();
}

void CExtractDlg::accept()
{
    if (m_rules.OnRun()) {
        QDialog::accept();
        return;
    }
    FocusRefused();
}

int RunExtractDialog(EMasterKind target, CMainFrame& frame, QWidget* parent)
{
    if (Runner())
        return Runner()(target, frame);
    CExtractDlg dialog(target, frame, parent);
    return dialog.DoModal();
}

ExtractDialogRunner SetExtractDialogRunner(ExtractDialogRunner runner)
{
    ExtractDialogRunner old = std::move(Runner());
    Runner() = std::move(runner);
    return old;
}
