#include "platform/mail/MapiMail.h"

#include <QDesktopServices>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

#include <utility>

#include "platform/ui/Prompt.h"
#include "platform/ui/UiServices.h"

namespace
{

IMailOpener* g_opener = nullptr;

IMailOpener& Opener()
{
    static CDesktopMailOpener desktop;
    return g_opener ? *g_opener : desktop;
}

QString Encode(const QString& text)
{
    return QString::fromLatin1(QUrl::toPercentEncoding(text, "@"));
}

void Tell(const QString& text)
{
    UiServices::Prompt().MessageBox(text, MB_OK, MB_ICONEXCLAMATION);
}

// Simple MAPI's failures that mean the mail could not be made.
bool IsCreateFailure(int result)
{
    switch (result) {
    case 2:
    case 3:
    case 5:
    case 9:
    case 11:
    case 12:
    case 14:
    case 15:
    case 18:
    case 21:
        return true;
    default:
        return false;
    }
}

} // namespace

QString MailtoUrl(const CMailMessage& message)
{
    QStringList to;
    QStringList bcc;
    for (const CMailRecipient& recipient : message.m_recipients)
        (recipient.m_nClass == MAPI_BCC ? bcc : to) << Encode(recipient.m_strAddress);
    QStringList query;
    if (!bcc.isEmpty())
        query << QStringLiteral("bcc=") + bcc.join(u',');
    if (!message.m_strSubject.isEmpty())
        query << QStringLiteral("subject=") + Encode(message.m_strSubject);
    QString url = QStringLiteral("mailto:") + to.join(u',');
    if (!query.isEmpty())
        url += u'?' + query.join(u'&');
    return url;
}

bool CDesktopMailOpener::IsInstalled()
{
    return !QStandardPaths::findExecutable(QStringLiteral("xdg-email")).isEmpty() ||
           !QStandardPaths::findExecutable(QStringLiteral("xdg-open")).isEmpty();
}

int CDesktopMailOpener::Compose(const CMailMessage& message)
{
    // The address is one argument that starts with "mailto:", so no
    // recipient can pass for an option of the tool.
    const QString url = MailtoUrl(message);
    const QString tool = QStandardPaths::findExecutable(QStringLiteral("xdg-email"));
    const bool started = !tool.isEmpty() ? QProcess::startDetached(tool, {url})
                                         : QDesktopServices::openUrl(QUrl(url, QUrl::StrictMode));
    return started ? SUCCESS_SUCCESS : MAPI_E_FAILURE;
}

IMailOpener* SetMailOpener(IMailOpener* opener)
{
    return std::exchange(g_opener, opener);
}

int SendMapiMail(const QStringList& recipients, const QString& subject)
{
    if (recipients.isEmpty()) {
        Tell(QStringLiteral("メール送信の対象者が指定されていません"));
        return 0;
    }
    if (recipients.size() > kMaxMailRecipients) {
        Tell(QStringLiteral("メール送信の対象者が多すぎます。一括で送信できるのは %1 "
                            "人までです。\n送信対象者を減らしてください。")
                 .arg(kMaxMailRecipients));
        return 0;
    }
    IMailOpener& opener = Opener();
    if (!opener.IsInstalled()) {
        Tell(QStringLiteral("MAPI32.DLL をロードできませんでした"));
        return 0;
    }
    CMailMessage message;
    message.m_strSubject = subject;
    const int recipientClass = recipients.size() == 1 ? MAPI_TO : MAPI_BCC;
    for (const QString& address : recipients)
        message.m_recipients << CMailRecipient{recipientClass, address, address};

    const int result = opener.Compose(message);
    if (result == SUCCESS_SUCCESS)
        return 1;
    if (result == MAPI_E_TOO_MANY_RECIPIENTS)
        Tell(QStringLiteral(
                 "メール送信の対象者が多すぎます。ご利用のメーラーでは %1 件の同報送信はできませんでした。")
                 .arg(recipients.size()));
    else if (IsCreateFailure(result))
        Tell(QStringLiteral("メールを作成できませんでした。"));
    return 0;
}
