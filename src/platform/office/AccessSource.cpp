#include "platform/office/AccessSource.h"

#include "platform/text/Cp932.h"
#include "platform/ui/UiServices.h"
#include "platform/ui/WaitIndicator.h"
#include "platform/work/LongWork.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>

#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <thread>
#include <vector>

namespace
{

// An Access database holds at most 32 768 objects; a record of a master
// table a few kilobytes, long memos included.
constexpr qsizetype kMostTables = 32768;
constexpr qsizetype kMostLineBytes = qsizetype(4) << 20;
// Access names a table in at most 64 characters.
constexpr qsizetype kMostNameChars = 64;

// The end of what a helper writes on stderr, read as it comes on a thread
// of its own, so that a helper that floods it is never waited on and never
// held: only the last few KB are kept, for the reason of its end.
class CErrorTail
{
  public:
    CErrorTail()
    {
        int ends[2];
        if (pipe2(ends, O_CLOEXEC) != 0)
            return;
        m_read = ends[0];
        m_write = ends[1];
        fcntl(m_read, F_SETFL, fcntl(m_read, F_GETFL) | O_NONBLOCK);
        // A larger pipe is read in fewer turns; the default one does too.
        fcntl(m_read, F_SETPIPE_SZ, 1 << 20);
    }
    ~CErrorTail()
    {
        Stop();
        if (m_read >= 0)
            close(m_read);
    }
    CErrorTail(const CErrorTail&) = delete;
    CErrorTail& operator=(const CErrorTail&) = delete;

    // The end the helper writes to; -1 without a pipe.
    int WriteEnd() const { return m_write; }

    // Once the helper has started with the write end: this side lets it go
    // and reads.
    void Start()
    {
        CloseWrite();
        if (m_read >= 0)
            m_reader = std::thread([this] { Drain(); });
    }

    // What the helper wrote last, once it has ended: what waits in the pipe
    // is taken, and the reading stops.
    QByteArray Stop()
    {
        CloseWrite();
        m_bStop = true;
        if (m_reader.joinable())
            m_reader.join();
        return m_tail;
    }

  private:
    static constexpr qsizetype kKept = 4096;

    void CloseWrite()
    {
        if (m_write >= 0)
            close(m_write);
        m_write = -1;
    }

    void Drain()
    {
        std::vector<char> block(size_t(1) << 20);
        for (;;) {
            const bool stopping = m_bStop;
            pollfd ready{m_read, POLLIN, 0};
            poll(&ready, 1, stopping ? 0 : 100);
            ssize_t n;
            while ((n = read(m_read, block.data(), block.size())) > 0) {
                m_tail.append(block.data(), n);
                if (m_tail.size() > 2 * kKept)
                    m_tail = m_tail.right(kKept);
            }
            // The last writer gone, or the helper ended and its words taken.
            if (n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR) || stopping)
                break;
        }
        m_tail = m_tail.right(kKept);
    }

    int m_read = -1;
    int m_write = -1;
    std::atomic<bool> m_bStop{false};
    std::thread m_reader;
    QByteArray m_tail;
};

// libmdb's column types.
int TypeOfMdb(int mdbType)
{
    switch (mdbType) {
    case 0x01:
        return CAccessColumn::kBool;
    case 0x02:
    case 0x03:
    case 0x04:
    case 0x13:
        return CAccessColumn::kInteger; // 0x13: "Large Number"
    case 0x14:
        return CAccessColumn::kDate; // "Date/Time Extended"
    case 0x05:
    case 0x10:
        return CAccessColumn::kCurrency; // money and decimal: exact decimals
    case 0x06:
    case 0x07:
        return CAccessColumn::kFloat;
    case 0x08:
        return CAccessColumn::kDate;
    case 0x0f:
        return CAccessColumn::kGuid;
    case 0x09:
    case 0x0b:
    case 0x12:
        return CAccessColumn::kBinary;
    default:
        return CAccessColumn::kText;
    }
}

QString Unescape(QStringView field, bool* isNull)
{
    *isNull = field == u"\\N";
    if (*isNull || !field.contains(u'\\'))
        return field.toString();
    QString out;
    out.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        if (field[i] != u'\\' || i + 1 >= field.size()) {
            out += field[i];
            continue;
        }
        const QChar next = field[++i];
        out += next == u't' ? u'\t' : next == u'n' ? u'\n' : next == u'r' ? u'\r' : next;
    }
    return out;
}

