#pragma once

#include <QColor>
#include <QFont>
#include <QString>
#include <QtMath>

// Positions and sizes of the screens are written in twips (15 to a pixel at 96 dpi); Qt scales
// pixels for high-density displays itself. Colours are written r + 256·g + 65536·b.
namespace Unites {

constexpr int TwipsParPixel = 15;

inline int pixels(double twips) {
    return qRound(twips / TwipsParPixel);
}
inline int twips(int pixels) {
    return pixels * TwipsParPixel;
}

inline QColor couleur(int valeur) {
    return QColor(valeur & 0xFF, (valeur >> 8) & 0xFF, (valeur >> 16) & 0xFF);
}
inline int valeurCouleur(const QColor& c) {
    return c.red() + 256 * c.green() + 65536 * c.blue();
}

constexpr int Rouge = 255;
constexpr int Blanc = 16777215;
constexpr int Jaune = 65535;
constexpr int Noir = 0;

// "Arial Black" also asks for the black weight, so the fallback face still looks heavy.
inline QFont police(const QString& famille, double points, bool gras = false, bool italique = false) {
    QFont f(famille);
    f.setPointSizeF(points);
    if (famille.compare(QLatin1String("Arial Black"), Qt::CaseInsensitive) == 0) {
        f.setFamilies(
            {QStringLiteral("Arial Black"), QStringLiteral("Liberation Sans"), QStringLiteral("Arial")});
        f.setWeight(QFont::Black);
    } else if (gras) {
        f.setWeight(QFont::Bold);
    }
    f.setItalic(italique);
    return f;
}

} // namespace Unites
