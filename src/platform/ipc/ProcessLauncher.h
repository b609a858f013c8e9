#pragma once

#include <QString>
#include <QUrl>

#include <functional>

// Starts another program of the installation without waiting for it. The
// program receives the whole argument text as one argument (it starts with
// a blank, as the sibling programs expect, and they parse it themselves).
// True when the process was started.
using ProcessLauncher = std::function<bool(const QString& program, const QString& argumentText)>;
// Asks the desktop to open an address; true when something took it.
using UrlOpener = std::function<bool(const QUrl& url)>;

// Tests install recorders; an empty function restores the real one. Each
// returns what was installed before (empty for the real one).
ProcessLauncher SetProcessLauncher(ProcessLauncher launcher);
UrlOpener SetUrlOpener(UrlOpener opener);

// The argument text as it is passed: empty stays empty; anything else
// begins with one blank (" %s" unless it already begins with one).
QString CommandLineText(const QString& arguments);

// 1 when started, 0 when the path is empty or the start failed. Shows
// nothing: the callers have their own messages.
int RunExe(const QString& program, const QString& arguments = QString());

// 0 with "URLが空です。起動できません。" in `message` for an empty address;
// else 1, having asked the desktop, with `message` set to what the user is
// to be told (empty when nothing).
int OpenUrl(const QString& address, QString* message);
