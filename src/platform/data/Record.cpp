#include "platform/data/Record.h"

#include "platform/text/TextHelpers.h"

#include "platform/data/MnyText.h"

#include <QHash>
#include <QMutex>

#include <algorithm>
#include <limits>
#include <new>
#include <utility>

namespace
{

constexpr qint64 kMsecsPerDay = 24 * 60 * 60 * 1000;

// The part of `name` after its first point (the whole name without one) is
// `field`. The lengths and the point rule out most names before any text is
// compared: a record is searched field by field for every cell of a list.
bool BareNameIs(QStringView name, QStringView field)
{
    const qsizetype n = name.size(), m = field.size();
    if (n < m || (n > m && name[n - m - 1] != u'.') || !EqualsNoAsciiCase(name.right(m), field))
        return false;
    return !name.left(n > m ? n - m - 1 : n).contains(u'.');
}

// The name matches "table.field" without building that text.
bool MatchesFullName(QStringView name, QStringView table, QStringView field)
{
    return name.size() == table.size() + 1 + field.size() && name[table.size()] == u'.' &&
           EqualsNoAsciiCase(name.left(table.size()), table) &&
           EqualsNoAsciiCase(name.mid(table.size() + 1), field);
}

// A whole number, optionally signed, nothing else but surrounding blanks.
bool ParseWhole(const QString& text, qint64& value)
{
    bool ok = false;
    value = text.trimmed().toLongLong(&ok);
    return ok;
}

// A plain decimal ("-12.5", "+.5", "5."), nothing else but surrounding blanks.
bool ParseDecimal(const QString& text, CMny& value)
{
    constexpr CNumberSyntax kStoredDecimal{
        .plusSign = true, .bareTrailingPoint = true, .spaces = CNumberSyntax::Spaces::Around};
    return ReadWholeNumber(text, kStoredDecimal, value);
}

int ReadNumber(QStringView text, qsizetype& pos, int maxDigits)
{
    int value = 0;
    int digits = 0;
    while (pos < text.size() && digits < maxDigits && text[pos] >= u'0' && text[pos] <= u'9') {
        value = value * 10 + (text[pos].unicode() - u'0');
        ++pos;
        ++digits;
    }
    return digits == 0 ? -1 : value;
}

} // namespace

// ---- CTb ----------------------------------------------------------------

const QString CTb::s_noName;

const QString* CTb::Intern(const QString& name)
{
    if (name.isEmpty())
        return &s_noName;
    static QMutex mutex;
    static auto* const names =
        new QHash<QString, const QString*>; // never freed: fields may outlive any owner
    const QMutexLocker lock(&mutex);
    auto it = names->constFind(name);
    if (it == names->cend())
        it = names->insert(name, new QString(name.constData(), name.size()));
    return *it;
}

bool CTb::ParseDate(QStringView text, QDate& date, int& msecs)
{
    text = text.trimmed();
    qsizetype pos = 0;
    const int year = ReadNumber(text, pos, 4);
    if (year < 0 || pos != 4 || pos >= text.size() || (text[pos] != u'/' && text[pos] != u'-'))
        return false;
    const QChar separator = text[pos++];
    const int month = ReadNumber(text, pos, 2);
    if (month < 0 || pos >= text.size() || text[pos] != separator)
        return false;
    ++pos;
    const int day = ReadNumber(text, pos, 2);
    date = QDate(year, month, day);
    if (day < 0 || !date.isValid())
        return false;
    msecs = -1;
    if (pos == text.size())
        return true;
    if (text[pos] != u' ' && text[pos] != u'T')
        return false;
    ++pos;
    const int hour = ReadNumber(text, pos, 2);
    if (hour < 0 || pos >= text.size() || text[pos] != u':')
        return false;
    ++pos;
    const int minute = ReadNumber(text, pos, 2);
    int second = 0;
    if (minute >= 0 && pos < text.size() && text[pos] == u':') {
        ++pos;
        second = ReadNumber(text, pos, 2);
    }
    const QTime time(hour, minute, second);
    if (minute < 0 || second < 0 || pos != text.size() || !time.isValid())
        return false;
    msecs = time.msecsSinceStartOfDay();
    return true;
}

void CTb::SetNull()
{
    m_null = true;
    m_text.clear();
    m_value = 0;
    m_scale = 0;
    m_msecs = -1;
}

CTb& CTb::operator=(int value)
{
    SetNull();
    m_type = kInteger;
    m_value = value;
    m_null = false;
    return *this;
}

