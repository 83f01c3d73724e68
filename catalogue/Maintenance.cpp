#include "catalogue/Catalogue.h"

#include "catalogue/CatalogueInterne.h"
#include "catalogue/Disque.h"
#include "catalogue/Invariants.h"
#include "catalogue/Pannes.h"
#include "catalogue/Sqlite.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <sys/stat.h>

namespace Catalogue {

using namespace Interne;

namespace {

using Sqlite::Connexion;
using Sqlite::Requete;

QString messageCopie(const QString& raison) {
    return QStringLiteral("La copie compactée du catalogue n'a pas pu être écrite : %1").arg(raison);
}

} // namespace

namespace Interne {

// Where the catalogue's bytes really are: a catalogue reached through a link is replaced at its
// target (replacing the link would leave the target behind, no longer changed), and its copies
// are made beside that target so that the rename stays on one disk.
QString catalogueReel(const QDir& dossier) {
    const QString chemin = dossier.filePath(NomCatalogue);
    const QString reel = QFileInfo(chemin).canonicalFilePath();
    return reel.isEmpty() ? chemin : reel;
}

// Replaces cible by source in one step: at every moment one of the two whole files is in place.
// The copy takes the catalogue's permissions: a catalogue its owner kept private stays so.
bool remplacer(const QString& source, const QString& cible, QString* erreur) {
    struct stat etat;
    if (::stat(QFile::encodeName(cible).constData(), &etat) == 0 &&
        ::chmod(QFile::encodeName(source).constData(), etat.st_mode & 07777) != 0) {
        *erreur = Disque::raisonSysteme(errno);
        return false;
    }
    if (!Disque::synchroniser(source)) {
        *erreur = QStringLiteral("impossible d'écrire sur le disque la copie %1").arg(nomLisible(source));
        return false;
    }
    if (!Pannes::autoriser()) {
        *erreur = Pannes::message();
        return false;
    }
    if (std::rename(QFile::encodeName(source).constData(), QFile::encodeName(cible).constData()) != 0) {
        *erreur = Disque::raisonSysteme(errno);
        return false;
    }
    Disque::synchroniser(QFileInfo(cible).absolutePath());
    return true;
}

// The copy must be a whole catalogue before it may take the catalogue's place.
bool copieSaine(const QString& chemin, QString* raison) {
    Connexion c(chemin, SQLITE_OPEN_READONLY);
    Requete q(c.db(), QStringLiteral("PRAGMA quick_check"));
    if (q.pas() != SQLITE_ROW || q.texte(0) != QLatin1String("ok")) {
        *raison = q.erreur().isEmpty() ? q.texte(0) : q.erreur();
        return false;
    }
    const Ouverture o = verifierStructure(c.db(), chemin);
    if (!o.ok())
        *raison = o.message;
    return o.ok();
}

} // namespace Interne

void oublierCopiesInterrompues(const QString& dossier) {
    const QDir d(dossier);
    for (const QDir& ici : {d, QFileInfo(catalogueReel(d)).absoluteDir()}) {
        for (const QString& copie : {NomCompact, NomReparation}) {
            QFile::remove(ici.filePath(copie));
            QFile::remove(ici.filePath(copie + QStringLiteral("-journal")));
        }
    }
}

Resultat compacter(const QString& dossier) {
    const QDir d(dossier);
    const QString source = catalogueReel(d);
    const QString copie = QFileInfo(source).absoluteDir().filePath(NomCompact);
    Resultat r;
    if (!QFileInfo(source).isFile()) {
        r.message = QStringLiteral("Le catalogue %1 est introuvable.").arg(nomLisible(source));
        return r;
    }
    if (QFileInfo::exists(copie) && !QFile::remove(copie)) {
        r.message = messageCopie(
            QStringLiteral("l'ancienne copie %1 ne peut pas être supprimée").arg(nomLisible(copie)));
        return r;
    }
    QString raison;
    {
        Connexion c(source);
        Requete q(c.db(), QStringLiteral("VACUUM INTO ?"));
        q.lier(1, copie);
        if (!q.executer())
            raison = q.erreur();
    }
    if (raison.isEmpty())
        copieSaine(copie, &raison);
    if (raison.isEmpty())
        remplacer(copie, source, &raison);
    if (!raison.isEmpty()) {
        QFile::remove(copie);
        r.message = messageCopie(raison);
        return r;
    }
    r.ok = true;
    r.message = QStringLiteral("Le catalogue a été compacté.");
    return r;
}

QStringList verifierIntegrite(const QString& chemin) {
    QStringList problemes;
    {
        Connexion c(chemin, SQLITE_OPEN_READONLY);
        Requete q(c.db(), QStringLiteral("PRAGMA integrity_check"));
        int rc;
        while ((rc = q.pas()) == SQLITE_ROW) {
            const QString ligne = q.texte(0);
            if (ligne != QLatin1String("ok"))
                problemes << ligne;
        }
        if (rc != SQLITE_DONE)
            return problemes << q.erreur();
        const Ouverture o = verifierStructure(c.db(), chemin);
        if (!o.ok())
            return problemes << o.message;
    }
    if (!problemes.isEmpty())
        return problemes;
    Connexion c(chemin, SQLITE_OPEN_READONLY);
    if (c.ouverte())
        problemes << verifierInvariants(c.db());
    else
        problemes << c.erreur();
    return problemes;
}

} // namespace Catalogue
