#pragma once

#include <QFont>
#include <QString>
#include <QStringList>

// The program names its fonts by the Japanese system faces ("ＭＳ ゴシック",
// "ＭＳ Ｐゴシック", "ＭＳ 明朝", "ＭＳ Ｐ明朝", or "MS Gothic" and the like);
// these map to an installed Japanese family (Noto CJK JP first, then any
// family that writes Japanese, then the default). A face that is installed
// under its own name stays; any other face is treated like the proportional
// Gothic.
QString MapFaceName(const QString& face);

// The same choice over given lists: `families` installed, `japanese` those
// that write Japanese, `defaultFamily` the last resort.
QString MapFaceName(const QString& face, const QStringList& families, const QStringList& japanese,
                    const QString& defaultFamily);

// A font of the mapped face whose em is `pixelHeight` pixels (the system
// faces have no internal leading, so that is also their cell height).
// `width` 0 keeps the face's own proportions; otherwise it is the average
// character width, half the em for the system faces. `weight` is 1-1000 as
// in OpenType (0 means normal).
QFont MakeFont(const QString& face, int pixelHeight, int weight = 400, bool italic = false,
               bool underline = false, bool strikeOut = false, int width = 0);

// The application font helper: height 0 means 18; bold means weight 700;
// the face is "ＭＳ Ｐゴシック" unless one is given that is shorter than 32
// bytes in CP932. Replaces what `font` held; always succeeds (true).
bool MakeAppFont(QFont& font, const QString* face, int height, int width, bool bold, int weight, bool italic,
                 bool underline, bool strikeOut);
