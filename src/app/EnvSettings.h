#pragma once

#include "platform/ui/ColorRef.h"

#include <QByteArray>
#include <QColor>
#include <QFont>
#include <QString>

// The platform font description as "MSettingInfo.dat" stores it.
struct CLogFont {
    qint32 lfHeight = 15;
    qint32 lfWidth = 0;
    qint32 lfEscapement = 0;
    qint32 lfOrientation = 0;
    qint32 lfWeight = 400;
    quint8 lfItalic = 0;
    quint8 lfUnderline = 0;
    quint8 lfStrikeOut = 0;
    quint8 lfCharSet = 128; // Shift-JIS
    quint8 lfOutPrecision = 0;
    quint8 lfClipPrecision = 0;
    quint8 lfQuality = 0;
    quint8 lfPitchAndFamily = 0;
    QString lfFaceName = QStringLiteral(u"ＭＳ ゴシック");

    bool operator==(const CLogFont&) const = default;

    // The screen font it describes (height 0 means the default 15 pixels).
    QFont ToFont() const;
    // The description of a font picked by the user; the character set and
    // the precisions keep their values.
    void FromFont(const QFont& font);
};

// The user's working environment of one database, kept in the file
// "MSettingInfo.dat" of its folder: 80 bytes of little-endian values.
struct CEnvSettings {
    static constexpr quint32 kVersion = 1;
    static constexpr int kFileSize = 80;
    static constexpr int kMaxCalendarStartDays = 14;
    static constexpr char kFileName[] = "MSettingInfo.dat";

    enum LoadResult {
        kLoaded,     // every value read (or a newer file's version only)
        kMissing,    // no file: the values stay and the file should be written
        kShort,      // the file ended early: the values read so far are kept
        kUnreadable, // the file exists but cannot be read: nothing changed
    };

    quint32 m_nVersion = kVersion;
    quint32 m_crListBack = MakeColorRef(212, 208, 200);
    quint32 m_nCalendarStartDays = 0; // 0-14
    quint32 m_nBackupAtExit = 1;
    CLogFont m_lfList;
    quint32 m_nAutoFontShrink = 1;

    bool operator==(const CEnvSettings&) const = default;

    // The file in a database folder, found whatever the case of its name;
    // empty without a folder.
    static QString FilePath(const QString& dbFolder);

    // Reads the file over the current values. A file of a newer version
    // gives its version only: its layout is not ours to read. A calendar
    // start beyond 14 days falls back to 0.
    LoadResult Load(const QString& path);
    LoadResult Read(const QByteArray& bytes);

    // Writes the 80 bytes through an atomic replace. False without a path,
    // when writing fails, and for settings loaded from a newer version's
    // file, which is never overwritten with an older layout; `why` (when
    // given) then names the file and the reason.
    bool Save(const QString& path, QString* why = nullptr) const;
    QByteArray ToBytes() const;

    bool IsNewerVersion() const { return m_nVersion > kVersion; }
    QColor ListBackColor() const { return ColorFromRef(m_crListBack); }
    QFont ListFont() const { return m_lfList.ToFont(); }

    // "既定値に戻す": every setting but the version back to its default.
    void RestoreDefaults();

    // The dialog's check of the calendar start: an integer from 0 to 14,
    // else false with the message to show.
    static bool ParseCalendarStartDays(const QString& text, quint32& days, QString& message);
};
