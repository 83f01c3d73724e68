#include "catalogue/Catalogue.h"

#include "catalogue/Pannes.h"
#include "catalogue/Sqlite.h"

#include <limits>

namespace Catalogue {

using Sqlite::Requete;

Transaction::Transaction(sqlite3* db) : m_db(db) {
    static int compteur = 0;
    m_nom = QStringLiteral("commande%1").arg(++compteur);
    m_actif = Sqlite::executer(m_db, QStringLiteral("SAVEPOINT ") + m_nom, &m_erreur);
}

Transaction::~Transaction() {
    if (m_actif)
        annuler();
}

bool Transaction::valider() {
    if (!m_actif)
        return false;
    // The commit is a write of its own: where a full disk shows.
    if (!Pannes::autoriser()) {
        m_erreur = Pannes::message();
        annuler();
        return false;
    }
    // A failed write may have made the engine roll the whole transaction back already: the
    // release would then only say that the savepoint is unknown.
    if (sqlite3_get_autocommit(m_db)) {
        m_erreur = QStringLiteral("une écriture sur le disque a échoué (disque plein ou défaillant) : la "
                                  "commande a été annulée");
        m_actif = false;
        return false;
    }
    if (!Sqlite::executer(m_db, QStringLiteral("RELEASE ") + m_nom, &m_erreur)) {
        annuler();
        return false;
    }
    m_actif = false;
    return true;
}

void Transaction::annuler() {
    if (!m_actif)
        return;
    Sqlite::executer(m_db, QStringLiteral("ROLLBACK TO ") + m_nom);
    Sqlite::executer(m_db, QStringLiteral("RELEASE ") + m_nom);
    m_actif = false;
}

bool lireMarque(qint32* marque, QString* erreur) {
    Requete q(base(), QStringLiteral("PRAGMA user_version"));
    if (q.pas() != SQLITE_ROW) {
        if (erreur)
            *erreur = q.erreur();
        return false;
    }
    *marque = qint32(q.entier(0));
    return true;
}

bool avancerMarque(qint32* marque, QString* erreur) {
    qint32 m = 0;
    if (!lireMarque(&m, erreur))
        return false;
    // Only equality is ever asked of the mark, so it may wrap round (past 0, the fresh file's).
    m = m == std::numeric_limits<qint32>::max() ? 1 : m + 1;
    if (!Sqlite::executer(base(), QStringLiteral("PRAGMA user_version = %1").arg(m), erreur))
        return false;
    *marque = m;
    return true;
}

} // namespace Catalogue