// "value <column> <row> [<key column> <value>]...": the column and the row,
// by its key's values when the helper gave them, else by its number.
QString ValueStep(const QString& stage)
{
    const QStringList parts = stage.split(u'\t');
    bool isNull = false;
    const QString column = Unescape(parts.value(1), &isNull);
    QStringList key;
    for (qsizetype i = 3; i + 1 < parts.size(); i += 2)
        key << QStringLiteral("%1「%2」").arg(Unescape(parts[i], &isNull), Unescape(parts[i + 1], &isNull));
    const QString row = !key.isEmpty()     ? key.join(QStringLiteral("、")) + QStringLiteral("の行の")
                        : parts.size() > 2 ? QStringLiteral("%1行目の").arg(parts[2])
                                           : QString();
    return QStringLiteral("%1列「%2」に読み込めない値があります").arg(row, column);
}

// A plain decimal without grouping or trailing zeros.
QString PlainDecimal(QString text)
{
    text = text.trimmed();
    if (text.contains(u'.')) {
        while (text.endsWith(u'0'))
            text.chop(1);
        if (text.endsWith(u'.'))
            text.chop(1);
    }
    if (text.isEmpty() || text == u"-")
        text = QStringLiteral("0");
    return text;
}

QVariant Typed(int type, const QString& text)
{
    bool ok = false;
    switch (type) {
    case CAccessColumn::kInteger: {
        const qint64 value = text.toLongLong(&ok);
        return ok ? QVariant(value) : QVariant();
    }
    case CAccessColumn::kFloat: {
        const double value = text.toDouble(&ok);
        return ok ? QVariant(value) : QVariant();
    }
    case CAccessColumn::kCurrency:
        return PlainDecimal(text);
    case CAccessColumn::kDate: {
        const QDateTime value = QDateTime::fromString(text, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        return value.isValid() ? QVariant(value) : QVariant();
    }
    case CAccessColumn::kBool:
        return text == u"1";
    default:
        return text;
    }
}

// The peak address space of a running process, from /proc; 0 unknown.
qint64 PeakBytes(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmPeak:"))
            return line.mid(7).trimmed().split(' ').value(0).toLongLong() * 1024;
    }
    return 0;
}

class CMdbAccessSource : public IAccessSource
{
  public:
    CMdbAccessSource(int timeoutMs, qint64 maxBytes, qint64 memoryBytes, int tablesTimeoutMs)
        : m_nTimeout(timeoutMs), m_nTablesTimeout(qMin(timeoutMs, tablesTimeoutMs)), m_nMaxBytes(maxBytes),
          m_nMemoryBytes(memoryBytes)
    {
    }

    int Open(const QString& path) override
    {
        m_strPath = path;
        m_tables.clear();
        m_strOpenStop.clear();
        QString stage;
        // A name longer than Access makes is a damaged catalog's, and so is
        // the rest of its list: refused, not left out.
        bool longName = false;
        const bool listed = Run(
            {QStringLiteral("tables"), path}, m_nTablesTimeout,
            [this, &longName](const QString& line) {
                bool isNull = false;
                if (line.startsWith(u"T\t")) {
                    m_tables << Unescape(QStringView(line).mid(2), &isNull);
                    longName = m_tables.last().size() > kMostNameChars;
                }
                return !longName && m_tables.size() <= kMostTables;
            },
            stage);
        if (!listed) {
            m_tables.clear();
            if (longName)
                stage = QStringLiteral("name");
            if (stage == u"time" || stage == u"size" || stage == u"name" || stage == u"start")
                m_strOpenStop = stage;
            return stage == u"tables"     ? kTables
                   : stage == u"password" ? kPassword
                   : stage == u"memory"   ? kMemory
                                          : kOpen;
        }
        std::sort(m_tables.begin(), m_tables.end());
        return kOk;
    }

    QStringList Tables() const override { return m_tables; }

