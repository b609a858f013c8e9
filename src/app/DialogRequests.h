#pragma once

#include "platform/data/Mny.h"

#include <QDate>
#include <QString>

// What a report list hands to a dialog of the slips that it opens through
// the shell's registry (CViewRegistry::RunOpener), and what it reads back.

// A receipt (kind 0) or payment (kind 1): mode 2 changes the stored slip
// m_nHeaderID; mode 1 enters a new one for the scheduled closing
// m_nCloseID, preset with its amount as it is due.
struct CReceiptRequest {
    int m_nKind = 0;
    int m_nMode = 1;
    QString m_strCode;
    QString m_strName;
    int m_nHeaderID = 0;
    // The scheduled closing and the first breakdown row (mode 1).
    int m_nCloseID = 0;
    QDate m_dtCollect;
    QDate m_dtClose;
    CMny m_amount{0};
    QString m_strMyPerson;
    int m_nMethod = -1;
};

// A stock movement: mode 2 changes movement m_nID, mode 1 enters a new one
// for the product. Code and name (and in mode 2 the rest; a null date keeps
// today) preset the dialog; after OK every field holds what was saved.
struct CStockChangeRequest {
    enum Type { kOut = 0, kIn = 1 }; // 出庫, 入庫, as StockChange.Type stores them
    int m_nMode = 1;
    int m_nID = 0;
    QDate m_date;
    QString m_strNo;
    QString m_strCode;
    QString m_strName;
    int m_nType = kOut;
    QString m_strQuantity;
    QString m_strMemo;
};
