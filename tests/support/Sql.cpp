#include "tests/support/Sql.h"

#include "catalogue/Sqlite.h"

bool Sql::prepare(const QString& sql) {
    sqlite3_finalize(m_stmt);
    m_stmt = nullptr;
    m_valeurs.clear();
    m_rc = SQLITE_DONE;
    const QByteArray texte = sql.toUtf8();
    if (sqlite3_prepare_v2(m_db, texte.constData(), int(texte.size()), &m_stmt, nullptr) != SQLITE_OK) {
        m_erreur = QString::fromUtf8(sqlite3_errmsg(m_db));
        return false;
    }
    return true;
}

bool Sql::exec() {
    if (!m_stmt)
        return false;
    sqlite3_reset(m_stmt);
    sqlite3_clear_bindings(m_stmt);
    for (int i = 0; i < m_valeurs.size(); ++i)
        Catalogue::Sqlite::lier(m_stmt, i + 1, m_valeurs.at(i));
    m_valeurs.clear();
    m_rc = sqlite3_step(m_stmt);
    m_premiere = m_rc == SQLITE_ROW;
    if (m_rc != SQLITE_ROW && m_rc != SQLITE_DONE) {
        m_erreur = QString::fromUtf8(sqlite3_errmsg(m_db));
        return false;
    }
    m_dernierId = sqlite3_last_insert_rowid(m_db);
    return true;
}

bool Sql::next() {
    if (m_premiere) {
        m_premiere = false;
        return true;
    }
    if (m_rc != SQLITE_ROW)
        return false;
    m_rc = sqlite3_step(m_stmt);
    if (m_rc != SQLITE_ROW && m_rc != SQLITE_DONE)
        m_erreur = QString::fromUtf8(sqlite3_errmsg(m_db));
    return m_rc == SQLITE_ROW;
}

QVariant Sql::value(int i) const {
    return Catalogue::Sqlite::valeur(m_stmt, i);
}

Sql executerSql(const QString& sql, const QVariantList& valeurs) {
    Sql q;
    const bool prepare = q.prepare(sql);
    for (const QVariant& v : valeurs)
        q.addBindValue(v);
    if (!prepare || !q.exec())
        qFatal("%s: %s", qPrintable(sql), qPrintable(q.lastError()));
    return q;
}
