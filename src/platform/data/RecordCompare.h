#pragma once

#include "platform/data/Mny.h"

#include <QByteArray>
#include <QString>

#include <vector>

class COneRecord;

// Composite columns of the partner lists that name no stored field.
inline constexpr char kCompanySectionNameField[] = "Company_Section_Name";
inline constexpr char kReadingNameField[] = "PhoenicCompany_PhoenicPerson";

// The partner's "Company", "Section" and "Name" of `table` joined by one
// blank each, outer white space removed (an empty section leaves two
// blanks); missing fields count as empty.
QString GetCompanySectionName(const COneRecord* record, const QString& table);
// "PhoenicCompany" and "PhoenicPerson" joined the same way.
QString GetReadingName(const COneRecord* record, const QString& table);

// Text order of the lists: code page 932 bytes with ASCII letters folded,
// so "abc" and "ABC" are equal and kanji follow their byte codes.
int CompareListText(const QString& a, const QString& b);

// The list-sort comparison of two records by a key "Table.Field":
// negative when record 1 sorts first, positive when record 2 does, 0 when
// equal. The composite fields compare their joined texts. A strict weak
// order: a record without the field (or without a value in it) sorts
// before one with it, and fields of different types order by type
// (text, date, money, integer).
int CompareRecordsByColumn(const COneRecord* record1, const COneRecord* record2, const QString& key);
// The same with the records swapped.
int CompareRecordsByColumnDesc(const COneRecord* record1, const COneRecord* record2, const QString& key);

// What one record sorts by for one key, made once per sort.
struct CRecordSortKey {
    int rank = 0;      // 0 no value, else 1 + the field type
    QByteArray text;   // folded code page 932 bytes (text)
    qint64 number = 0; // integer, or the date as milliseconds
    CMny money;
};
CRecordSortKey MakeRecordSortKey(const COneRecord* record, const QString& key);
int CompareSortKeys(const CRecordSortKey& a, const CRecordSortKey& b);

// Sorts the records by the key, keeping the order of equal ones; the keys
// are built once, not per comparison.
void SortRecords(std::vector<COneRecord*>& records, const QString& key, bool descending);
