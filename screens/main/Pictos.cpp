#include "screens/main/Pictos.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <cmath>

namespace Pictos {

namespace {

// Designed on a 32-unit square.
void cassette(QPainter& p, QRectF r) {
    p.setPen(QPen(QColor(20, 20, 20), 1.2));
    p.setBrush(QColor(45, 45, 50));
    p.drawRoundedRect(r, 2.5, 2.5);
    p.setBrush(QColor(235, 235, 225));
    const QRectF etiquette(r.left() + r.width() * 0.12, r.top() + r.height() * 0.14, r.width() * 0.76,
                           r.height() * 0.5);
    p.drawRect(etiquette);
    p.setBrush(QColor(60, 60, 60));
    const double rayon = r.height() * 0.13;
    p.drawEllipse(QPointF(etiquette.left() + etiquette.width() * 0.28, etiquette.center().y()), rayon, rayon);
    p.drawEllipse(QPointF(etiquette.left() + etiquette.width() * 0.72, etiquette.center().y()), rayon, rayon);
}

void pellicule(QPainter& p, QRectF r) {
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(30, 30, 30));
    p.drawRect(r);
    p.setBrush(QColor(230, 230, 230));
    // The sprocket holes, one every 4.5 pixels down the strip.
    const int trous = qMax(0, int(std::ceil((r.height() - 3.5) / 4.5)));
    for (int i = 0; i < trous; ++i) {
        const double y = r.top() + 1.5 + 4.5 * i;
        p.drawRect(QRectF(r.left() + 1, y, 2, 2.5));
        p.drawRect(QRectF(r.right() - 3, y, 2, 2.5));
    }
    p.setBrush(QColor(120, 170, 220));
    p.drawRect(QRectF(r.left() + 4.5, r.top() + 2, r.width() - 9, r.height() / 2 - 3));
    p.setBrush(QColor(230, 150, 80));
    p.drawRect(QRectF(r.left() + 4.5, r.center().y() + 1, r.width() - 9, r.height() / 2 - 3));
}

void plus(QPainter& p, QPointF c) {
    p.setPen(QPen(QColor(255, 255, 255), 1.5));
    p.setBrush(QColor(30, 150, 50));
    p.drawEllipse(c, 6.5, 6.5);
    p.setPen(QPen(Qt::white, 2.4, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(c + QPointF(-3.5, 0), c + QPointF(3.5, 0));
    p.drawLine(c + QPointF(0, -3.5), c + QPointF(0, 3.5));
}

void croix(QPainter& p, QPointF c) {
    p.setPen(QPen(QColor(255, 255, 255), 1.5));
    p.setBrush(QColor(200, 30, 30));
    p.drawEllipse(c, 6.5, 6.5);
    p.setPen(QPen(Qt::white, 2.4, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(c + QPointF(-3, -3), c + QPointF(3, 3));
    p.drawLine(c + QPointF(-3, 3), c + QPointF(3, -3));
}

void dessiner(QPainter& p, Picto picto) {
    switch (picto) {
    case ListeFilm:
        p.setPen(QPen(QColor(80, 80, 80), 1));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(5, 3, 22, 26));
        for (int i = 0; i < 5; ++i) {
            p.setPen(QPen(QColor(200, 30, 30), 2.2));
            p.drawPoint(QPointF(9, 8 + i * 4.5));
            p.setPen(QPen(QColor(40, 40, 120), 1.6));
            p.drawLine(QPointF(12, 8 + i * 4.5), QPointF(24, 8 + i * 4.5));
        }
        break;
    case AjouterFilm:
        pellicule(p, QRectF(4, 2, 16, 26));
        plus(p, QPointF(23, 23));
        break;
    case ModifFilm: {
        pellicule(p, QRectF(4, 2, 16, 26));
        p.save();
        p.translate(22, 20);
        p.rotate(45);
        p.setPen(QPen(QColor(60, 40, 20), 0.8));
        p.setBrush(QColor(240, 190, 40));
        p.drawRect(QRectF(-2.5, -12, 5, 16));
        p.setBrush(QColor(240, 200, 160));
        QPainterPath pointe;
        pointe.moveTo(-2.5, 4);
        pointe.lineTo(2.5, 4);
        pointe.lineTo(0, 9);
        pointe.closeSubpath();
        p.drawPath(pointe);
        p.restore();
        break;
    }
    case EffacerFilm:
        pellicule(p, QRectF(4, 2, 16, 26));
        croix(p, QPointF(23, 23));
        break;
    case RechercheK7:
        cassette(p, QRectF(2, 4, 24, 16));
        p.setPen(QPen(QColor(30, 30, 30), 3, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(24, 24), QPointF(29, 29));
        p.setPen(QPen(QColor(30, 30, 30), 2));
        p.setBrush(QColor(200, 230, 255, 200));
        p.drawEllipse(QPointF(20, 20), 6, 6);
        break;
    case AjoutK7:
        cassette(p, QRectF(2, 5, 26, 17));
        plus(p, QPointF(23, 23));
        break;
    case VisuK7:
        cassette(p, QRectF(2, 5, 26, 17));
        p.setPen(QPen(QColor(20, 20, 20), 1.2));
        p.setBrush(Qt::white);
        p.drawEllipse(QPointF(22, 24), 7, 4.2);
        p.setBrush(QColor(40, 90, 170));
        p.drawEllipse(QPointF(22, 24), 2.6, 2.6);
        break;
    case Affiche:
        p.setPen(QPen(QColor(80, 60, 30), 1.5));
        p.setBrush(QColor(250, 245, 230));
        p.drawRect(QRectF(5, 3, 22, 26));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(120, 170, 230));
        p.drawRect(QRectF(8, 6, 16, 14));
        p.setBrush(QColor(60, 140, 60));
        p.drawPolygon(
            QPolygonF({QPointF(8, 20), QPointF(14, 12), QPointF(19, 17), QPointF(24, 11), QPointF(24, 20)}));
        p.setBrush(QColor(250, 210, 60));
        p.drawEllipse(QPointF(12, 9.5), 2, 2);
        p.setPen(QPen(QColor(120, 40, 40), 1.6));
        p.drawLine(QPointF(9, 24), QPointF(23, 24));
        break;
    case FichierFilm: {
        QPainterPath feuille;
        feuille.moveTo(6, 2);
        feuille.lineTo(20, 2);
        feuille.lineTo(26, 8);
        feuille.lineTo(26, 30);
        feuille.lineTo(6, 30);
        feuille.closeSubpath();
        p.setPen(QPen(QColor(70, 70, 70), 1.2));
        p.setBrush(Qt::white);
        p.drawPath(feuille);
        p.setPen(QPen(QColor(90, 90, 140), 1.3));
        for (int i = 0; i < 4; ++i)
            p.drawLine(QPointF(9, 12 + i * 3.5), QPointF(23, 12 + i * 3.5));
        pellicule(p, QRectF(13, 17, 9, 12));
        break;
    }
    case Compactage: {
        // A cassette pressed from both sides.
        cassette(p, QRectF(7.5, 10, 17, 12));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(200, 30, 30));
        for (const double sens : {1.0, -1.0}) {
            const double bord = sens > 0 ? 0.5 : 31.5;
            p.drawPolygon(
                QPolygonF({QPointF(bord, 13.5), QPointF(bord + sens * 3, 13.5), QPointF(bord + sens * 3, 11),
                           QPointF(bord + sens * 6.5, 16), QPointF(bord + sens * 3, 21),
                           QPointF(bord + sens * 3, 18.5), QPointF(bord, 18.5)}));
        }
        break;
    }
    }
}

} // namespace

QPixmap image(Picto picto, int taille) {
    QPixmap pm(taille, taille);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(taille / 32.0, taille / 32.0);
    dessiner(p, picto);
    return pm;
}

QIcon icone(Picto picto) {
    QIcon i;
    for (int taille : {24, 32, 48, 64})
        i.addPixmap(image(picto, taille));
    return i;
}

} // namespace Pictos