    bool ReadTable(const QString& table, QList<CAccessColumn>& columns, QStringList& keys,
                   QList<CAccessRow>& rows, QString& step) override
    {
        columns.clear();
        keys.clear();
        rows.clear();
        // Each line is typed as it comes; past the cell bound the helper is
        // stopped. A malformed row is told once the helper has ended well:
        // its own failures and limits come first.
        bool malformed = false;
        qint64 cells = 0; // a column or key one, a row its columns and label
        const auto take = [&](const QString& line) {
            if (malformed)
                return true;
            const QList<QStringView> fields = QStringView(line).split(u'\t');
            bool isNull = false;
            if (fields.first() == u"C" && fields.size() == 4) {
                CAccessColumn column;
                column.ordinal = fields[1].toInt();
                column.type = TypeOfMdb(fields[2].toInt());
                column.name = Unescape(fields[3], &isNull);
                columns << column;
                ++cells;
            } else if (fields.first() == u"K" && fields.size() == 2) {
                keys << Unescape(fields[1], &isNull);
                ++cells;
            } else if (fields.first() == u"R") {
                if (fields.size() != columns.size() + 1) {
                    malformed = true;
                    rows.clear();
                    return true;
                }
                // The row's values, as the import counts a table's cells.
                cells += columns.size();
                if (cells > m_nMaxCells)
                    return false;
                CAccessRow row;
                row.reserve(columns.size());
                for (qsizetype c = 0; c < columns.size(); ++c) {
                    const QString text = Unescape(fields[c + 1], &isNull);
                    row << (isNull ? QVariant() : Typed(columns[c].type, text));
                }
                rows << row;
            }
            return cells <= m_nMaxCells;
        };
        QString stage;
        const bool ran = Run({QStringLiteral("read"), m_strPath, table}, m_nTimeout, take, stage);
        if (ran && !malformed)
            return true;
        const QString column = stage.section(u'\t', 1);
        step = malformed && ran ? QStringLiteral("データの読み込み")
               : stage == u"time" ? QStringLiteral("%1秒以内に読み込めませんでした").arg(m_nTimeout / 1000.0)
               : stage == u"size"    ? TooLargeStep()
               : stage == u"memory"  ? MemoryText()
               : stage == u"columns" ? QStringLiteral("列の読み込み")
               : stage.startsWith(u"type\t")
                   ? QStringLiteral("列「%1」はこのデータ型を読み込めません").arg(column)
               : stage.startsWith(u"value\t") ? ValueStep(stage)
                                              : QStringLiteral("データベースの読み込み");
        columns.clear();
        keys.clear();
        rows.clear();
        return false;
    }

    QString OpenMessage(int stage) const override
    {
        const QString damaged =
            QStringLiteral("データベースを開けません。\n%1。ファイルが壊れている可能性があります。");
        switch (stage) {
        case kMemory:
            return damaged.arg(MemoryText());
        case kOpen:
            // Stopped at a limit: a catalog that libmdb walks in circles.
            if (m_strOpenStop == u"time")
                return damaged.arg(QStringLiteral("テーブルの一覧を%1秒以内に読み込めませんでした")
                                       .arg(m_nTablesTimeout / 1000.0));
            if (m_strOpenStop == u"size")
                return damaged.arg(QStringLiteral("テーブルの一覧が大きすぎます"));
            if (m_strOpenStop == u"name")
                return damaged.arg(
                    QStringLiteral("テーブルの一覧に%1文字を超える名前があります").arg(kMostNameChars));
            if (m_strOpenStop == u"start")
                return IAccessSource::OpenMessage(stage) +
                       QStringLiteral("\nデータベースを読み込むプログラム（%1）を起動できません。")
                           .arg(QFileInfo(HelperPath()).fileName());
            [[fallthrough]];
        case kTables:
            // libmdb could not open or list it, or ended in the middle.
            return IAccessSource::OpenMessage(stage) +
                   QStringLiteral("\n%1 は壊れているか、読み込めない形式のファイルです。")
                       .arg(QFileInfo(m_strPath).fileName());
        default:
            return IAccessSource::OpenMessage(stage);
        }
    }

  private:
    QString MemoryText() const
    {
        return QStringLiteral("読み込みに必要なメモリが上限（%1MB）を超えました").arg(m_nMemoryBytes >> 20);
    }

