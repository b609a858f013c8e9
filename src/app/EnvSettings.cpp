#include "app/EnvSettings.h"

#include "platform/archive/ArchiveReader.h"
#include "platform/archive/ArchiveWriter.h"
#include "platform/archive/SafeFile.h"
#include "platform/text/Cp932.h"
#include "platform/ui/Fonts.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>

#include <cmath>

namespace
{

constexpr int kFaceBytes = 32;

} // namespace

QFont CLogFont::ToFont() const
{
    // A damaged file must not ask for a font of a million pixels.
    const qint64 height = lfHeight == 0 ? 15 : qBound(qint64(1), qAbs(qint64(lfHeight)), qint64(400));
    const int width = int(qBound(qint64(0), qAbs(qint64(lfWidth)), qint64(400)));
    return MakeFont(lfFaceName, int(height), int(qBound(0, lfWeight, 1000)), lfItalic != 0, lfUnderline != 0,
                    lfStrikeOut != 0, width);
}

void CLogFont::FromFont(const QFont& font)
{
    double pixels = font.pixelSize();
    if (pixels <= 0) {
        const QScreen* screen = QGuiApplication::primaryScreen();
        pixels = font.pointSizeF() * (screen ? screen->logicalDotsPerInchY() : 96.0) / 72.0;
    }
    // Negative: the character height, as the platform's font picker gives it.
    lfHeight = -qMax(1, int(std::lround(pixels)));
    lfWidth = 0;
    lfWeight = font.weight();
    lfItalic = font.italic() ? 1 : 0;
    lfUnderline = font.underline() ? 1 : 0;
    lfStrikeOut = font.strikeOut() ? 1 : 0;
    lfFaceName = font.family();
}

QString CEnvSettings::FilePath(const QString& dbFolder)
{
    return dbFolder.isEmpty() ? QString() : ResolveForWrite(dbFolder, QString::fromLatin1(kFileName));
}

CEnvSettings::LoadResult CEnvSettings::Load(const QString& path)
{
    if (path.isEmpty() || !QFileInfo::exists(path))
        return kMissing;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return kUnreadable;
    // More than the 80 bytes is never needed, whatever the file holds.
    const QByteArray bytes = file.read(kFileSize);
    if (file.error() != QFileDevice::NoError)
        return kUnreadable;
    return Read(bytes);
}

CEnvSettings::LoadResult CEnvSettings::Read(const QByteArray& bytes)
{
    // Each value is taken as soon as it is read, so an early end keeps the
    // values before it and leaves the rest as they were.
    CArchiveReader ar(bytes);
    try {
        m_nVersion = ar.ReadUInt32();
        if (IsNewerVersion())
            return kLoaded;
        m_crListBack = ar.ReadUInt32();
        const quint32 days = ar.ReadUInt32();
        m_nCalendarStartDays = days <= quint32(kMaxCalendarStartDays) ? days : 0;
        m_nBackupAtExit = ar.ReadUInt32();
        m_lfList.lfHeight = ar.ReadInt32();
        m_lfList.lfWidth = ar.ReadInt32();
        m_lfList.lfEscapement = ar.ReadInt32();
        m_lfList.lfOrientation = ar.ReadInt32();
        m_lfList.lfWeight = ar.ReadInt32();
        m_lfList.lfItalic = ar.ReadByte();
        m_lfList.lfUnderline = ar.ReadByte();
        m_lfList.lfStrikeOut = ar.ReadByte();
        m_lfList.lfCharSet = ar.ReadByte();
        m_lfList.lfOutPrecision = ar.ReadByte();
        m_lfList.lfClipPrecision = ar.ReadByte();
        m_lfList.lfQuality = ar.ReadByte();
        m_lfList.lfPitchAndFamily = ar.ReadByte();
        // A name that fills all 32 bytes has no terminator.
        QByteArray face = ar.ReadBytes(kFaceBytes);
        const qsizetype end = face.indexOf('\0');
        if (end >= 0)
            face.truncate(end);
        m_lfList.lfFaceName = Cp932::Decode(face);
        m_nAutoFontShrink = ar.ReadUInt32();
    } catch (const CArchiveError&) {
        return kShort;
    }
    return kLoaded;
}

QByteArray CEnvSettings::ToBytes() const
{
    CArchiveWriter ar;
    ar.WriteUInt32(m_nVersion);
    ar.WriteUInt32(m_crListBack);
    ar.WriteUInt32(m_nCalendarStartDays);
    ar.WriteUInt32(m_nBackupAtExit);
    ar.WriteInt32(m_lfList.lfHeight);
    ar.WriteInt32(m_lfList.lfWidth);
    ar.WriteInt32(m_lfList.lfEscapement);
    ar.WriteInt32(m_lfList.lfOrientation);
    ar.WriteInt32(m_lfList.lfWeight);
    for (quint8 value :
         {m_lfList.lfItalic, m_lfList.lfUnderline, m_lfList.lfStrikeOut, m_lfList.lfCharSet,
          m_lfList.lfOutPrecision, m_lfList.lfClipPrecision, m_lfList.lfQuality, m_lfList.lfPitchAndFamily})
        ar.WriteByte(value);
    QByteArray face = Cp932::TruncateBytes(Cp932::Encode(m_lfList.lfFaceName), kFaceBytes);
    face.append(kFaceBytes - face.size(), '\0');
    ar.WriteBytes(face);
    ar.WriteUInt32(m_nAutoFontShrink);
    return ar.Data();
}

bool CEnvSettings::Save(const QString& path, QString* why) const
{
    QString reason;
    int error = 0;
    const QString file = QDir::toNativeSeparators(path);
    if (path.isEmpty())
        reason = QStringLiteral("使用中のデータベースのフォルダーが見つかりません。");
    // A damaged file reads as one of a newer version as well: the user
    // must know that deleting it is how to start afresh.
    else if (IsNewerVersion())
        reason = QStringLiteral("設定ファイル<%1>の形式（バージョン%2）はこのプログラムの形式（バージョン%3）"
                                "ではないため、上書きしませんでした。\n新しいバージョンで作られたファイルで"
                                "なければ壊れています。削除すると、次に保存するときに作り直します。")
                     .arg(file)
                     .arg(m_nVersion)
                     .arg(kVersion);
    else if (!AtomicWriteFile(path, ToBytes(), &error))
        reason = QStringLiteral("設定ファイル<%1>に書き込めませんでした。\n%2")
                     .arg(file, WriteFailureReason(error));
    if (why)
        *why = reason;
    return reason.isEmpty();
}

void CEnvSettings::RestoreDefaults()
{
    const quint32 version = m_nVersion;
    *this = CEnvSettings();
    m_nVersion = version;
}

bool CEnvSettings::ParseCalendarStartDays(const QString& text, quint32& days, QString& message)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    if (!ok) {
        message = QStringLiteral("整数を入力してください。");
        return false;
    }
    if (value < 0 || value > kMaxCalendarStartDays) {
        message =
            QStringLiteral("%1 から %2 までの整数を入力してください。").arg(0).arg(kMaxCalendarStartDays);
        return false;
    }
    days = quint32(value);
    return true;
}
