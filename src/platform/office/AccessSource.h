#pragma once

#include "platform/office/Workbook.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>
#include <memory>

// One column of an Access table: its position from 1, name and type.
struct CAccessColumn {
    enum Type { kInteger, kFloat, kCurrency, kDate, kText, kBool, kGuid, kBinary };
    int ordinal = 0;
    QString name;
    int type = kText;
};

// A row of typed values by column position; a null QVariant is a null.
// Integers qint64, floats double, currency and decimals their plain decimal
// text, dates QDateTime, yes/no bool, texts and GUIDs QString.
using CAccessRow = QList<QVariant>;

// An Access database opened read-only: its user tables (sorted by name; no
// system tables, queries or links), and one table's columns, primary-key
// columns and rows.
class IAccessSource
{
  public:
    // The step a failure happened in, or why opening failed.
    enum Stage { kOk = 0, kOpen = 1, kSession = 2, kTables = 3, kPassword = 4, kMemory = 5 };

    virtual ~IAccessSource() = default;
    // kOk, or the stage that failed.
    virtual int Open(const QString& path) = 0;
    virtual QStringList Tables() const = 0;
    // False with the step that failed, in words ("列の読み込み", ...).
    virtual bool ReadTable(const QString& table, QList<CAccessColumn>& columns, QStringList& keys,
                           QList<CAccessRow>& rows, QString& step) = 0;
    // What the import says when Open() failed with `stage`: a protected
    // database and a helper stopped at its limits say so, other stages
    // "データベースを開けません<n>".
    virtual QString OpenMessage(int stage) const;

    // The most cells a table's read may hold, as the import's table holds
    // them: rows by (columns + 1), the bound of a sheet's table. A read
    // that passes them fails then and there with the step TooLargeStep().
    void SetMaxCells(qint64 cells) { m_nMaxCells = cells; }
    static QString TooLargeStep();

  protected:
    qint64 m_nMaxCells = CWorkbookLimits::kImportCells;
};

// The source over libmdb, run in the helper process "corvanta-mdb" beside
// the program (or where CORVANTA_MDB_HELPER names it): a file that makes
// libmdb crash, hang (past `timeoutMs`), run on (past `maxBytes` of output)
// or grow (past `memoryBytes` of address space, a limit the helper runs
// under) fails as that stage, never the program. The helper's lines are
// taken as they come, each at most 4 MB, so that what it hands over is
// held only as rows within the cell bound (see SetMaxCells). The table list has a
// deadline of its own, `tablesTimeoutMs` (at most `timeoutMs`): a real
// catalog reads in well under a second, a damaged one can keep libmdb
// walking in circles, and the window waits for it. Open stopped at that
// deadline or at `maxBytes` fails as kOpen, and OpenMessage says which.
std::unique_ptr<IAccessSource> MakeMdbAccessSource(int timeoutMs = 60000, qint64 maxBytes = qint64(64) << 20,
                                                   qint64 memoryBytes = qint64(1) << 30,
                                                   int tablesTimeoutMs = 5000);

// What the import uses; tests install their own (an empty function restores
// the libmdb source).
using AccessSourceFactory = std::function<std::unique_ptr<IAccessSource>()>;
std::unique_ptr<IAccessSource> MakeAccessSource();
AccessSourceFactory SetAccessSourceFactory(AccessSourceFactory factory);

// Sorts rows by the key columns, typed, nulls first; rows with equal keys
// keep their order. Unknown key names are ignored.
void SortAccessRows(const QList<CAccessColumn>& columns, const QStringList& keys, QList<CAccessRow>& rows);

// The import text of a value: integers "%d"; floats "%f" without trailing
// zeros and point (3 -> "3", 0.25 -> "0.25"); currency without grouping or
// trailing zeros ("1234.5"); dates "yyyy/MM/dd" (the date only); yes/no
// "1"/"0"; GUIDs "{...}"; binary ""; texts cut to 254 CP932 bytes on a
// character boundary; null "".
QString AccessCellText(int type, const QVariant& value);