    static QString HelperPath()
    {
        const QString named = qEnvironmentVariable("CORVANTA_MDB_HELPER");
        if (!named.isEmpty())
            return named;
        return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("corvanta-mdb"));
    }

    // Runs the helper, handing each of its lines to `take` as it comes (the
    // closing "OK" or "X" line aside); true when it ended with "OK". False
    // with the failed stage: "time" (past `timeoutMs`) or "size" past a
    // limit (past `maxBytes` of output, a line past kMostLineBytes, or
    // `take` answered false), when the helper is stopped; "stopped" when
    // the user stopped the read; "memory" when it ended at its memory
    // limit, "open" when it crashed otherwise or said nothing sensible,
    // "start" when it could not start; else the stage its "X" line names.
    // Its stderr is never waited on nor held beyond its last few KB. The
    // deadline is checked on every pass, so a helper that keeps printing is
    // stopped too; the helper's own limits (address space, processor time)
    // end it even while this side waits. The wait dialog paints on every
    // pass.
    bool Run(const QStringList& arguments, int timeoutMs, const std::function<bool(const QString&)>& take,
             QString& stage) const
    {
        stage = QStringLiteral("open");
        QProcess process;
        process.setProgram(HelperPath());
        process.setArguments(arguments);
        const qint64 memory = m_nMemoryBytes;
        const int seconds = timeoutMs / 1000 + 1;
        // Its stderr goes to a pipe of this side's own, read as it comes:
        // QProcess would keep all of it while this side waits for stdout.
        CErrorTail tail;
        const int errorEnd = tail.WriteEnd();
        if (errorEnd >= 0)
            process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        else
            process.setStandardErrorFile(QProcess::nullDevice());
        process.setChildProcessModifier([memory, seconds, errorEnd] {
            // Only what is safe between fork and exec: system calls.
            if (errorEnd >= 0)
                dup2(errorEnd, STDERR_FILENO);
#if !defined(__SANITIZE_ADDRESS__)
            const rlimit space{rlim_t(memory), rlim_t(memory)};
            setrlimit(RLIMIT_AS, &space);
#else
            Q_UNUSED(memory);
#endif
            const rlimit cpu{rlim_t(seconds), rlim_t(seconds + 1)};
            setrlimit(RLIMIT_CPU, &cpu);
        });
        QElapsedTimer timer;
        timer.start();
        process.start(QIODevice::ReadOnly);
        tail.Start();
        if (!process.waitForStarted(timeoutMs)) {
            stage = QStringLiteral("start");
            return false;
        }
        auto stop = [&process, &stage](const char* why) {
            process.kill();
            process.waitForFinished(5000);
            stage = QLatin1String(why);
            return false;
        };
        QByteArray pending;
        qint64 total = 0;
        bool ok = false; // the last line is "OK"
        QString failure; // what the last line, an "X" line, names
        // The whole lines of `pending`, and at the end the rest; false once
        // `take` answered false.
        const auto takeLines = [&](bool atEnd) {
            qsizetype from = 0;
            for (qsizetype end = 0; from < pending.size(); from = end + 1) {
                end = pending.indexOf('\n', from);
                if (end < 0) {
                    if (!atEnd)
                        break;
                    end = pending.size();
                }
                if (end == from)
                    continue;
                if (end - from > kMostLineBytes)
                    return false;
                const QString line = QString::fromUtf8(QByteArrayView(pending).sliced(from, end - from));
                ok = line == u"OK";
                failure = line.startsWith(u"X\t") ? line.mid(2) : QString();
                if (!ok && failure.isEmpty() && !take(line))
                    return false;
            }
            pending.remove(0, qMin(from, pending.size()));
            return true;
        };
        qint64 peak = 0;
        for (;;) {
            const bool running = process.state() != QProcess::NotRunning;
            if (running)
                peak = qMax(peak, PeakBytes(process.processId()));
            const QByteArray out = process.readAllStandardOutput();
            total += out.size();
            pending += out;
            if (total > m_nMaxBytes || !takeLines(false) || pending.size() > kMostLineBytes)
                return stop("size");
            if (LongWork::Stopped())
                return stop("stopped");
            if (!running)
                break;
            const qint64 left = timeoutMs - timer.elapsed();
            if (left <= 0)
                return stop("time");
            UiServices::Wait().KeepPainting();
            process.waitForReadyRead(int(qMin<qint64>(left, 200)));
        }
        if (!takeLines(true))
            return stop("size");
        if (process.exitStatus() != QProcess::NormalExit) {
            // Ended by its memory limit: an allocation refused, or an end
            // near the limit.
            const QByteArray err = tail.Stop();
            if (err.contains("failed to allocate") || err.contains("Cannot allocate memory") ||
                peak >= memory / 4 * 3)
                stage = QStringLiteral("memory");
            return false;
        }
        if (process.exitCode() != 0 || !ok) {
            if (!failure.isEmpty())
                stage = failure;
            return false;
        }
        return true;
    }

    int m_nTimeout;
    int m_nTablesTimeout;
    qint64 m_nMaxBytes;
    qint64 m_nMemoryBytes;
    QString m_strPath;
    QStringList m_tables;
    QString m_strOpenStop; // the limit the last Open stopped at, if any
};

