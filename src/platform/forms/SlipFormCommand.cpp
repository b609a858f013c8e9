#include "platform/forms/SlipFormCommand.h"

#include <QRegularExpression>

#include <limits>
#include <optional>

#include "platform/text/Cp932.h"

namespace
{

// A decimal that fits a signed 32-bit number.
std::optional<long> Number(const QString& digits)
{
    bool ok = false;
    const qlonglong value = digits.toLongLong(&ok);
    if (!ok || value < std::numeric_limits<qint32>::min() || value > std::numeric_limits<qint32>::max())
        return std::nullopt;
    return long(value);
}

} // namespace

QString CSlipFormCommand::NewSlip(long layout, int kind)
{
    return QStringLiteral(" /L:%1 /C:%2").arg(layout).arg(kind);
}

QString CSlipFormCommand::NewSlipFor(long layout, int kind, const QString& text)
{
    return QStringLiteral(" /L:%1 /C:%2 /N:%3").arg(layout).arg(kind).arg(text);
}

QString CSlipFormCommand::WorkTables(long layout, int kind)
{
    return QStringLiteral(" /L:%1 /C:%2 /W:").arg(layout).arg(kind);
}

QString CSlipFormCommand::Reopen(const QString& fileName, int kind, long id)
{
    return u' ' + fileName + QStringLiteral(" /C:%1 /R:%2").arg(kind).arg(id);
}

QString CSlipFormCommand::Transfer(long layout, int kind, long sourceID, int mode)
{
    return QStringLiteral(" /L:%1 /C:%2 /R:%3 /T:%4").arg(layout).arg(kind).arg(sourceID).arg(mode);
}

QString CSlipFormCommand::Clipboard(long layout, int kind, int format)
{
    return QStringLiteral(" /L:%1 /C:%2 /CLIP:%3").arg(layout).arg(kind).arg(format);
}

QString CSlipFormCommand::PartnerText(const QString& code)
{
    return QStringLiteral("%1\"%2\"").arg(Cp932::ByteLength(code), 2, 10, QLatin1Char('0')).arg(code);
}

bool CSlipFormCommand::Fail(const QString& reason)
{
    *this = CSlipFormCommand();
    m_strError = reason;
    return false;
}

bool CSlipFormCommand::Parse(const QString& line)
{
    static const QRegularExpression reLayoutForm(QStringLiteral(R"(^ /L:(-?\d+) /C:(-?\d+)(.*)$)"),
                                                 QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression rePartner(QStringLiteral(R"re(^ /N:(\d{2,})"(.*)"$)re"),
                                              QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression reTransfer(QStringLiteral(R"(^ /R:(\d+) /T:(\d+)$)"));
    static const QRegularExpression reClip(QStringLiteral(R"(^ /CLIP:(\d+)$)"));
    static const QRegularExpression reReopen(QStringLiteral(R"(^ (.+) /C:(-?\d+) /R:(\d+)$)"),
                                             QRegularExpression::DotMatchesEverythingOption);

    // A reopened slip's FileName may itself begin like a layout form
    // ("/L:1 /C:2 …"), so a line is a layout form only when its whole tail
    // is one of that form's tails; every other line ending in " /R:" reopens.
    const auto isLayoutTail = [&](const QString& rest) {
        return rest.isEmpty() || rest == QLatin1String(" /W:") || rePartner.match(rest).hasMatch() ||
               reTransfer.match(rest).hasMatch() || reClip.match(rest).hasMatch();
    };

    *this = CSlipFormCommand();
    if (const QRegularExpressionMatch form = reLayoutForm.match(line);
        form.hasMatch() && (isLayoutTail(form.captured(3)) || !reReopen.match(line).hasMatch())) {
        const std::optional<long> layout = Number(form.captured(1));
        const std::optional<long> kind = Number(form.captured(2));
        if (!layout || *layout < 1)
            return Fail(QStringLiteral("レイアウト番号が正しくありません。"));
        if (!kind)
            return Fail(QStringLiteral("伝票種類が正しくありません。"));
        m_nLayout = *layout;
        m_nKind = int(*kind);
        const QString rest = form.captured(3);
        QRegularExpressionMatch tail;
        if (rest.isEmpty()) {
            m_nMode = kNew;
        } else if (rest == QLatin1String(" /W:")) {
            m_nMode = kWorkTables;
        } else if ((tail = rePartner.match(rest)).hasMatch()) {
            const std::optional<long> length = Number(tail.captured(1));
            m_strPartnerCode = tail.captured(2);
            if (!length || *length != Cp932::ByteLength(m_strPartnerCode) || m_strPartnerCode.isEmpty())
                return Fail(QStringLiteral("取引先コードの長さが正しくありません。"));
            m_nMode = kNewForPartner;
        } else if ((tail = reTransfer.match(rest)).hasMatch()) {
            const std::optional<long> id = Number(tail.captured(1));
            const std::optional<long> mode = Number(tail.captured(2));
            if (!id || *id < 1 || !mode || (*mode != 1 && *mode != 2))
                return Fail(QStringLiteral("転記元の伝票の指定が正しくありません。"));
            m_nID = *id;
            m_nTransferMode = int(*mode);
            m_nMode = kTransfer;
        } else if ((tail = reClip.match(rest)).hasMatch()) {
            const std::optional<long> format = Number(tail.captured(1));
            if (!format || *format < 1)
                return Fail(QStringLiteral("クリップボード形式の番号が正しくありません。"));
            m_nClipFormat = int(*format);
            m_nMode = kClipboard;
        } else {
            return Fail(QStringLiteral("コマンドラインの形式が正しくありません。"));
        }
    } else if (const QRegularExpressionMatch reopen = reReopen.match(line); reopen.hasMatch()) {
        const std::optional<long> kind = Number(reopen.captured(2));
        const std::optional<long> id = Number(reopen.captured(3));
        if (!kind || !id || *id < 1)
            return Fail(QStringLiteral("修正する伝票の指定が正しくありません。"));
        m_strFileName = reopen.captured(1);
        m_nKind = int(*kind);
        m_nID = *id;
        m_nMode = kReopen;
    } else {
        return Fail(QStringLiteral("コマンドラインの形式が正しくありません。"));
    }

    const bool kindFits = m_nMode == kWorkTables  ? m_nKind >= 6 && m_nKind <= 13
                          : m_nMode == kClipboard ? m_nKind >= 1 && m_nKind <= 13
                                                  : m_nKind >= 1 && m_nKind <= 5;
    if (!kindFits)
        return Fail(QStringLiteral("伝票種類%1はこの形式では使えません。").arg(m_nKind));
    return true;
}
