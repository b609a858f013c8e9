#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

// The user password of the program, kept as a salted PBKDF2-HMAC-SHA256
// hash in the data root's "MyData". With no password set nobody is asked.
// The dialogs are not here: the caller passes prompts that fill in what the
// user typed and answer false when the user cancels. The messages are:
// after each wrong password it says so with the tries left, and it confirms
// a password set or removed.
class CNWPassCheck
{
  public:
    using Prompt = std::function<bool(QString& password)>;
    // Wrong answers allowed before the password counts as refused.
    static constexpr int kMaxTries = 3;

    // `askPassword` asks for the password in force, again after a wrong
    // answer; `askNewPassword` asks for the password to set (empty clears it).
    explicit CNWPassCheck(Prompt askPassword = {}, Prompt askNewPassword = {});
    CNWPassCheck(const QString& filePath, Prompt askPassword, Prompt askNewPassword);

    static QString GetDefaultPath();

    // 1 = go on (no password set, or the right one given); -1 = the password
    // file is damaged or cannot be read; 0 = refused (cancelled, or wrong
    // kMaxTries times).
    int CheckPassWord();

    // Sets, changes or clears the password; a password in force must be
    // given first. 1 = done; 0 = cancelled or refused; -1 = the password
    // file is damaged or cannot be written.
    int SetPassWord();

  private:
    struct CStored {
        QByteArray salt;
        QByteArray hash;
        int iterations = 0;
    };
    // 1 = a password is set, 0 = none, -1 = the file is unusable.
    int Load(CStored& stored) const;
    // 1 = the user gave the stored password, 0 = refused. `lastWrong`
    // follows "パスワードが違います。" after the last wrong try.
    int AskAndVerify(const CStored& stored, const QString& lastWrong) const;

    QString m_strPath;
    Prompt m_askPassword;
    Prompt m_askNewPassword;
};