AccessSourceFactory& Factory()
{
    static AccessSourceFactory factory;
    return factory;
}

// Nulls first, then by value of the type.
int CompareValues(const QVariant& a, const QVariant& b, int type)
{
    if (a.isNull() || b.isNull())
        return a.isNull() == b.isNull() ? 0 : a.isNull() ? -1 : 1;
    switch (type) {
    case CAccessColumn::kInteger: {
        const qint64 x = a.toLongLong(), y = b.toLongLong();
        return x < y ? -1 : x > y ? 1 : 0;
    }
    case CAccessColumn::kFloat: {
        const double x = a.toDouble(), y = b.toDouble();
        return x < y ? -1 : x > y ? 1 : 0;
    }
    case CAccessColumn::kCurrency: {
        // Exact decimals: compare by sign, then integer digits, then text.
        QString x = a.toString(), y = b.toString();
        const bool nx = x.startsWith(u'-'), ny = y.startsWith(u'-');
        if (nx != ny)
            return nx ? -1 : 1;
        if (nx) {
            std::swap(x, y);
            x.remove(0, 1);
            y.remove(0, 1);
        }
        const qsizetype ix = x.indexOf(u'.') < 0 ? x.size() : x.indexOf(u'.');
        const qsizetype iy = y.indexOf(u'.') < 0 ? y.size() : y.indexOf(u'.');
        if (ix != iy)
            return ix < iy ? -1 : 1;
        return x.compare(y);
    }
    case CAccessColumn::kDate: {
        const QDateTime x = a.toDateTime(), y = b.toDateTime();
        return x < y ? -1 : x > y ? 1 : 0;
    }
    case CAccessColumn::kBool:
        return int(a.toBool()) - int(b.toBool());
    default:
        return a.toString().compare(b.toString());
    }
}

} // namespace

std::unique_ptr<IAccessSource> MakeMdbAccessSource(int timeoutMs, qint64 maxBytes, qint64 memoryBytes,
                                                   int tablesTimeoutMs)
{
    return std::make_unique<CMdbAccessSource>(timeoutMs, maxBytes, memoryBytes, tablesTimeoutMs);
}

QString IAccessSource::TooLargeStep()
{
    return QStringLiteral("読み込むデータが大きすぎます");
}

QString IAccessSource::OpenMessage(int stage) const
{
    if (stage == kPassword)
        return QStringLiteral("データベースがパスワードで保護されているため開けません。\n"
                              "Accessで開いてパスワードを解除してから読み込んでください。");
    return QStringLiteral("データベースを開けません<%1>").arg(stage);
}

std::unique_ptr<IAccessSource> MakeAccessSource()
{
    return Factory() ? Factory()() : MakeMdbAccessSource();
}

AccessSourceFactory SetAccessSourceFactory(AccessSourceFactory factory)
{
    AccessSourceFactory old = std::move(Factory());
    Factory() = std::move(factory);
    return old;
}

void SortAccessRows(const QList<CAccessColumn>& columns, const QStringList& keys, QList<CAccessRow>& rows)
{
    QList<QPair<int, int>> order; // column index, type
    for (const QString& key : keys) {
        for (qsizetype c = 0; c < columns.size(); ++c) {
            if (columns[c].name == key) {
                order << qMakePair(int(c), columns[c].type);
                break;
            }
        }
    }
    if (order.isEmpty())
        return;
    std::stable_sort(rows.begin(), rows.end(), [&order](const CAccessRow& a, const CAccessRow& b) {
        for (const auto& [c, type] : order) {
            const int r = CompareValues(a.value(c), b.value(c), type);
            if (r != 0)
                return r < 0;
        }
        return false;
    });
}

QString AccessCellText(int type, const QVariant& value)
{
    if (value.isNull())
        return {};
    switch (type) {
    case CAccessColumn::kInteger:
        return QString::number(value.toLongLong());
    case CAccessColumn::kFloat:
        return PlainDecimal(QString::asprintf("%f", value.toDouble()));
    case CAccessColumn::kCurrency:
        return PlainDecimal(value.toString());
    case CAccessColumn::kDate:
        return value.toDateTime().date().toString(QStringLiteral("yyyy/MM/dd"));
    case CAccessColumn::kBool:
        return value.toBool() ? QStringLiteral("1") : QStringLiteral("0");
    case CAccessColumn::kBinary:
        return {};
    default:
        return Cp932::TruncateToBytes(value.toString(), 254);
    }
}
