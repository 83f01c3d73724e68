#include "catalogue/Catalogue.h"

#include "catalogue/CatalogueInterne.h"
#include "catalogue/Sqlite.h"

#include <QFile>
#include <QFileInfo>

namespace Catalogue {

using namespace Interne;

namespace {

using Sqlite::Connexion;

const char* const Schema = R"(
CREATE TABLE Film (
    IdFilm INTEGER PRIMARY KEY AUTOINCREMENT,
    Titre TEXT,
    "Réalisateur" TEXT,
    Acteurs TEXT,
    "Durée" TEXT,
    Date TEXT,
    Pays TEXT,
    Genre TEXT,
    Description TEXT
);
CREATE TABLE K7 (
    IdK7 INTEGER PRIMARY KEY AUTOINCREMENT,
    "Durée" TEXT,
    TempsRestant TEXT,
    NBFilm INTEGER,
    Status TEXT
);
CREATE TABLE FilmK7 (
    IdFilm INTEGER,
    IdK7 INTEGER,
    Position INTEGER
);
CREATE INDEX FilmK7_IdFilm ON FilmK7 (IdFilm);
CREATE INDEX FilmK7_IdK7 ON FilmK7 (IdK7, Position);
CREATE INDEX K7_TempsRestant ON K7 (TempsRestant);
)";

} // namespace

namespace Interne {

const QList<Table>& tables() {
    static const QList<Table> t = {
        {QStringLiteral("Film"),
         {QStringLiteral("IdFilm"), QStringLiteral("Titre"), QStringLiteral("Réalisateur"),
          QStringLiteral("Acteurs"), QStringLiteral("Durée"), QStringLiteral("Date"), QStringLiteral("Pays"),
          QStringLiteral("Genre"), QStringLiteral("Description")}},
        {QStringLiteral("K7"),
         {QStringLiteral("IdK7"), QStringLiteral("Durée"), QStringLiteral("TempsRestant"),
          QStringLiteral("NBFilm"), QStringLiteral("Status")}},
        {QStringLiteral("FilmK7"),
         {QStringLiteral("IdFilm"), QStringLiteral("IdK7"), QStringLiteral("Position")}},
    };
    return t;
}

// Every table and field name, by its lower-case form, so that "DURÉE" finds "Durée" too
// (SQLite folds only ASCII letters).
const QHash<QString, QString>& nomsCanoniques() {
    static const QHash<QString, QString> noms = [] {
        QHash<QString, QString> h;
        for (const Table& t : tables()) {
            h.insert(t.nom.toLower(), t.nom);
            for (const QString& c : t.champs)
                h.insert(c.toLower(), c);
        }
        return h;
    }();
    return noms;
}

bool creerSchemaBrut(sqlite3* db, QString* erreur) {
    return Sqlite::executer(
        db, QStringLiteral("BEGIN;") + QString::fromUtf8(Schema) + QStringLiteral("COMMIT;"), erreur);
}

} // namespace Interne

bool creerSchema(sqlite3* db, QString* erreur) {
    return Sqlite::executer(db, QString::fromUtf8(Schema), erreur);
}

bool creerCatalogueVide(const QString& chemin, QString* erreur) {
    if (QFileInfo::exists(chemin)) {
        if (erreur)
            *erreur = QStringLiteral("le fichier %1 existe déjà").arg(nomLisible(chemin));
        return false;
    }
    bool ok;
    {
        Connexion c(chemin, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
        ok = c.db() && creerSchemaBrut(c.db(), erreur);
        if (!ok && erreur && erreur->isEmpty())
            *erreur = Sqlite::messageMoteur(c.db());
    }
    if (!ok)
        QFile::remove(chemin);
    return ok;
}

} // namespace Catalogue
