#include "platform/ipc/ClipboardFormats.h"

#include "platform/archive/SafeFile.h"
#include "platform/env/ArdoEnv.h"

#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QHash>
#include <QMimeData>
#include <QSet>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <memory>
#include <sys/file.h>
#include <unistd.h>

namespace
{

const char kRegistryFile[] = "ClipboardFormats.txt";
// The registry is replaced on every change, so the lock lives in a file of its own.
const char kLockFile[] = "ClipboardFormats.lock";
constexpr int kMaxName = 255;

bool IsValidName(const QString& name)
{
    if (name.isEmpty() || name.size() > kMaxName)
        return false;
    for (const QChar c : name) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            return false;
    }
    return true;
}

class CFileLock
{
  public:
    explicit CFileLock(const QString& path)
        : m_fd(::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600))
    {
        if (m_fd < 0)
            return;
        int rc;
        do
            rc = ::flock(m_fd, LOCK_EX);
        while (rc != 0 && errno == EINTR);
        if (rc != 0) {
            ::close(m_fd);
            m_fd = -1;
        }
    }
    ~CFileLock()
    {
        if (m_fd >= 0)
            ::close(m_fd); // closing releases the lock
    }
    CFileLock(const CFileLock&) = delete;
    CFileLock& operator=(const CFileLock&) = delete;
    bool IsLocked() const { return m_fd >= 0; }

  private:
    int m_fd;
};

} // namespace

CClipboardFormats::CClipboardFormats() : CClipboardFormats(CArdoEnv().GetMyDataFolder()) {}

CClipboardFormats::CClipboardFormats(const QString& folder) : m_folder(folder) {}

uint CClipboardFormats::Register(const QString& name) const
{
    if (!IsValidName(name) || !QDir().mkpath(m_folder))
        return 0;
    const CFileLock lock(m_folder + u'/' + QLatin1String(kLockFile));
    if (!lock.IsLocked())
        return 0;

    const QString path = m_folder + u'/' + QLatin1String(kRegistryFile);
    QFile file(path);
    QByteArray content;
    if (file.exists()) {
        if (!file.open(QIODevice::ReadOnly))
            return 0;
        content = file.readAll();
    }
    // "<number>\t<name>" per line. Damaged lines and repeated names or
    // numbers are passed over, so no two names ever share a number.
    QByteArray kept;
    QHash<QString, uint> numbers;
    QSet<uint> taken;
    uint next = kFirst;
    for (const QByteArray& line : content.split('\n')) {
        const qsizetype tab = line.indexOf('\t');
        bool ok = false;
        const uint number = tab > 0 ? line.left(tab).toUInt(&ok) : 0;
        const QString known = QString::fromUtf8(line.mid(tab + 1));
        if (!ok || number < kFirst || number > kLast || !IsValidName(known) || numbers.contains(known) ||
            taken.contains(number))
            continue;
        numbers.insert(known, number);
        taken.insert(number);
        next = std::max(next, number + 1);
        kept += line + '\n';
    }
    if (const auto found = numbers.constFind(name); found != numbers.cend())
        return *found;
    if (next > kLast)
        return 0;
    kept += QByteArray::number(next) + '\t' + name.toUtf8() + '\n';
    return AtomicWriteFile(path, kept) ? next : 0;
}

uint RegisterClipboardFormat(const QString& name)
{
    return CClipboardFormats().Register(name);
}

QString ClipboardFormatMimeType(uint format)
{
    return QStringLiteral("application/x-corvanta-cf-%1").arg(format);
}

bool SetClipboardBlock(uint format, const QByteArray& block)
{
    if (format < CClipboardFormats::kFirst || format > CClipboardFormats::kLast ||
        !qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return false;
    QClipboard* clipboard = QGuiApplication::clipboard();
    const QString mime = ClipboardFormatMimeType(format);
    auto data = std::make_unique<QMimeData>();
    if (const QMimeData* current = clipboard->mimeData()) {
        for (const QString& other : current->formats())
            data->setData(other, current->data(other));
    }
    data->setData(mime, block);
    clipboard->setMimeData(data.release());
    const QMimeData* now = clipboard->mimeData();
    return now && now->hasFormat(mime);
}

QByteArray GetClipboardBlock(uint format)
{
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return {};
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    const QString mime = ClipboardFormatMimeType(format);
    return data && data->hasFormat(mime) ? data->data(mime) : QByteArray();
}
