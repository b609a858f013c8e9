#pragma once

#include <QHash>
#include <QString>

// The registry values the program reads (the sibling products' folders and
// versions, the dictionaries' paths) live in one INI file under the data
// root, "Registry.ini": a section per key, named as the key is written
// ("SOFTWARE\Pellam\Fennimor\Brenlo"), with its values below it:
//
//   [SOFTWARE\Pellam\Fennimor\Brenlo]
//   InstalledDir=/opt/pellam/brenlo
//   Ver=610
//
// Key and value names compare without ASCII letter case ("FENNIMOR" is
// "Fennimor"); "/" may stand for "\". Values are UTF-8 text, optionally in
// double quotes. Lines starting with ';' or '#' are comments. A missing file
// holds no key.
class CRegistryIni
{
  public:
    // "<data root>/Registry.ini".
    static QString FilePath();

    CRegistryIni(); // reads FilePath()
    explicit CRegistryIni(const QString& file);

    bool HasKey(const QString& key) const;
    // The value's text; "" when the key or the value is missing.
    QString GetString(const QString& key, const QString& name) const;
    // The value as a decimal (or 0x hexadecimal) number; 0 when missing or
    // not a number.
    int GetInt(const QString& key, const QString& name) const;

  private:
    void Load(const QString& file);
    static QString KeyOf(const QString& key);

    QHash<QString, QHash<QString, QString>> m_keys; // folded key -> folded name -> value
};

// Single reads for callers that want one value; every read opens the file
// afresh, so a value the user changed counts at once.
QString RegistryIniPath();

// The text of a value; empty when the file, key or value is missing. With
// `maxBytes`, a value whose code page 932 form and terminating zero do not
// fit that many bytes is not read (empty), as a too-small buffer fails.
QString ReadRegistryText(const QString& key, const QString& name, int maxBytes = 0);

// The value read as a number as GetInt reads it; 0 when missing.
int ReadRegistryInt(const QString& key, const QString& name);
