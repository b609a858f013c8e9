#pragma once

#include <QStringList>
#include <QUrl>
#include <functional>

// The context number of the help contents.
inline constexpr int kHelpContents = 0;

// Help topics by their fixed context numbers.
class IHelp
{
  public:
    virtual ~IHelp() = default;
    // False when no help page could be opened.
    virtual bool ShowTopic(int context) = 0;
};

// Help as a folder of HTML pages: topic n is "<n>.html"; a topic without a
// page opens the contents page "index.html". The folders are searched in
// order, each for the topic first and then all of them for the contents.
class CHtmlHelp : public IHelp
{
  public:
    using Opener = std::function<bool(const QUrl&)>;
    // The default opener hands the page to the desktop's browser.
    explicit CHtmlHelp(QStringList folders, Opener opener = {});
    void SetFolders(const QStringList& folders) { m_folders = folders; }
    bool ShowTopic(int context) override;

  private:
    QStringList m_folders;
    Opener m_opener;
};

// Opens a topic through the installed help service and tells the user when
// no page could be opened; false then.
bool ShowHelpTopic(int context);
