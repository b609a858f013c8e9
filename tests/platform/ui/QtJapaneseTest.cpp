#include "TestPaths.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QMultiMap>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace
{

// What the probe printed: kind → texts, in order.
QMultiMap<QString, QString> RunProbe(const QProcessEnvironment& env, const QStringList& arguments)
{
    QProcess probe;
    probe.setProcessEnvironment(env);
    probe.start(QStringLiteral(CORVANTA_QT_JAPANESE_PROBE), arguments);
    // A bound for a process that hangs, not a measure.
    if (!probe.waitForFinished(120000) || probe.exitStatus() != QProcess::NormalExit ||
        probe.exitCode() != 0) {
        ADD_FAILURE() << "probe failed: " << probe.readAllStandardError().toStdString();
        return {};
    }
    QMultiMap<QString, QString> said;
    for (const QString& line :
         QString::fromUtf8(probe.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts)) {
        const qsizetype tab = line.indexOf(u'\t');
        said.insert(line.left(tab), line.mid(tab + 1));
    }
    return said;
}

QStringList InOrder(const QMultiMap<QString, QString>& said, const QString& kind)
{
    QStringList texts = said.values(kind);
    std::reverse(texts.begin(), texts.end()); // QMultiMap gives the last insertion first
    return texts;
}

} // namespace

// Qt's own file picker, started as the program starts, reads Japanese
// whatever the desktop's locale: on a machine without one (C), with none set
// and on an English desktop, its type names, sizes, dates and every word of
// its labels, buttons, tips and menu are Japanese. The environment itself is
// given back, so that the programs started from here keep the desktop's.
TEST(QtJapanese, TheFilePickerReadsJapaneseWhateverTheDesktopsLocale)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("sub")));
    {
        QFile file(dir.filePath(QStringLiteral("a.txt")));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_EQ(file.write("abc"), 3);
        ASSERT_TRUE(file.flush());
        ASSERT_TRUE(
            file.setFileTime(QDateTime(QDate(2024, 12, 8), QTime(9, 5)), QFileDevice::FileModificationTime));
    }
    const struct {
        const char* name;
        const char* lcAll; // null: unset
        const char* lang;
        const char* language;
    } desktops[] = {
        {"the C locale", "C", "C", nullptr},
        {"no locale set", nullptr, nullptr, nullptr},
        {"an English desktop", nullptr, "en_US.UTF-8", "en_US:en"},
        {"an English desktop forcing it", "en_GB.UTF-8", "en_GB.UTF-8", "en_GB"},
    };
    const QRegularExpression latin(QStringLiteral("[A-Za-z]"));
    const QRegularExpression mnemonic(QStringLiteral("\\(&[A-Za-z]\\)|&"));
    for (const auto& d : desktops) {
        SCOPED_TRACE(d.name);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name :
             {"LC_ALL", "LANG", "LANGUAGE", "LC_TIME", "LC_MESSAGES", "LC_NUMERIC", "LC_CTYPE"})
            env.remove(QString::fromLatin1(name));
        const std::pair<const char*, const char*> given[] = {
            {"LC_ALL", d.lcAll}, {"LANG", d.lang}, {"LANGUAGE", d.language}};
        for (const auto& [name, value] : given)
            if (value)
                env.insert(QString::fromLatin1(name), QString::fromLatin1(value));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));

        const auto said = RunProbe(env, {dir.path(), QStringLiteral("sub"), QStringLiteral("a.txt")});
        ASSERT_FALSE(said.isEmpty());
        EXPECT_EQ(said.value(QStringLiteral("system")), QStringLiteral("ja_JP"));
        EXPECT_EQ(InOrder(said, QStringLiteral("header")),
                  QStringList({QStringLiteral("名前"), QStringLiteral("サイズ"), QStringLiteral("タイプ"),
                               QStringLiteral("更新日")}));
        const QStringList entries = InOrder(said, QStringLiteral("entry"));
        ASSERT_EQ(entries.size(), 2);
        const QStringList folder = entries[0].split(u'\t');
        const QStringList file = entries[1].split(u'\t');
        ASSERT_EQ(folder.size(), 4);
        ASSERT_EQ(file.size(), 4);
        EXPECT_EQ(folder[0], QStringLiteral("sub"));
        EXPECT_EQ(folder[2], QStringLiteral("フォルダ"));
        EXPECT_EQ(file[0], QStringLiteral("a.txt"));
        EXPECT_EQ(file[1], QStringLiteral("3 バイト"));
        EXPECT_FALSE(file[2].isEmpty());
        EXPECT_FALSE(file[2].contains(latin)) << file[2].toStdString();
        EXPECT_EQ(file[3], QStringLiteral("2024/12/08 9:05"));

        // Every word of the picker, but the folder's path among the choices.
        for (const char* kind : {"label", "button", "tip", "action", "choice"}) {
            for (QString text : said.values(QString::fromLatin1(kind))) {
                if (text.startsWith(u'/'))
                    continue;
                text.remove(mnemonic);
                EXPECT_FALSE(text.contains(latin)) << kind << ": " << text.toStdString();
            }
        }
        EXPECT_FALSE(said.values(QStringLiteral("button")).isEmpty());

        for (const auto& [name, value] : given)
            EXPECT_TRUE(said.values(QStringLiteral("env"))
                            .contains(QString::fromLatin1(name) + u'=' +
                                      (value ? QString::fromLatin1(value) : QStringLiteral("<unset>"))))
                << name;
    }
}
