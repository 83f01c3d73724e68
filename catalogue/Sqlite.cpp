#include "catalogue/Sqlite.h"

#include "catalogue/Disque.h"
#include "catalogue/Pannes.h"

#include <QFile>
#include <QHash>

#include <cerrno>

namespace Catalogue::Sqlite {

bool Connexion::ouvrir(const QString& chemin, int drapeaux) {
    fermer();
    // A connection is only ever used by the thread that opened it: no lock around every call
    // (each field read took and released one).
    m_ouverte = sqlite3_open_v2(QFile::encodeName(chemin).constData(), &m_db, drapeaux | SQLITE_OPEN_NOMUTEX,
                                nullptr) == SQLITE_OK;
    if (m_ouverte)
        sqlite3_extended_result_codes(m_db, 1);
    return m_ouverte;
}

void Connexion::fermer() {
    // _v2: a statement still prepared somewhere does not keep the file open behind our back.
    sqlite3_close_v2(m_db);
    m_db = nullptr;
    m_ouverte = false;
}

QString messageMoteur(sqlite3* db) {
    if (!db)
        return QStringLiteral("base de donnée fermée");
    // What a damaged or locked-away file makes the engine say reaches the user in French; the
    // engine's other texts are the program's own faults and stay as they are. The primary code:
    // an extended one (a write error, a full inode table...) is one case of it.
    const int code = sqlite3_errcode(db);
    const int systeme = sqlite3_system_errno(db);
    const QString reparer = QStringLiteral(" ; le menu Option, Base de donnée, Réparer la base de donnée "
                                           "peut le remettre en état");
    if (code == SQLITE_READONLY_DBMOVED)
        return QStringLiteral("le fichier du catalogue a été remplacé, déplacé ou supprimé pendant que "
                              "Cassetron l'utilisait : fermez Cassetron puis relancez-le");
    if (code == SQLITE_IOERR_SHORT_READ)
        return QStringLiteral("le fichier du catalogue est plus court que prévu, il a été tronqué") + reparer;
    switch (code & 0xff) {
    case SQLITE_CORRUPT:
        return QStringLiteral("une partie du fichier est illisible") + reparer;
    case SQLITE_NOTADB:
        return QStringLiteral("ce n'est pas un fichier de base de donnée");
    case SQLITE_READONLY:
        return QStringLiteral("le catalogue est en lecture seule : il n'accepte pas d'écriture");
    case SQLITE_IOERR:
    case SQLITE_CANTOPEN: // on an open connection, a journal or a copy its folder refuses
        // The system's own reason tells a full disk (or a full table of files) from the rest.
        if (systeme == ENOSPC || systeme == EDQUOT || systeme == EFBIG)
            return Disque::raisonSysteme(systeme);
        if ((code & 0xff) == SQLITE_CANTOPEN)
            return QStringLiteral("le fichier ou son dossier n'accepte pas d'écriture");
        // The engine says "full" only for ENOSPC; a file grown past what it may be, or a quota,
        // comes as a failed write.
        if (code == SQLITE_IOERR_WRITE || code == SQLITE_IOERR_FSYNC || code == SQLITE_IOERR_TRUNCATE)
            return QStringLiteral("l'écriture sur le disque a échoué : le disque est plein ou défaillant");
        return QStringLiteral("erreur de lecture ou d'écriture sur le disque");
    case SQLITE_FULL:
        return QStringLiteral("le disque est plein");
    case SQLITE_PERM:
    case SQLITE_AUTH:
        return QStringLiteral("accès refusé");
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return QStringLiteral("le catalogue est occupé par un autre programme");
    case SQLITE_NOMEM:
        return QStringLiteral("mémoire insuffisante");
    default:
        return QString::fromUtf8(sqlite3_errmsg(db));
    }
}

namespace {
struct CacheRequetes {
    sqlite3* db = nullptr;
    QHash<QString, sqlite3_stmt*> requetes;
};
CacheRequetes& cache() {
    static CacheRequetes c;
    return c;
}
} // namespace

void viderCache() {
    for (sqlite3_stmt* r : std::as_const(cache().requetes))
        sqlite3_finalize(r);
    cache().requetes.clear();
    cache().db = nullptr;
}

Requete::Requete(sqlite3* db, const QString& sql, Cache enCache) : m_db(db) {
    if (!db) {
        m_erreur = messageMoteur(db);
        return;
    }
    if (enCache == Cache::Oui) {
        if (cache().db != db)
            viderCache();
        cache().db = db;
        m_cache = true;
        m_texte = sql;
        if (sqlite3_stmt* r = cache().requetes.take(sql)) {
            m_stmt = r; // taken out while in use: a nested use of the same text prepares its own
            return;
        }
    }
    const QByteArray texte = sql.toUtf8();
    if (sqlite3_prepare_v2(db, texte.constData(), int(texte.size()), &m_stmt, nullptr) != SQLITE_OK) {
        m_erreur = messageMoteur(db);
        sqlite3_finalize(m_stmt);
        m_stmt = nullptr;
    }
}

Requete::~Requete() {
    if (m_cache && m_stmt && cache().db == m_db) {
        sqlite3_reset(m_stmt);
        sqlite3_clear_bindings(m_stmt);
        sqlite3_stmt*& place = cache().requetes[m_texte];
        if (place)
            sqlite3_finalize(place);
        place = m_stmt;
        return;
    }
    sqlite3_finalize(m_stmt);
}

void lier(sqlite3_stmt* stmt, int index, const QVariant& valeur) {
    if (!stmt)
        return;
    if (valeur.isNull() || !valeur.isValid()) {
        sqlite3_bind_null(stmt, index);
        return;
    }
    switch (valeur.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Bool:
        sqlite3_bind_int64(stmt, index, valeur.toLongLong());
        break;
    case QMetaType::Double:
    case QMetaType::Float:
        sqlite3_bind_double(stmt, index, valeur.toDouble());
        break;
    default: {
        const QByteArray t = valeur.toString().toUtf8();
        sqlite3_bind_text(stmt, index, t.constData(), int(t.size()), SQLITE_TRANSIENT);
    }
    }
}

void Requete::lier(int index, const QVariant& valeur) {
    Sqlite::lier(m_stmt, index, valeur);
}

int Requete::pas() {
    if (!m_stmt)
        return SQLITE_MISUSE;
    // A statement that changes rows is one write, counted when it starts.
    if (!sqlite3_stmt_busy(m_stmt) && !sqlite3_stmt_readonly(m_stmt) && !Pannes::autoriser()) {
        m_erreur = Pannes::message();
        return SQLITE_IOERR;
    }
    const int rc = sqlite3_step(m_stmt);
    if (rc != SQLITE_ROW && rc != SQLITE_DONE)
        m_erreur = messageMoteur(m_db);
    return rc;
}

bool Requete::executer() {
    int rc;
    while ((rc = pas()) == SQLITE_ROW) {
    }
    return rc == SQLITE_DONE;
}

int Requete::colonnes() const {
    return m_stmt ? sqlite3_column_count(m_stmt) : 0;
}

QString Requete::nomColonne(int i) const {
    return QString::fromUtf8(sqlite3_column_name(m_stmt, i));
}

QString Requete::texte(int i) const {
    int longueur = 0;
    const char* p = utf8(i, &longueur);
    return p ? QString::fromUtf8(p, longueur) : QString();
}

QVariant valeur(sqlite3_stmt* stmt, int i) {
    switch (sqlite3_column_type(stmt, i)) {
    case SQLITE_INTEGER:
        return QVariant(qlonglong(sqlite3_column_int64(stmt, i)));
    case SQLITE_FLOAT:
        return QVariant(sqlite3_column_double(stmt, i));
    case SQLITE_NULL:
        return QVariant();
    default: {
        const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(stmt, i));
        return QVariant(QString::fromUtf8(p, p ? sqlite3_column_bytes(stmt, i) : 0));
    }
    }
}

QVariant Requete::valeur(int i) const {
    return Sqlite::valeur(m_stmt, i);
}

bool executer(sqlite3* db, const QString& sql, QString* erreur) {
    char* msg = nullptr;
    if (!db) {
        if (erreur)
            *erreur = messageMoteur(db);
        return false;
    }
    const int rc = sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &msg);
    if (rc != SQLITE_OK && erreur)
        *erreur = msg && (rc & 0xFF) == SQLITE_ERROR ? QString::fromUtf8(msg) : messageMoteur(db);
    sqlite3_free(msg);
    return rc == SQLITE_OK;
}

} // namespace Catalogue::Sqlite
