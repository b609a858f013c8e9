#pragma once

#include <QHash>
#include <QImage>

// The menu screen's pictures, drawn once when first asked for and kept for
// the run: the background, the start-up picture, every button in its three
// states, the calendar's cells, digits, months and days.
class CMenuPictures {
public:
    static const CMenuPictures& Instance();

    // The picture of a resource number (see MenuBitmap); null when unknown.
    // Images rather than pixmaps, so that they may outlive the application
    // object at exit.
    const QImage& Picture(int id) const;

private:
    CMenuPictures();

    QHash<int, QImage> m_pictures;
};
