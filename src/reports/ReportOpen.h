#pragma once

#include "reports/ReportRequest.h"

class CMainFrame;

// The one way a report list is opened: the list of `mode` (8-48) on the
// conditions its command chose. The conditions cross the frame as a plain
// CReportRequest, so a request of a type derived from it hands over its
// conditions alone, and the list takes them whatever list was shown before,
// itself included (it opens anew). Another mode is refused with
// std::invalid_argument.
void OpenReportList(CMainFrame& frame, int mode, const CReportRequest& request = {});
