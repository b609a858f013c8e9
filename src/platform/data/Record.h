#pragma once

#include "platform/data/Mny.h"

#include <QAtomicInt>
#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QHash>
#include <QString>
#include <QTime>

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

class CMakeMsgID;

// One named, typed field of a record. The name is "Table.Field" for records
// of a table and a bare alias for records of a whole SELECT. "No value"
// (NULL) is distinct from an empty text.
//
// Reading converts between the types:
//  - text: integers as "%d", money in plain decimals without separators or
//    trailing zeros ("1234.5"), dates as "YYYY/MM/DD" ("YYYY/MM/DD HH:MM:SS"
//    when the field keeps a time of day), no value as "";
//  - integer: money truncated toward zero, text read as a whole number;
//  - money: integers at scale 0, text read as a plain decimal;
//  - date: text in "YYYY/MM/DD" or "YYYY-MM-DD" form, with an optional time.
// A GetData call answers false (and a zero, empty or invalid value) when the
// field holds no value or cannot be read as that type.
class CTb
{
  public:
    enum Type { kText = 0, kDate = 1, kMoney = 2, kInteger = 3 };
    // A field name's number in the run's table of names; 0 is no name.
    using NameId = quint32;

    CTb() : m_value(0) {}
    explicit CTb(const QString& name, int type = kText)
        : m_name(Intern(name)), m_type(qint8(type)), m_value(0)
    {
    }
    CTb(const CTb& other);
    CTb(CTb&& other) noexcept;
    CTb& operator=(const CTb& other);
    CTb& operator=(CTb&& other) noexcept;
    ~CTb() { ReleaseText(); }

    const QString& GetName() const;
    void SetName(const QString& name) { m_name = Intern(name); }

    // The number every field of that name keeps instead of the name. Names
    // are the schema's fields, the statements' aliases and the names the
    // program gives: a set that stays small, kept for the run. Fields are
    // made by the million for lists: four bytes keep a field small.
    static NameId Intern(const QString& name);
    int GetType() const { return m_type; }
    bool IsNull() const { return m_null; }
    // No value; the type stays.
    void SetNull();

    // Value assignments: each sets the type of the value and keeps the name.
    // An invalid date or money value gives a field of that type without value;
    // a date-time of another zone is kept as the local time of that moment.
    CTb& operator=(int value);
    CTb& operator=(const QString& value);
    CTb& operator=(const CMny& value);
    CTb& operator=(const QDate& value);
    CTb& operator=(const QDateTime& value);
    // Copying a whole field (name included) uses the ordinary copy; SetData
    // takes only the other field's type and value.
    void SetData(const CTb& other);

    QString GetText() const;
    bool GetData(QString& value) const;
    bool GetData(int& value) const;
    bool GetData(CMny& value) const;
    bool GetData(QDate& value) const;
    // The date with its time of day (00:00:00 for a plain date).
    bool GetData(QDateTime& value) const;
    // True for a date that carries a time of day.
    bool HasTime() const { return m_type == kDate && !m_null && m_scale != 0; }

    // A text value, shared by the fields that copy it (the lines of one
    // slip their partner, a list's rows their item) and freed with the last.
    //
    // Threads: a text, and the fields and records that may share it, belong
    // to the thread that read them, the window's thread; the program reads,
    // shows and writes records on no other (SQLite's sorting threads never
    // see them). The atomic count alone does not make a text safe to share
    // between threads: a field rewrites a text it alone holds in place, a
    // CSharedTexts counts the shares of the fields it fills only when its
    // reading ends, and records read together free their common chunks of
    // memory by a count that is not atomic. A record meant for another
    // thread is copied on this one once its reading has ended (a copy has a
    // block of its own and counts its shares); the copy may go and be freed
    // there, the count keeping the texts it shares with fields here alive.
    struct Text {
        QAtomicInt ref;
        QString text;
    };

  private:
    friend class CMakeMsgID;
    friend class COneRecord;
    friend class CSharedTexts;

    // "YYYY/MM/DD" or "YYYY-MM-DD" (month and day of one or two digits),
    // optionally followed by " HH:MM[:SS]"; msecs is -1 without a time.
    static bool ParseDate(QStringView text, QDate& date, int& msecs);

