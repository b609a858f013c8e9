#include "reports/RecordFields.h"

#include "platform/data/Record.h"

QString Q(const char* text)
{
    return QString::fromUtf8(text);
}

const CTb* Field(const COneRecord* record, const QString& name)
{
    return record ? record->GetOneField(QString(), name) : nullptr;
}

const CTb* Field(const COneRecord* record, const char* name)
{
    return Field(record, Q(name));
}

const CTb* Field(const COneRecord* record, const QString& table, const char* name)
{
    return record ? record->GetOneField(table, Q(name)) : nullptr;
}

QString TextOf(const CTb* field)
{
    return field ? field->GetText() : QString();
}

int IntOf(const CTb* field, int none)
{
    int value = none;
    if (!field || !field->GetData(value))
        return none;
    return value;
}

// A failed read leaves zero (see CTb::GetData).
CMny MoneyOf(const CTb* field)
{
    CMny value(0);
    if (field)
        field->GetData(value);
    return value;
}

QDate DateOf(const CTb* field)
{
    QDate value;
    if (field)
        field->GetData(value);
    return value;
}

QString TextOf(const COneRecord* record, const QString& name)
{
    return TextOf(Field(record, name));
}

QString TextOf(const COneRecord* record, const char* name)
{
    return TextOf(Field(record, name));
}

int IntOf(const COneRecord* record, const QString& name)
{
    return IntOf(Field(record, name));
}

int IntOf(const COneRecord* record, const char* name)
{
    return IntOf(Field(record, name));
}

CMny MoneyOf(const COneRecord* record, const QString& name)
{
    return MoneyOf(Field(record, name));
}

CMny MoneyOf(const COneRecord* record, const char* name)
{
    return MoneyOf(Field(record, name));
}

QDate DateOf(const COneRecord* record, const char* name)
{
    return DateOf(Field(record, name));
}

QString BareName(const CTb& field)
{
    return field.GetName().section(u'.', -1);
}

void AddCopy(COneRecord& target, const CTb& field, const QString& name)
{
    CTb copy(field);
    copy.SetName(name);
    target.AddField(copy);
}
