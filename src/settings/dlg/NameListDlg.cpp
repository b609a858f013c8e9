#include "settings/dlg/NameListDlg.h"

#include <QLabel>
#include <QVBoxLayout>

namespace
{

QLabel* WrappedLabel(const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setWordWrap(true);
    return label;
}

} // namespace

CNameListDlg::CNameListDlg(int mode, QWidget* parent) : CListEditDlg(parent), m_rules(mode)
{
    setWindowTitle(m_rules.GetCaption());
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(WrappedLabel(m_rules.GetHeader(), this));
    layout->addWidget(WrappedLabel(m_rules.GetNote(), this));
    layout->addWidget(new QLabel(m_rules.GetListLabel(), this));
    layout->addLayout(MakeListRow(QStringLiteral("names")));
    layout->addLayout(MakeOkRow(m_rules.GetHelpTopic()));
    setMinimumWidth(420);

    m_rules.Open();
    ShowList();
}
