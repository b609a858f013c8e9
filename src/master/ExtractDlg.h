#pragma once

#include "master/ExtractRules.h"

#include <QDialog>

#include <array>
#include <functional>

class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;

// "抽出": up to three conditions for the master list of a target (0
// products, 1 customers, 2 suppliers), the saved conditions, and running or
// releasing the extraction. CExtractRules holds the rules; this window
// shows them. Each value box is two overlaid boxes, one editable and one a
// fixed list, shown by the field.
class CExtractDlg : public QDialog
{
    Q_OBJECT
  public:
    CExtractDlg(EMasterKind target, CMainFrame& frame, QWidget* parent = nullptr);

    // IDOK after "抽出実行" or "抽出解除", else IDCANCEL.
    int DoModal();
    CExtractRules& Rules() { return m_rules; }

    void accept() override;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    struct CRowControls {
        QComboBox* field;
        QComboBox* editable;
        QComboBox* list;
        QComboBox* op;
        QComboBox* connector; // null for row C
    };

    void OnInitDialog();
    void ShowRow(int row);
    void ShowRows();
    void ShowSavedList();
    void UpdateButtons();
    void FocusRefused();
    void OnRelease();

    CFrameExtractHost m_host;
    CExtractRules m_rules;
    bool m_bInitDone = false;
    bool m_bShowing = false;
    std::array<CRowControls, 3> m_rows{};
    QListWidget* m_pSaved;
    QPushButton* m_pRename;
    QPushButton* m_pDelete;
    QPushButton* m_pRelease;
};

// Runs the extraction dialog for the frame's master list: IDOK when the
// list must load again. Tests install a runner in its place.
int RunExtractDialog(EMasterKind target, CMainFrame& frame, QWidget* parent);
using ExtractDialogRunner = std::function<int(EMasterKind target, CMainFrame& frame)>;
ExtractDialogRunner SetExtractDialogRunner(ExtractDialogRunner runner);
