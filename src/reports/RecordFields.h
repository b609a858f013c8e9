#pragma once

#include "platform/data/Mny.h"

#include <QDate>
#include <QString>

class COneRecord;
class CTb;

// Reading the fields of the records the report views show. A record of a
// whole SELECT names its fields by bare alias (no table). A missing record
// or field reads as empty, zero or an invalid date, like a field without a
// value.

// Source text in UTF-8 as a QString.
QString Q(const char* text);

const CTb* Field(const COneRecord* record, const QString& name);
const CTb* Field(const COneRecord* record, const char* name);
// The field of a table's record ("Table.Field").
const CTb* Field(const COneRecord* record, const QString& table, const char* name);

QString TextOf(const CTb* field);
// `none` for a missing field or one that does not read as a whole number.
int IntOf(const CTb* field, int none = 0);
CMny MoneyOf(const CTb* field);
QDate DateOf(const CTb* field);

QString TextOf(const COneRecord* record, const QString& name);
QString TextOf(const COneRecord* record, const char* name);
int IntOf(const COneRecord* record, const QString& name);
int IntOf(const COneRecord* record, const char* name);
CMny MoneyOf(const COneRecord* record, const QString& name);
CMny MoneyOf(const COneRecord* record, const char* name);
QDate DateOf(const COneRecord* record, const char* name);

// The field's name without its table.
QString BareName(const CTb& field);
// Adds a copy of the field under a new name, keeping its type and value.
void AddCopy(COneRecord& target, const CTb& field, const QString& name);
