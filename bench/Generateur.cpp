#include "bench/Generateur.h"

#include "catalogue/Catalogue.h"
#include "catalogue/Fonctions.h"
#include "catalogue/Outils.h"
#include "catalogue/Sqlite.h"

#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QSet>
#include <QStringList>

#include <sqlite3.h>

using Catalogue::Sqlite::Requete;

namespace {

const QStringList Debuts = {
    QStringLiteral("La Nuit"),       QStringLiteral("Le Retour"),
    QStringLiteral("Les Enfants"),   QStringLiteral("L'Été"),
    QStringLiteral("Le Mystère"),    QStringLiteral("La Grande Vadrouille"),
    QStringLiteral("Les Amants"),    QStringLiteral("Le Dernier Métro"),
    QStringLiteral("L'Aventure"),    QStringLiteral("La Femme"),
    QStringLiteral("Le Secret"),     QStringLiteral("Les Vacances"),
    QStringLiteral("Un Homme"),      QStringLiteral("Une Histoire"),
    QStringLiteral("Le Voyage"),     QStringLiteral("La Cité"),
    QStringLiteral("Les Visiteurs"), QStringLiteral("Le Crime"),
    QStringLiteral("L'Île"),         QStringLiteral("La Bête"),
    QStringLiteral("Le Bal"),        QStringLiteral("Les Misérables"),
    QStringLiteral("Le Trésor"),     QStringLiteral("La Belle Équipe"),
    QStringLiteral("Zorro"),         QStringLiteral("alien"),
    QStringLiteral("Éclipse"),
};
const QStringList Suites = {
    QStringLiteral("américaine"),  QStringLiteral("du héros"),    QStringLiteral("de la mer"),
    QStringLiteral("meurtrier"),   QStringLiteral("à Paris"),     QStringLiteral("des neiges"),
    QStringLiteral("sans nom"),    QStringLiteral("de l'ombre"),  QStringLiteral("en été"),
    QStringLiteral("du dimanche"), QStringLiteral("d'Orient"),    QStringLiteral("de minuit"),
    QStringLiteral("éternelle"),   QStringLiteral("du Far West"), QStringLiteral("des étoiles"),
    QStringLiteral("au soleil"),   QStringLiteral("perdu"),       QStringLiteral("de Saint-Tropez"),
};
const QStringList Prenoms = {QStringLiteral("Jean"),   QStringLiteral("Catherine"),
                             QStringLiteral("Gérard"), QStringLiteral("Isabelle"),
                             QStringLiteral("Louis"),  QStringLiteral("Simone"),
                             QStringLiteral("Alain"),  QStringLiteral("Brigitte"),
                             QStringLiteral("Jérôme"), QStringLiteral("Sophie")};
const QStringList Noms = {QStringLiteral("Dupont"),   QStringLiteral("Martin"),   QStringLiteral("Lefèvre"),
                          QStringLiteral("Moreau"),   QStringLiteral("Girard"),   QStringLiteral("Rousseau"),
                          QStringLiteral("Béranger"), QStringLiteral("Fournier"), QStringLiteral("Lambert"),
                          QStringLiteral("Chevalier")};
const QStringList Genres = {
    QStringLiteral("Action"),         QStringLiteral("Aventure"),
    QStringLiteral("Comédie"),        QStringLiteral("Comédie dramatique"),
    QStringLiteral("Dessins animés"), QStringLiteral("Documentaire"),
    QStringLiteral("Drame"),          QStringLiteral("Fantastique"),
    QStringLiteral("Policier"),       QStringLiteral("Science Fiction"),
    QStringLiteral("Western"),        QStringLiteral("Horreur"),
};
const QStringList Pays = {QStringLiteral("France"),    QStringLiteral("Italie"),
                          QStringLiteral("USA"),       QStringLiteral("Royaume-Uni"),
                          QStringLiteral("Allemagne"), QStringLiteral("Japon")};

// Pieces of the longer summaries: a plot, then remarks of the kind written on a tape's sleeve.
const QStringList Sujets = {
    QStringLiteral("Un jeune instituteur"),
    QStringLiteral("Une famille de Bretons"),
    QStringLiteral("Deux frères que tout oppose"),
    QStringLiteral("Une aviatrice intrépide"),
    QStringLiteral("Un vieux marin"),
    QStringLiteral("Une bande d'amis"),
    QStringLiteral("Un commissaire désabusé"),
    QStringLiteral("Une chanteuse de cabaret"),
    QStringLiteral("Un enfant curieux"),
    QStringLiteral("Une journaliste obstinée"),
};
const QStringList Intrigues = {
    QStringLiteral("quitte son village natal pour tenter sa chance à Paris"),
    QStringLiteral("découvre un secret enfoui depuis la guerre"),
    QStringLiteral("traverse l'Atlantique à bord d'un cargo rouillé"),
    QStringLiteral("retrouve la maison de son enfance au bord de la mer"),
    QStringLiteral("part à la recherche d'un trésor caché dans les Alpes"),
    QStringLiteral("enquête sur une série de vols dans un grand hôtel de la Côte d'Azur"),
    QStringLiteral("tente de sauver le cinéma de quartier promis à la démolition"),
    QStringLiteral("se lance dans une course folle à travers l'Europe"),
    QStringLiteral("hérite d'un château délabré et de ses fantômes"),
    QStringLiteral("doit choisir entre son métier et l'amour"),
};
const QStringList Remarques = {
    QStringLiteral("Enregistré sur la cinquième chaîne un dimanche soir."),
    QStringLiteral("Diffusé lors d'un cycle consacré au réalisateur."),
    QStringLiteral("Passé au ciné-club de minuit, en version originale sous-titrée."),
    QStringLiteral("Image un peu voilée au début de la bande."),
    QStringLiteral("Publicités coupées à l'enregistrement."),
    QStringLiteral("Il manque les cinq dernières minutes."),
    QStringLiteral("Version restaurée, des couleurs superbes."),
    QStringLiteral("Son mono, quelques parasites pendant le générique."),
    QStringLiteral("Un classique à revoir en famille."),
    QStringLiteral("La fin est inattendue."),
    QStringLiteral("À revoir."),
    QStringLiteral("Copie parfaite."),
    QStringLiteral("Sans publicité."),
    QStringLiteral("Prêté deux fois."),
};

struct Film {
    QString titre;
    int secondes;
};

template <typename T> const T& unDe(QRandomGenerator& g, const QList<T>& liste) {
    return liste.at(int(g.bounded(quint32(liste.size()))));
}

QString personne(QRandomGenerator& g) {
    return unDe(g, Prenoms) + QLatin1Char(' ') + unDe(g, Noms);
}

// A quarter feature films, the rest shorter recordings (TV films, episodes, documentaries).
int dureeFilm(QRandomGenerator& g) {
    if (g.bounded(4) == 0)
        return 85 * 60 + int(g.bounded(55 * 60));
    return 20 * 60 + int(g.bounded(35 * 60));
}

// A summary of at most `longueur` characters, most a few short of it: a plot, then whole remarks
// while they fit (cut at a word only when the plot alone is too long).
QString description(QRandomGenerator& g, int longueur) {
    QString d = unDe(g, Sujets) + QLatin1Char(' ') + unDe(g, Intrigues) + QLatin1Char('.');
    if (g.bounded(2))
        d += QLatin1Char(' ') + personne(g) + QStringLiteral(" y joue un rôle inoubliable.");
    for (int essais = 0; essais < 16; ++essais) {
        const QString& r = unDe(g, Remarques);
        if (d.size() + 1 + r.size() <= longueur && !d.contains(r))
            d += QLatin1Char(' ') + r;
    }
    if (d.size() > longueur) {
        d.truncate(d.lastIndexOf(QLatin1Char(' '), longueur - 1));
        d += QLatin1Char('.');
    }
    return d;
}

} // namespace

