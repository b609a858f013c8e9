#include "platform/data/Record.h"

#include "platform/text/TextHelpers.h"

#include "platform/data/MnyText.h"

#include <QHash>
#include <QMutex>

#include <algorithm>
#include <cstring>
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

namespace
{

// The interned names by number, in chunks that never move: a name is read
// without a lock, the chunks only ever gain entries.
constexpr CTb::NameId kNamesPerChunk = 1024;
constexpr CTb::NameId kNameChunks = 4096;
const QString** g_names[kNameChunks] = {};

// Each name's hashes, with ASCII letters folded: of the whole name and of
// its bare part (after the first point, or the whole name). A record is
// searched by name for every cell of a list: the hashes rule out the other
// fields without reading their names.
struct NameHashes {
    quint32 full;
    quint32 bare;
};
NameHashes* g_hashes[kNameChunks] = {};

constexpr quint32 kHashBasis = 2166136261U;

quint32 FoldedHash(QStringView text, quint32 hash = kHashBasis)
{
    for (const QChar c : text) {
        char16_t u = c.unicode();
        if (u >= u'A' && u <= u'Z')
            u += u'a' - u'A';
        hash = (hash ^ u) * 16777619U;
    }
    return hash;
}

NameHashes HashesOfName(QStringView name)
{
    const qsizetype dot = name.indexOf(u'.');
    return {FoldedHash(name), FoldedHash(dot < 0 ? name : name.mid(dot + 1))};
}

// The hashes of the empty name, which a field without a name has.
constexpr NameHashes kUnnamed{kHashBasis, kHashBasis};

inline const NameHashes& HashesOf(CTb::NameId id)
{
    return id == 0 ? kUnnamed : g_hashes[id / kNamesPerChunk][id % kNamesPerChunk];
}

const QString kEmptyText = QStringLiteral("");

void ReleaseShared(CTb::Text* text);

} // namespace

CTb::NameId CTb::Intern(const QString& name)
{
    if (name.isEmpty())
        return 0;
    static QMutex mutex;
    static auto* const ids = new QHash<QString, NameId>; // never freed: fields may outlive any owner
    static NameId next = 1;
    const QMutexLocker lock(&mutex);
    if (const auto it = ids->constFind(name); it != ids->cend())
        return *it;
    const NameId id = next;
    if (id / kNamesPerChunk >= kNameChunks)
        qFatal("Too many field names");
    const QString**& chunk = g_names[id / kNamesPerChunk];
    if (!chunk) {
        g_hashes[id / kNamesPerChunk] = new NameHashes[kNamesPerChunk]();
        chunk = new const QString*[kNamesPerChunk]();
    }
    g_hashes[id / kNamesPerChunk][id % kNamesPerChunk] = HashesOfName(name);
    chunk[id % kNamesPerChunk] = new QString(name.constData(), name.size());
    ids->insert(name, id);
    ++next;
    return id;
}

const QString& CTb::GetName() const
{
    return m_name == 0 ? s_noName : *g_names[m_name / kNamesPerChunk][m_name % kNamesPerChunk];
}

CTb::CTb(const CTb& other)
    : m_name(other.m_name), m_type(other.m_type), m_scale(other.m_scale), m_null(other.m_null),
      m_value(other.m_value)
{
    if (Text* text = Shared())
        text->ref.ref();
}

CTb::CTb(CTb&& other) noexcept
    : m_name(other.m_name), m_type(other.m_type), m_scale(other.m_scale), m_null(other.m_null),
      m_value(std::exchange(other.m_value, 0))
{
    other.m_null = true;
    other.m_scale = 0;
}

CTb& CTb::operator=(const CTb& other)
{
    m_name = other.m_name;
    CopyValue(other);
    return *this;
}

CTb& CTb::operator=(CTb&& other) noexcept
{
    if (this != &other) {
        ReleaseText();
        m_name = other.m_name;
        m_type = other.m_type;
        m_scale = std::exchange(other.m_scale, qint8(0));
        m_null = std::exchange(other.m_null, true);
        m_value = std::exchange(other.m_value, 0);
    }
    return *this;
}

