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
// wrote, or why it could not run.
QString AsOrdinaryUser(const std::function<QString()>& work)
{
    int out[2];
    if (::pipe(out) != 0)
        return QStringLiteral("no pipe");
    const pid_t child = ::fork();
    if (child < 0)
        return QStringLiteral("no fork");
    if (child == 0) {
        ::close(out[0]);
        QByteArray said;
        if (::geteuid() == 0 && (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0))
            said = "cannot drop root";
        else
            said = work().toUtf8();
        const char* p = said.constData();
        for (qsizetype left = said.size(); left > 0;) {
            const ssize_t n = ::write(out[1], p, size_t(left));
            if (n <= 0)
                break;
            p += n;
            left -= n;
        }
        ::_exit(0);
    }
    ::close(out[1]);
    QByteArray heard;
    char buffer[4096];
    for (ssize_t n; (n = ::read(out[0], buffer, sizeof buffer)) > 0;)
        heard.append(buffer, n);
    ::close(out[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    return QString::fromUtf8(heard);
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
// taken on its lock file opened for reading, or on the folder itself when
// it has none, so a second holder is still refused, and every write is
// refused in Japanese as for a read-only file. One that cannot even be
// read says in Japanese that it cannot be written.
TEST(ReadOnlyFolderTest, AFolderThatCannotBeWrittenConnectsReadOnlyOrSaysWhy)
{
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    ASSERT_EQ(::chmod(QFile::encodeName(root.path()).constData(), 0755), 0);
    const QString readOnly = CMakeMsgID::ErrorText(SQLITE_READONLY, QStringLiteral("{path}"), QString());
    const struct {
        const char* what;
        bool lockFile; // the folder holds its lock file (not the user's to write)
        mode_t folderMode;
        // connected|read-only|a write's answer and text|the connection's text
        QString answer;
    } cases[] = {
        {"without a lock file", false, 0555,
         QStringLiteral("1|1|10 ") + readOnly + QStringLiteral("||51|51")},
        {"with a lock file", true, 0555, QStringLiteral("1|1|10 ") + readOnly + QStringLiteral("||51|51")},
        {"neither written nor read", false, 0111,
         QStringLiteral("-4|0||データベースフォルダ<{folder}>に書き込めないため、接続できませんでした。"
                        "フォルダに書き込めるようにしてから、もう一度操作してください。")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const QString folder = root.path() + u'/' + QString::fromLatin1(c.what).replace(u' ', u'_');
        ASSERT_TRUE(QDir().mkpath(folder));
        const QString path = CMakeMsgID::DatabasePath(folder);
        QString err;
        ASSERT_EQ(CMakeMsgID::CreateDatabase(path, QDateTime::currentDateTime(), err), 1)
            << err.toStdString();
        // The database file is the user's to write; the folder is not.
        if (::geteuid() == 0) {
            ASSERT_EQ(::chown(QFile::encodeName(path).constData(), kNobody, kNobody), 0);
        }
        if (c.lockFile) {
            QFile lock(QDir(folder).filePath(QString::fromLatin1(CDbManager::kLockFileName)));
            ASSERT_TRUE(lock.open(QIODevice::WriteOnly));
            lock.close();
            ASSERT_EQ(::chmod(QFile::encodeName(lock.fileName()).constData(), 0444), 0);
        }
        ASSERT_EQ(::chmod(QFile::encodeName(folder).constData(), c.folderMode), 0);
        const QString answer = AsOrdinaryUser([&folder] {
            CMakeMsgID data;
            CDbManager manager(data);
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
        });
        EXPECT_EQ(answer, QString(c.answer)
                              .replace(QStringLiteral("{path}"), path)
                              .replace(QStringLiteral("{folder}"), folder));
        ASSERT_EQ(::chmod(QFile::encodeName(folder).constData(), 0755), 0);
    }
}