    // A date value: the Julian day and the time of day (-1 for none).
    void SetDay(qint64 julianDay, int msecs);
    qint64 Day() const;
    int Msecs() const;
    // A text value that shares `text` (null: the empty text).
    void ShareText(Text* text);
    // The same without counting the share in `text`, which the caller does.
    void PointAt(Text* text);
    // A text of at most kInlineBytes ASCII bytes kept in the field itself.
    static constexpr int kInlineBytes = 8;
    static bool FitsInline(const char* ascii, int bytes);
    void SetInline(const char* ascii, int bytes);
    // The shared text of a text value; null for the empty or a kept one.
    Text* Shared() const { return m_type == kText && !m_null && m_scale == 0 ? m_text : nullptr; }
    // The value of a text field as text.
    QString TextValue() const;
    void ReleaseText()
    {
        if (Shared())
            DropText();
    }
    void DropText();
    void CopyValue(const CTb& other);

    static const QString s_noName;
    // 16 bytes: a list keeps millions. The value is the integer, the money
    // at m_scale, the date's Julian day (with its time of day in
    // milliseconds after day * 86 400 000 when m_scale is 1), or the text:
    // shared when m_scale is 0, else m_scale ASCII bytes in m_value itself
    // (codes and numbers, most of them, are short).
    NameId m_name = 0;
    qint8 m_type = kText;
    qint8 m_scale = 0;
    bool m_null = true;
    bool m_removed = false; // the slot of a field removed from its record
    union {
        qint64 m_value;
        Text* m_text; // null for the empty text
    };
};

// Equal texts read together share one copy: a result's rows repeat their
// slip's partner and their item. A column whose texts rarely repeat is
// compared with its last text only. The fields sharing a pooled text are
// counted here and added to the text's count once, when the reading ends:
// a list of a hundred thousand rows would otherwise touch a text scattered
// in memory for every field. Until then the set holds each pooled text, so
// it must go before any field read through it is removed.
class CSharedTexts
{
  public:
    explicit CSharedTexts(int columns);
    ~CSharedTexts();
    CSharedTexts(const CSharedTexts&) = delete;
    CSharedTexts& operator=(const CSharedTexts&) = delete;

    // `field` holds the UTF-8 text as column `column`'s value.
    void Set(CTb& field, int column, const char* utf8, int bytes);

  private:
    static constexpr quint32 kNoEntry = 0xFFFFFFFF;
    // The column's last text: pooled (its entry), or held by the column with
    // its bytes kept here.
    struct Column {
        CTb::Text* text = nullptr;
        quint32 entry = kNoEntry;
        std::string bytes;
        int lookups = 0;
        int hits = 0;
    };
    // A pooled text, its hash and its bytes in m_bytes: a lookup reads the
    // slot and the bytes alone, and tells another text of the same slot
    // apart by the hash before comparing any byte.
    struct Slot {
        quint64 hash = 0;
        CTb::Text* text = nullptr; // null: the slot is free
        quint32 entry = 0;         // in m_entries
        quint32 offset = 0;
        quint32 bytes = 0;
    };
    // Each pooled text, where its bytes are, and the fields sharing it not
    // yet counted in it.
    struct Entry {
        CTb::Text* text;
        quint32 shares;
        quint32 offset;
        quint32 bytes;
    };
    bool IsLast(const Column& column, const char* utf8, int bytes) const;
    const Slot* Find(quint64 hash, const char* utf8, int bytes) const;
    // Pools a new text; false when the pool is full.
    bool Insert(quint64 hash, const char* utf8, int bytes, CTb::Text* text);
    void Leave(Column& column);
    void Share(CTb& field, const Column& column);

    std::vector<Column> m_columns;
    std::vector<Slot> m_slots; // open addressing; a power of two, at most half used
    std::vector<char> m_bytes;
    std::vector<Entry> m_entries;
};

// One record: an ordered list of fields. Fields are owned and keep their
// address until they are removed, so pointers from GetOneField stay valid
// while fields are added. Fields are made in blocks, side by side: a record
// read from the database or copied gets all its fields in one block (the
// blocks of records read together share chunks of memory), and fields added
// later go into a block with room for a few more.
class COneRecord
{
  public:
    COneRecord() = default;
    COneRecord(const COneRecord& other);
    COneRecord& operator=(const COneRecord& other);
    COneRecord(COneRecord&& other) noexcept;
    COneRecord& operator=(COneRecord&& other) noexcept;
    ~COneRecord();

    void Copy(const COneRecord& other) { *this = other; }

    int GetCount() const { return m_count; }
    CTb* GetAt(int index);
    const CTb* GetAt(int index) const { return const_cast<COneRecord*>(this)->GetAt(index); }

