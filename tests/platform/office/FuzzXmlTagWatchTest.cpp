#include "MarkupCheck.h"

#include <QByteArray>

#include <gtest/gtest.h>

#include <random>

namespace
{

// Pieces of content that hold one another's ends, Japanese text whose
// Shift_JIS bytes include "]" and "\", and shapes the parser refuses.
const char* const kPieces[] = {
    "<a/>",
    "<a b=\"x>y\" c='?>'/>",
    "<b d=\"-->\" e=']]>'>t</b>",
    "<p:c xmlns:p=\"u\"/>",
    "<表 属=\"値‐\">能ソ</表>",
    "<!---->",
    "<!-- a -->",
    "<!--><?x -->",
    "<!--->?>-->",
    "<!-- 表‐ -->",
    "<?p?>",
    "<?p a>b ?>",
    "<?p --> <!-- ?>",
    "<![CDATA[<a>]]>",
    "<![CDATA[--> ?> ]]]]>",
    "<![CDATA[表‐]]>",
    "text ]] > ",
    "能‐ソ",
    "\r\n\t",
    "<>",
    "< a/>",
    "<\"a>b\"/>",
    "<?>",
    "<!-->",
    "<!DOCTYPE r>",
};
const char kMarks[] = "<>!?-[]\"' /=";

QByteArray Body(std::mt19937& rng)
{
    QByteArray body;
    const int prolog = int(rng() % 3);
    for (int i = 0; i < prolog; ++i)
        body += kPieces[5 + rng() % 8];
    if (rng() % 8 == 0)
        body += "<!DOCTYPE r [<!-- > <?x -->]>";
    body += "<r>";
    const int pieces = 1 + int(rng() % 8);
    for (int i = 0; i < pieces; ++i)
        body += kPieces[rng() % (std::size(kPieces) - (rng() % 4 == 0 ? 0 : 6))];
    return body + "</r>";
}

QByteArray Mutate(QByteArray bytes, std::mt19937& rng)
{
    const int edits = 1 + int(rng() % 3);
    for (int i = 0; i < edits && !bytes.isEmpty(); ++i) {
        const qsizetype at = qsizetype(rng() % quint32(bytes.size()));
        switch (rng() % 4) {
        case 0:
            bytes[at] = char(rng());
            break;
        case 1:
            bytes[at] = kMarks[rng() % (sizeof kMarks - 1)];
            break;
        case 2:
            bytes.insert(at, kMarks[rng() % (sizeof kMarks - 1)]);
            break;
        default:
            bytes.remove(at, 1 + qsizetype(rng() % 3));
        }
    }
    return bytes;
}

} // namespace

// Generated documents in every encoding, as they are and mutated: the
// watch sees the markup libxml2 reports up to where either stops, and sees
// the same however the bytes are cut.
TEST(FuzzXmlTagWatch, GeneratedAndMutatedDocumentsAgreeWithTheParser)
{
    std::mt19937 rng(20261209);
    int read = 0, refused = 0;
    for (int round = 0; round < 1200; ++round) {
        const std::vector<MarkupCheck::Encoded> encoded = MarkupCheck::InEveryEncoding(Body(rng));
        const MarkupCheck::Encoded& chosen = encoded[rng() % encoded.size()];
        if (chosen.bytes.isEmpty())
            continue;
        const QByteArray bytes = round % 3 == 0 ? chosen.bytes : Mutate(chosen.bytes, rng);
        SCOPED_TRACE(testing::Message() << "round " << round << " " << chosen.name << " "
                                        << bytes.toPercentEncoding().constData());
        (MarkupCheck::CheckAgainstParser(bytes) ? read : refused)++;
        if (HasFailure())
            return;
    }
    // Both kinds are among them.
    EXPECT_GT(read, 50);
    EXPECT_GT(refused, 50);
}