void CTb::DropText()
{
    ReleaseShared(m_text);
    m_value = 0;
}

void CTb::ShareText(Text* text)
{
    if (text)
        text->ref.ref();
    PointAt(text);
}

void CTb::PointAt(Text* text)
{
    SetNull();
    m_type = kText;
    m_null = false;
    m_text = text;
}

bool CTb::FitsInline(const char* ascii, int bytes)
{
    if (bytes <= 0 || bytes > kInlineBytes)
        return false;
    for (int i = 0; i < bytes; ++i) {
        if (uchar(ascii[i]) >= 0x80)
            return false;
    }
    return true;
}

void CTb::SetInline(const char* ascii, int bytes)
{
    SetNull();
    m_type = kText;
    m_null = false;
    std::memcpy(&m_value, ascii, std::size_t(bytes));
    m_scale = qint8(bytes);
}

QString CTb::TextValue() const
{
    if (m_scale != 0)
        return QString::fromLatin1(reinterpret_cast<const char*>(&m_value), m_scale);
    return m_text ? m_text->text : kEmptyText;
}

void CTb::CopyValue(const CTb& other)
{
    if (this == &other)
        return;
    if (Text* text = other.Shared())
        text->ref.ref();
    ReleaseText();
    m_type = other.m_type;
    m_scale = other.m_scale;
    m_null = other.m_null;
    m_value = other.m_value;
}

namespace
{

// The greatest day a date with a time of day keeps in the 64-bit value.
constexpr qint64 kTimedDays = std::numeric_limits<qint64>::max() / kMsecsPerDay - 1;

void ReleaseShared(CTb::Text* text)
{
    if (text && !text->ref.deref())
        delete text;
}

} // namespace

void CTb::SetDay(qint64 julianDay, int msecs)
{
    if (msecs >= 0 && julianDay > -kTimedDays && julianDay < kTimedDays) {
        m_value = julianDay * kMsecsPerDay + msecs;
        m_scale = 1;
    } else {
        m_value = julianDay;
        m_scale = 0;
    }
}

qint64 CTb::Day() const
{
    if (m_scale == 0)
        return m_value;
    qint64 day = m_value / kMsecsPerDay;
    if (m_value % kMsecsPerDay < 0)
        --day;
    return day;
}

int CTb::Msecs() const
{
    return m_scale == 0 ? -1 : int(m_value - Day() * kMsecsPerDay);
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
    ReleaseText();
    m_null = true;
    m_value = 0;
    m_scale = 0;
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
    // A text of its own takes the new one in place.
    if (Text* text = Shared(); text && text->ref.loadRelaxed() == 1) {
        text->text = value;
        return *this;
    }
    SetNull();
    m_type = kText;
    m_null = false;
    m_text = value.isEmpty() ? nullptr : new Text{QAtomicInt(1), value};
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
        SetDay(value.toJulianDay(), -1);
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
        SetDay(local.date().toJulianDay(), local.time().msecsSinceStartOfDay());
        m_null = false;
    }
    return *this;
}

void CTb::SetData(const CTb& other)
{
    CopyValue(other);
}

