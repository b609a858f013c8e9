#pragma once

#include <QDateTime>
#include <QList>
#include <QPair>
#include <QString>

// The exchange with the customer product (Velmira): purchase history
// records filed under a customer code. The product's folder is named by
// the registry stand-in; the history goes to a file of that folder.

// One purchase-history record.
class CQXRireki
{
  public:
    QDateTime m_dtDate;
    QString m_strPerson;
    double m_dTotal = 0;
    QString m_strKind;
    QString m_strMemo;
    QString m_strTitle;
};

// Collects history records and writes them to the customer product.
class CExportRireki
{
  public:
    static constexpr char kRegistryKey[] = "SOFTWARE\\Pellam\\Fennimor\\Velmira";
    static constexpr char kFileName[] = "CorvantaRireki.txt";
    static constexpr char kMagic[] = "CorvantaRireki 1";

    CExportRireki();

    // 1 when the registry names an existing folder of the product, else 0
    // (GetError says why).
    int CheckInstVer();
    // Adds a record for the customer; 1.
    int SetRireki(const QString& partnerCode, const CQXRireki& record);
    // Appends the collected records to the product's history file (the
    // whole file replaced at once): 1 when written, else 0 (GetError).
    int Export();

    const QString& GetFolder() const { return m_strFolder; }
    const QString& GetError() const { return m_strError; }
    int GetCount() const { return int(m_records.size()); }

    // The records of a history file, in file order; false for a file that
    // is not one.
    static bool ReadHistory(const QString& path, QList<QPair<QString, CQXRireki>>& records);

  private:
    QString m_strFolder;
    QString m_strError;
    QList<QPair<QString, CQXRireki>> m_records;
};
