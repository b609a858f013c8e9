#include "app/View.h"

#include "app/MainFrame.h"

CView::CView(CMainFrame& frame) : QWidget(&frame), m_frame(frame) {}
