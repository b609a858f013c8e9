#pragma once

#include <QDialog>
#include <QList>
#include <QString>

#include <functional>

class QTableWidget;

// The code list: a window beside an entry dialog listing the codes and
// names of the customers (" /C"), suppliers (" /S") or products (" /G") of
// the current database. Choosing one answers the dialog once, with wParam
// 0 for a product and 1 or 2 for a partner, and the code.
struct CCodeListEntry {
    QString code;
    QString name;
};

using CodeListAnswer = std::function<void(int wParam, const QString& code)>;

class ICodeListTool
{
  public:
    virtual ~ICodeListTool() = default;
    // Opens the list for `owner`; it goes when the owner goes.
    virtual void Start(QWidget* owner, const QString& switches, CodeListAnswer answer) = 0;
};

// The program's code list; tests install a scripted one.
ICodeListTool& CodeListTool();
ICodeListTool* SetCodeListTool(ICodeListTool* tool);

// Reads a list: 'C' customers, 'S' suppliers, 'G' products. The shell sets
// the reader over its database.
using CodeListReader = std::function<QList<CCodeListEntry>(QChar kind)>;
void SetCodeListReader(CodeListReader reader);

// The window's titles, by switch letter ('C', 'S', 'G'); other programs of
// the installation look for them.
QString CodeListTitle(QChar kind);

// The in-process list window: modeless, code and name columns; a double
// click or Enter answers and closes it.
class CCodeListPicker : public QDialog
{
    Q_OBJECT
  public:
    CCodeListPicker(QWidget* owner, QChar kind, const QList<CCodeListEntry>& entries, CodeListAnswer answer);

    QTableWidget* Table() const { return m_pTable; }
    // Answers with the current row, if any, and closes.
    void Choose();

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QTableWidget* m_pTable;
    int m_nWParam;
    CodeListAnswer m_answer;
};
