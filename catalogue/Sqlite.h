#pragma once

// Thin RAII over the SQLite C interface, for the catalogue layer only. The program links one
// SQLite, the system's libsqlite3, and opens every connection itself: no second copy of the
// engine (as a database driver may bundle) ever acts on a handle of this one.

#include <QString>
#include <QVariant>
#include <sqlite3.h>

namespace Catalogue::Sqlite {

QString messageMoteur(sqlite3* db);

// One connection to one file, closed when it goes. Extended result codes are on: the engine
// then tells a write error from a read error; messageMoteur() reads the primary code.
class Connexion {
public:
    Connexion() = default;
    explicit Connexion(const QString& chemin, int drapeaux = SQLITE_OPEN_READWRITE) {
        ouvrir(chemin, drapeaux);
    }
    ~Connexion() { fermer(); }
    Connexion(const Connexion&) = delete;
    Connexion& operator=(const Connexion&) = delete;

    // False when the engine refused the file; db() may still be set, for its message.
    bool ouvrir(const QString& chemin, int drapeaux = SQLITE_OPEN_READWRITE);
    void fermer();
    sqlite3* db() const { return m_db; }
    bool ouverte() const { return m_ouverte; }
    QString erreur() const { return messageMoteur(m_db); }

private:
    sqlite3* m_db = nullptr;
    bool m_ouverte = false;
};

// Statements kept prepared for the shared connection, by their text: the screens run the same
// few texts again and again. Emptied when the connection closes.
enum class Cache { Non, Oui };
void viderCache();

class Requete {
public:
    Requete(sqlite3* db, const QString& sql, Cache cache = Cache::Non);
    ~Requete();
    Requete(const Requete&) = delete;
    Requete& operator=(const Requete&) = delete;

    bool prete() const { return m_stmt != nullptr; }
    void lier(int index, const QVariant& valeur); // index from 1
    // SQLITE_ROW, SQLITE_DONE or an error code; the error text is kept.
    int pas();
    void reinitialiser() { sqlite3_reset(m_stmt); }
    bool executer(); // steps to the end; true when done without error
    int colonnes() const;
    QString nomColonne(int i) const;
    QVariant valeur(int i) const;
    qint64 entier(int i) const { return sqlite3_column_int64(m_stmt, i); }
    double reel(int i) const { return sqlite3_column_double(m_stmt, i); }
    int type(int i) const { return sqlite3_column_type(m_stmt, i); } // SQLITE_INTEGER...
    QString texte(int i) const;
    // The bytes of a blob or text value, valid until the next step; null for a NULL value.
    const char* octets(int i, int* longueur) const {
        if (sqlite3_column_type(m_stmt, i) == SQLITE_NULL)
            return nullptr;
        const void* p = sqlite3_column_blob(m_stmt, i);
        *longueur = sqlite3_column_bytes(m_stmt, i);
        return p ? static_cast<const char*>(p) : "";
    }
    // The value as UTF-8 text, as texte() reads it, valid until the next step; null for NULL.
    const char* utf8(int i, int* longueur) const {
        const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, i));
        *longueur = p ? sqlite3_column_bytes(m_stmt, i) : 0;
        return p;
    }
    QString erreur() const { return m_erreur; }

private:
    sqlite3* m_db;
    sqlite3_stmt* m_stmt = nullptr;
    bool m_cache = false;
    QString m_texte; // its key in the cache
    QString m_erreur;
};

// Binds a value the way Qt types map to the engine's: integers, reals, NULL, else text.
void lier(sqlite3_stmt* stmt, int index, const QVariant& valeur);
// A column of the current row as the engine typed it: integer, real, NULL (invalid), else text.
QVariant valeur(sqlite3_stmt* stmt, int i);

// Runs one or more statements without rows; the engine's message on failure.
bool executer(sqlite3* db, const QString& sql, QString* erreur = nullptr);

} // namespace Catalogue::Sqlite
