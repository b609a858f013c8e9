#pragma once

#include <QDialog>

#include "settings/dlg/NameRequest.h"

class QLabel;
class QLineEdit;

// "名前の変更": a one-line text prompt. Callers set the caption, prompt,
// limit and input-method flag before showing it and read the name after OK.
class CRenameDlg : public QDialog
{
    Q_OBJECT
  public:
    explicit CRenameDlg(QWidget* parent = nullptr);

    // Empty keeps the dialog's own text.
    void SetMessage(const QString& message) { m_strMessage = message; }
    void SetCaption(const QString& caption) { m_strCaption = caption; }
    // Caption, prompt, name and limit of a settings dialog's request.
    void SetRequest(const CNameRequest& request);

    QLineEdit* NameEdit() const { return m_pEdit; }

    void accept() override;

    QString m_strName;
    int m_nMaxLength = -1; // bytes; negative: no limit
    int m_nIme = 1;        // 1: Japanese input when the edit has the focus
    // What the name is, named when its characters are refused.
    QString m_strField = QStringLiteral("名前");

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    QString m_strMessage;
    QString m_strCaption;
    QLabel* m_pPrompt;
    QLineEdit* m_pEdit;
    bool m_bInitDone = false;
};
