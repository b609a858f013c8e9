#pragma once

#include <QList>
#include <QString>

#include "platform/lookup/RLAddress.h"
#include "platform/lookup/TelDirectory.h"
#include "platform/lookup/ZipDictionary.h"

// The address lookup of the customer and supplier entry dialogs: a
// postcode or telephone number gives addresses, several of them offered in
// "住所を選択". The dictionaries open on the first search that needs them
// and stay open as long as the lookup.
class CAddressLookup
{
  public:
    virtual ~CAddressLookup();

    // Scope 0 both dictionaries, 1 the corporate one, 2 the postal one.
    // 1 when searched (the list may be empty), 0 when refused, when a
    // dictionary did not open or a search of it failed (each with its
    // message; a failed search names the damaged file).
    int SearchByPostcode(const QString& text, QList<CRLAddress>& list, int scope = 0);
    int SearchByTelephone(const QString& text, QList<CRLAddress>& list);
    // Leaves one address in the list: none found is said and gives 1; one
    // gives 1; several are offered (mode 0 postcode, 1 telephone) and the
    // chosen one stays (1), Cancel leaves the list as it was (0).
    int ChooseAddress(QList<CRLAddress>& list, int mode);

    // Without the first "（" ... "）" (full-width) part.
    static QString StripParenthesised(const QString& text);
    // The root ("/media/cdrom/") of the first mounted disc (iso9660 or udf)
    // that holds a folder "MorvekTel"; empty when none.
    static QString FindDirectoryCD();
    // Where the mounted file systems are listed; empty restores /proc/mounts.
    static void SetMountsFile(const QString& path);

    // Full-width digits and "－" made half-width, then only digits kept.
    static QString NormaliseNumber(const QString& text);

  private:
    int OpenDictionary();
    int OpenTelDirectory();

    CTelDirectory m_telDirectory;
    int m_nTelOpen = 0;
    CZipDictionary m_zipDictionary;
    int m_nZipOpen = -1;
};
