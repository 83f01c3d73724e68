#include "catalogue/Catalogue.h"

#include "catalogue/CatalogueInterne.h"
#include "catalogue/Fonctions.h"
#include "catalogue/Invariants.h"
#include "catalogue/Outils.h"
#include "catalogue/Sqlite.h"

#include <QHash>
#include <QMap>
#include <QSet>

#include <algorithm>

namespace Catalogue {

namespace {

using Sqlite::Requete;

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

} // namespace Catalogue
