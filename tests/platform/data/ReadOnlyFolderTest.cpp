#include "DataTestUtil.h"

#include "platform/data/DbManager.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>

namespace
{

// The user the child runs as where the tests run as root, whom a folder's
// permissions stop as they stop any user.
constexpr uid_t kNobody = 65534;

// Runs `work` in a child process as an ordinary user (dropping root first,
// as the permissions of a folder do not stop root) and answers what it
// wrote, or why it could not run. `meanwhile` (may be empty) runs here once
// the child has answered and before it ends, so that what the work holds is
// still held; its answer follows the child's after a '|'.
QString AsOrdinaryUser(const std::function<QString()>& work, const std::function<QString()>& meanwhile = {})
{
    int out[2], go[2];
    if (::pipe(out) != 0 || ::pipe(go) != 0)
        return QStringLiteral("no pipe");
    const pid_t child = ::fork();
    if (child < 0)
        return QStringLiteral("no fork");
    if (child == 0) {
        ::close(out[0]);
        ::close(go[1]);
        QByteArray said;
        if (::geteuid() == 0 && (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0))
            said = "cannot drop root";
        else
            said = work().toUtf8();
        said += '\0';
        const char* p = said.constData();
        for (qsizetype left = said.size(); left > 0;) {
            const ssize_t n = ::write(out[1], p, size_t(left));
            if (n <= 0)
                break;
            p += n;
            left -= n;
        }
        // Holds on until the parent is done.
        char any;
        while (::read(go[0], &any, 1) > 0) {
        }
        ::_exit(0);
    }
    ::close(out[1]);
    ::close(go[0]);
    QByteArray heard;
    char c;
    while (::read(out[0], &c, 1) == 1 && c != '\0')
        heard.append(c);
    QString answer = QString::fromUtf8(heard);
    if (meanwhile)
        answer += u'|' + meanwhile();
    ::close(go[1]);
    ::close(out[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    return answer;
}

QString Answer(int connected, CMakeMsgID& data, const QString& err)
{
    QString write;
    QString written;
    if (data.IsOpen())
        write =
            QString::number(data.Execute(
                QStringLiteral("INSERT INTO Customer(CustomerCode, Company) VALUES ('R1', 'x')"), written)) +
            u' ' + written;
    return QStringLiteral("%1|%2|%3|%4").arg(connected).arg(data.IsReadOnly() ? 1 : 0).arg(write, err);
}

} // namespace

// A folder its user cannot write still connects, read-only (so the frame
// says so at once), even where the file itself is the user's: the lock is
// taken on the folder itself and on its lock file opened for reading when
// it has one, so a second holder is still refused, a user who may write the
// folder included, whoever came first; and every write is refused in
// Japanese as for a read-only file. A folder or file that cannot be read
// says so in Japanese, naming it.
TEST(ReadOnlyFolderTest, AFolderThatCannotBeWrittenConnectsReadOnlyOrSaysWhy)
{
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    ASSERT_EQ(::chmod(QFile::encodeName(root.path()).constData(), 0755), 0);
    const QString readOnly = CMakeMsgID::ErrorText(SQLITE_READONLY, QStringLiteral("{path}"), QString());
    const QString unreadable =
        QStringLiteral("このユーザーの権限ではデータベース%1を読み込めないため、"
                       "データベースを開けませんでした。"
                       "読み込めるように権限を変更してから、もう一度操作してください。");
    // Another user who may write the folder (root, whom modes do not stop).
    enum EWriter { kNone, kAfter, kBefore };
    const struct {
        const char* what;
        bool lockFile; // the folder holds its lock file (not the user's to write)
        mode_t folderMode;
        mode_t fileMode;
        EWriter writer; // connects while the user holds the database, or holds it first
        // connected|read-only|a write's answer and text|the connection's text
        // [|a second manager|the probe][|the writer]
        QString answer;
    } cases[] = {
        {"without a lock file", false, 0555, 0644, kAfter,
         QStringLiteral("1|1|10 ") + readOnly + QStringLiteral("||51|51|51")},
        {"with a lock file", true, 0555, 0644, kAfter,
         QStringLiteral("1|1|10 ") + readOnly + QStringLiteral("||51|51|51")},
        {"a writer first, without a lock file", false, 0555, 0644, kBefore, QStringLiteral("51|0||")},
        {"neither written nor read", false, 0111, 0644, kNone,
         QStringLiteral("-3|0||") + unreadable.arg(QStringLiteral("フォルダ<{folder}>"))},
        {"a file it cannot read", false, 0755, 0200, kNone,
         QStringLiteral("-3|0||") + unreadable.arg(QStringLiteral("ファイル<{path}>"))},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const QString folder = root.path() + u'/' + QString::fromLatin1(c.what).replace(u' ', u'_');
        ASSERT_TRUE(QDir().mkpath(folder));
        const QString path = CMakeMsgID::DatabasePath(folder);
        QString err;
        ASSERT_EQ(CMakeMsgID::CreateDatabase(path, QDateTime::currentDateTime(), err), 1)
            << err.toStdString();
        // The database file is the user's; the folder is not.
        if (::geteuid() == 0) {
            ASSERT_EQ(::chown(QFile::encodeName(path).constData(), kNobody, kNobody), 0);
        }
        ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), c.fileMode), 0);
        if (c.lockFile) {
            QFile lock(QDir(folder).filePath(QString::fromLatin1(CDbManager::kLockFileName)));
            ASSERT_TRUE(lock.open(QIODevice::WriteOnly));
            lock.close();
            ASSERT_EQ(::chmod(QFile::encodeName(lock.fileName()).constData(), 0444), 0);
        }
        ASSERT_EQ(::chmod(QFile::encodeName(folder).constData(), c.folderMode), 0);
        if (c.writer != kNone && ::geteuid() != 0) {
            ASSERT_EQ(::chmod(QFile::encodeName(folder).constData(), 0755), 0);
            GTEST_SKIP() << "a second user who may write the folder needs the tests to run as root";
        }
        CMakeMsgID writerData;
        CDbManager writer(writerData);
        const int writerId = writer.Register();
        if (c.writer == kBefore) {
            ASSERT_EQ(writer.Connect(writerId, folder), 1);
        }
        const QString answer = AsOrdinaryUser(
            [&folder] {
                // Held until the child ends, when the kernel drops the locks.
                auto& data = *new CMakeMsgID;
                auto& manager = *new CDbManager(data);
                QString said;
                const int connected = manager.Connect(manager.Register(), folder, said);
                QString answer = Answer(connected, data, said);
                // The lock holds against a second manager, and its probe.
                if (connected == 1) {
                    CMakeMsgID other;
                    CDbManager second(other);
                    answer += QStringLiteral("|%1|%2")
                                  .arg(second.Connect(second.Register(), folder))
                                  .arg(CDbManager::ProbeLock(folder));
                }
                return answer;
            },
            c.writer == kAfter
                ? std::function<QString()>([&] { return QString::number(writer.Connect(writerId, folder)); })
                : std::function<QString()>());
        EXPECT_EQ(answer, QString(c.answer)
                              .replace(QStringLiteral("{path}"), path)
                              .replace(QStringLiteral("{folder}"), folder));
        ASSERT_EQ(::chmod(QFile::encodeName(folder).constData(), 0755), 0);
    }
}
