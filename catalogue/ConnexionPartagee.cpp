#include "catalogue/Catalogue.h"

#include "catalogue/CatalogueInterne.h"
#include "catalogue/Disque.h"
#include "catalogue/Sqlite.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>

#include <cerrno>
#include <unistd.h>

namespace Catalogue {

using namespace Interne;

namespace {

using Sqlite::Requete;

QString g_chemin;
quint64 g_generation = 0;
constexpr int CacheOrdinaire = -8192; // kibibytes, as the engine counts a negative size

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
            Sqlite::executer(h, QStringLiteral("PRAGMA cache_size = %1").arg(CacheOrdinaire));
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

GrandCache::GrandCache(qsizetype lignes) {
    sqlite3* db = base();
    m_agrandi = db && lignes >= 2000 && Sqlite::executer(db, QStringLiteral("PRAGMA cache_size = -65536"));
}

GrandCache::~GrandCache() {
    if (sqlite3* db = base(); m_agrandi && db)
        Sqlite::executer(db, QStringLiteral("PRAGMA cache_size = %1").arg(CacheOrdinaire));
}

void fermer() {
    Sqlite::viderCache(); // a connection with statements still prepared cannot close
    connexion().fermer();
    g_chemin.clear();
    ++g_generation;
}

} // namespace Catalogue
