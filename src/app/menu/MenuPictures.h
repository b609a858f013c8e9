#pragma once

#include <QHash>
#include <QImage>

// The menu screen's pictures, drawn once when first asked for and kept for
// the run: the background of each page, the start-up picture, every button
// in its three states, the page tabs, the calendar's cells, digits, months
// and days.
class CMenuPictures
{
  public:
    static const CMenuPictures& Instance();

    // The picture of a resource number (see MenuBitmap); null when unknown.
    // Images rather than pixmaps, so that they may outlive the application
    // object at exit.
    const QImage& Picture(int id) const;
    // The menu picture with the groups of a page's file buttons; page 0 is
    // Picture(MenuBitmap::kBackground).
    const QImage& Background(int page) const;
    // A page tab in state 0 normal, 1 under the mouse, 2 current page.
    const QImage& Tab(int page, int state) const;

  private:
    CMenuPictures();

    QHash<int, QImage> m_pictures;
    QImage m_purchaseBackground;
    QImage m_tabs[2][3];
};
