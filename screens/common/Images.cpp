#include "screens/common/Images.h"

#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QPixmapCache>

#include <sys/stat.h>

namespace Images {

QImage lire(const QString& chemin, QString* raison) {
    QString sansSuite;
    QString& r = raison ? *raison : sansSuite;
    const QFileInfo f(chemin);
    if (!f.exists()) {
        r = QStringLiteral("le fichier est introuvable");
        return {};
    }
    if (!f.isFile()) {
        r = QStringLiteral("ce n'est pas un fichier");
        return {};
    }
    if (f.size() == 0) {
        r = QStringLiteral("le fichier est vide");
        return {};
    }
    QImageReader lecteur(chemin);
    lecteur.setDecideFormatFromContent(true); // the name says ".jpg" whatever the file holds
    if (!lecteur.canRead()) {
        r = QStringLiteral("ce n'est pas une image");
        return {};
    }
    // The header alone tells the size: a huge one is refused before anything is allocated.
    const QSize taille = lecteur.size();
    if (taille.isValid() && qint64(taille.width()) * taille.height() > PixelsMax) {
        r = QStringLiteral("l'image est bien trop grande (%1 × %2 points)")
                .arg(taille.width())
                .arg(taille.height());
        return {};
    }
    QImage image;
    if (!lecteur.read(&image) || image.isNull()) {
        r = QStringLiteral("l'image est illisible ou incomplète");
        return {};
    }
    return image;
}

QPixmap afficher(const QString& chemin) {
    struct stat etat {};
    if (::stat(QFile::encodeName(chemin).constData(), &etat) != 0 || !S_ISREG(etat.st_mode))
        return {};
    // The file's identity and state: a poster replaced or rewritten is read again.
    const QString cle =
        QStringLiteral("affiche|%1|%2|%3|%4.%5")
            .arg(chemin, QString::number(qulonglong(etat.st_ino)), QString::number(qlonglong(etat.st_size)),
                 QString::number(qlonglong(etat.st_mtim.tv_sec)),
                 QString::number(qlonglong(etat.st_mtim.tv_nsec)));
    QPixmap p;
    if (QPixmapCache::find(cle, &p))
        return p;
    const QImage image = lire(chemin);
    if (image.isNull())
        return {};
    p = QPixmap::fromImage(image);
    QPixmapCache::insert(cle, p);
    return p;
}

} // namespace Images
