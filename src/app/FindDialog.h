#pragma once

#include <QDialog>
#include <QList>
#include <QString>

#include <functional>

class QCheckBox;
class QLineEdit;
class QRadioButton;

// One message of the find dialog: a search (text and flags) or its closing.
struct CFindRequest {
    QString findWhat;
    bool searchDown = true;
    bool matchCase = false;
    bool wholeWord = false;
    bool isTerminating = false;
};

// The row a list shows for a find request: the search runs from the row
// after (before) the first selected one, or from the top going down when
// none is selected; `find` searches from a start row. -1, after the user is
// told "検索が終了しました。", when nothing more is found.
int FindNextRow(const CFindRequest& request, const QList<int>& selected,
                const std::function<int(int start)>& find);

// The modeless find-only dialog shared by every list screen: search text and
// direction (match case and whole word are not offered). Each "次を検索" and
// the closing go to the frame as requests.
class CFindDialog : public QDialog
{
    Q_OBJECT

  public:
    explicit CFindDialog(QWidget* owner);

    CFindRequest MakeRequest(bool terminating) const;
    void SetFindWhat(const QString& text);
    void SetSearchDown(bool down);

  Q_SIGNALS:
    void Request(const CFindRequest& request);

  protected:
    void done(int result) override;

  private:
    QLineEdit* m_pEdit;
    QRadioButton* m_pDown;
    bool m_bTerminated = false;
};
