#include "catalogue/Catalogue.h"

#include "catalogue/CatalogueInterne.h"
#include "catalogue/Disque.h"
#include "catalogue/Invariants.h"
#include "catalogue/Pannes.h"
#include "catalogue/Sqlite.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <limits>

namespace Catalogue {

using namespace Interne;

namespace {

using Sqlite::Connexion;
using Sqlite::Requete;

struct Sauvetage {
    int lignes = 0;
    int zonesIllisibles = 0;
};

// Does a walk from this rowid read at least one row (or reach the end) without an error?
bool lisibleDepuis(sqlite3* source, const QString& lecture, qint64 depart) {
    Requete q(source, lecture);
    q.lier(1, depart);
    const int rc = q.pas();
    return rc == SQLITE_ROW || rc == SQLITE_DONE;
}

// Copies the readable rows of one table, walking by rowid so that a damaged page costs only the
// rows it held: after a read error the walk seeks past it with growing steps, then narrows back
// to the first rowid that reads again.
Sauvetage sauverTable(sqlite3* source, sqlite3* cible, const Table& t, QString* erreur) {
    Sauvetage s;
    QStringList presents;
    {
        Requete q(source, QStringLiteral("PRAGMA table_info(\"%1\")").arg(t.nom));
        int rc;
        while ((rc = q.pas()) == SQLITE_ROW)
            presents << q.texte(1);
        // An unreadable schema salvages nothing: that is a failure, not an empty catalogue.
        if (rc != SQLITE_DONE) {
            *erreur = q.erreur();
            return s;
        }
    }
    QStringList lus;
    QStringList ecrits;
    QStringList marques;
    for (const QString& c : t.champs) {
        for (const QString& p : presents) {
            if (p.compare(c, Qt::CaseInsensitive) == 0) {
                lus << QLatin1Char('"') + p + QLatin1Char('"');
                ecrits << QLatin1Char('"') + c + QLatin1Char('"');
                marques << QStringLiteral("?");
            }
        }
    }
    if (lus.isEmpty())
        return s;
    Requete insertion(cible, QStringLiteral("INSERT INTO %1 (rowid, %2) VALUES (?, %3)")
                                 .arg(t.nom, ecrits.join(QLatin1Char(',')), marques.join(QLatin1Char(','))));
    if (!insertion.prete()) {
        *erreur = insertion.erreur();
        return s;
    }
    const QString lecture = QStringLiteral("SELECT rowid, %1 FROM \"%2\" WHERE rowid >= ? ORDER BY rowid")
                                .arg(lus.join(QLatin1Char(',')), t.nom);
    constexpr qint64 plafond = std::numeric_limits<qint64>::max();
    qint64 depart = std::numeric_limits<qint64>::min();
    while (true) {
        int rc;
        {
            Requete q(source, lecture);
            q.lier(1, depart);
            while ((rc = q.pas()) == SQLITE_ROW) {
                const qint64 rowid = q.entier(0);
                insertion.reinitialiser();
                insertion.lier(1, rowid);
                for (int i = 0; i < lus.size(); ++i)
                    insertion.lier(i + 2, q.valeur(i + 1));
                if (insertion.pas() != SQLITE_DONE) {
                    *erreur = insertion.erreur();
                    return s;
                }
                ++s.lignes;
                if (rowid == plafond)
                    return s; // nothing lies past the highest key
                depart = rowid + 1;
            }
        }
        if (rc == SQLITE_DONE)
            break;
        ++s.zonesIllisibles;
        // Leap over the damage, then come back to the first rowid that reads again. The keys go
        // up to the highest a 64-bit integer holds: so do the leaps, without overflowing.
        qint64 echec = qMax<qint64>(depart, 0);
        if (echec == plafond)
            break;
        qint64 pas = 1;
        qint64 essai = echec + pas;
        while (!lisibleDepuis(source, lecture, essai)) {
            if (essai == plafond)
                return s;
            echec = essai;
            pas = pas <= (plafond - echec) / 2 ? 2 * pas : plafond - echec;
            essai = echec + pas;
        }
        while (essai - echec > 1) {
            const qint64 milieu = echec + (essai - echec) / 2;
            if (lisibleDepuis(source, lecture, milieu))
                essai = milieu;
            else
                echec = milieu;
        }
        depart = essai;
    }
    return s;
}

QString nomLibre(const QDir& d, const QString& base, const QString& extension) {
    QString nom = base + extension;
    for (int i = 2; d.exists(nom); ++i)
        nom = QStringLiteral("%1-%2%3").arg(base).arg(i).arg(extension);
    return d.filePath(nom);
}

} // namespace

Reparation reparer(const QString& dossier) {
    const QDir d(dossier);
    const QString source = catalogueReel(d);
    const QString neuf = QFileInfo(source).absoluteDir().filePath(NomReparation);
    Reparation r;
    if (!QFileInfo(source).isFile()) {
        r.message = QStringLiteral("Le catalogue %1 est introuvable.").arg(nomLisible(source));
        return r;
    }
    QString raison;
    if (!estFichierSqlite(source, &raison)) {
        r.message =
            QStringLiteral("Le fichier %1 ne peut pas être réparé : %2.").arg(nomLisible(source), raison);
        return r;
    }
    // Salvaging a sound file would only keep a needless copy of it.
    if (verifierIntegrite(source).isEmpty()) {
        r.ok = r.sain = true;
        r.message =
            QStringLiteral("Le catalogue %1 est sain : il n'y avait rien à réparer.").arg(nomLisible(source));
        return r;
    }
    QFile::remove(neuf);
    {
        Connexion src(source);
        Connexion dst(neuf, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
        if (!src.db() || !dst.db() || !creerSchemaBrut(dst.db(), &raison)) {
            if (raison.isEmpty())
                raison = Sqlite::messageMoteur(src.db() ? dst.db() : src.db());
        } else {
            // The repair's own statements are writes like the others: a failing disk may refuse
            // any of them, and the first refusal abandons the copy.
            const auto ecrire = [&](const QString& sql) {
                if (!Pannes::autoriser()) {
                    raison = Pannes::message();
                    return false;
                }
                return Sqlite::executer(dst.db(), sql, &raison);
            };
            ecrire(QStringLiteral("BEGIN"));
            for (const Table& t : tables()) {
                if (!raison.isEmpty())
                    break;
                const Sauvetage s = sauverTable(src.db(), dst.db(), t, &raison);
                r.lignesSauvees += s.lignes;
                r.zonesIllisibles += s.zonesIllisibles;
            }
            if (raison.isEmpty())
                r.remise = remettreEnEtat(dst.db(), &raison);
            // Engine-given keys are never given twice, even those of rows the damage took. A
            // damaged sequence table is not worth the catalogue: its rows are kept as read.
            if (raison.isEmpty()) {
                Requete seq(src.db(), QStringLiteral("SELECT name, seq FROM sqlite_sequence"));
                Requete maj(dst.db(),
                            QStringLiteral("UPDATE sqlite_sequence SET seq = max(seq, ?) WHERE name = ?"));
                while (raison.isEmpty() && seq.pas() == SQLITE_ROW) {
                    maj.reinitialiser();
                    maj.lier(1, seq.entier(1));
                    maj.lier(2, nomsCanoniques().value(seq.texte(0).toLower(), seq.texte(0)));
                    if (!maj.executer())
                        raison = maj.erreur();
                }
            }
            // The mark goes along: a poster change left pending must still find it as it was.
            if (raison.isEmpty()) {
                Requete marque(src.db(), QStringLiteral("PRAGMA user_version"));
                if (marque.pas() == SQLITE_ROW && marque.entier(0) != 0)
                    ecrire(QStringLiteral("PRAGMA user_version = %1").arg(marque.entier(0)));
            }
            // A failed write may have ended the transaction already (the engine rolls back on a
            // full disk): committing would only report that there is nothing to commit.
            if (raison.isEmpty() && sqlite3_get_autocommit(dst.db()))
                raison =
                    QStringLiteral("l'écriture sur le disque a échoué : le disque est plein ou défaillant");
            if (raison.isEmpty())
                ecrire(QStringLiteral("COMMIT"));
            // Nothing of a failed salvage is kept; the copy is removed below.
            if (!raison.isEmpty())
                Sqlite::executer(dst.db(), QStringLiteral("ROLLBACK"));
        }
    }
    if (raison.isEmpty())
        copieSaine(neuf, &raison);
    // The copy takes the catalogue's place only if it keeps every rule the screens rely on.
    if (raison.isEmpty()) {
        Connexion c(neuf, SQLITE_OPEN_READONLY);
        const QStringList problemes = verifierInvariants(c.db());
        if (!problemes.isEmpty())
            raison = QStringLiteral("le catalogue réparé reste incohérent (%1)").arg(problemes.first());
    }
    if (raison.isEmpty()) {
        // The damaged original is kept: the user may want what the salvage could not read.
        r.copieEndommagee = nomLibre(d, QStringLiteral("R7Ozire.endommage"), QStringLiteral(".mdb"));
        if (!QFile::copy(source, r.copieEndommagee) || !Disque::synchroniser(r.copieEndommagee))
            raison = QStringLiteral("la copie de sauvegarde %1 n'a pas pu être écrite")
                         .arg(nomLisible(r.copieEndommagee));
    }
    if (raison.isEmpty())
        remplacer(neuf, source, &raison);
    if (!raison.isEmpty()) {
        QFile::remove(neuf);
        QFile::remove(neuf + QStringLiteral("-journal"));
        // The catalogue is left as it was: a copy of it beside it would only puzzle the user.
        if (!r.copieEndommagee.isEmpty())
            QFile::remove(r.copieEndommagee);
        r.message =
            QStringLiteral("La réparation du catalogue a échoué : %1\n\nLe catalogue n'a pas été modifié.")
                .arg(raison);
        return r;
    }
    r.ok = true;
    r.message = QStringLiteral("Le catalogue a été réparé : %1 lignes récupérées.").arg(r.lignesSauvees);
    if (r.zonesIllisibles > 0)
        r.message += QStringLiteral(" %1 zone(s) illisible(s) ont été perdues.").arg(r.zonesIllisibles);
    if (r.remise.placementsSupprimes > 0)
        r.message += QStringLiteral("\n%1 placement(s) sans film ou sans cassette ont été supprimés.")
                         .arg(r.remise.placementsSupprimes);
    if (r.remise.cassettesCorrigees > 0)
        r.message += QStringLiteral("\n%1 cassette(s) ont été remises en accord avec leurs films.")
                         .arg(r.remise.cassettesCorrigees);
    if (r.remise.filmsReplaces > 0) {
        QStringList numeros;
        for (qint64 n : std::as_const(r.remise.cassettesDeSecours))
            numeros << QString::number(n);
        r.message +=
            QStringLiteral("\n%1 film(s) sans cassette ont été rangés sur la (les) nouvelle(s) cassette(s) "
                           "N° %2 : vérifiez où ils se trouvent vraiment.")
                .arg(r.remise.filmsReplaces)
                .arg(numeros.join(QStringLiteral(", ")));
    }
    r.message += QStringLiteral("\n\nLe fichier d'origine est conservé sous le nom %1.")
                     .arg(QFileInfo(r.copieEndommagee).fileName());
    return r;
}

} // namespace Catalogue
