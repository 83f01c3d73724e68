#pragma once

#include <QColor>
#include <QImage>
#include <QString>

// Posters of our own making, for the examples and the screenshots: a coloured gradient with
// circles and the title.
QImage dessinerAffiche(const QString& titre, const QColor& haut, const QColor& bas);