CTb& CTb::operator=(const QString& value)
{
    SetNull();
    m_type = kText;
    m_text = value;
    m_null = false;
    return *this;
}

CTb& CTb::operator=(const CMny& value)
{
    SetNull();
    m_type = kMoney;
    if (value.IsValid()) {
        m_value = value.GetValue();
        m_scale = qint8(value.GetScale());
        m_null = false;
    }
    return *this;
}

CTb& CTb::operator=(const QDate& value)
{
    SetNull();
    m_type = kDate;
    if (value.isValid()) {
        m_value = value.toJulianDay();
        m_null = false;
    }
    return *this;
}

CTb& CTb::operator=(const QDateTime& value)
{
    SetNull();
    m_type = kDate;
    if (value.isValid()) {
        // Stored date-times are local wall-clock times, as GetData answers them.
        const QDateTime local = value.toLocalTime();
        m_value = local.date().toJulianDay();
        m_msecs = local.time().msecsSinceStartOfDay();
        m_null = false;
    }
    return *this;
}

void CTb::SetData(const CTb& other)
{
    if (this == &other)
        return;
    m_text = other.m_text;
    m_value = other.m_value;
    m_msecs = other.m_msecs;
    m_type = other.m_type;
    m_scale = other.m_scale;
    m_null = other.m_null;
}

QString CTb::GetText() const
{
    if (m_null)
        return {};
    switch (m_type) {
    case kText:
        return m_text;
    case kInteger:
        return QString::number(m_value);
    case kMoney:
        return MnyToText(CMny(m_value, m_scale));
    case kDate: {
        const QDate date = QDate::fromJulianDay(m_value);
        if (date.year() < 1000 || date.year() > 9999) {
            QString text = date.toString(u"yyyy/MM/dd");
            if (m_msecs >= 0)
                text += u' ' % QTime::fromMSecsSinceStartOfDay(m_msecs).toString(u"HH:mm:ss");
            return text;
        }
        // Written by hand: the date of every row of a list is read, and the
        // locale's formatting costs far more than the text.
        char16_t text[19];
        auto put = [&text](int at, int value, int digits) {
            for (int i = digits - 1; i >= 0; --i, value /= 10)
                text[at + i] = char16_t(u'0' + value % 10);
        };
        put(0, date.year(), 4);
        text[4] = u'/';
        put(5, date.month(), 2);
        text[7] = u'/';
        put(8, date.day(), 2);
        if (m_msecs < 0)
            return QString(reinterpret_cast<const QChar*>(text), 10);
        const int seconds = m_msecs / 1000;
        text[10] = u' ';
        put(11, seconds / 3600, 2);
        text[13] = u':';
        put(14, seconds / 60 % 60, 2);
        text[16] = u':';
        put(17, seconds % 60, 2);
        return QString(reinterpret_cast<const QChar*>(text), 19);
    }
    }
    return {};
}

bool CTb::GetData(QString& value) const
{
    value = GetText();
    return !m_null;
}

bool CTb::GetData(int& value) const
{
    value = 0;
    if (m_null)
        return false;
    qint64 whole = 0;
    switch (m_type) {
    case kInteger:
        whole = m_value;
        break;
    case kMoney: {
        qint64 unit = 1;
        for (int i = 0; i < m_scale; ++i)
            unit *= 10;
        whole = m_value / unit; // truncates toward zero
        break;
    }
    case kText:
        if (!ParseWhole(m_text, whole))
            return false;
        break;
    default:
        return false;
    }
    if (whole < std::numeric_limits<int>::min() || whole > std::numeric_limits<int>::max())
        return false;
    value = int(whole);
    return true;
}

bool CTb::GetData(CMny& value) const
{
    value = CMny(0);
    if (m_null)
        return false;
    switch (m_type) {
    case kMoney:
        value = CMny(m_value, m_scale);
        return true;
    case kInteger:
        value = CMny(m_value, 0);
        return true;
    case kText:
        if (ParseDecimal(m_text, value))
            return true;
        value = CMny(0);
        return false;
    default:
        return false;
    }
}

bool CTb::GetData(QDate& value) const
{
    value = QDate();
    if (m_null)
        return false;
    if (m_type == kDate) {
        value = QDate::fromJulianDay(m_value);
        return true;
    }
    int msecs = -1;
    if (m_type == kText && ParseDate(m_text, value, msecs))
        return true;
    value = QDate();
    return false;
}

