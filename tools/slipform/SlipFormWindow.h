#pragma once

#include <QMainWindow>

#include "platform/forms/SlipFormCommand.h"

class QVBoxLayout;

// The slip-form program's window: what it was asked to open (kind, layout,
// partner, slip), the rows of the work tables a document reads, or the
// slips of a batch print taken from the clipboard.
class CSlipFormWindow : public QMainWindow
{
    Q_OBJECT

  public:
    explicit CSlipFormWindow(const CSlipFormCommand& command, QWidget* parent = nullptr);

  private:
    void AddSummary(QVBoxLayout& layout);
    void AddWorkTables(QVBoxLayout& layout);
    void AddClipboardList(QVBoxLayout& layout);
    void NotifyDataChanged();

    CSlipFormCommand m_command;
};
