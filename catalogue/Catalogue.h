#pragma once

#include <QString>
#include <QStringList>
#include <QVariantList>

struct sqlite3;

// The catalogue file: one SQLite file, R7Ozire.mdb, in the application folder, reached through
// one shared connection so that every screen works in the same transaction scope.
namespace Catalogue {

inline const QString NomCatalogue = QStringLiteral("R7Ozire.mdb");
inline const QString NomCatalogueNeuf = QStringLiteral("R7Ozire.Maj");
inline const QString NomCompact = QStringLiteral("R7OzireCompact.mdb");

// The collation registered on every connection; used only in ORDER BY, never in the schema.
inline const QString NomCollation = QStringLiteral("FRANCAIS");
// The SQL function giving a text's French sort key; ORDER BY on text columns sorts by it.
inline const QString NomCle = QStringLiteral("CLE_FR");

enum class Etat { Ouvert, Absent, PasUnCatalogue, Incomplet, Endommage };

struct Ouverture {
    Etat etat = Etat::Absent;
    QString message; // French, ready for a message box; empty when opened
    // Opened, but the file or its folder refuses writes: it can be read, no change can be saved.
    bool lectureSeule = false;
    QString avertissement; // French, for a message box, when read-only
    bool ok() const { return etat == Etat::Ouvert; }
};

// Opens (or re-uses, when already open on the same file) the shared connection after probing
// the file: it must exist, be an SQLite file and hold the three tables with their fields.
Ouverture ouvrir(const QString& chemin);
// The shared connection's handle; null when nothing is open.
sqlite3* base();
QString cheminOuvert();
bool estOuvert();
// Changes whenever the catalogue is opened or closed: what was learnt of the open one (its
// columns, its file) holds while this stays the same.
quint64 generation();
// Releases the file (maintenance needs it closed).
void fermer();

// While it lives, the shared connection may keep up to 64 MB of the catalogue's pages instead of
// 8: for a pass that seeks every row of a large table in another order than the table's (a
// printed list), which would otherwise read most pages from the system again and again. Back to
// 8 MB afterwards, the pages above it given back. A pass over fewer rows than a few thousand
// fits in 8 MB: nothing changes for it.
class GrandCache {
public:
    explicit GrandCache(qsizetype lignes);
    ~GrandCache();
    GrandCache(const GrandCache&) = delete;
    GrandCache& operator=(const GrandCache&) = delete;

private:
    bool m_agrandi = false;
};

// A counter in the catalogue file's header (PRAGMA user_version, which the schema leaves unused),
// moved on inside a command's transaction: files a command changes beside the catalogue after
// its commit can tell at the next start whether that commit happened. On the shared connection.
bool lireMarque(qint32* marque, QString* erreur = nullptr);
// Within the open transaction; gives back the new value, which commits or rolls back with it.
bool avancerMarque(qint32* marque, QString* erreur = nullptr);

// Rewrites a text of the screens' SQL dialect into SQLite: #HH:MM:SS# literals become quoted
// texts, a number glued to a keyword gets a blank, ORDER BY on text columns uses French order.
// With `parametres`, the numbers of the text are replaced by "?" and given back in order.
QString traduireSql(const QString& sql, QVariantList* parametres = nullptr);
// The same, worked out afresh rather than from a text of the same shape (to check the above).
QString traduireSqlSeul(const QString& sql, QVariantList* parametres);

// The three tables; used by the tool that writes the empty catalogue and by the repair.
bool creerSchema(sqlite3* db, QString* erreur = nullptr);
// Writes a fresh catalogue file (three tables, no rows) at chemin, replacing nothing.
bool creerCatalogueVide(const QString& chemin, QString* erreur = nullptr);

// Registers French order on a raw connection (the shared one gets it on opening).
bool enregistrerCollation(sqlite3* db);

// All or nothing for commands that write several rows. Nested guards are savepoints of the
// outer one. A guard that is neither committed nor rolled back rolls back when destroyed.
class Transaction {
public:
    explicit Transaction(sqlite3* db = base());
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    bool ok() const { return m_actif; }
    bool valider();
    void annuler();
    QString erreur() const { return m_erreur; }

private:
    sqlite3* m_db;
    QString m_nom;
    bool m_actif = false;
    QString m_erreur;
};

// Maintenance. Every result carries a French message for the user.
struct Resultat {
    bool ok = false;
    QString message;
};

// Copies dossier/R7Ozire.mdb compacted into R7OzireCompact.mdb (a leftover copy is removed
// first), then renames the copy over the catalogue: there is always a whole catalogue in place.
// The catalogue must not be open.
Resultat compacter(const QString& dossier);

// Removes what a compaction or a repair cut short (a crash, a power cut) left beside the
// catalogue: its unfinished copy, never the catalogue, since a copy takes its place only by a
// rename. At start, before the catalogue is opened.
void oublierCopiesInterrompues(const QString& dossier);

// PRAGMA integrity_check plus the catalogue's own rules; empty when all is well.
QStringList verifierIntegrite(const QString& chemin);

// Salvages every readable row of dossier/R7Ozire.mdb into a fresh catalogue which takes its
// place; the damaged original is kept beside it as R7Ozire.endommage.mdb. A sound catalogue
// (the engine's and the catalogue's own checks find nothing) is left as it is.
// What putting a salvaged catalogue back in order had to do.
struct Remise {
    int placementsSupprimes = 0;
    int cassettesCorrigees = 0;
    int filmsReplaces = 0;
    QList<qint64> cassettesDeSecours; // new cassettes holding films that had lost theirs
};

struct Reparation : Resultat {
    Remise remise;
    int lignesSauvees = 0;
    int zonesIllisibles = 0; // damaged stretches of rows that could not be read
    QString copieEndommagee; // where the damaged original was kept
    bool sain = false;       // nothing to repair: the file is left as it was, no copy kept
};
Reparation reparer(const QString& dossier);

} // namespace Catalogue
