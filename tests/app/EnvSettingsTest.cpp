#include "app/EnvSettings.h"
#include "app/EnvSettingsDlg.h"

#include "platform/ui/FakeUi.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace
{

// The defaults as the file holds them.
// clang-format off
const QByteArray kDefaultBytes = QByteArray::fromHex(
    "01000000"                                 // version
    "d4d0c800"                                 // RGB(212, 208, 200)
    "00000000"                                 // calendar start days
    "01000000"                                 // backup at exit
    "0f000000" "00000000" "00000000" "00000000" // height 15, width, escapement, orientation
    "90010000"                                 // weight 400
    "00000080" "00000000"                      // italic, underline, strike-out, charset 128, precisions...
    "826c827220835383568362834e"               // "ＭＳ ゴシック"
    "00000000000000000000000000000000000000"   // NUL padding to 32 bytes
    "01000000");                               // automatic font shrink
// clang-format on

QByteArray ReadFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

CEnvSettings Customised()
{
    CEnvSettings s;
    s.m_crListBack = MakeColorRef(1, 2, 3);
    s.m_nCalendarStartDays = 14;
    s.m_nBackupAtExit = 0;
    s.m_lfList.lfHeight = -16;
    s.m_lfList.lfWeight = 700;
    s.m_lfList.lfItalic = 1;
    s.m_lfList.lfFaceName = QStringLiteral("Noto Sans CJK JP");
    s.m_nAutoFontShrink = 0;
    return s;
}

TEST(EnvSettingsTest, FileBytesRoundTripAndFileName)
{
    const CEnvSettings defaults;
    ASSERT_EQ(kDefaultBytes.size(), CEnvSettings::kFileSize);
    EXPECT_EQ(defaults.ToBytes().toHex(), kDefaultBytes.toHex());

    QTemporaryDir dir;
    // An existing file is found and replaced whatever the case of its name.
    const QString stored = dir.filePath(QStringLiteral("msettinginfo.DAT"));
    WriteFile(stored, kDefaultBytes);
    EXPECT_EQ(CEnvSettings::FilePath(dir.path()), stored);
    EXPECT_EQ(CEnvSettings::FilePath(QString()), QString());

    const CEnvSettings custom = Customised();
    ASSERT_TRUE(custom.Save(stored));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("msettinginfo.DAT")});
    const QByteArray bytes = ReadFile(stored);
    ASSERT_EQ(bytes.size(), 80);
    EXPECT_EQ(bytes.mid(4, 4).toHex(), "01020300");
    EXPECT_EQ(bytes.mid(16, 4).toHex(), "f0ffffff");
    EXPECT_EQ(bytes.mid(44, 17), QByteArray("Noto Sans CJK JP\0", 17));

    CEnvSettings loaded;
    EXPECT_EQ(loaded.Load(stored), CEnvSettings::kLoaded);
    EXPECT_EQ(loaded, custom);
    EXPECT_EQ(loaded.ListFont().pixelSize(), 16);
    EXPECT_TRUE(loaded.ListFont().italic());

    CEnvSettings none;
    EXPECT_EQ(none.Load(dir.filePath(QStringLiteral("missing.dat"))), CEnvSettings::kMissing);
    EXPECT_EQ(none, CEnvSettings());
    EXPECT_FALSE(none.Save(QString()));
}

