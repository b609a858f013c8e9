#include "platform/forms/SlipFormCommand.h"

#include <gtest/gtest.h>

TEST(SlipFormCommand, BuildsEveryForm)
{
    EXPECT_EQ(CSlipFormCommand::NewSlip(201, 2), QStringLiteral(" /L:201 /C:2"));
    EXPECT_EQ(CSlipFormCommand::NewSlipFor(401, 4, CSlipFormCommand::PartnerText(QStringLiteral("A001"))),
              QStringLiteral(" /L:401 /C:4 /N:04\"A001\""));
    EXPECT_EQ(CSlipFormCommand::WorkTables(15, 6), QStringLiteral(" /L:15 /C:6 /W:"));
    EXPECT_EQ(CSlipFormCommand::Reopen(QStringLiteral("S 01.vrh"), 3, 12),
              QStringLiteral(" S 01.vrh /C:3 /R:12"));
    EXPECT_EQ(CSlipFormCommand::Transfer(60001, 2, 12, 1), QStringLiteral(" /L:60001 /C:2 /R:12 /T:1"));
    EXPECT_EQ(CSlipFormCommand::Clipboard(3, 2, 49152), QStringLiteral(" /L:3 /C:2 /CLIP:49152"));
    // The length counts code page 932 bytes.
    EXPECT_EQ(CSlipFormCommand::PartnerText(QStringLiteral("得意先1")), QStringLiteral("07\"得意先1\""));
    EXPECT_EQ(CSlipFormCommand::PartnerText(QString(100, u'Z')),
              QStringLiteral("100\"") + QString(100, u'Z') + u'"');
}

TEST(SlipFormCommand, ParsesEveryForm)
{
    using C = CSlipFormCommand;
    const struct {
        QString line;
        C::Mode mode;
        long layout;
        int kind;
        QString code;
        QString file;
        long id;
        int transfer;
        int clip;
    } cases[] = {
        {QStringLiteral(" /L:201 /C:2"), C::kNew, 201, 2, {}, {}, 0, 0, 0},
        {QStringLiteral(" /L:202 /C:3"), C::kNew, 202, 3, {}, {}, 0, 0, 0},
        {QStringLiteral(" /L:401 /C:4 /N:04\"A001\""),
         C::kNewForPartner,
         401,
         4,
         QStringLiteral("A001"),
         {},
         0,
         0,
         0},
        {QStringLiteral(" /L:1 /C:1 /N:09\"A \"B /C:1\""),
         C::kNewForPartner,
         1,
         1,
         QStringLiteral("A \"B /C:1"),
         {},
         0,
         0,
         0},
        {QStringLiteral(" /L:1 /C:5 /N:04\"仕入\""),
         C::kNewForPartner,
         1,
         5,
         QStringLiteral("仕入"),
         {},
         0,
         0,
         0},
        {QStringLiteral(" /L:15 /C:6 /W:"), C::kWorkTables, 15, 6, {}, {}, 0, 0, 0},
        {QStringLiteral(" /L:1301 /C:13 /W:"), C::kWorkTables, 1301, 13, {}, {}, 0, 0, 0},
        {QStringLiteral(" S0001.vrh /C:2 /R:7"), C::kReopen, 0, 2, {}, QStringLiteral("S0001.vrh"), 7, 0, 0},
        {QStringLiteral(" /home/u/売上 伝票 /C:2.vrh /C:3 /R:8"),
         C::kReopen,
         0,
         3,
         {},
         QStringLiteral("/home/u/売上 伝票 /C:2.vrh"),
         8,
         0,
         0},
        // A FileName that begins like a layout form is still a FileName.
        {QStringLiteral(" /L:0 /C:2 /C:3 /R:8"), C::kReopen, 0, 3, {}, QStringLiteral("/L:0 /C:2"), 8, 0, 0},
        {QStringLiteral(" /L:1 /C:2 /W: /C:2 /R:9"),
         C::kReopen,
         0,
         2,
         {},
         QStringLiteral("/L:1 /C:2 /W:"),
         9,
         0,
         0},
        {QStringLiteral(" /L:1 /C:2 /R:5 /T:1 /C:4 /R:6"),
         C::kReopen,
         0,
         4,
         {},
         QStringLiteral("/L:1 /C:2 /R:5 /T:1"),
         6,
         0,
         0},
        {QStringLiteral(" /L:60001 /C:2 /R:12 /T:2"), C::kTransfer, 60001, 2, {}, {}, 12, 2, 0},
        {QStringLiteral(" /L:3 /C:2 /CLIP:49152"), C::kClipboard, 3, 2, {}, {}, 0, 0, 49152},
    };
    for (const auto& c : cases) {
        C command;
        ASSERT_TRUE(command.Parse(c.line)) << c.line.toStdString() << " " << command.GetError().toStdString();
        EXPECT_EQ(command.GetMode(), c.mode) << c.line.toStdString();
        EXPECT_EQ(command.GetLayout(), c.layout);
        EXPECT_EQ(command.GetKind(), c.kind);
        EXPECT_EQ(command.GetPartnerCode(), c.code);
        EXPECT_EQ(command.GetFileName(), c.file);
        EXPECT_EQ(command.GetID(), c.id);
        EXPECT_EQ(command.GetTransferMode(), c.transfer);
        EXPECT_EQ(command.GetClipFormat(), c.clip);
    }
}

TEST(SlipFormCommand, RefusesLinesNoCallerWrites)
{
    const QString refused[] = {
        QString(),
        QStringLiteral("/L:1 /C:2"),      // no leading blank
        QStringLiteral(" /L:1 /C:2 "),    // trailing blank
        QStringLiteral(" /L:0 /C:2"),     // layout 0 is chosen before the start
        QStringLiteral(" /L:1 /C:6"),     // documents come from work tables
        QStringLiteral(" /L:1 /C:2 /W:"), // slips do not
        QStringLiteral(" /L:1 /C:14 /W:"),
        QStringLiteral(" /L:1 /C:0"),
        QStringLiteral(" /L:1 /C:4 /N:05\"A001\""), // length does not match
        QStringLiteral(" /L:1 /C:4 /N:4\"A001\""),  // length not two digits
        QStringLiteral(" /L:1 /C:4 /N:00\"\""),
        QStringLiteral(" /L:1 /C:4 /N:04\"A001"),
        QStringLiteral(" /L:1 /C:2 /R:5 /T:3"),
        QStringLiteral(" /L:1 /C:2 /R:0 /T:1"),
        QStringLiteral(" /L:1 /C:2 /CLIP:0"),
        QStringLiteral(" /L:1 /C:14 /CLIP:49152"),
        QStringLiteral(" /L:99999999999 /C:2"),
        QStringLiteral(" S.vrh /C:7 /R:1"),
        QStringLiteral(" S.vrh /C:2 /R:0"),
        QStringLiteral(" /C:2 /R:1"),
        QStringLiteral(" /L:1 /C:2 /X:1"),
    };
    for (const QString& line : refused) {
        CSlipFormCommand command;
        EXPECT_FALSE(command.Parse(line)) << line.toStdString();
        EXPECT_FALSE(command.GetError().isEmpty());
        EXPECT_EQ(command.GetMode(), CSlipFormCommand::kNone);
    }
}
