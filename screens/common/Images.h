#pragma once

#include <QImage>
#include <QPixmap>
#include <QString>

// Pictures read from files the user supplies (posters). A poster may be anything: a directory, an
// empty file, a text named ".jpg", a header declaring a picture of billions of pixels. It is read
// only when it is a regular file whose declared size is reasonable.
namespace Images {

// Above this many pixels a poster is refused before decoding (about 100 MB once decoded); real
// posters are a few million pixels.
constexpr qint64 PixelsMax = 25'000'000;

// The picture, or a null image with the French reason ("ce n'est pas une image", ...).
QImage lire(const QString& chemin, QString* raison = nullptr);

// The same, ready to show and kept decoded while the file stays as it is: browsing shows the
// same posters again and again. A null pixmap when the file cannot be shown.
QPixmap afficher(const QString& chemin);

} // namespace Images
