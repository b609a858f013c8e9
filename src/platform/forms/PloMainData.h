#pragma once

#include <QList>
#include <QString>

#include "platform/forms/FormCatalog.h"
#include "platform/forms/LayoutInfo.h"

// The slip-layout catalogue: the factory layouts ("Fmt/Forms.dat" in the
// data root, made from the shipped list when missing) and the user-made
// forms ("Org/UserForms.dat"). Catalogues are read when first needed.
class CPloMainData
{
  public:
    static constexpr char kFactoryMagic[] = "CorvantaFactoryForms";
    static constexpr char kUserMagic[] = "CorvantaUserForms";

    // An empty root means the installation's data root.
    explicit CPloMainData(const QString& dataRoot = {});

    const QString& GetDataRoot() const { return m_strDataRoot; }
    QString GetFactoryCatalogPath() const;
    QString GetUserCatalogPath() const;

    // Reads the user-form catalogue again: 1 read (also when there is no
    // file yet), 0 when it cannot be read or is damaged (no user forms then).
    int ReadPickUp();
    const QList<CLayoutInfo>& GetUserForms();
    // The id the next user form gets.
    qint32 GetNextUserFormID();

    // The record of a factory or user form; null when there is none (a user
    // form that was deleted). Valid until the catalogue changes.
    const CLayoutInfo* GetLayoutInfo(long id);
    // The form classification of a layout; 0 when unknown.
    int GetFormBunrui(long id);
    // Every layout offered for a kind, factory forms first, each in id
    // order. Kind 3 offers the sales layouts, like kind 2.
    QList<CLayoutInfo> GetLayouts(int kind);
    QList<CLayoutInfo> GetFactoryForms();

    // Replaces the user-form catalogue atomically; false when it cannot be
    // written. The next free id never goes down, whatever `catalog` says.
    bool SaveUserForms(const CFormCatalog& catalog);

  private:
    void LoadFactory();
    void EnsureUserForms();

    QString m_strDataRoot;
    CFormCatalog m_factory;
    CFormCatalog m_user;
    bool m_bFactoryLoaded = false;
    bool m_bUserLoaded = false;
};
