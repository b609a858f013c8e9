#include "resources/ViewKinds.h"

namespace
{

ReportViewBars& ReportBars()
{
    static ReportViewBars bars = nullptr;
    return bars;
}

} // namespace

void SetReportViewBars(ReportViewBars bars)
{
    ReportBars() = bars;
}

CViewKindInfo GetViewKindInfo(int kind)
{
    if (kind >= kFirstReportViewKind && kind <= kLastReportViewKind) {
        const ReportViewBars bars = ReportBars();
        const CViewBars shown = bars ? bars(kind) : CViewBars{};
        return {EViewClass::Shime, shown.menuId, shown.toolBarId};
    }
    switch (kind) {
    case 0:
        return {EViewClass::Menu, 0, 0};
    case 1:
        return {EViewClass::Master, 145, 404};
    case 2:
    case 3:
        return {EViewClass::Master, 145, 145};
    case 4:
    case 5:
    case 6:
    case 7:
        return {EViewClass::Header, 147, 147};
    default:
        return {EViewClass::Menu, 0, 0};
    }
}
