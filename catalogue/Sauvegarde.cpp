#include "catalogue/Sauvegarde.h"

#include "catalogue/Catalogue.h"
#include "catalogue/Disque.h"
#include "catalogue/Sqlite.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace Sauvegarde {

namespace {

// What identifies a state of the catalogue file: SQLite's change counter (header bytes 24-27,
// moved by every committed write) and the file's size.
QString empreinte(const QString& fichier) {
    QFile f(fichier);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    const QByteArray entete = f.read(100);
    if (entete.size() < 28)
        return {};
    return QString::fromLatin1(entete.mid(24, 4).toHex()) + QLatin1Char('-') + QString::number(f.size());
}

const QString Marque = QStringLiteral("derniere-copie.txt");

} // namespace

QStringList copies(const QString& dossierAppli) {
    const QDir d(QDir(dossierAppli).filePath(NomDossier));
    QStringList noms = d.entryList({QStringLiteral("R7Ozire-*.mdb")}, QDir::Files, QDir::Name);
    for (QString& n : noms)
        n = d.filePath(n);
    return noms;
}

Resultat sauvegarder(const QString& dossierAppli, int aGarder) {
    Resultat r;
    const QDir appli(dossierAppli);
    const QString source = appli.filePath(Catalogue::NomCatalogue);
    if (!QFileInfo(source).isFile())
        return r; // nothing to keep yet
    const QString dossier = appli.filePath(NomDossier);
    const QString marque = QDir(dossier).filePath(Marque);
    const QString etat = empreinte(source);
    QFile derniere(marque);
    // Only a plain file is read: a tube of that name would hang the start.
    if (!etat.isEmpty() && QFileInfo(marque).isFile() && derniere.open(QIODevice::ReadOnly) &&
        QString::fromLatin1(derniere.readAll()) == etat && !copies(dossierAppli).isEmpty())
        return r; // unchanged since the last copy
    derniere.close();

    if (!QDir().mkpath(dossier)) {
        r.erreur =
            QStringLiteral("le dossier %1 ne peut pas être créé").arg(QDir::toNativeSeparators(dossier));
        return r;
    }
    // Named by the moment, so that names sort as the copies were made.
    const QString nom =
        QStringLiteral("R7Ozire-%1.mdb")
            .arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss-zzz")));
    const QString cible = QDir(dossier).filePath(nom);
    const QString provisoire = cible + QStringLiteral(".tmp");
    QFile::remove(provisoire);
    {
        // A consistent copy even if the file holds a write in progress: the engine copies it.
        sqlite3* db = nullptr;
        QString raison;
        if (sqlite3_open_v2(QFile::encodeName(source).constData(), &db, SQLITE_OPEN_READONLY, nullptr) ==
            SQLITE_OK) {
            Catalogue::Sqlite::Requete q(db, QStringLiteral("VACUUM INTO ?"));
            q.lier(1, provisoire);
            if (!q.executer())
                raison = q.erreur();
        } else {
            raison = Catalogue::Sqlite::messageMoteur(db);
        }
        sqlite3_close_v2(db);
        // On the disk before the marker says this state is kept.
        if (raison.isEmpty() && !Catalogue::Disque::synchroniser(provisoire))
            raison = QStringLiteral("la copie %1 ne peut pas être écrite sur le disque").arg(nom);
        if (!raison.isEmpty() || !QFile::rename(provisoire, cible)) {
            QFile::remove(provisoire);
            r.erreur =
                raison.isEmpty() ? QStringLiteral("la copie %1 ne peut pas être écrite").arg(nom) : raison;
            return r;
        }
    }
    // A copy the marker cannot record is undone, else each start would add one more of the same
    // state. The marker goes too: one naming a state no copy holds would skip that state's copy.
    QString raison;
    if (!Catalogue::Disque::ecrire(marque, etat.toLatin1(), &raison)) {
        QFile::remove(cible);
        QFile::remove(marque);
        r.erreur = QStringLiteral("le repère %1 ne peut pas être écrit (%2)")
                       .arg(QDir::toNativeSeparators(marque), raison);
        return r;
    }
    r.faite = true;
    r.fichier = cible;
    // The newest copies are kept.
    const QStringList toutes = copies(dossierAppli);
    for (int i = 0; i + aGarder < toutes.size(); ++i)
        QFile::remove(toutes[i]);
    return r;
}

} // namespace Sauvegarde