Generation genererCatalogue(const QString& chemin, int nbFilms, int nbCassettes, quint32 graine,
                            int longueurDescription) {
    Generation r;
    QElapsedTimer chrono;
    chrono.start();
    QFile::remove(chemin);
    if (!Catalogue::creerCatalogueVide(chemin, &r.erreur))
        return r;
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(chemin).constData(), &db, SQLITE_OPEN_READWRITE, nullptr) !=
        SQLITE_OK) {
        r.erreur = QString::fromUtf8(sqlite3_errmsg(db));
        sqlite3_close(db);
        return r;
    }
    Catalogue::Sqlite::executer(db, QStringLiteral("PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF; BEGIN"));
    {
        Requete insFilm(
            db, QStringLiteral("INSERT INTO Film (Titre, \"Réalisateur\", Acteurs, \"Durée\", Date, Pays, "
                               "Genre, Description) VALUES (?,?,?,?,?,?,?,?)"));
        Requete insK7(
            db, QStringLiteral("INSERT INTO K7 (\"Durée\", TempsRestant, NBFilm, Status) VALUES (?,?,?,?)"));
        Requete insPlace(db, QStringLiteral("INSERT INTO FilmK7 (IdFilm, IdK7, Position) VALUES (?,?,?)"));
        QRandomGenerator g(graine);
        int restants = nbFilms;
        for (int k = 0; k < nbCassettes && r.erreur.isEmpty(); ++k) {
            const int capacite = (g.bounded(2) ? 4 : 3) * 3600;
            const int quota = (restants + (nbCassettes - k) - 1) / (nbCassettes - k);
            QList<Film> films;
            QSet<QString> titres;
            int occupe = 0;
            while (films.size() < quota) {
                int d = dureeFilm(g);
                if (occupe + d > capacite)
                    d = capacite - occupe; // the last recording took what tape was left
                if (d < 10 * 60)
                    break;
                QString titre = unDe(g, Debuts);
                if (g.bounded(3) != 0)
                    titre += QLatin1Char(' ') + unDe(g, Suites);
                if (g.bounded(5) == 0)
                    titre += QStringLiteral(" %1").arg(2 + g.bounded(3));
                if (titres.contains(titre.toUpper()))
                    continue;
                titres.insert(titre.toUpper());
                films.append({titre, d});
                occupe += d;
            }
            restants -= int(films.size());
            // Free tape between the films: up to three stretches, never two side by side.
            const int libre = capacite - occupe;
            QVector<int> trous(films.size() + 1, 0);
            if (libre > 0) {
                const int n = 1 + int(g.bounded(quint32(qMin<qsizetype>(3, trous.size()))));
                int reste = libre;
                for (int i = 0; i < n; ++i) {
                    const int part = i == n - 1 ? reste : int(g.bounded(quint32(reste + 1)));
                    trous[int(g.bounded(quint32(trous.size())))] += part;
                    reste -= part;
                }
            }
            QStringList champs;
            for (int i = 0; i <= films.size(); ++i) {
                if (trous[i] > 0)
                    champs << Outils::SecondesEnHeure(trous[i]);
                if (i < films.size())
                    champs << QStringLiteral("FILM") + Outils::SecondesEnHeure(films[i].secondes) +
                                  Fonctions::TitreDansStatus(films[i].titre);
            }
            insK7.reinitialiser();
            insK7.lier(1, Outils::SecondesEnHeure(capacite));
            insK7.lier(2, Outils::SecondesEnHeure(libre));
            insK7.lier(3, int(films.size()));
            insK7.lier(4, champs.join(QLatin1Char('/')));
            if (!insK7.executer()) {
                r.erreur = insK7.erreur();
                break;
            }
            const qint64 idK7 = sqlite3_last_insert_rowid(db);
            ++r.cassettes;
            for (int i = 0; i < films.size(); ++i) {
                insFilm.reinitialiser();
                insFilm.lier(1, films[i].titre);
                insFilm.lier(2, personne(g));
                insFilm.lier(3, personne(g) + QStringLiteral(", ") + personne(g));
                insFilm.lier(4, Outils::SecondesEnHeure(films[i].secondes));
                insFilm.lier(5, QString::number(1930 + g.bounded(70)));
                insFilm.lier(6, unDe(g, Pays));
                insFilm.lier(7, unDe(g, Genres));
                if (longueurDescription > 0)
                    insFilm.lier(8, description(g, longueurDescription));
                else
                    insFilm.lier(8, QStringLiteral("Enregistré sur la cinquième chaîne. ") + personne(g) +
                                        QStringLiteral(" y joue un rôle inoubliable."));
                insPlace.reinitialiser();
                if (!insFilm.executer()) {
                    r.erreur = insFilm.erreur();
                    break;
                }
                insPlace.lier(1, sqlite3_last_insert_rowid(db));
                insPlace.lier(2, idK7);
                insPlace.lier(3, i + 1);
                if (!insPlace.executer()) {
                    r.erreur = insPlace.erreur();
                    break;
                }
                ++r.films;
            }
        }
    }
    QString erreurFin;
    if (!Catalogue::Sqlite::executer(db, QStringLiteral("COMMIT"), &erreurFin) && r.erreur.isEmpty())
        r.erreur = erreurFin;
    sqlite3_close(db);
    r.secondes = chrono.nsecsElapsed() / 1e9;
    return r;
}
