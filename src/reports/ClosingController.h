#pragma once

#include "reports/ReportController.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

struct CCloseCandidate;
struct CFormPrintItem;
struct CInvoiceHeader;
class COneRecord;
struct CTradeSide;

// The closing candidates (8, 9) and the billed and paid lists (12, 13):
// closing partners and issuing their invoices or payment statements, undoing
// closings, the settled mark, invoice reprints and address labels.
class CClosingController : public CReportController
{
  public:
    CClosingController(IReportScreen& screen, CReportList& list);
    // Closing and printing, undoing, the closing date, reprints and labels.
    static const std::vector<CFamilyCommand<CClosingController>>& Commands();

    void Load() override;
    // The settled status of the billed and paid lists (12, 13).
    bool OnMarkClick(int row) override;
    // The closing candidates reload keeping the partners chosen.
    bool ReloadAfterDataChange() override;

    // The closing candidates of the frame's closing date.
    void LoadClosingList();
    // Closing (modes 8, 9): closes the selected rows, or all, and offers the
    // invoices; undoes closings (also 12, 13); asks the closing again.
    void OnCloseAndPrint();
    void IssueInvoices(const QList<int>& rows);
    void OnCancelClose();
    void OnChangeClosingDate();
    // The closing candidates loaded and filled again, columns kept.
    void ReloadClosingList();
    // The same after another program's change, keeping the partners
    // selected and the rows closed in this screen.
    void ReloadKeepingChoice();
    // The closings made (modes 12, 13) in the list's period.
    void LoadBilledList(int periodShape);

    // Invoice reprints and address labels (8, 9, 12, 13) go to the slip-form
    // program through the work tables; per-slip invoices through the
    // clipboard batch list, one hand-over per layout. PrintByForm drops the
    // rows it handed over or refused from `rows`.
    void OnReprintInvoices();
    void OnAddressPrint();
    void PrintByForm(QList<int>& rows);
    // The batch element of a row record ("HeaderID", "FileName"); none
    // without a record.
    static std::optional<CFormPrintItem> MakeFormPrintItem(const COneRecord* record);

    // The collection (payment) date of a closing (CClosingService::CollectDate).
    static QDate CalcCollectDate(const QDate& base, int cycle, int day);
    // A closing candidate from its row of the list: the partner, the number
    // reserved for it, its terms and what the row showed.
    static CCloseCandidate CandidateOf(const COneRecord* record, const CTradeSide& side,
                                       const QString& number);
    // The invoice of a closed row: what the row shows, the carried-over
    // amounts only with the carry-over included. A payment statement's
    // receipt is the payment.
    static CInvoiceHeader InvoiceOf(const COneRecord* record, const CTradeSide& side, bool withoutCarry);

  private:
    // The statement the closing candidates were last loaded with: the
    // closing checks each row against it again before booking.
    QString m_strClosingSql;
};
