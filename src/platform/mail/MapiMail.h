#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// Mail is written and sent in the desktop's mail program: the program only
// hands it the recipients. The results keep Simple MAPI's numbers because
// the reactions to them are fixed.
enum MapiResult : int {
    SUCCESS_SUCCESS = 0,
    MAPI_USER_ABORT = 1,
    MAPI_E_FAILURE = 2,
    MAPI_E_TOO_MANY_RECIPIENTS = 10,
    MAPI_E_INVALID_RECIPS = 25,
};

enum MapiRecipientClass : int { MAPI_TO = 1, MAPI_CC = 2, MAPI_BCC = 3 };

struct CMailRecipient {
    int m_nClass = MAPI_TO;
    QString m_strName;
    QString m_strAddress;

    bool operator==(const CMailRecipient&) const = default;
};

// The message handed over: a subject and the recipients, no body.
struct CMailMessage {
    QString m_strSubject;
    QList<CMailRecipient> m_recipients;
};

// The desktop's mail program.
class IMailOpener
{
  public:
    virtual ~IMailOpener() = default;
    // False when the desktop has no program to hand mail to.
    virtual bool IsInstalled() = 0;
    // Opens the compose window with the message; a MapiResult number.
    virtual int Compose(const CMailMessage& message) = 0;
};

// The mailto: address of a message: one To recipient in the path, several
// as "bcc"; every character that could end an address or start another
// header is escaped.
QString MailtoUrl(const CMailMessage& message);

// The hand-off through xdg-email, else the desktop services.
class CDesktopMailOpener : public IMailOpener
{
  public:
    bool IsInstalled() override;
    int Compose(const CMailMessage& message) override;
};

// Tests install a script; nullptr goes back to the desktop. Returns what was
// installed before.
IMailOpener* SetMailOpener(IMailOpener* opener);

// The most recipients one call hands over.
inline constexpr int kMaxMailRecipients = 1000;

// Opens the mail program's compose window for the recipients (one as To,
// several all as Bcc) and the subject: 1 when the mail program took the
// message, 0 otherwise (no or too many recipients, no mail program,
// cancelled, failed), with the message for each case shown.
int SendMapiMail(const QStringList& recipients, const QString& subject);
