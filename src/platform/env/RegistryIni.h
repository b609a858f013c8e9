#pragma once

#include <QString>

// The registry stand-in: "Registry.ini" in the data root, read only. A
// section names a key ("[SOFTWARE\Pellam\Morvek\Common\MorvekTel]") and
// holds "name=value" lines; key and value names match without ASCII letter
// case, ";" and "#" start comment lines, the file is UTF-8. Every read
// opens the file afresh, so a value the user changed counts at once.

QString RegistryIniPath();

// The text of a value; empty when the file, key or value is missing. With
// `maxBytes`, a value whose code page 932 form and terminating zero do not
// fit that many bytes is not read (empty), as a too-small buffer fails.
QString ReadRegistryText(const QString& key, const QString& name, int maxBytes = 0);

// The value read as a decimal integer; 0 when missing or not a number.
int ReadRegistryInt(const QString& key, const QString& name);