    // The field "table.field"; with an empty table, the first field whose
    // bare name (the part after the first point, or the whole name) is
    // `field`. ASCII case is ignored. Null when there is none.
    CTb* GetOneField(const QString& table, const QString& field);
    const CTb* GetOneField(const QString& table, const QString& field) const;
    // The field of exactly that full name (ASCII case ignored), or null.
    CTb* FindField(const QString& name);
    const CTb* FindField(const QString& name) const;

    // Appends a field and answers it.
    CTb* AddField(const CTb& field);
    // Appends `count` fields without name or value and answers the first;
    // the others follow it in memory.
    CTb* AddFields(int count);
    // Sets the value of the field of that full name, appending the field
    // only when the record has none of that name. Answers the field.
    CTb* SetField(const QString& name, int value);
    CTb* SetField(const QString& name, const QString& value);
    CTb* SetField(const QString& name, const CMny& value);
    CTb* SetField(const QString& name, const QDate& value);
    CTb* SetField(const QString& name, const QDateTime& value);
    CTb* SetField(const QString& name, const CTb& value);

    // Removes the field found as GetOneField finds it; false when none.
    bool RemoveField(const QString& table, const QString& field);
    void RemoveAt(int index);
    void Clear();
    // Room for `count` fields in all: the next block added has room for
    // the fields still missing.
    void Reserve(int count) { m_reserve = count; }

  private:
    friend class CRecordChunks;
    struct Chunk;

    // Fields made together, in one allocation with this header, or carved
    // with other records' blocks from a chunk; the block goes when its last
    // field is removed, the chunk with its last block. A record of a list is
    // made once and read many times: few allocations keep the making cheap.
    // The blocks are in record order; a removed field leaves its slot.
    struct Block {
        Block* next;
        Chunk* chunk; // null: the block is an allocation of its own
        int capacity;
        int used;
        int live;
        CTb* Fields();
    };
    CTb* Link(Block* block, int count);

    static constexpr std::size_t kBlockHeader =
        (sizeof(Block) + alignof(CTb) - 1) / alignof(CTb) * alignof(CTb);

    // Calls `visit` with each field in order until it answers true; answers
    // that field or null.
    template <typename Visit> CTb* Find(Visit visit) const;
    CTb& Set(const QString& name);
    void Remove(CTb* field);
    static void FreeBlock(Block* block);
    static void ReleaseChunk(Chunk* chunk);

    Block* m_blocks = nullptr; // the oldest first
    Block* m_last = nullptr;
    int m_count = 0;
    int m_reserve = 0;
};

// The field blocks of many records read together, carved from shared
// chunks of memory: a list of thousands of records takes a few allocations
// instead of one a record. Each chunk goes with the last record using it;
// records keep their fields when the carver goes.
class CRecordChunks
{
  public:
    CRecordChunks() = default;
    ~CRecordChunks();
    CRecordChunks(const CRecordChunks&) = delete;
    CRecordChunks& operator=(const CRecordChunks&) = delete;

    // Appends `count` fields without name or value to the record, as
    // COneRecord::AddFields does, and answers the first; the block has room
    // for `spare` fields more, which the record fills as it adds fields.
    CTb* AddFields(COneRecord& record, int count, int spare = 0);

  private:
    COneRecord::Chunk* m_chunk = nullptr;
    std::size_t m_used = 0;
    std::size_t m_capacity = 0;
};

// An ordered set of records with a table name and a condition: a request
// (table + "WHERE ..."/"ORDER BY ..." tail, or a whole SELECT in the
// condition) and a result alike. The set owns its records.
class CCDSData
{
  public:
    CCDSData() = default;
    CCDSData(const CCDSData& other);
    CCDSData& operator=(const CCDSData& other);
    CCDSData(CCDSData&&) noexcept = default;
    CCDSData& operator=(CCDSData&&) noexcept = default;

    // Table, condition and a copy of every record.
    void Copy(const CCDSData& other) { *this = other; }

    int GetCount() const { return int(m_records.size()); }
    COneRecord* GetAt(int index) { return m_records[size_t(index)].get(); }
    const COneRecord* GetAt(int index) const { return m_records[size_t(index)].get(); }

    // Appends a record and answers it.
    COneRecord* Add(std::unique_ptr<COneRecord> record);
    COneRecord* Add(const COneRecord& record);
    COneRecord* AddNew();
    void RemoveAt(int index);
    std::unique_ptr<COneRecord> TakeAt(int index);
    // Removes every record; table and condition stay.
    void RemoveAll() { m_records.clear(); }
    // Empties the set for reuse: records, table and condition.
    void Clear();

    QString m_strTable;
    QString m_strCondition;

  private:
    std::vector<std::unique_ptr<COneRecord>> m_records;
};
