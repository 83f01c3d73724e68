#include "screens/film/Affiches.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace Affiches {

QString dossier(const QString& cheminAppli) {
    return QDir(cheminAppli).filePath(QStringLiteral("Affiche"));
}

QString fichier(const QString& cheminAppli, qint64 IdFilm) {
    return QDir(dossier(cheminAppli)).filePath(QStringLiteral("%1.jpg").arg(IdFilm));
}

Copie::~Copie() {
    if (!m_provisoire.isEmpty())
        QFile::remove(m_provisoire);
}

bool Copie::preparer(const QString& source, const QString& dossierAffiches, QString* erreur) {
    QFile entree(source);
    if (!entree.open(QIODevice::ReadOnly)) {
        *erreur = QStringLiteral("l'affiche %1 ne peut pas être lue (%2)")
                      .arg(QDir::toNativeSeparators(source), entree.errorString());
        return false;
    }
    QDir().mkpath(dossierAffiches);
    QTemporaryFile sortie(QDir(dossierAffiches).filePath(QStringLiteral(".nouvelle-XXXXXX.jpg")));
    if (!sortie.open()) {
        *erreur = QStringLiteral("le dossier des affiches %1 n'accepte pas de fichier (%2)")
                      .arg(QDir::toNativeSeparators(dossierAffiches), sortie.errorString());
        return false;
    }
    while (!entree.atEnd()) {
        const QByteArray bloc = entree.read(1 << 16);
        if (bloc.isEmpty() && entree.error() != QFile::NoError)
            break;
        if (sortie.write(bloc) != bloc.size()) {
            *erreur = QStringLiteral("l'affiche n'a pas pu être copiée (%1)").arg(sortie.errorString());
            return false;
        }
    }
    if (entree.error() != QFile::NoError || !sortie.flush()) {
        *erreur = QStringLiteral("l'affiche n'a pas pu être copiée (%1)").arg(entree.errorString());
        return false;
    }
    sortie.setAutoRemove(false);
    m_provisoire = sortie.fileName();
    return true;
}

bool Copie::installer(const QString& cible, QString* erreur) {
    if (m_provisoire.isEmpty())
        return true;
    // One step: the film's older poster, if any, stays until the new one replaces it.
    if (std::rename(QFile::encodeName(m_provisoire).constData(), QFile::encodeName(cible).constData()) != 0) {
        *erreur = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    m_provisoire.clear();
    return true;
}

} // namespace Affiches