QString CTb::GetText() const
{
    if (m_null)
        return {};
    switch (m_type) {
    case kText:
        return TextValue();
    case kInteger:
        return QString::number(m_value);
    case kMoney:
        return MnyToText(CMny(m_value, m_scale));
    case kDate: {
        const QDate date = QDate::fromJulianDay(Day());
        const int msecs = Msecs();
        if (date.year() < 1000 || date.year() > 9999) {
            QString text = date.toString(u"yyyy/MM/dd");
            if (msecs >= 0)
                text += u' ' % QTime::fromMSecsSinceStartOfDay(msecs).toString(u"HH:mm:ss");
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
        if (msecs < 0)
            return QString(reinterpret_cast<const QChar*>(text), 10);
        const int seconds = msecs / 1000;
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
        if (!ParseWhole(TextValue(), whole))
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
        if (ParseDecimal(TextValue(), value))
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
        value = QDate::fromJulianDay(Day());
        return true;
    }
    int msecs = -1;
    if (m_type == kText && ParseDate(TextValue(), value, msecs))
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
        date = QDate::fromJulianDay(Day());
        msecs = Msecs();
    } else if (m_type != kText || !ParseDate(TextValue(), date, msecs)) {
        return false;
    }
    value = QDateTime(date, msecs < 0 ? QTime(0, 0) : QTime::fromMSecsSinceStartOfDay(msecs));
    return true;
}

// ---- CSharedTexts -------------------------------------------------------

namespace
{

// Lookups of a column before its share of repeated texts is judged: a
// column of a few thousand partners or items repeats rarely in its first
// thousand rows, though each repeats many times over a year's slips.
constexpr int kSharingTrial = 16384;
constexpr std::size_t kFirstSlots = 1024;

// A hash of a short text eight bytes at a time; the slot is taken from its
// high bits.
quint64 HashBytes(const char* p, int n)
{
    quint64 h = 0x9E3779B97F4A7C15ULL ^ quint64(n);
    for (; n >= 8; p += 8, n -= 8) {
        quint64 w;
        std::memcpy(&w, p, 8);
        h = (h ^ w) * 0xFF51AFD7ED558CCDULL;
        h ^= h >> 32;
    }
    if (n > 0) {
        quint64 w = 0;
        std::memcpy(&w, p, std::size_t(n));
        h = (h ^ w) * 0xC4CEB9FE1A85EC53ULL;
    }
    h ^= h >> 33;
    h *= 0xFF51AFD7ED558CCDULL;
    return h ^ (h >> 29);
}

} // namespace

CSharedTexts::CSharedTexts(int columns) : m_columns(std::size_t(std::max(columns, 0))) {}

CSharedTexts::~CSharedTexts()
{
    for (Column& column : m_columns)
        Leave(column);
    // The pool's own hold goes last, so a text counted here never reaches 0 early.
    for (const Entry& entry : m_entries) {
        if (entry.shares > 0)
            entry.text->ref.fetchAndAddRelaxed(int(entry.shares));
        ReleaseShared(entry.text);
    }
}

void CSharedTexts::Leave(Column& column)
{
    if (column.entry == kNoEntry)
        ReleaseShared(column.text);
    column.text = nullptr;
    column.entry = kNoEntry;
}

const CSharedTexts::Slot* CSharedTexts::Find(quint64 hash, const char* utf8, int bytes) const
{
    if (m_slots.empty())
        return nullptr;
    const std::size_t mask = m_slots.size() - 1;
    for (std::size_t i = std::size_t(hash >> 20) & mask;; i = (i + 1) & mask) {
        const Slot& slot = m_slots[i];
        if (!slot.text)
            return nullptr;
        if (slot.hash == hash && slot.bytes == quint32(bytes) &&
            std::memcmp(m_bytes.data() + slot.offset, utf8, std::size_t(bytes)) == 0)
            return &slot;
    }
}

bool CSharedTexts::Insert(quint64 hash, const char* utf8, int bytes, CTb::Text* text)
{
    // The bytes of all texts stay addressable by a 32-bit offset.
    if (m_bytes.size() + std::size_t(bytes) > std::numeric_limits<quint32>::max() ||
        m_entries.size() >= kNoEntry)
        return false;
    if ((m_entries.size() + 1) * 2 > m_slots.size()) {
        std::vector<Slot> old(std::max(kFirstSlots, m_slots.size() * 2));
        old.swap(m_slots);
        const std::size_t mask = m_slots.size() - 1;
        for (const Slot& slot : old) {
            if (!slot.text)
                continue;
            std::size_t i = std::size_t(slot.hash >> 20) & mask;
            while (m_slots[i].text)
                i = (i + 1) & mask;
            m_slots[i] = slot;
        }
    }
    const std::size_t mask = m_slots.size() - 1;
    std::size_t i = std::size_t(hash >> 20) & mask;
    while (m_slots[i].text)
        i = (i + 1) & mask;
    const quint32 offset = quint32(m_bytes.size());
    m_slots[i] = {hash, text, quint32(m_entries.size()), offset, quint32(bytes)};
    m_bytes.insert(m_bytes.end(), utf8, utf8 + bytes);
    text->ref.ref(); // the pool's hold
    m_entries.push_back({text, 0, offset, quint32(bytes)});
    return true;
}

void CSharedTexts::Set(CTb& field, int column, const char* utf8, int bytes)
{
    if (bytes <= 0) {
        field.ShareText(nullptr);
        return;
    }
    // Codes and numbers need no copy of their own to share.
    if (CTb::FitsInline(utf8, bytes)) {
        field.SetInline(utf8, bytes);
        return;
    }
    Column& c = m_columns[std::size_t(column)];
    if (IsLast(c, utf8, bytes)) {
        Share(field, c);
        return;
    }
    // A column whose texts repeat less than one time in eight (numbers,
    // memos) stops looking: its table would cost more time than its shared
    // copies save.
    const bool pooled = c.lookups < kSharingTrial || c.hits * 8 >= c.lookups;
    const Slot* slot = nullptr;
    quint64 hash = 0;
    if (pooled) {
        ++c.lookups;
        hash = HashBytes(utf8, bytes);
        slot = Find(hash, utf8, bytes);
        if (slot)
            ++c.hits;
    }
    Leave(c);
    if (slot) {
        c.text = slot->text;
        c.entry = slot->entry;
    } else {
        c.text = new CTb::Text{QAtomicInt(0), QString::fromUtf8(utf8, bytes)};
        if (pooled && Insert(hash, utf8, bytes, c.text))
            c.entry = quint32(m_entries.size() - 1);
        else
            c.text->ref.ref(); // the column's hold
    }
    if (c.entry == kNoEntry)
        c.bytes.assign(utf8, std::size_t(bytes));
    Share(field, c);
}

bool CSharedTexts::IsLast(const Column& column, const char* utf8, int bytes) const
{
    if (!column.text)
        return false;
    if (column.entry == kNoEntry)
        return column.bytes.size() == std::size_t(bytes) &&
               std::memcmp(column.bytes.data(), utf8, std::size_t(bytes)) == 0;
    const Entry& entry = m_entries[column.entry];
    return entry.bytes == quint32(bytes) &&
           std::memcmp(m_bytes.data() + entry.offset, utf8, std::size_t(bytes)) == 0;
}

void CSharedTexts::Share(CTb& field, const Column& column)
{
    if (column.entry == kNoEntry) {
        field.ShareText(column.text);
    } else {
        ++m_entries[column.entry].shares;
        field.PointAt(column.text);
    }
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
    if (other.m_count > 0) {
        CTb* fields = copy.AddFields(other.m_count);
        int i = 0;
        other.Find([&](const CTb& field) {
            fields[i++] = field;
            return false;
        });
    }
    *this = std::move(copy);
    return *this;
}

COneRecord::COneRecord(COneRecord&& other) noexcept
    : m_blocks(std::exchange(other.m_blocks, nullptr)), m_last(std::exchange(other.m_last, nullptr)),
      m_count(std::exchange(other.m_count, 0)), m_reserve(std::exchange(other.m_reserve, 0))
{
}

COneRecord& COneRecord::operator=(COneRecord&& other) noexcept
{
    if (this != &other) {
        Clear();
        m_blocks = std::exchange(other.m_blocks, nullptr);
        m_last = std::exchange(other.m_last, nullptr);
        m_count = std::exchange(other.m_count, 0);
        m_reserve = std::exchange(other.m_reserve, 0);
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
// Room a block for fields added one by one leaves for the next ones.
constexpr int kAddedRoom = 4;

} // namespace

template <typename Visit> CTb* COneRecord::Find(Visit visit) const
{
    for (Block* block = m_blocks; block; block = block->next) {
        CTb* fields = block->Fields();
        const bool holes = block->live != block->used;
        for (int i = 0; i < block->used; ++i) {
            if (!(holes && fields[i].m_removed) && visit(fields[i]))
                return fields + i;
        }
    }
    return nullptr;
}

CTb* COneRecord::GetAt(int index)
{
    for (Block* block = m_blocks; block && index >= 0; block = block->next) {
        CTb* fields = block->Fields();
        if (block->live == block->used) {
            if (index < block->used)
                return fields + index;
            index -= block->used;
            continue;
        }
        for (int i = 0; i < block->used; ++i) {
            if (!fields[i].m_removed && index-- == 0)
                return fields + i;
        }
    }
    return nullptr;
}

void COneRecord::FreeBlock(Block* block)
{
    CTb* fields = block->Fields();
    for (int i = 0; i < block->used; ++i)
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

CTb* CRecordChunks::AddFields(COneRecord& record, int count, int spare)
{
    if (count <= 0)
        return nullptr;
    const int capacity = count + std::max(spare, 0);
    const std::size_t size = COneRecord::kBlockHeader + sizeof(CTb) * std::size_t(capacity);
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
    return record.Link(new (memory) COneRecord::Block{nullptr, m_chunk, capacity, 0, 0}, count);
}

const CTb* COneRecord::GetOneField(const QString& table, const QString& field) const
{
    if (table.isEmpty()) {
        const quint32 hash = FoldedHash(field);
        return Find(
            [&](const CTb& f) { return HashesOf(f.m_name).bare == hash && BareNameIs(f.GetName(), field); });
    }
    const quint32 hash = FoldedHash(field, FoldedHash(u".", FoldedHash(table)));
    return Find([&](const CTb& f) {
        return HashesOf(f.m_name).full == hash && MatchesFullName(f.GetName(), table, field);
    });
}

CTb* COneRecord::GetOneField(const QString& table, const QString& field)
{
    return const_cast<CTb*>(std::as_const(*this).GetOneField(table, field));
}

const CTb* COneRecord::FindField(const QString& name) const
{
    const quint32 hash = FoldedHash(name);
    return Find([&](const CTb& f) {
        return HashesOf(f.m_name).full == hash && EqualsNoAsciiCase(f.GetName(), name);
    });
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
    if (m_last && m_last->capacity - m_last->used >= count)
        return Link(m_last, count);
    const int capacity = std::max({count, m_reserve - m_count, count == 1 ? kAddedRoom : 0});
    void* memory = ::operator new(kBlockHeader + sizeof(CTb) * std::size_t(capacity));
    return Link(new (memory) Block{nullptr, nullptr, capacity, 0, 0}, count);
}

CTb* COneRecord::Link(Block* block, int count)
{
    CTb* fields = block->Fields() + block->used;
    for (int i = 0; i < count; ++i)
        new (fields + i) CTb();
    if (block != m_last) {
        (m_last ? m_last->next : m_blocks) = block;
        m_last = block;
    }
    block->used += count;
    block->live += count;
    m_count += count;
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
    CTb* target = GetOneField(table, field);
    if (!target)
        return false;
    Remove(target);
    return true;
}

void COneRecord::RemoveAt(int index)
{
    if (CTb* field = GetAt(index))
        Remove(field);
}

void COneRecord::Remove(CTb* field)
{
    Block* previous = nullptr;
    for (Block* block = m_blocks; block; previous = block, block = block->next) {
        CTb* fields = block->Fields();
        if (field < fields || field >= fields + block->used)
            continue;
        --m_count;
        if (--block->live == 0) {
            (previous ? previous->next : m_blocks) = block->next;
            if (m_last == block)
                m_last = previous;
            FreeBlock(block);
        } else if (field == fields + block->used - 1) {
            // The last slot is free for the next field added.
            field->~CTb();
            --block->used;
        } else {
            *field = CTb(); // frees its text now; its slot goes with the block
            field->m_removed = true;
        }
        return;
    }
}

void COneRecord::Clear()
{
    while (Block* block = m_blocks) {
        m_blocks = block->next;
        FreeBlock(block);
    }
    m_last = nullptr;
    m_count = 0;
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