bool CTb::GetData(QDateTime& value) const
{
    value = QDateTime();
    QDate date;
    int msecs = -1;
    if (m_null)
        return false;
    if (m_type == kDate) {
        date = QDate::fromJulianDay(m_value);
        msecs = m_msecs;
    } else if (m_type != kText || !ParseDate(m_text, date, msecs)) {
        return false;
    }
    value = QDateTime(date, msecs < 0 ? QTime(0, 0) : QTime::fromMSecsSinceStartOfDay(msecs));
    return true;
}

// ---- COneRecord ---------------------------------------------------------

COneRecord::COneRecord(const COneRecord& other)
{
    *this = other;
}

COneRecord& COneRecord::operator=(const COneRecord& other)
{
    if (this == &other)
        return *this;
    COneRecord copy;
    if (!other.m_fields.empty()) {
        copy.m_fields.reserve(other.m_fields.size());
        CTb* fields = copy.AddFields(other.GetCount());
        for (std::size_t i = 0; i < other.m_fields.size(); ++i)
            fields[i] = *other.m_fields[i];
    }
    *this = std::move(copy);
    return *this;
}

COneRecord::COneRecord(COneRecord&& other) noexcept
    : m_fields(std::move(other.m_fields)), m_blocks(std::exchange(other.m_blocks, nullptr))
{
    other.m_fields.clear();
}

COneRecord& COneRecord::operator=(COneRecord&& other) noexcept
{
    if (this != &other) {
        Clear();
        m_fields = std::move(other.m_fields);
        other.m_fields.clear();
        m_blocks = std::exchange(other.m_blocks, nullptr);
    }
    return *this;
}

COneRecord::~COneRecord()
{
    Clear();
}

CTb* COneRecord::Block::Fields()
{
    return reinterpret_cast<CTb*>(reinterpret_cast<char*>(this) + kBlockHeader);
}

// A chunk's header: the blocks carved from it that live, and one more
// while it is being carved.
struct COneRecord::Chunk {
    int users;
};

namespace
{

constexpr std::size_t kChunkHeader = 16;
constexpr std::size_t kChunkSize = 64 * 1024;

} // namespace

void COneRecord::FreeBlock(Block* block)
{
    CTb* fields = block->Fields();
    for (int i = 0; i < block->size; ++i)
        fields[i].~CTb();
    if (Chunk* chunk = block->chunk)
        ReleaseChunk(chunk);
    else
        ::operator delete(block);
}

void COneRecord::ReleaseChunk(Chunk* chunk)
{
    if (--chunk->users == 0)
        ::operator delete(chunk);
}

CRecordChunks::~CRecordChunks()
{
    if (m_chunk)
        COneRecord::ReleaseChunk(m_chunk);
}

CTb* CRecordChunks::AddFields(COneRecord& record, int count)
{
    if (count <= 0)
        return nullptr;
    const std::size_t size = COneRecord::kBlockHeader + sizeof(CTb) * std::size_t(count);
    if (!m_chunk || m_used + size > m_capacity) {
        if (m_chunk)
            COneRecord::ReleaseChunk(m_chunk);
        m_capacity = std::max(kChunkSize, kChunkHeader + size);
        m_chunk = new (::operator new(m_capacity)) COneRecord::Chunk{1};
        m_used = kChunkHeader;
    }
    void* memory = reinterpret_cast<char*>(m_chunk) + m_used;
    m_used += size;
    ++m_chunk->users;
    return record.Link(new (memory) COneRecord::Block{nullptr, count, count, m_chunk});
}

const CTb* COneRecord::GetOneField(const QString& table, const QString& field) const
{
    if (table.isEmpty()) {
        for (const CTb* f : m_fields) {
            if (BareNameIs(f->GetName(), field))
                return f;
        }
        return nullptr;
    }
    for (const CTb* f : m_fields) {
        if (MatchesFullName(f->GetName(), table, field))
            return f;
    }
    return nullptr;
}

CTb* COneRecord::GetOneField(const QString& table, const QString& field)
{
    return const_cast<CTb*>(std::as_const(*this).GetOneField(table, field));
}

const CTb* COneRecord::FindField(const QString& name) const
{
    for (const CTb* f : m_fields) {
        if (EqualsNoAsciiCase(f->GetName(), name))
            return f;
    }
    return nullptr;
}

CTb* COneRecord::FindField(const QString& name)
{
    return const_cast<CTb*>(std::as_const(*this).FindField(name));
}