TEST(EnvSettingsTest, DamagedFilesKeepWhatWasRead)
{
    const QByteArray full = Customised().ToBytes();

    // Cut inside the face name: everything before it is kept.
    CEnvSettings shortFile;
    EXPECT_EQ(shortFile.Read(full.left(50)), CEnvSettings::kShort);
    EXPECT_EQ(shortFile.m_crListBack, MakeColorRef(1, 2, 3));
    EXPECT_EQ(shortFile.m_lfList.lfItalic, 1);
    EXPECT_EQ(shortFile.m_lfList.lfFaceName, CLogFont().lfFaceName);
    EXPECT_EQ(shortFile.m_nAutoFontShrink, 1u);

    CEnvSettings empty;
    EXPECT_EQ(empty.Read(QByteArray()), CEnvSettings::kShort);
    EXPECT_EQ(empty, CEnvSettings());

    // A face name filling all 32 bytes has no terminator and reads whole;
    // writing it back gives the same bytes.
    QByteArray noNul = full;
    noNul.replace(44, 32,
                  QByteArray::fromHex("82a082a282a482a682a882a982ab82ad82af82b182b382b582b782b982bb82bd"));
    CEnvSettings longFace;
    EXPECT_EQ(longFace.Read(noNul + "trailing bytes"), CEnvSettings::kLoaded);
    EXPECT_EQ(longFace.m_lfList.lfFaceName, QStringLiteral(u"あいうえおかきくけこさしすせそた"));
    EXPECT_EQ(longFace.m_nAutoFontShrink, 0u);
    EXPECT_EQ(longFace.ToBytes(), noNul);

    // Out-of-range values from a damaged file stay harmless.
    QByteArray hostile = full;
    hostile.replace(8, 4, QByteArray::fromHex("c8000000"));  // 200 days
    hostile.replace(16, 4, QByteArray::fromHex("00000080")); // height INT_MIN
    CEnvSettings odd;
    EXPECT_EQ(odd.Read(hostile), CEnvSettings::kLoaded);
    EXPECT_EQ(odd.m_nCalendarStartDays, 0u);
    EXPECT_EQ(odd.ListFont().pixelSize(), 400);
}

TEST(EnvSettingsTest, NewerVersionIsReadNoFurtherAndNeverOverwritten)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QString::fromLatin1(CEnvSettings::kFileName));
    QByteArray newer = Customised().ToBytes();
    newer[0] = 2;
    newer += "more settings of a later release";
    WriteFile(path, newer);

    CEnvSettings settings;
    EXPECT_EQ(settings.Load(path), CEnvSettings::kLoaded);
    EXPECT_EQ(settings.m_nVersion, 2u);
    CEnvSettings expected;
    expected.m_nVersion = 2;
    EXPECT_EQ(settings, expected);

    settings.RestoreDefaults();
    EXPECT_EQ(settings.m_nVersion, 2u);
    EXPECT_FALSE(settings.Save(path));
    EXPECT_EQ(ReadFile(path), newer);
}

TEST(EnvSettingsTest, DialogEditsACopyAndChecksTheStartDays)
{
    ScopedFakeUi ui;
    quint32 days = 99;
    QString message;
    EXPECT_TRUE(CEnvSettings::ParseCalendarStartDays(QStringLiteral("14"), days, message));
    EXPECT_EQ(days, 14u);
    EXPECT_FALSE(CEnvSettings::ParseCalendarStartDays(QStringLiteral("15"), days, message));
    EXPECT_EQ(message, QStringLiteral("0 から 14 までの整数を入力してください。"));
    EXPECT_FALSE(CEnvSettings::ParseCalendarStartDays(QStringLiteral("1.5"), days, message));
    EXPECT_EQ(message, QStringLiteral("整数を入力してください。"));
    EXPECT_EQ(days, 14u);

    const CEnvSettings custom = Customised();
    CEnvSettingDlg dialog(custom);
    auto* spin = dialog.findChild<QSpinBox*>();
    ASSERT_NE(spin, nullptr);
    EXPECT_EQ(spin->value(), 14);

    // An emptied day count refuses OK with the framework's message.
    spin->findChild<QLineEdit*>()->clear();
    dialog.accept();
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(ui.Prompt().Texts(), QStringList{QStringLiteral("整数を入力してください。")});

    QPushButton* defaults = nullptr;
    QPushButton* help = nullptr;
    for (QPushButton* button : dialog.findChildren<QPushButton*>()) {
        if (button->text() == QStringLiteral("既定値に戻す"))
            defaults = button;
        if (button->text() == QStringLiteral("？"))
            help = button;
    }
    ASSERT_TRUE(defaults && help);
    help->click();
    EXPECT_EQ(ui.Help().Topics(), QList<int>{2011});

    defaults->click();
    spin->setValue(3);
    for (QCheckBox* check : dialog.findChildren<QCheckBox*>()) {
        if (check->text() == QStringLiteral("アプリケーション終了時にバックアップをとる"))
            check->setChecked(false);
    }
    // A colour picked after those edits keeps them.
    dialog.SetListColor(QColor(1, 2, 3));
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    CEnvSettings expected;
    expected.m_nCalendarStartDays = 3;
    expected.m_nBackupAtExit = 0;
    expected.m_crListBack = MakeColorRef(1, 2, 3);
    EXPECT_EQ(dialog.Settings(), expected);
}

} // namespace
