#include "catalogue/Catalogue.h"

#include "catalogue/CatalogueInterne.h"
#include "catalogue/Disque.h"
#include "catalogue/Fonctions.h"
#include "catalogue/Invariants.h"
#include "catalogue/Outils.h"
#include "catalogue/Pannes.h"
#include "catalogue/Sqlite.h"

#include <QCollator>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QLocale>
#include <QMap>
#include <QRegularExpression>
#include <QSet>
#include <QVarLengthArray>

#include <unicode/ucol.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <sys/stat.h>
#include <unistd.h>

namespace Catalogue {

using namespace Interne;

namespace {

using Sqlite::Connexion;
using Sqlite::Requete;

QString g_chemin;
quint64 g_generation = 0;

// The shared connection: every screen works through it, in one transaction scope.
Sqlite::Connexion& connexion() {
    static Sqlite::Connexion c;
    return c;
}

} // namespace

namespace Interne {

QString nomLisible(const QString& chemin) {
    return QDir::toNativeSeparators(chemin);
}

bool estFichierSqlite(const QString& chemin, QString* raison) {
    const int fd = Disque::ouvrirFichierOrdinaire(chemin);
    if (fd < 0) {
        *raison = Disque::raisonSysteme(errno);
        return false;
    }
    QByteArray entete(16, '\0');
    const ssize_t lu = ::read(fd, entete.data(), size_t(entete.size()));
    ::close(fd);
    entete.truncate(qMax<ssize_t>(lu, 0));
    if (entete.size() == 0) {
        *raison = QStringLiteral("le fichier est vide");
        return false;
    }
    if (entete != QByteArray("SQLite format 3\0", 16)) {
        *raison = QStringLiteral("ce n'est pas un fichier de base de donnée");
        return false;
    }
    return true;
}

// Checks that the file holds the three tables with all their fields. Returns the open failure.
Ouverture verifierStructure(sqlite3* db, const QString& chemin) {
    Ouverture o;
    auto endommage = [&](const QString& raison) {
        o.etat = Etat::Endommage;
        o.message = QStringLiteral("Le catalogue %1 est endommagé et ne peut pas être lu (%2).\n\n"
                                   "Utilisez la réparation de la base de donnée.")
                        .arg(nomLisible(chemin), raison);
        return o;
    };
    // A view answers the same questions as a table but takes no rows: not a catalogue's table.
    QHash<QString, QString> genres;
    {
        Requete q(db, QStringLiteral("SELECT lower(name), type FROM sqlite_master"));
        int rc;
        while ((rc = q.pas()) == SQLITE_ROW)
            genres.insert(q.texte(0), q.texte(1));
        if (rc != SQLITE_DONE)
            return endommage(q.erreur());
    }
    for (const Table& t : tables()) {
        const QString genre = genres.value(t.nom.toLower());
        if (!genre.isEmpty() && genre != QLatin1String("table")) {
            o.etat = Etat::Incomplet;
            o.message =
                QStringLiteral("Le fichier %1 n'est pas un catalogue complet : « %2 » n'est pas une table.")
                    .arg(nomLisible(chemin), t.nom);
            return o;
        }
        Requete q(db, QStringLiteral("PRAGMA table_info(\"%1\")").arg(t.nom));
        QSet<QString> presents;
        int rc;
        while ((rc = q.pas()) == SQLITE_ROW)
            presents.insert(q.texte(1).toLower());
        if (rc != SQLITE_DONE)
            return endommage(q.erreur());
        if (presents.isEmpty()) {
            o.etat = Etat::Incomplet;
            o.message =
                QStringLiteral("Le fichier %1 n'est pas un catalogue complet : la table « %2 » manque.")
                    .arg(nomLisible(chemin), t.nom);
            return o;
        }
        for (const QString& c : t.champs) {
            if (!presents.contains(c.toLower())) {
                o.etat = Etat::Incomplet;
                o.message =
                    QStringLiteral("Le fichier %1 n'est pas un catalogue complet : le champ « %2 » de la "
                                   "table « %3 » manque.")
                        .arg(nomLisible(chemin), c, t.nom);
                return o;
            }
        }
    }
    o.etat = Etat::Ouvert;
    return o;
}

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

} // namespace Interne

Ouverture ouvrir(const QString& chemin) {
    const QString absolu = QFileInfo(chemin).absoluteFilePath();
    if (estOuvert() && g_chemin == absolu)
        return {Etat::Ouvert, {}, false, {}};
    fermer();

    Ouverture o;
    const QFileInfo fichier(absolu);
    if (!fichier.isFile() && (fichier.exists() || fichier.isSymLink())) {
        // Something else holds the name: say what, since "missing" would send the user looking.
        o.etat = Etat::PasUnCatalogue;
        const QString quoi = fichier.isDir()     ? QStringLiteral("c'est un dossier")
                             : !fichier.exists() ? QStringLiteral("c'est un lien vers un fichier absent")
                                                 : QStringLiteral("ce n'est pas un fichier ordinaire");
        o.message = QStringLiteral("Le catalogue %1 ne peut pas être ouvert : %2.\n\n"
                                   "Renommez-le ou déplacez-le, puis relancez Cassetron.")
                        .arg(nomLisible(absolu), quoi);
        if (QFileInfo(fichier.dir().filePath(NomCatalogueNeuf)).isFile())
            o.message +=
                QStringLiteral(" Le catalogue vide livré avec le programme (%1) prendra alors sa place.")
                    .arg(NomCatalogueNeuf);
        return o;
    }
    if (!fichier.isFile()) {
        o.etat = Etat::Absent;
        o.message = QStringLiteral("Le catalogue %1 est introuvable.\n\n"
                                   "Il doit se trouver dans le dossier de l'application.")
                        .arg(nomLisible(absolu));
        return o;
    }
    QString raison;
    if (!estFichierSqlite(absolu, &raison)) {
        o.etat = Etat::PasUnCatalogue;
        o.message = QStringLiteral("Le fichier %1 n'est pas un catalogue Cassetron (%2).")
                        .arg(nomLisible(absolu), raison);
        return o;
    }

    {
        Sqlite::Connexion& c = connexion();
        if (!c.ouvrir(absolu)) {
            o.etat = Etat::Endommage;
            o.message = QStringLiteral("Le catalogue %1 ne peut pas être ouvert (%2).")
                            .arg(nomLisible(absolu), c.erreur());
        } else {
            sqlite3* h = c.db();
            // Another program's brief write lock is waited for rather than reported.
            sqlite3_busy_timeout(h, 2000);
            o = verifierStructure(h, absolu);
            // Up to 8 MB of pages rather than SQLite's default 2 MB: a collection of some twenty
            // thousand films stays whole in it. Not more: a pass over a larger one reads its pages
            // from the system's cache at little cost, while each page kept here is memory of the
            // program's own, allocated afresh on first reading.
            Sqlite::executer(h, QStringLiteral("PRAGMA cache_size = -8192"));
            if (o.ok() && !enregistrerCollation(h)) {
                o.etat = Etat::Endommage;
                o.message = QStringLiteral("Le catalogue %1 ne peut pas être ouvert (%2).")
                                .arg(nomLisible(absolu), Sqlite::messageMoteur(h));
            }
            // Writing needs the file and, for the engine's journal beside it, its folder.
            const auto ecrivable = [](const QString& aEcrire) {
                return ::access(QFile::encodeName(aEcrire).constData(), W_OK) == 0;
            };
            if (o.ok() && (sqlite3_db_readonly(h, "main") == 1 || !ecrivable(absolu) ||
                           !ecrivable(QFileInfo(absolu).absolutePath()))) {
                o.lectureSeule = true;
                o.avertissement =
                    QStringLiteral("Le catalogue %1 est en lecture seule : vous pouvez le consulter, mais "
                                   "aucune modification ne pourra y être enregistrée.\n\nVérifiez que le "
                                   "dossier de l'application et le catalogue sont accessibles en écriture, "
                                   "puis redémarrez Cassetron.")
                        .arg(nomLisible(absolu));
            }
        }
        if (!o.ok()) {
            Sqlite::viderCache();
            c.fermer();
        }
    }
    if (!o.ok())
        return o;
    g_chemin = absolu;
    ++g_generation;
    return o;
}

sqlite3* base() {
    return connexion().ouverte() ? connexion().db() : nullptr;
}

QString cheminOuvert() {
    return estOuvert() ? g_chemin : QString();
}

quint64 generation() {
    return g_generation;
}

bool estOuvert() {
    return connexion().ouverte();
}

void fermer() {
    Sqlite::viderCache(); // a connection with statements still prepared cannot close
    connexion().fermer();
    g_chemin.clear();
    ++g_generation;
}

namespace {

QString messageCopie(const QString& raison) {
    return QStringLiteral("La copie compactée du catalogue n'a pas pu être écrite : %1").arg(raison);
}

} // namespace

namespace Interne {

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

namespace {

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

struct FilmRepare {
    QString titre;
    QString duree;
};
struct PlacementRepare {
    qint64 rowid;
    qint64 idFilm;
    qint64 idK7;
    qint64 position;
};

// Free fields side by side become one; an empty free field goes (unless it is the whole tape).
QStringList normaliser(const QStringList& champs) {
    QStringList r;
    for (const QString& c : champs) {
        if (!Fonctions::EstFilm(c) && !r.isEmpty() && !Fonctions::EstFilm(r.last()))
            r.last() =
                Outils::SecondesEnHeure(Outils::HeureEnSecondes(r.last()) + Outils::HeureEnSecondes(c));
        else
            r << c;
    }
    QStringList sans;
    for (const QString& c : r) {
        if (Fonctions::EstFilm(c) || Outils::HeureEnSecondes(c) > 0)
            sans << c;
    }
    return sans.isEmpty() && !r.isEmpty() ? QStringList{r.first()} : sans;
}

QString champFilm(const FilmRepare& f) {
    return QStringLiteral("FILM") + Outils::SecondesEnHeure(Outils::HeureEnSecondes(f.duree)) +
           Fonctions::TitreDansStatus(f.titre);
}

bool memeFilm(const QString& champ, const FilmRepare& f) {
    return champ.mid(4, 8) == Outils::SecondesEnHeure(Outils::HeureEnSecondes(f.duree)) &&
           champ.mid(12).toUpper() == Fonctions::TitreDansStatus(f.titre).toUpper();
}

constexpr int JourMoinsUneSeconde = 86399;

} // namespace

namespace Interne {

// After a salvage, films, placements and tapes may disagree: each cassette's record keeps the
// films that still have their placement, placements point at rows that exist, counts and free
// time are computed again, and films left without a cassette go on new cassettes rather than
// being dropped. Runs inside the repair's transaction on the fresh catalogue. The first statement
// that fails stops it, with the engine's reason in *erreur: what follows would build on a row
// that is not there (a rescue cassette that was never written, say).
Remise remettreEnEtat(sqlite3* db, QString* erreur) {
    Remise r;
    const auto echec = [&](const Requete& q) {
        *erreur = q.erreur();
        return false;
    };
    const auto ecrire = [&](Requete& q) { return q.executer() || echec(q); };
    QHash<qint64, FilmRepare> films;
    {
        Requete q(db, QStringLiteral("SELECT IdFilm, Titre, \"Durée\" FROM Film"));
        int rc;
        while ((rc = q.pas()) == SQLITE_ROW)
            films.insert(q.entier(0), {q.texte(1), q.texte(2)});
        if (rc != SQLITE_DONE && !echec(q))
            return r;
    }
    QMap<qint64, QPair<QString, QString>> cassettes; // IdK7 -> (Durée, Status)
    {
        Requete q(db, QStringLiteral("SELECT IdK7, \"Durée\", Status FROM K7"));
        int rc;
        while ((rc = q.pas()) == SQLITE_ROW)
            cassettes.insert(q.entier(0), {q.texte(1), q.texte(2)});
        if (rc != SQLITE_DONE && !echec(q))
            return r;
    }
    QHash<qint64, QList<PlacementRepare>> parK7;
    QSet<qint64> places;
    {
        Requete q(
            db, QStringLiteral("SELECT rowid, IdFilm, IdK7, Position FROM FilmK7 ORDER BY Position, rowid"));
        QList<qint64> enTrop;
        int rc;
        while ((rc = q.pas()) == SQLITE_ROW) {
            const PlacementRepare p{q.entier(0), q.entier(1), q.entier(2), q.entier(3)};
            if (!films.contains(p.idFilm) || !cassettes.contains(p.idK7) || places.contains(p.idFilm)) {
                enTrop << p.rowid;
                continue;
            }
            places.insert(p.idFilm);
            parK7[p.idK7] << p;
        }
        if (rc != SQLITE_DONE && !echec(q))
            return r;
        // Deleted once the read is over: a table is not changed under its own walk.
        Requete del(db, QStringLiteral("DELETE FROM FilmK7 WHERE rowid = ?"));
        for (const qint64 rowid : std::as_const(enTrop)) {
            del.reinitialiser();
            del.lier(1, rowid);
            if (!ecrire(del))
                return r;
            ++r.placementsSupprimes;
        }
    }

    auto ecrireCassette = [&](qint64 id, const QString& duree, const QStringList& champs,
                              const QList<PlacementRepare>& ordre) {
        int libre = 0;
        for (const QString& c : champs) {
            if (!Fonctions::EstFilm(c))
                libre += Outils::HeureEnSecondes(c);
        }
        Requete maj(
            db, QStringLiteral(
                    "UPDATE K7 SET \"Durée\" = ?, Status = ?, NBFilm = ?, TempsRestant = ? WHERE IdK7 = ?"));
        maj.lier(1, duree);
        maj.lier(2, champs.join(QLatin1Char('/')));
        maj.lier(3, int(ordre.size()));
        maj.lier(4, Outils::SecondesEnHeure(libre));
        maj.lier(5, id);
        if (!ecrire(maj))
            return false;
        for (int i = 0; i < ordre.size(); ++i) {
            Requete pos(db, QStringLiteral("UPDATE FilmK7 SET Position = ? WHERE rowid = ?"));
            pos.lier(1, i + 1);
            pos.lier(2, ordre[i].rowid);
            if (!ecrire(pos))
                return false;
        }
        return true;
    };

    for (auto it = cassettes.cbegin(); it != cassettes.cend(); ++it) {
        const qint64 id = it.key();
        // No tape lasts a day or more: every length and free stretch is a clock time.
        QString duree =
            Outils::SecondesEnHeure(qBound(0, Outils::HeureEnSecondes(it->first), JourMoinsUneSeconde));
        QList<PlacementRepare> restants = parK7.value(id);
        QStringList champs;
        if (verifierStatus(it->second, duree).isEmpty()) {
            // The tape as recorded, less the films whose rows were lost.
            for (const QString& c : Fonctions::Champs(it->second)) {
                if (!Fonctions::EstFilm(c)) {
                    champs << c;
                    continue;
                }
                auto trouve = std::find_if(restants.begin(), restants.end(), [&](const PlacementRepare& p) {
                    return memeFilm(c, films.value(p.idFilm));
                });
                if (trouve == restants.end()) {
                    champs << c.mid(4, 8); // its film is gone: free tape
                } else {
                    champs << c;
                    restants.erase(trouve);
                }
            }
            champs = normaliser(champs);
            // Placements the tape did not mention go where they fit best.
            for (auto p = restants.begin(); p != restants.end();) {
                const FilmRepare f = films.value(p->idFilm);
                const QString statut = champs.join(QLatin1Char('/'));
                const QString plage = Fonctions::CherchePlageLibre(
                    Outils::SecondesEnHeure(Outils::HeureEnSecondes(f.duree)), statut);
                if (plage.isEmpty()) {
                    ++p;
                    continue;
                }
                champs = Fonctions::Champs(Fonctions::InsereFilm(statut, plage, f.duree, f.titre));
                p = restants.erase(p);
            }
        } else {
            // An unreadable record is written again from its placements, free tape at the end.
            int total = 0;
            for (auto p = restants.begin(); p != restants.end();) {
                const FilmRepare f = films.value(p->idFilm);
                const int d = Outils::HeureEnSecondes(f.duree);
                if (total + d > JourMoinsUneSeconde) {
                    ++p;
                    continue;
                }
                champs << champFilm(f);
                total += d;
                p = restants.erase(p);
            }
            const int cap = qMin(qMax(Outils::HeureEnSecondes(duree), total), JourMoinsUneSeconde);
            duree = Outils::SecondesEnHeure(cap);
            if (cap - total > 0 || champs.isEmpty())
                champs << Outils::SecondesEnHeure(cap - total);
        }
        // Placements with no room left on their tape: their films are placed again below.
        for (const PlacementRepare& p : std::as_const(restants)) {
            Requete del(db, QStringLiteral("DELETE FROM FilmK7 WHERE rowid = ?"));
            del.lier(1, p.rowid);
            if (!ecrire(del))
                return r;
            places.remove(p.idFilm);
            ++r.placementsSupprimes;
        }
        // The placements in tape order.
        QList<PlacementRepare> ordre;
        QList<PlacementRepare> disponibles = parK7.value(id);
        for (const QString& c : std::as_const(champs)) {
            if (!Fonctions::EstFilm(c))
                continue;
            auto trouve = std::find_if(disponibles.begin(), disponibles.end(), [&](const PlacementRepare& p) {
                return places.contains(p.idFilm) && memeFilm(c, films.value(p.idFilm));
            });
            if (trouve != disponibles.end()) {
                ordre << *trouve;
                disponibles.erase(trouve);
            }
        }
        const QString ancien = it->second;
        if (!ecrireCassette(id, duree, champs, ordre))
            return r;
        if (champs.join(QLatin1Char('/')) != ancien || duree != it->first)
            ++r.cassettesCorrigees;
    }

    // Films without a cassette get new ones, as long as needed, so that none is lost.
    QList<qint64> orphelins;
    for (auto it = films.cbegin(); it != films.cend(); ++it) {
        if (!places.contains(it.key()))
            orphelins << it.key();
    }
    std::sort(orphelins.begin(), orphelins.end());
    while (!orphelins.isEmpty()) {
        QStringList champs;
        QList<qint64> surBande;
        int total = 0;
        for (auto o = orphelins.begin(); o != orphelins.end();) {
            const int d = Outils::HeureEnSecondes(films.value(*o).duree);
            if (total + d > JourMoinsUneSeconde && !surBande.isEmpty()) {
                ++o;
                continue;
            }
            champs << champFilm(films.value(*o));
            surBande << *o;
            total += d;
            o = orphelins.erase(o);
        }
        Requete ins(
            db, QStringLiteral(
                    "INSERT INTO K7 (\"Durée\", TempsRestant, NBFilm, Status) VALUES (?, '00:00:00', ?, ?)"));
        ins.lier(1, Outils::SecondesEnHeure(qMin(total, JourMoinsUneSeconde)));
        ins.lier(2, int(surBande.size()));
        ins.lier(3, champs.join(QLatin1Char('/')));
        if (!ecrire(ins))
            return r;
        const qint64 idK7 = sqlite3_last_insert_rowid(db);
        for (int i = 0; i < surBande.size(); ++i) {
            Requete pl(db, QStringLiteral("INSERT INTO FilmK7 (IdFilm, IdK7, Position) VALUES (?, ?, ?)"));
            pl.lier(1, surBande[i]);
            pl.lier(2, idK7);
            pl.lier(3, i + 1);
            if (!ecrire(pl))
                return r;
        }
        r.filmsReplaces += int(surBande.size());
        r.cassettesDeSecours << idK7;
    }
    return r;
}

} // namespace Interne

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
