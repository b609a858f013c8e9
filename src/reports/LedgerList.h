#pragma once

#include "platform/data/Mny.h"

#include <QString>

class CCDSData;
class CReportList;

// What the fill of a ledger found in its head record.
struct CLedgerHead {
    QString code;
    QString name;
    // "諸口" for the one-time partner, else code and name.
    QString partnerLabel;
    // The carried-over balance or quantity; 0 when the head has none.
    CMny carried = CMny(0);
};

// The rows of a ledger (modes 43-46) or a product's stock detail (42) from
// the library's head and row records, into `list` (mode and columns set):
// the carried-over row, one row per record with its running balance (the
// record's "残高"; stock rows of the partner kinds get the partner as their
// "Memo") and the totals row of the period. The records keep one "残高"
// and one "Memo" however often they are filled.
CLedgerHead FillLedgerRows(CReportList& list, CCDSData& head, CCDSData& rows);
