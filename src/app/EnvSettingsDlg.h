#pragma once

#include "app/EnvSettings.h"

#include <QDialog>

class QCheckBox;
class QFrame;
class QSpinBox;

// "環境設定": edits a working copy of the environment settings; the caller
// takes Settings() after OK. Cancel leaves the caller's settings untouched.
class CEnvSettingDlg : public QDialog
{
    Q_OBJECT
  public:
    explicit CEnvSettingDlg(const CEnvSettings& settings, QWidget* parent = nullptr);

    const CEnvSettings& Settings() const { return m_settings; }

    void accept() override;
    // The colour chosen in the colour picker.
    void SetListColor(const QColor& color);

  private:
    void OnFont();
    void OnColor();
    void OnDefaults();
    void ShowSettings();
    void PaintSwatch();

    CEnvSettings m_settings;
    QFrame* m_pSwatch;
    QCheckBox* m_pAutoShrink;
    QSpinBox* m_pStartDays;
    QCheckBox* m_pBackup;
};
