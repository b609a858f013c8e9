#pragma once

#include <QDate>
#include <QString>

// The conditions of a slip extraction. Every member has its own initializer,
// so a designated list names only the conditions it sets.
struct CSlipConditions {
    QString number{};                     // slip number, exact
    QDate from{}, to{};                   // null: no bound; both days included
    bool ordered = false;                 // date mode 指定する: order by date
    bool descending = false;              // newest first
    QString partnerCode{};                // exact
    QString company{}, section{}, name{}; // contained
    int status = -1;                      // combo index, -1 none
    QString itemCode{};                   // exact, on a line of the slip
    QString itemName{};                   // contained, on a line of the slip
};

// The complete statement listing the slips of a header table that meet
// the conditions: every header field, and for sales and purchase slips the
// TudoFlg of the closing (1 unbilled). Sales and purchase lists hold only
// DenpyoType 0 slips. Item conditions match any line of the slip; each
// slip is listed once. Ordered by date (then ID) in the chosen direction,
// or not at all. Empty for an unknown table.
QString MakeSlipExtractWhere(const QString& header, const CSlipConditions& conditions);

// The status choices of a header table (index 0, 1, 2); empty for any
// other table.
QStringList SlipStatusChoices(const QString& header);
