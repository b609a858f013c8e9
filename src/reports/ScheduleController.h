#pragma once

#include "reports/ReportController.h"

#include <QList>

// The receipt and payment schedules (10, 11) and the receipts and payments
// with their lines (14-17): receipts and payments from the schedules one by
// one or in bulk, the scheduled date, bank-transfer requests (11), the
// receipt or payment dialog on a slip and receipt vouchers (14).
class CScheduleController : public CReportController
{
  public:
    CScheduleController(IReportScreen& screen, CReportList& list);
    // Receipts and payments, the scheduled date, transfer requests and
    // receipt vouchers.
    static const std::vector<CFamilyCommand<CScheduleController>>& Commands();

    void Load() override;

    // The schedule of the frame's closing selection.
    void LoadScheduleList();
    void OnReceiptPaymentDialog();
    void OnBulkReceiptPayment();
    // One receipt or payment per row at its scheduled amount; the rows
    // leave the list and the record set. 1 done, 0 nothing written.
    int CreatePaymentSlips(const QList<int>& rows);
    void OnChangeScheduledDate();
    void OnPrintTransferRequest();
    // Receipt vouchers of the receipts selected, through the work tables.
    void OnPrintReceipt();
};
