#include "settings/dlg/BunruiComboBox.h"
#include "settings/dlg/ComboDataBox.h"

#include "settings/dlg/DlgHelpers.h"

#include <QFocusEvent>
#include <QLineEdit>
#include <QSignalBlocker>

namespace
{

// The list shows exactly what the file holds: Enter adds nothing of its own
// and no completion changes what was typed, since a name differing only in
// case or width is a name of its own.
void MakeLearningBox(QComboBox* box)
{
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    box->setCompleter(nullptr);
}

// Opening the drop-down list takes the focus only for a moment; the box
// learns when the user leaves it.
bool LeavesBox(const QFocusEvent* event)
{
    return event->reason() != Qt::PopupFocusReason;
}

void ShowItems(QComboBox* box, const QStringList& items, int maxBytes)
{
    const QString text = box->currentText();
    box->clear();
    box->addItems(items);
    LimitTextBytes(box->lineEdit(), maxBytes);
    box->setEditText(text);
}

// Adds the learned entry while the box keeps the text as typed: the entry is
// in the file's form ("¥" comes back as a backslash), and as the first entry
// of an empty list it would become the current one and replace the text.
void AddLearned(QComboBox* box, const QString& learned)
{
    const QSignalBlocker quiet(box);
    const QString typed = box->currentText();
    box->addItem(learned);
    if (box->currentText() != typed)
        box->setEditText(typed);
}

} // namespace

CBunruiComboBox::CBunruiComboBox(QWidget* parent) : QComboBox(parent)
{
    MakeLearningBox(this);
}

int CBunruiComboBox::Fill(int ledger, int index)
{
    const int result = m_model.Fill(ledger, index);
    ShowItems(this, m_model.GetItems(), result ? m_model.GetTextLimit() : -1);
    return result;
}

void CBunruiComboBox::focusOutEvent(QFocusEvent* event)
{
    if (LeavesBox(event) && m_model.Learn(currentText()))
        AddLearned(this, m_model.GetItems().last());
    QComboBox::focusOutEvent(event);
}

CComboDataBox::CComboDataBox(QWidget* parent) : QComboBox(parent)
{
    MakeLearningBox(this);
}

int CComboDataBox::Fill(int kind, int learn)
{
    const int result = m_model.Fill(kind, learn);
    ShowItems(this, m_model.GetItems(), result ? m_model.GetTextLimit() : -1);
    return result;
}

void CComboDataBox::focusOutEvent(QFocusEvent* event)
{
    if (LeavesBox(event) && m_model.Learn(currentText()))
        AddLearned(this, m_model.GetItems().last());
    QComboBox::focusOutEvent(event);
}