CTb* COneRecord::AddField(const CTb& field)
{
    CTb* added = AddFields(1);
    *added = field;
    return added;
}

CTb* COneRecord::AddFields(int count)
{
    if (count <= 0)
        return nullptr;
    void* memory = ::operator new(kBlockHeader + sizeof(CTb) * std::size_t(count));
    return Link(new (memory) Block{nullptr, count, count, nullptr});
}

CTb* COneRecord::Link(Block* block)
{
    const int count = block->size;
    CTb* fields = block->Fields();
    for (int i = 0; i < count; ++i)
        new (fields + i) CTb();
    block->next = m_blocks;
    m_blocks = block;
    m_fields.reserve(m_fields.size() + std::size_t(count));
    for (int i = 0; i < count; ++i)
        m_fields.push_back(fields + i);
    return fields;
}

CTb& COneRecord::Set(const QString& name)
{
    if (CTb* existing = FindField(name))
        return *existing;
    CTb* added = AddFields(1);
    added->SetName(name);
    return *added;
}

void COneRecord::Release(CTb* field)
{
    for (Block** link = &m_blocks; *link; link = &(*link)->next) {
        Block* block = *link;
        CTb* first = block->Fields();
        if (field < first || field >= first + block->size)
            continue;
        if (--block->live == 0) {
            *link = block->next;
            FreeBlock(block);
        } else {
            *field = CTb(); // frees its texts now; its memory goes with the block
        }
        return;
    }
}

CTb* COneRecord::SetField(const QString& name, int value)
{
    CTb& f = Set(name);
    f = value;
    return &f;
}

CTb* COneRecord::SetField(const QString& name, const QString& value)
{
    CTb& f = Set(name);
    f = value;
    return &f;
}

CTb* COneRecord::SetField(const QString& name, const CMny& value)
{
    CTb& f = Set(name);
    f = value;
    return &f;
}

CTb* COneRecord::SetField(const QString& name, const QDate& value)
{
    CTb& f = Set(name);
    f = value;
    return &f;
}

CTb* COneRecord::SetField(const QString& name, const QDateTime& value)
{
    CTb& f = Set(name);
    f = value;
    return &f;
}

CTb* COneRecord::SetField(const QString& name, const CTb& value)
{
    CTb& f = Set(name);
    f.SetData(value);
    return &f;
}

bool COneRecord::RemoveField(const QString& table, const QString& field)
{
    const CTb* target = GetOneField(table, field);
    for (std::size_t i = 0; i < m_fields.size(); ++i) {
        if (m_fields[i] == target) {
            RemoveAt(int(i));
            return true;
        }
    }
    return false;
}

void COneRecord::RemoveAt(int index)
{
    CTb* field = m_fields[size_t(index)];
    m_fields.erase(m_fields.begin() + index);
    Release(field);
}

void COneRecord::Clear()
{
    m_fields.clear();
    while (Block* block = m_blocks) {
        m_blocks = block->next;
        FreeBlock(block);
    }
}

// ---- CCDSData -----------------------------------------------------------

CCDSData::CCDSData(const CCDSData& other)
{
    *this = other;
}

CCDSData& CCDSData::operator=(const CCDSData& other)
{
    if (this == &other)
        return *this;
    std::vector<std::unique_ptr<COneRecord>> records;
    records.reserve(other.m_records.size());
    for (const auto& r : other.m_records)
        records.push_back(std::make_unique<COneRecord>(*r));
    m_records = std::move(records);
    m_strTable = other.m_strTable;
    m_strCondition = other.m_strCondition;
    return *this;
}

COneRecord* CCDSData::Add(std::unique_ptr<COneRecord> record)
{
    m_records.push_back(std::move(record));
    return m_records.back().get();
}

COneRecord* CCDSData::Add(const COneRecord& record)
{
    return Add(std::make_unique<COneRecord>(record));
}

COneRecord* CCDSData::AddNew()
{
    return Add(std::make_unique<COneRecord>());
}

void CCDSData::RemoveAt(int index)
{
    m_records.erase(m_records.begin() + index);
}

std::unique_ptr<COneRecord> CCDSData::TakeAt(int index)
{
    std::unique_ptr<COneRecord> record = std::move(m_records[size_t(index)]);
    m_records.erase(m_records.begin() + index);
    return record;
}

void CCDSData::Clear()
{
    m_records.clear();
    m_strTable.clear();
    m_strCondition.clear();
}
