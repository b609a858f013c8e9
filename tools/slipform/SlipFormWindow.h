#pragma once

#include <QMainWindow>

#include <memory>

#include "platform/forms/SlipFormCommand.h"

class CWorkDocument;
class QVBoxLayout;

// The slip-form program's window: what it was asked to open (kind, layout,
// partner, slip), the rows of the work tables a document reads, or the
// slips of a batch print taken from the clipboard. A work-table document
// prints, previews and saves as PDF; a batch print has no form files to
// draw and only lists its slips.
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
    void AddPrintActions(QMenu& file);
    void OnPrint();
    void OnPrintPreview();
    void OnSavePdf();

    CSlipFormCommand m_command;
    std::shared_ptr<CWorkDocument> m_document;
};
