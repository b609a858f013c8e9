#pragma once

// Text in any encoding glibc's iconv knows (IBM037, UTF-7, Shift_JIS,
// UCS-4 and so on), for the tests and benches of the XML readers' encoding
// checks. Header-only.

#include <QByteArray>

#include <iconv.h>

namespace Iconv
{

// `utf8` in `encoding`; empty when iconv cannot convert it.
inline QByteArray Encode(const QByteArray& utf8, const char* encoding)
{
    iconv_t cd = iconv_open(encoding, "UTF-8");
    if (cd == iconv_t(-1))
        return {};
    QByteArray out(utf8.size() * 8 + 16, '\0');
    char* in = const_cast<char*>(utf8.constData());
    size_t inLeft = size_t(utf8.size());
    char* to = out.data();
    size_t outLeft = size_t(out.size());
    const bool ok = iconv(cd, &in, &inLeft, &to, &outLeft) != size_t(-1) &&
                    iconv(cd, nullptr, nullptr, &to, &outLeft) != size_t(-1);
    iconv_close(cd);
    if (!ok)
        return {};
    out.truncate(out.size() - qsizetype(outLeft));
    return out;
}

} // namespace Iconv
