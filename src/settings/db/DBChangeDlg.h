#pragma once

#include "settings/db/DBChangeRules.h"
#include "settings/db/DbSession.h"

#include <QDialog>
#include <QListWidget>

#include <memory>

class QLabel;

// The list of registered databases: the line of the database in use is red
// and carries " - 使用中".
class CDBListBox : public QListWidget
{
    Q_OBJECT
  public:
    explicit CDBListBox(QWidget* parent = nullptr);

    void SetInUseName(const QString& name) { m_strInUse = name; }
    const QString& GetInUseName() const { return m_strInUse; }

    // What a line shows: its text, with the in-use mark when it names the
    // database in use (then `inUse` is set).
    static QString LineText(const QString& text, const QString& inUseName, bool* inUse = nullptr);

  private:
    QString m_strInUse;
};

// "データの切り替え" (shown as "データベースの追加"). exec() answers IDOK when
// the current database changed, IDCANCEL when nothing did, and
// CDBChangeRules::kReconnectFailed when the manager could not connect again.
class CDBChangeDlg : public QDialog
{
    Q_OBJECT
  public:
    // `frame` may be null: then the operations that need the manager refuse.
    // The session is the running program's side of release and connect; null
    // when there is none.
    explicit CDBChangeDlg(std::unique_ptr<IDbSession> session, QWidget* parent = nullptr);
    ~CDBChangeDlg() override;

    // The switch alone, as the menu screen's database popup calls it.
    int SwitchDatabase(const QString& name) { return m_rules.SwitchDatabase(name); }

    void reject() override;

  private:
    void ShowRules();
    void EndWith(int code);

    std::unique_ptr<IDbSession> m_pSession;
    CDBChangeRules m_rules;
    CDBListBox* m_pList;
    QLabel* m_pFolder;
};
