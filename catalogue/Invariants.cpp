#include "catalogue/Invariants.h"

#include "catalogue/Fonctions.h"
#include "catalogue/Outils.h"
#include "catalogue/Sqlite.h"

#include <QHash>
#include <QRegularExpression>

#include <algorithm>

namespace Catalogue {

namespace {

bool estHorloge(const QString& t) {
    static const QRegularExpression motif(QStringLiteral("^([01][0-9]|2[0-3]):[0-5][0-9]:[0-5][0-9]$"));
    return motif.match(t).hasMatch();
}

struct Placement {
    qint64 idFilm;
    qint64 idK7;
    qint64 position;
};

struct FilmLu {
    QString titre;
    QString duree;
};

} // namespace

QStringList verifierStatus(const QString& Status, const QString& Duree) {
    QStringList p;
    if (!estHorloge(Duree))
        p << QStringLiteral("la durée « %1 » n'est pas une heure HH:MM:SS").arg(Duree);
    const QStringList champs = Fonctions::Champs(Status);
    int total = 0;
    bool precedentLibre = false;
    for (int i = 0; i < champs.size(); ++i) {
        const QString& c = champs[i];
        const bool film = Fonctions::EstFilm(c);
        const QString longueur = film ? c.mid(4, 8) : c;
        if (!estHorloge(longueur)) {
            p << QStringLiteral("le champ %1 « %2 » n'a pas une longueur HH:MM:SS").arg(i + 1).arg(c);
            continue;
        }
        total += Outils::HeureEnSecondes(longueur);
        if (!film) {
            if (precedentLibre)
                p << QStringLiteral("les champs %1 et %2 sont deux plages libres voisines").arg(i).arg(i + 1);
            if (longueur == QLatin1String("00:00:00") && champs.size() > 1)
                p << QStringLiteral("le champ %1 est une plage libre vide").arg(i + 1);
        }
        precedentLibre = !film;
    }
    if (champs.size() != Status.split(QLatin1Char('/')).size())
        p << QStringLiteral("la bande contient un champ vide");
    if (estHorloge(Duree) && total != Outils::HeureEnSecondes(Duree))
        p << QStringLiteral("les champs totalisent %1 au lieu de %2")
                 .arg(Outils::SecondesEnHeure(total), Duree);
    return p;
}

QStringList verifierInvariants(sqlite3* h) {
    using Sqlite::Requete;
    QStringList p;
    if (!h)
        return {QStringLiteral("le catalogue n'est pas ouvert")};

    QHash<qint64, FilmLu> films;
    {
        Requete q(h, QStringLiteral("SELECT IdFilm, Titre, \"Durée\" FROM Film"));
        while (q.pas() == SQLITE_ROW)
            films.insert(q.entier(0), {q.texte(1), q.texte(2)});
        if (!q.erreur().isEmpty())
            return {q.erreur()};
    }
    QHash<qint64, QList<Placement>> parK7;
    QHash<qint64, int> placementsParFilm;
    {
        Requete q(h, QStringLiteral("SELECT IdFilm, IdK7, Position FROM FilmK7"));
        while (q.pas() == SQLITE_ROW) {
            const Placement pl{q.entier(0), q.entier(1), q.entier(2)};
            parK7[pl.idK7].append(pl);
            ++placementsParFilm[pl.idFilm];
            if (!films.contains(pl.idFilm))
                p << QStringLiteral("Le placement du film %1 sur la cassette %2 désigne un film absent.")
                         .arg(pl.idFilm)
                         .arg(pl.idK7);
        }
        if (!q.erreur().isEmpty())
            return {q.erreur()};
    }
    for (auto it = films.cbegin(); it != films.cend(); ++it) {
        const int n = placementsParFilm.value(it.key());
        if (n != 1)
            p << QStringLiteral("Le film %1 « %2 » a %3 placement(s) au lieu d'un.")
                     .arg(it.key())
                     .arg(it->titre)
                     .arg(n);
    }

    QSet<qint64> cassettes;
    Requete q(h, QStringLiteral("SELECT IdK7, \"Durée\", TempsRestant, NBFilm, Status FROM K7"));
    while (q.pas() == SQLITE_ROW) {
        const qint64 id = q.entier(0);
        const QString duree = q.texte(1);
        const QString restant = q.texte(2);
        const qint64 nb = q.entier(3);
        const QString status = q.texte(4);
        cassettes.insert(id);
        const QString k7 = QStringLiteral("Cassette %1 : ").arg(id);
        for (const QString& e : verifierStatus(status, duree))
            p << k7 + e + QLatin1Char('.');

        const QStringList champs = Fonctions::Champs(status);
        QStringList filmsBande;
        int libre = 0;
        for (const QString& c : champs) {
            if (Fonctions::EstFilm(c))
                filmsBande << c;
            else
                libre += Outils::HeureEnSecondes(c);
        }
        if (!estHorloge(restant) || Outils::HeureEnSecondes(restant) != libre)
            p << k7 + QStringLiteral("TempsRestant vaut « %1 » mais la bande a %2 de libre.")
                          .arg(restant, Outils::SecondesEnHeure(libre));
        QList<Placement> places = parK7.value(id);
        if (nb != filmsBande.size() || nb != places.size())
            p << k7 + QStringLiteral(
                          "NBFilm vaut %1, la bande porte %2 film(s) et %3 placement(s) la désignent.")
                          .arg(nb)
                          .arg(filmsBande.size())
                          .arg(places.size());
        std::sort(places.begin(), places.end(),
                  [](const Placement& a, const Placement& b) { return a.position < b.position; });
        int dureeFilms = 0;
        for (int i = 0; i < places.size(); ++i) {
            const Placement& pl = places[i];
            if (pl.position != i + 1) {
                p << k7 + QStringLiteral(
                              "les positions ne vont pas de 1 à %1 sans trou (%2 trouvée au rang %3).")
                              .arg(places.size())
                              .arg(pl.position)
                              .arg(i + 1);
                break;
            }
            const FilmLu f = films.value(pl.idFilm);
            dureeFilms += Outils::HeureEnSecondes(f.duree);
            if (i >= filmsBande.size())
                continue;
            const QString& champ = filmsBande[i];
            if (champ.mid(4, 8) != f.duree ||
                champ.mid(12).toUpper() != Fonctions::TitreDansStatus(f.titre).toUpper())
                p << k7 + QStringLiteral(
                              "le film en position %1 (« %2 », %3) ne correspond pas au champ « %4 ».")
                              .arg(pl.position)
                              .arg(f.titre, f.duree, champ);
        }
        if (estHorloge(duree) && estHorloge(restant) &&
            Outils::HeureEnSecondes(duree) - dureeFilms != Outils::HeureEnSecondes(restant))
            p << k7 + QStringLiteral("la durée moins ses films ne donne pas le temps restant.");
    }
    if (!q.erreur().isEmpty())
        return p << q.erreur();
    for (auto it = parK7.cbegin(); it != parK7.cend(); ++it) {
        if (!cassettes.contains(it.key()))
            p << QStringLiteral("%1 placement(s) désignent la cassette %2, qui n'existe pas.")
                     .arg(it->size())
                     .arg(it.key());
    }
    return p;
}

} // namespace Catalogue
