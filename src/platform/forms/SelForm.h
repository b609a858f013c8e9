#pragma once

#include <QList>
#include <QMap>
#include <QString>

#include "platform/forms/PloMainData.h"

// One form offered by the chooser.
struct CSelFormData {
    long m_nFormID = 0;
    int m_nBunrui = 0;
    QString m_strName;
    bool m_bUserForm = false;
};

// The chooser's rules, without a window: the forms of one slip-form kind,
// the row that starts selected (the current layout, else the first) and
// the answer.
class CFormChoice
{
  public:
    CFormChoice(int kind, const QList<CSelFormData>& forms, long current);

    int GetKind() const { return m_nKind; }
    QString GetTitle() const;
    const QList<CSelFormData>& GetForms() const { return m_forms; }
    // -1 when nothing is selected.
    int GetCurrentRow() const { return m_nRow; }
    void SetCurrentRow(int row);
    bool CanAccept() const { return m_nRow >= 0; }
    // The selected form's id; 0 when nothing is selected.
    long GetChosenID() const;

  private:
    int m_nKind;
    QList<CSelFormData> m_forms;
    int m_nRow = -1;
};

// The rules of the form management dialog: the user forms listed, made as
// a copy of a factory layout, renamed and deleted. Every change is written
// at once; problems are told through the prompt service.
class CFormCtrl
{
  public:
    // A form name takes at most this many code page 932 bytes.
    static constexpr int kMaxNameBytes = 40;

    explicit CFormCtrl(CPloMainData& data);

    // False (and the message shown) when the user-form catalogue cannot be read.
    bool Load();
    const QList<CLayoutInfo>& GetForms() const { return m_catalog.m_layouts; }
    QList<CLayoutInfo> GetBaseLayouts() { return m_data.GetFactoryForms(); }

    // Empty when the name may be given to the form `formID` (0 for a new
    // one), else the reason to show.
    QString CheckName(const QString& name, qint32 formID) const;
    // The row of the new form, or -1 (message shown).
    int Create(const CLayoutInfo& base, const QString& name);
    bool Rename(int row, const QString& name);
    // Asks first; false when the user declined or the change failed.
    bool Delete(int row);

  private:
    bool Save(const CFormCatalog& changed);

    CPloMainData& m_data;
    CFormCatalog m_catalog;
};

// The windows of the chooser and the management dialog. The Qt dialogs are
// used unless tests install a script.
class IFormDialogs
{
  public:
    virtual ~IFormDialogs() = default;
    // True when the user confirmed the selected row of `choice`.
    virtual bool RunChooser(CFormChoice& choice) = 0;
    virtual void RunFormCtrl(CFormCtrl& ctrl) = 0;
};

// The form chooser and the user-form services of the slip-layout library.
class CSelForm
{
  public:
    // An empty root means the installation's data root.
    explicit CSelForm(const QString& dataRoot = {});
    ~CSelForm();
    CSelForm(const CSelForm&) = delete;
    CSelForm& operator=(const CSelForm&) = delete;

    // Lets the user pick a layout of the kind, `current` selected first;
    // the layout id, or 0 when the user cancelled or the kind has none.
    long SelectForm(int kind, long current);
    // The form management dialog; 1 when it ran, 0 when the catalogue
    // could not be read.
    int DoModalFormCtrlDlg();

    // Writes every user form to a backup file (".vrb"): 1 done, 0 failed
    // (message shown).
    int BackupOrg(const QString& path);
    // Replaces the user forms with those of a backup file: 1 done, 0 failed
    // (message shown).
    int RestoreOrg(const QString& path);

    static constexpr char kBackupMagic[] = "CorvantaUserFormBackup";

    // Installs the windows to use; nullptr goes back to the Qt dialogs.
    // Returns what was installed before.
    static IFormDialogs* SetDialogs(IFormDialogs* dialogs);

  private:
    CPloMainData m_data;
    QMap<uint, CSelFormData> m_mapSelForm;
};
