#pragma once

#include "platform/data/Mny.h"

#include <QString>
#include <QStringList>

// One column of a report list: the field it shows, its heading, widths and
// how its values are totalled.
class CListColumnInfo
{
  public:
    // Value kinds of a column.
    enum { kText = 1, kDate = 2, kTotalled = 3, kAmountNoTotal = 4, kCoded = 6 };

    CListColumnInfo(const QString& field, const QString& caption, int width, int alignment, int kind,
                    int printWidth = 0, int displayLevel = 0)
        : m_strField(field), m_strCaption(caption), m_nWidth(width), m_nAlignment(alignment), m_nKind(kind),
          m_nPrintWidth(printWidth), m_nDisplayLevel(displayLevel)
    {
    }

    bool IsAmount() const { return m_nKind == kTotalled || m_nKind == kAmountNoTotal; }
    // Columns of level 2 or more are kept for export and printing only.
    bool IsShown() const { return m_nDisplayLevel < 2; }

    QString m_strField;   // bare field name of the row records
    QString m_strCaption; // heading on screen and paper
    int m_nWidth;         // pixels on screen
    int m_nAlignment;     // 0 left, 1 right
    int m_nKind;
    CMny m_GroupTotal; // since the last subtotal row
    CMny m_GrandTotal; // over the whole list
    int m_nPrintWidth; // characters on paper, 0 none given
    int m_nDisplayLevel;
    QStringList m_arrTexts;
};
