#include "app/FindDialog.h"

#include "platform/ui/Prompt.h"
#include "platform/ui/UiServices.h"

#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

CFindDialog::CFindDialog(QWidget* owner) : QDialog(owner)
{
    setWindowTitle(QStringLiteral("検索"));
    setModal(false);

    m_pEdit = new QLineEdit(this);
    auto* up = new QRadioButton(QStringLiteral("上へ(&U)"), this);
    m_pDown = new QRadioButton(QStringLiteral("下へ(&D)"), this);
    m_pDown->setChecked(true);
    auto* direction = new QGroupBox(QStringLiteral("検索する方向"), this);
    auto* directionLayout = new QHBoxLayout(direction);
    directionLayout->addWidget(up);
    directionLayout->addWidget(m_pDown);

    auto* findNext = new QPushButton(QStringLiteral("次を検索(&F)"), this);
    findNext->setDefault(true);
    findNext->setEnabled(false);
    auto* cancel = new QPushButton(QStringLiteral("キャンセル"), this);

    auto* row = new QHBoxLayout;
    // The label's mnemonic moves to the edit (Alt+N).
    auto* label = new QLabel(QStringLiteral("検索する文字列(&N):"), this);
    label->setBuddy(m_pEdit);
    row->addWidget(label);
    row->addWidget(m_pEdit);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(findNext);
    buttons->addWidget(cancel);
    buttons->addStretch();
    auto* left = new QVBoxLayout;
    left->addLayout(row);
    left->addWidget(direction);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left);
    layout->addLayout(buttons);

    connect(m_pEdit, &QLineEdit::textChanged, findNext,
            [findNext](const QString& text) { findNext->setEnabled(!text.isEmpty()); });
    connect(findNext, &QPushButton::clicked, this, [this] { Q_EMIT Request(MakeRequest(false)); });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

CFindRequest CFindDialog::MakeRequest(bool terminating) const
{
    CFindRequest request;
    request.findWhat = m_pEdit->text();
    request.searchDown = m_pDown->isChecked();
    request.isTerminating = terminating;
    return request;
}

void CFindDialog::SetFindWhat(const QString& text)
{
    m_pEdit->setText(text);
}

void CFindDialog::SetSearchDown(bool down)
{
    m_pDown->setChecked(down);
}

void CFindDialog::done(int result)
{
    QDialog::done(result);
    // Closing is told once, whether by the button, Esc or the close box.
    if (!m_bTerminated) {
        m_bTerminated = true;
        Q_EMIT Request(MakeRequest(true));
    }
}

int FindNextRow(const CFindRequest& request, const QList<int>& selected,
                const std::function<int(int start)>& find)
{
    int start = -1;
    if (!selected.isEmpty())
        start = selected.first() + (request.searchDown ? 1 : -1);
    else if (request.searchDown)
        start = 0;
    const int row = start < 0 ? -1 : find(start);
    if (row < 0)
        UiServices::Prompt().MessageBox(QStringLiteral("検索が終了しました。\n"), MB_OK, MB_ICONINFORMATION);
    return row;
}
