#pragma once

#include "catalogue/Catalogue.h"

#include <QString>
#include <QVariant>
#include <QVariantList>

#include <sqlite3.h>
#include <utility>

// A statement on a raw connection (the shared one unless told), for the tests' own data and
// checks. It goes straight to the engine: no dialect, no fault injection, no statement cache.
class Sql {
public:
    explicit Sql(sqlite3* db = Catalogue::base()) : m_db(db) {}
    ~Sql() { sqlite3_finalize(m_stmt); }
    Sql(const Sql&) = delete;
    Sql& operator=(const Sql&) = delete;
    Sql(Sql&& autre) noexcept
        : m_db(autre.m_db), m_stmt(std::exchange(autre.m_stmt, nullptr)),
          m_valeurs(std::move(autre.m_valeurs)), m_rc(autre.m_rc), m_premiere(autre.m_premiere),
          m_dernierId(autre.m_dernierId), m_erreur(std::move(autre.m_erreur)) {}

    bool prepare(const QString& sql);
    void addBindValue(const QVariant& valeur) { m_valeurs << valeur; }
    // Runs the prepared statement with the values added since the last run, up to its first row.
    bool exec();
    bool exec(const QString& sql) { return prepare(sql) && exec(); }
    bool next();
    QVariant value(int i) const;
    int columnCount() const { return m_stmt ? sqlite3_column_count(m_stmt) : 0; }
    QVariant lastInsertId() const { return m_dernierId; }
    QString lastError() const { return m_erreur; }
    // Ends the statement's read, so that the file is free for others.
    void finish() {
        if (m_stmt)
            sqlite3_reset(m_stmt);
        m_rc = SQLITE_DONE;
    }

private:
    sqlite3* m_db;
    sqlite3_stmt* m_stmt = nullptr;
    QVariantList m_valeurs;
    int m_rc = SQLITE_DONE;
    bool m_premiere = false; // the first row was stepped to by exec() and not yet given
    qint64 m_dernierId = 0;
    QString m_erreur;
};

// Runs a statement with values on the shared connection; the test program stops on an error.
Sql executerSql(const QString& sql, const QVariantList& valeurs = {});
