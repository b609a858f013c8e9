#include "MasterTestDb.h"

#include "master/Extract.h"

#include <QFile>

namespace
{

QByteArray Read(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

bool Write(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

CExCondition Condition(int kind, const QString& sql, const QString& name, const QStringList& a,
                       const QStringList& b = {}, const QStringList& c = {})
{
    CExCondition condition;
    condition.m_nKind = kind;
    condition.m_strSQL = sql;
    condition.m_strName = name;
    condition.m_arrA = a;
    condition.m_arrB = b;
    condition.m_arrC = c;
    return condition;
}

bool Same(const CExCondition& x, const CExCondition& y)
{
    return x.m_nKind == y.m_nKind && x.m_arrReserved == y.m_arrReserved && x.m_strSQL == y.m_strSQL &&
           x.m_strName == y.m_strName && x.m_arrA == y.m_arrA && x.m_arrB == y.m_arrB && x.m_arrC == y.m_arrC;
}

class ExtractFileTest : public CMasterDbTest
{
  protected:
    QString Path() const { return m_folder + QStringLiteral("/QXExtract.sys"); }
};

} // namespace

// The file's bytes: the count, the first condition with its class record,
// later ones by class reference, lists of three and four parts, and the
// long form of a text's length from 255 bytes on. It reads back equal.
TEST_F(ExtractFileTest, GoldenBytesAndReadingBack)
{
    CExtract store;
    ASSERT_EQ(store.Load(), 1);
    EXPECT_EQ(store.GetCount(), 0);
    const CExCondition first = Condition(3, QStringLiteral("S"), QStringLiteral("名"), {"a", "b", "c"});
    ASSERT_EQ(store.Add(first), 1);
    EXPECT_EQ(Read(Path()), QByteArray::fromHex("0100"
                                                "ffff"
                                                "0100"
                                                "0c00"
                                                "434578436f6e646974696f6e"
                                                "03000000"
                                                "0000"
                                                "0153"
                                                "0296bc"
                                                "0300"
                                                "0161"
                                                "0162"
                                                "0163"
                                                "0000"
                                                "0000"));

    const QString longText(255, u'x');
    const CExCondition second =
        Condition(4, longText, QStringLiteral("得意先A"), {"a", "b", "c", "OR"}, {"d", "e", "f"});
    ASSERT_EQ(store.Add(second), 1);
    const QByteArray bytes = Read(Path());
    const QByteArray tail = QByteArray::fromHex("0180"
                                                "04000000"
                                                "0000"
                                                "ffff00") +
                            QByteArray(255, 'x') +
                            QByteArray::fromHex("07"
                                                "93be88d390e641"
                                                "0400"
                                                "0161"
                                                "0162"
                                                "0163"
                                                "024f52"
                                                "0300"
                                                "0164"
                                                "0165"
                                                "0166"
                                                "0000");
    EXPECT_EQ(bytes.left(2), QByteArray::fromHex("0200"));
    EXPECT_TRUE(bytes.endsWith(tail));
    EXPECT_EQ(bytes.size(), 2 + 41 + tail.size());

    CExtract again;
    ASSERT_EQ(again.Load(), 1);
    ASSERT_EQ(again.GetCount(), 2);
    EXPECT_TRUE(Same(*again.GetAt(0), first));
    EXPECT_TRUE(Same(*again.GetAt(1), second));
    EXPECT_EQ(Texts(), QStringList());
}

// A damaged file never ends the program: the user is asked whether to
// reset it; Yes deletes it and gives an empty store, No keeps the file
// as it is and the store refuses to write over it.
TEST_F(ExtractFileTest, DamagedFilesTakeTheResetQuestion)
{
    CExtract store;
    ASSERT_EQ(store.Load(), 1);
    ASSERT_EQ(store.Add(Condition(3, QStringLiteral("S"), QStringLiteral("n"), {"a", "b", "c"})), 1);
    const QByteArray good = Read(Path());
    const QByteArray damaged[] = {
        good.chopped(1),                           // cut short
        QByteArray::fromHex("0500") + good.mid(2), // more conditions than bytes
        // a second condition whose tag refers to no class
        QByteArray::fromHex("0200") + good.mid(2) + QByteArray::fromHex("0580") + good.mid(20),
    };
    const QString question =
        QStringLiteral("設定ファイル<%1>が壊れています。初期状態にしてよろしいですか？").arg(Path());
    for (const QByteArray& file : damaged) {
        for (int answer : {IDNO, IDYES}) {
            m_ui.Prompt().Clear();
            ASSERT_TRUE(Write(Path(), file));
            m_ui.Prompt().QueueAnswers({answer});
            CExtract loaded;
            EXPECT_EQ(loaded.Load(), answer == IDYES ? 1 : 0);
            EXPECT_EQ(loaded.GetCount(), 0);
            EXPECT_EQ(m_ui.Prompt().Texts(), QStringList{question});
            if (answer == IDNO) {
                EXPECT_EQ(loaded.Add(Condition(3, QStringLiteral("T"), QStringLiteral("m"), {"a", "b", "c"})),
                          0);
                EXPECT_EQ(loaded.Save(), 0);
                EXPECT_EQ(Read(Path()), file);
            } else {
                EXPECT_FALSE(QFile::exists(Path()));
                EXPECT_EQ(loaded.Add(Condition(3, QStringLiteral("T"), QStringLiteral("m"), {"a", "b", "c"})),
                          1);
            }
        }
    }
}
