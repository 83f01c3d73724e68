#pragma once

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

struct sqlite3;

// A temporary application folder holding a fresh, empty catalogue, open on the shared
// connection; closed and removed with the object.
class DossierTest {
public:
    DossierTest();
    ~DossierTest();

    QString chemin() const { return m_dossier.path(); }
    QString fichier(const QString& nom) const;
    QString catalogue() const { return fichier(QStringLiteral("R7Ozire.mdb")); }

    // Test data, written straight through the shared connection.
    qint64 ajouterCassette(const QString& duree);
    // Places a film at the start of the first free stretch that holds it (best fit); returns its
    // IdFilm, 0 when no stretch fits.
    qint64 placerFilm(qint64 idK7, const QString& titre, const QString& duree,
                      const QString& genre = QString(), const QString& date = QStringLiteral("1999"));
    // The small catalogue the engine tests read. Cassettes 1-5 last 04:00:00, 03:00:00, 04:00:00,
    // 04:00:00, 03:00:00; films 1-8 are placed in this order:
    //   K7 1: Zorro, alien   K7 2: Été   K7 3: K7 10, K7 9, L'été meurtrier, Brazil   K7 4: none
    //   K7 5: Amélie
    // (titles, genres, years and durations are in DossierTest.cpp).
    void remplir();
    // The rows of a table in rowid order (the key counters' by name), one text per row: a dump to compare
    // before and after; on the shared connection unless told.
    static QStringList contenu(const QString& table, sqlite3* db = nullptr);
    // Every row of the catalogue, the key sequence included, each behind its table's name.
    static QStringList tout(sqlite3* db = nullptr);
    QStringList invariants() const;
    // Every name in a folder, hidden ones included.
    static QStringList noms(const QString& dossier);
    // What the engine or the system says in English, which must not reach the user.
    static bool anglais(const QString& texte);
    // A file's bytes (none when it cannot be read); a file written whole, or false.
    static QByteArray octets(const QString& chemin);
    static bool ecrire(const QString& chemin, const QByteArray& octets);

private:
    QTemporaryDir m_dossier;
};
