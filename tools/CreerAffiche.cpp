// Draws the placeholder poster NoPicture.jpg shown for films without a poster of their own, or a
// sample poster for the example film files.
// Usage: QT_QPA_PLATFORM=offscreen CreerAffiche resources/NoPicture.jpg
//        QT_QPA_PLATFORM=offscreen CreerAffiche examples/X.jpg "Titre" "#couleur du haut" "#couleur du bas"

#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QTextStream>

#include "tools/DessinAffiche.h"

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 5)
        return dessinerAffiche(args[2], QColor(args[3]), QColor(args[4])).save(args[1], "JPG", 88) ? 0 : 1;
    if (args.size() != 2) {
        QTextStream(stderr) << "usage: CreerAffiche <fichier.jpg> [titre couleur couleur]\n";
        return 2;
    }
    // The poster frame is 4305 x 5865 twips; drawn at twice its size for sharp high-density screens.
    QImage image(574, 782, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient fond(0, 0, 0, image.height());
    fond.setColorAt(0, QColor(28, 30, 48));
    fond.setColorAt(1, QColor(70, 20, 28));
    p.fillRect(image.rect(), fond);

    // A reel of film.
    const QPointF centre(image.width() / 2.0, 300);
    p.setPen(QPen(QColor(200, 200, 210), 10));
    p.setBrush(QColor(60, 62, 80));
    p.drawEllipse(centre, 150, 150);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(28, 30, 48));
    for (int i = 0; i < 6; ++i) {
        p.save();
        p.translate(centre);
        p.rotate(i * 60);
        p.drawEllipse(QPointF(0, -85), 38, 38);
        p.restore();
    }
    p.setBrush(QColor(200, 200, 210));
    p.drawEllipse(centre, 22, 22);
    // Its film running off the reel.
    p.setBrush(QColor(20, 20, 20));
    QPolygonF bande;
    bande << QPointF(centre.x() + 120, centre.y() + 90) << QPointF(centre.x() + 250, centre.y() + 250)
          << QPointF(centre.x() + 250, centre.y() + 330) << QPointF(centre.x() + 80, centre.y() + 120);
    p.drawPolygon(bande);

    QFont titre(QStringLiteral("Liberation Sans"));
    titre.setPixelSize(52);
    titre.setBold(true);
    p.setFont(titre);
    p.setPen(QColor(240, 220, 120));
    p.drawText(QRectF(0, 520, image.width(), 70), Qt::AlignCenter, QStringLiteral("Pas d'affiche"));
    QFont texte(QStringLiteral("Liberation Sans"));
    texte.setPixelSize(26);
    texte.setItalic(true);
    p.setFont(texte);
    p.setPen(QColor(220, 220, 230));
    p.drawText(QRectF(40, 600, image.width() - 80, 100), Qt::AlignCenter | Qt::TextWordWrap,
               QStringLiteral("Choisissez une affiche en modifiant le film"));
    p.end();
    return image.save(app.arguments().at(1), "JPG", 88) ? 0 : 1;
}
