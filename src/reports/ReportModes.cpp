#include "reports/ReportModes.h"

namespace
{

using L = EReportLoader;

// clang-format off
constexpr CReportModeInfo kModes[] = {
    {8,  "締め請求書の作成",   0, 1, L::Closing,      149, 149, 4001},
    {9,  "支払の締切",         1, 2, L::Closing,      149, 149, 4011},
    {10, "入金予定表",         0, 1, L::Schedule,     153, 153, 4002},
    {11, "支払予定表",         1, 2, L::Schedule,     169, 169, 4012},
    {12, "請求済み一覧",       0, 1, L::Billed,       184, 184, 4003},
    {13, "支払一覧",           1, 2, L::Billed,       184, 184, 4013},
    {14, "入金一覧",           0, 1, L::SlipDetail,   190, 190, 4004},
    {15, "入金明細一覧",       0, 1, L::SlipDetail,   197, 197, 4303},
    {16, "出金伝票一覧",       1, 2, L::SlipDetail,   209, 209, 4014},
    {17, "出金明細一覧",       1, 2, L::SlipDetail,   197, 197, 4313},
    {18, "売上明細表",         0, 1, L::SlipDetail,   197, 197, 4302},
    {19, "仕入明細表",         1, 2, L::SlipDetail,   197, 197, 4312},
    {20, "見積明細表",         0, 1, L::SlipDetail,   197, 197, 4301},
    {21, "注文明細表",         1, 2, L::SlipDetail,   197, 197, 4311},
    {22, "入出庫データ一覧",   0, 0, L::SlipDetail,   173, 173, 4402},
    {23, "売掛残高一覧",       0, 1, L::Balance,      192, 192, 4006},
    {24, "買掛残高一覧",       1, 2, L::Balance,      192, 192, 4016},
    {25, "得意先別売上集計表", 0, 1, L::Summary,      151, 151, 4101},
    {26, "仕入先別仕入集計表", 1, 2, L::Summary,      151, 151, 4111},
    {27, "商品別売上集計表",   0, 0, L::Summary,      151, 151, 4102},
    {28, "商品別仕入集計表",   1, 0, L::Summary,      151, 151, 4112},
    {29, "担当者別売上集計表", 0, 3, L::Summary,      151, 151, 4103},
    {30, "担当者別仕入集計表", 1, 3, L::Summary,      151, 151, 4113},
    {31, "期間別売上集計表",   0, 4, L::Summary,      151, 151, 4104},
    {32, "期間別仕入集計表",   1, 4, L::Summary,      151, 151, 4114},
    {33, "在庫一覧",           0, 0, L::Summary,      155, 155, 4405},
    // The stock in/out list has a topic of its own beside the other stock lists.
    {34, "入出庫一覧",         0, 0, L::Summary,      151, 151, 4403},
    {35, "得意先別売上推移表", 0, 1, L::Summary,      151, 151, 4201},
    {36, "仕入先別仕入推移表", 1, 2, L::Summary,      151, 151, 4211},
    {37, "商品別売上推移表",   0, 0, L::Summary,      151, 151, 4202},
    {38, "商品別仕入推移表",   1, 0, L::Summary,      151, 151, 4212},
    {39, "担当者別売上推移表", 0, 3, L::Summary,      151, 151, 4203},
    {40, "担当者別仕入推移表", 1, 3, L::Summary,      151, 151, 4213},
    {41, "在庫推移表",         0, 0, L::Summary,      151, 151, 4406},
    {42, "入出庫明細",         0, 0, L::Ledger,       228, 206, 4404},
    {43, "",                   0, 1, L::None,         206, 206, 4005},
    {44, "",                   1, 2, L::None,         206, 206, 4015},
    {45, "得意先元帳",         0, 1, L::Ledger,       206, 446, 4005},
    {46, "仕入先元帳",         1, 2, L::Ledger,       206, 446, 4015},
    {47, "売上総括表",         0, 4, L::SummarySheet, 151, 151, 4105},
    {48, "仕入総括表",         1, 4, L::SummarySheet, 151, 151, 4115},
};
// clang-format on

} // namespace

const CReportModeInfo* GetReportModeInfo(int mode)
{
    if (mode < kFirstReportMode || mode > kLastReportMode)
        return nullptr;
    return &kModes[mode - kFirstReportMode];
}

QString GetReportModeTitle(int mode)
{
    const CReportModeInfo* info = GetReportModeInfo(mode);
    return info ? QString::fromUtf8(info->title) : QString();
}

int GetReportMarkBitmap(int mode, bool grouping)
{
    switch (mode) {
    case 8: case 9: return 183;
    case 12: case 13: case 18: case 19: case 21: return 186;
    case 20: return 196;
    default: return mode >= 25 && mode <= 48 && grouping ? 202 : 229;
    }
}

bool ReportModeShowsMarks(int mode, bool grouping)
{
    return GetReportMarkBitmap(mode, grouping) != 229;
}
