#include "tools/DessinAffiche.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>

QImage dessinerAffiche(const QString& titre, const QColor& haut, const QColor& bas) {
    QImage image(430, 586, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient fond(0, 0, 0, image.height());
    fond.setColorAt(0, haut);
    fond.setColorAt(1, bas);
    p.fillRect(image.rect(), fond);
    p.setPen(QColor(255, 255, 255, 60));
    for (int i = 0; i < 12; ++i)
        p.drawEllipse(QPointF(215, 250), 20.0 + i * 18, 20.0 + i * 18);
    QFont f(QStringLiteral("Liberation Sans"));
    f.setPixelSize(44);
    f.setBold(true);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(QRectF(20, 420, 390, 140), Qt::AlignCenter | Qt::TextWordWrap, titre);
    p.end();
    return image;
}
