#pragma once

#include <QByteArray>
#include <QString>

// Clipboard formats by name, as the slip-form program finds its batch list:
// every process of the installation gets the same number for a name. The
// numbers start at 0xC000 and go up in order of first registration; they
// are kept in a small file in the data root's "MyData" folder.
class CClipboardFormats
{
  public:
    static constexpr uint kFirst = 0xC000;
    static constexpr uint kLast = 0xFFFF;

    CClipboardFormats(); // the installation's own registry
    explicit CClipboardFormats(const QString& folder);

    // The name's number, registered now when new; 0 when the name is
    // empty, longer than 255 characters or holds control characters, when
    // the registry cannot be read or written, or when every number is taken.
    uint Register(const QString& name) const;

  private:
    QString m_folder;
};

uint RegisterClipboardFormat(const QString& name);

// The MIME type a registered format travels under on the clipboard.
QString ClipboardFormatMimeType(uint format);

// Puts the block on the clipboard under the format's MIME type; whatever
// else is on the clipboard stays there. False when the number lies outside
// the registered range or the clipboard did not take the block.
bool SetClipboardBlock(uint format, const QByteArray& block);
// The block of that format on the clipboard; empty when there is none.
QByteArray GetClipboardBlock(uint format);
