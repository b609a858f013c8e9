#pragma once

#include "platform/ui/PrintJob.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class COneRecord;
class IPrintCanvas;
struct CMasterKind;
class QPageSize;
class QPrinter;
struct CPrintRect;

// The printed directories of the master lists: "商品台帳", "得意先名簿" and
// "仕入先名簿" on A4 portrait, a fixed header and equally tall record blocks
// per page. All lengths are in 0.1 mm from the sheet's edge.

// The record lines of one block. A line that shows a single captioned field
// is a null text when the record has no such field (nothing is drawn there);
// every other line is always drawn.
namespace MasterPrintText
{
// The display text of the field of that exact name, without line breaks;
// empty when the record has none.
QString FieldText(const COneRecord& record, const QString& name);
// The collection day after the cycle's word: "10日", "月末".
QString CollectionDayText(const QString& cycle, const QString& day);
// Captions: the titles of "Class1".."Class5" of the kind's ledger.
QStringList ItemLines(const COneRecord& record, const QStringList& captions);
QStringList CustomerLines(const COneRecord& record, int variant, const QStringList& captions);
QStringList SupplierLines(const COneRecord& record, int variant, const QStringList& captions);
} // namespace MasterPrintText

// Records per page of a ledger and print variant (0 detailed, 1 address
// items only; products have only the first).
int GetRecordsPerPage(const CMasterKind& kind, int variant);
// Record lines per block (12, 16 or 4).
int GetLinesPerBlock(const CMasterKind& kind, int variant);

// Sets the program's printer to a paper (9 A4) and orientation (1 portrait,
// 2 landscape) when the printer offers that paper; otherwise it stays as the
// user set it. False, with "プリンタドライバが見つかりません。処理を中止します\n",
// when the printer cannot be set up.
bool SetDefaultPaper(int paper, int orientation);
// The rule on a given printer and its supported sizes: true when applied.
bool ApplyPaper(QPrinter& printer, const QList<QPageSize>& supported, int paper, int orientation);

// One directory print job. The records are copies taken when the job is
// prepared, so a reload of the list during a preview cannot pull them away.
class CMasterPrintDoc : public IPrintDocument
{
  public:
    using Records = QList<std::shared_ptr<const COneRecord>>;
    // Copies of the records of the rows selected now, in row order.
    using Selection = std::function<Records()>;

    CMasterPrintDoc(const CMasterKind& kind, int variant, Selection selection);

    bool OnPreparePrinting(CPrintInfo& info) override;
    void OnBeginPrinting(IPrintCanvas& canvas, CPrintInfo& info) override;
    void OnPrint(IPrintCanvas& canvas, CPrintInfo& info) override;
    void OnEndPrinting(IPrintCanvas& canvas, CPrintInfo& info) override;

    int GetRecordsPerPage() const { return ::GetRecordsPerPage(m_kind, m_printVariant); }
    void PrintPage(IPrintCanvas& canvas, int page);
    // 0 for a null record; 1 otherwise.
    int PrintRecordBlock(IPrintCanvas& canvas, const COneRecord* record, const CPrintRect& rect);
    int PrintItemBlock(IPrintCanvas& canvas, const COneRecord* record, const CPrintRect& rect);
    int PrintCustomerBlock(IPrintCanvas& canvas, const COneRecord* record, const CPrintRect& rect);
    int PrintSupplierBlock(IPrintCanvas& canvas, const COneRecord* record, const CPrintRect& rect);

    const Records& PrintRecords() const { return m_printRecords; }
    // Tests and tools print without touching the program's printer.
    void SetPaperRule(std::function<bool()> rule) { m_paperRule = std::move(rule); }

  private:
    void DrawLines(IPrintCanvas& canvas, const QStringList& lines, const CPrintRect& rect);

    const CMasterKind& m_kind;
    int m_printVariant;
    Selection m_selection;
    Records m_printRecords;
    std::function<bool()> m_paperRule;
    QStringList m_captions; // classification titles, read per job
    QString m_strCompany;   // own company name, read per job
};

// The questions before a directory print: the selection, the confirmation
// and (customers, suppliers) the choice of detailed or address items.
// True to print, with `variant` set.
bool AskListPrint(const CMasterKind& kind, int selectedCount, int& variant);
