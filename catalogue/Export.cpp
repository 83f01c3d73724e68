#include "catalogue/Export.h"

#include "catalogue/Catalogue.h"
#include "catalogue/Disque.h"
#include "catalogue/Fonctions.h"
#include "catalogue/Outils.h"
#include "catalogue/Sqlite.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QLocale>

#include <cstring>
#include <limits>

namespace Catalogue::Export {

Csv::Csv() : m_octets("\xEF\xBB\xBF") {}

void Csv::champ(const char* utf8, qsizetype longueur) {
    if (!m_premier)
        m_octets.append(';');
    m_premier = false;
    m_octets.append('"');
    // Only the quote needs care: ";" and line breaks are safe between quotes.
    while (longueur > 0) {
        const auto* guillemet = static_cast<const char*>(std::memchr(utf8, '"', size_t(longueur)));
        const qsizetype n = guillemet ? guillemet - utf8 + 1 : longueur;
        m_octets.append(utf8, n);
        if (guillemet)
            m_octets.append('"');
        utf8 += n;
        longueur -= n;
    }
    m_octets.append('"');
}

void Csv::champ(const QString& texte) {
    const QByteArray utf8 = texte.toUtf8();
    champ(utf8.constData(), utf8.size());
}

void Csv::finLigne() {
    m_octets.append("\r\n");
    m_premier = true;
}

void Csv::ligne(const QStringList& champs) {
    for (const QString& c : champs)
        champ(c);
    finLigne();
}

namespace {
// "HH:MM:SS" as SecondesEnHeure writes it, without building a QString: an export writes one for
// every film and every free stretch.
QByteArray enHeure(int secondes) {
    if (secondes < 0 || secondes >= 100 * 3600)
        return Outils::SecondesEnHeure(secondes).toLatin1();
    char texte[8] = {char('0' + secondes / 36000),
                     char('0' + secondes / 3600 % 10),
                     ':',
                     char('0' + secondes % 3600 / 600),
                     char('0' + secondes % 600 / 60 % 10),
                     ':',
                     char('0' + secondes % 60 / 10),
                     char('0' + secondes % 10)};
    return QByteArray(texte, 8);
}

// Where each field of a record starts, and where the last one ends: as Etendues gives them,
// with one reading of the record.
QList<int> bornes(const QStringList& champs) {
    QList<int> b;
    b.reserve(champs.size() + 1);
    qint64 position = 0;
    b << 0;
    for (const QString& champ : champs) {
        position = qMin<qint64>(position + Fonctions::LongueurChamp(champ), std::numeric_limits<int>::max());
        b << int(position);
    }
    return b;
}

QList<int> debutsDesFilms(const QString& status) {
    const QStringList champs = Fonctions::Champs(status);
    const QList<int> b = bornes(champs);
    QList<int> debuts;
    for (int i = 0; i < champs.size(); ++i) {
        if (Fonctions::EstFilm(champs[i]))
            debuts << b[i];
    }
    return debuts;
}

QByteArray plagesLibresUtf8(const QString& status) {
    const QStringList champs = Fonctions::Champs(status);
    const QList<int> b = bornes(champs);
    QByteArray plages;
    for (int i = 0; i < champs.size(); ++i) {
        if (Fonctions::EstFilm(champs[i]) || b[i + 1] <= b[i])
            continue;
        if (!plages.isEmpty())
            plages += "; ";
        plages +=
            "de " + enHeure(b[i]) + " \xC3\xA0 " + enHeure(b[i + 1]) + " (" + enHeure(b[i + 1] - b[i]) + ')';
    }
    return plages;
}

QString nombre(int n, const QString& singulier, const QString& pluriel) {
    return QLocale(QLocale::French).toString(n) + QLatin1Char(' ') + (n > 1 ? pluriel : singulier);
}

QString nomAffiche(const QString& chemin) {
    return QStringLiteral("« %1 »").arg(QDir::toNativeSeparators(chemin));
}

// The films with their placement and cassette, in one pass: a cassette's record is read and
// worked out once, for its first film.
bool films(Csv& csv, int* nombre, QString* erreur) {
    csv.ligne({QStringLiteral("N° du film"), QStringLiteral("Titre"), QStringLiteral("Réalisateur"),
               QStringLiteral("Acteurs"), QStringLiteral("Durée"), QStringLiteral("Date"),
               QStringLiteral("Pays"), QStringLiteral("Genre"), QStringLiteral("Description"),
               QStringLiteral("Cassette"), QStringLiteral("Position"), QStringLiteral("Début sur la bande")});
    Sqlite::Requete q(base(), QStringLiteral("SELECT f.IdFilm, f.Titre, f.\"Réalisateur\", f.Acteurs, "
                                             "f.\"Durée\", f.Date, f.Pays, f.Genre, f.Description, "
                                             "p.IdK7, p.Position, k.Status FROM Film f "
                                             "LEFT JOIN FilmK7 p ON p.IdFilm = f.IdFilm "
                                             "LEFT JOIN K7 k ON k.IdK7 = p.IdK7 ORDER BY f.IdFilm"));
    QHash<qint64, QList<int>> debuts;
    int rc = SQLITE_ERROR;
    while (q.prete() && (rc = q.pas()) == SQLITE_ROW) {
        // Before the columns are read as text: a type read after a conversion means nothing.
        QByteArray debut;
        if (q.type(9) != SQLITE_NULL && q.type(11) != SQLITE_NULL) {
            const qint64 k7 = q.entier(9);
            auto it = debuts.constFind(k7);
            if (it == debuts.constEnd())
                it = debuts.insert(k7, debutsDesFilms(q.texte(11)));
            const qint64 position = q.entier(10);
            if (position >= 1 && position <= it->size())
                debut = enHeure(it->at(int(position - 1)));
        }
        int longueur = 0;
        for (int i = 0; i <= 10; ++i) {
            const char* texte = q.utf8(i, &longueur);
            csv.champ(texte, longueur);
        }
        csv.champ(debut.constData(), debut.size());
        csv.finLigne();
        ++*nombre;
    }
    if (!q.prete() || rc != SQLITE_DONE) {
        *erreur = q.erreur();
        return false;
    }
    return true;
}

bool cassettes(Csv& csv, int* nombre, QString* erreur) {
    csv.ligne({QStringLiteral("Cassette"), QStringLiteral("Durée"), QStringLiteral("Temps libre"),
               QStringLiteral("Nombre de films"), QStringLiteral("Plages libres")});
    Sqlite::Requete q(base(), QStringLiteral("SELECT IdK7, \"Durée\", TempsRestant, NBFilm, Status "
                                             "FROM K7 ORDER BY IdK7"));
    int rc = SQLITE_ERROR;
    while (q.prete() && (rc = q.pas()) == SQLITE_ROW) {
        int longueur = 0;
        for (int i = 0; i <= 3; ++i) {
            const char* texte = q.utf8(i, &longueur);
            csv.champ(texte, longueur);
        }
        const QByteArray plages = plagesLibresUtf8(q.texte(4));
        csv.champ(plages.constData(), plages.size());
        csv.finLigne();
        ++*nombre;
    }
    if (!q.prete() || rc != SQLITE_DONE) {
        *erreur = q.erreur();
        return false;
    }
    return true;
}
} // namespace

QString plagesLibres(const QString& status) {
    return QString::fromUtf8(plagesLibresUtf8(status));
}

QStringList existants(const QString& dossier) {
    QStringList la;
    for (const QString& nom : {NomFilms, NomCassettes}) {
        if (QFileInfo::exists(QDir(dossier).filePath(nom)))
            la << nom;
    }
    return la;
}

Resultat exporter(const QString& dossier) {
    Resultat r;
    const QString cheminFilms = QDir(dossier).filePath(NomFilms);
    const QString cheminCassettes = QDir(dossier).filePath(NomCassettes);
    QString erreur;
    // Each file is built whole before anything is written: a read that fails leaves the folder as
    // it was.
    Csv csvFilms;
    Csv csvCassettes;
    if (!films(csvFilms, &r.films, &erreur) || !cassettes(csvCassettes, &r.cassettes, &erreur)) {
        r.message =
            QStringLiteral("L'exportation n'a pas pu se faire : le catalogue n'a pas pu être lu (%1).")
                .arg(erreur);
        return r;
    }
    if (!Disque::ecrire(cheminFilms, csvFilms.octets(), &erreur)) {
        r.message = QStringLiteral("L'exportation n'a pas pu se faire : le fichier %1 n'a pas pu être "
                                   "écrit (%2). Aucun fichier n'a été modifié.")
                        .arg(nomAffiche(cheminFilms), erreur);
        return r;
    }
    if (!Disque::ecrire(cheminCassettes, csvCassettes.octets(), &erreur)) {
        r.message = QStringLiteral("L'exportation est incomplète : les films ont été écrits dans %1, mais "
                                   "le fichier %2 n'a pas pu être écrit (%3).")
                        .arg(nomAffiche(cheminFilms), nomAffiche(cheminCassettes), erreur);
        return r;
    }
    r.ok = true;
    r.message =
        QStringLiteral("Le catalogue a été exporté dans le dossier %1 :\n\n%2 dans %3\n%4 dans %5")
            .arg(nomAffiche(dossier), nombre(r.films, QStringLiteral("film"), QStringLiteral("films")),
                 QStringLiteral("« %1 »").arg(NomFilms),
                 nombre(r.cassettes, QStringLiteral("cassette"), QStringLiteral("cassettes")),
                 QStringLiteral("« %1 »").arg(NomCassettes));
    return r;
}

} // namespace Catalogue::Export
