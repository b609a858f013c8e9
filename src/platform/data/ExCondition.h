#pragma once

#include <QString>
#include <QStringList>

class CArchiveReader;
class CArchiveWriter;

// A master extraction condition: the statement the master list applies and
// the parts of its up to three rows, kept so that the extraction dialog can
// show a saved condition again. The frame owns at most one active
// condition; the extraction dialog keeps named ones in "QXExtract.sys".
class CExCondition
{
  public:
    static constexpr const char kClassName[] = "CExCondition";

    CExCondition() = default;
    virtual ~CExCondition() = default;

    // Kind 2, every text and list empty.
    void Clear();
    void CopyFrom(const CExCondition& other);

    // The fields in declaration order: kind, the reserved list, statement,
    // name and the three rows' parts. Reading raises CArchiveError on
    // damaged bytes.
    void Serialize(CArchiveReader& ar);
    void Serialize(CArchiveWriter& ar) const;

    // Target ledger: 2 products, 3 customers, 4 suppliers.
    qint32 m_nKind = 2;
    // Kept empty; stored like the other lists.
    QStringList m_arrReserved;
    // The whole statement; the master list uses it from its first "WHERE".
    QString m_strSQL;
    // The name it was saved under; empty for an unsaved condition.
    QString m_strName;
    // Per row: column "[T].[F]", the value as entered, the operator
    // fragment and, when another row follows, "AND" or "OR".
    QStringList m_arrA;
    QStringList m_arrB;
    QStringList m_arrC;
};
