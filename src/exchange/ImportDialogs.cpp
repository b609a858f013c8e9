#include "exchange/ImportDialogs.h"

#include "platform/ui/Ime.h"
#include "platform/ui/Prompt.h"

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QEvent>
#include <QFontDatabase>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace
{

QDialogButtonBox* Buttons(QDialog* dialog, const QString& okText)
{
    auto* buttons = new QDialogButtonBox(dialog);
    buttons->addButton(okText, QDialogButtonBox::AcceptRole)->setDefault(true);
    buttons->addButton(QStringLiteral("ｷｬﾝｾﾙ"), QDialogButtonBox::RejectRole);
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return buttons;
}

} // namespace

CImportFormatDlg::CImportFormatDlg(const CImportFormatRules& rules, QWidget* parent)
    : QDialog(parent), m_rules(rules)
{
    setWindowTitle(m_rules.GetCaption());
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(m_rules.GetPrompt(), this));
    layout->addSpacing(8);
    m_pChoices = new QButtonGroup(this);
    for (int choice = CImportFormatRules::kAccess; choice <= CImportFormatRules::kContactXml; ++choice) {
        auto* radio = new QRadioButton(CImportFormatRules::ChoiceText(choice), this);
        m_pChoices->addButton(radio, choice);
        radio->setVisible(m_rules.IsChoiceShown(choice));
        radio->setEnabled(m_rules.IsChoiceShown(choice));
        radio->setChecked(choice == m_rules.m_nChoice);
        layout->addWidget(radio);
    }
    layout->addSpacing(8);
    layout->addWidget(Buttons(this, QStringLiteral("次へ")));
}

void CImportFormatDlg::accept()
{
    m_rules.m_nChoice = m_pChoices->checkedId();
    if (m_rules.OnOK())
        QDialog::accept();
}

CTextFormatDlg::CTextFormatDlg(const CTextFormatRules& rules, QWidget* parent)
    : QDialog(parent), m_rules(rules)
{
    setWindowTitle(QStringLiteral("ﾃｷｽﾄﾌｧｲﾙの形式"));
    auto* layout = new QGridLayout(this);
    layout->addWidget(
        new QLabel(QStringLiteral("読み込むファイルで使用している、データの区切り文字を指定してください。"),
                   this),
        0, 0, 1, 3);
    m_pChoices = new QButtonGroup(this);
    const char* texts[] = {"カンマ区切り", "タブ区切り", "スペース区切り", "その他・・・・・＞"};
    for (int choice = 0; choice < 4; ++choice) {
        auto* radio = new QRadioButton(QString::fromUtf8(texts[choice]), this);
        m_pChoices->addButton(radio, choice);
        layout->addWidget(radio, 1 + choice, 0);
    }
    m_pOther = new QLineEdit(this);
    m_pOther->setMaximumWidth(40);
    m_pOther->installEventFilter(this);
    layout->addWidget(m_pOther, 4, 1, Qt::AlignLeft);
    layout->addWidget(new QLabel(QStringLiteral("ﾃﾞｰﾀｲﾒｰｼﾞ"), this), 5, 0, 1, 3);
    m_pPreview = new QPlainTextEdit(this);
    m_pPreview->setReadOnly(true);
    m_pPreview->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_pPreview->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_pPreview->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_pPreview->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_pPreview->setMinimumSize(480, 200);
    layout->addWidget(m_pPreview, 6, 0, 1, 3);
    layout->addWidget(Buttons(this, QStringLiteral("次へ")), 7, 0, 1, 3);

    connect(m_pChoices, &QButtonGroup::idClicked, this, [this](int choice) {
        if (choice == CTextFormatRules::kOther)
            OnOtherDelimiter();
        else
            OnFixedDelimiter(choice);
    });
    connect(m_pOther, &QLineEdit::textEdited, this, &CTextFormatDlg::OnChangeOther);
}

int CTextFormatDlg::exec()
{
    if (!m_rules.OnInitDialog())
        return QDialog::Rejected;
    m_pPreview->setPlainText(m_rules.GetPreview());
    ShowValues();
    return QDialog::exec();
}

bool CTextFormatDlg::eventFilter(QObject* watched, QEvent* event)
{
    // Delimiters are typed with the input method closed.
    if (watched == m_pOther && event->type() == QEvent::FocusIn)
        SetImeMode(false, m_pOther);
    return QDialog::eventFilter(watched, event);
}

void CTextFormatDlg::OnFixedDelimiter(int choice)
{
    m_rules.OnFixedDelimiter(choice);
    ShowValues();
}

void CTextFormatDlg::OnOtherDelimiter()
{
    m_rules.OnOtherDelimiter();
    ShowValues();
    m_pOther->setFocus();
}

void CTextFormatDlg::OnChangeOther(const QString& text)
{
    m_rules.OnChangeOther(text);
    ShowValues();
}

void CTextFormatDlg::ShowValues()
{
    if (QAbstractButton* radio = m_pChoices->button(m_rules.GetChoice()))
        radio->setChecked(true);
    m_pOther->setEnabled(m_rules.IsOtherEnabled());
    if (m_pOther->text() != m_rules.GetOther())
        m_pOther->setText(m_rules.GetOther());
}

CTableSelectDlg::CTableSelectDlg(const CTableSelectRules& rules, QWidget* parent)
    : QDialog(parent), m_rules(rules)
{
    setWindowTitle(QStringLiteral("ﾃｰﾌﾞﾙの選択"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("テーブルを選択してください"), this));
    m_pList = new QListWidget(this);
    layout->addWidget(m_pList);
    layout->addWidget(Buttons(this, QStringLiteral("次へ")));
    if (m_rules.m_pNames)
        m_pList->addItems(*m_rules.m_pNames);
}

void CTableSelectDlg::accept()
{
    m_rules.m_nSelected = m_pList->selectedItems().isEmpty() ? -1 : m_pList->currentRow();
    if (m_rules.OnOK())
        QDialog::accept();
}

CSheetSelectDlg::CSheetSelectDlg(const CSheetSelectRules& rules, QWidget* parent)
    : QDialog(parent), m_rules(rules)
{
    setWindowTitle(QStringLiteral("シートの選択"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("シートを選択してください"), this));
    m_pList = new QListWidget(this);
    layout->addWidget(m_pList);
    layout->addWidget(Buttons(this, QStringLiteral("OK")));

    m_rules.OnInitDialog();
    m_pList->addItems(m_rules.m_names);
    m_pList->setCurrentRow(m_rules.m_nSelected);
}

void CSheetSelectDlg::accept()
{
    m_rules.m_nSelected = m_pList->selectedItems().isEmpty() ? -1 : m_pList->currentRow();
    if (m_rules.OnOK())
        QDialog::accept();
}
