#include "catalogue/Rangement.h"

#include "catalogue/Catalogue.h"
#include "catalogue/Sqlite.h"

#include <QRegularExpression>

#include <unicode/ucol.h>

#include <algorithm>
#include <array>
#include <cstring>

namespace Catalogue {

namespace {

// Eight bytes of a key, big-endian, zero-padded: in the keys' order.
quint64 prefixeCle(const char* cle, int longueur) {
    quint64 p = 0;
    for (int k = 0; k < 8; ++k)
        p = (p << 8) | (k < longueur ? quint64(uchar(cle[k])) : 0);
    return p;
}

// Full comparison, for small runs and very long common heads.
struct Avant {
    const char* base;
    bool decroissant;
    bool operator()(const CleLigne& a, const CleLigne& b) const {
        const int r = std::memcmp(base + a.debut, base + b.debut, std::min(a.longueur, b.longueur));
        const int c = r != 0 ? r : (a.longueur < b.longueur ? -1 : a.longueur > b.longueur ? 1 : 0);
        if (c != 0)
            return decroissant ? c > 0 : c < 0;
        return a.rowid < b.rowid;
    }
};

bool egales(const CleLigne* debut, const CleLigne* fin, const char* base) {
    for (const CleLigne* l = debut + 1; l < fin; ++l) {
        if (l->longueur != debut->longueur ||
            std::memcmp(base + l->debut, base + debut->debut, l->longueur) != 0)
            return false;
    }
    return true;
}

// Equal keys: by rowid, which the stable passes mostly kept from the reading.
void parRowid(CleLigne* debut, CleLigne* fin) {
    const auto avant = [](const CleLigne& a, const CleLigne& b) { return a.rowid < b.rowid; };
    if (!std::is_sorted(debut, fin, avant))
        std::sort(debut, fin, avant);
}

// Sorts n rows whose keys agree on their first `profondeur` bytes by the eight bytes that
// follow (least significant byte first, each pass stable), then each run of rows that agree on
// those too, eight bytes further. Memory reads stay in the rows but for one look at each key
// per level.
void trierTranche(CleLigne* lignes, CleLigne* tampon, qsizetype n, const char* base, quint32 profondeur,
                  bool decroissant) {
    if (n < 2)
        return;
    if (n <= 32 || profondeur >= 512) {
        std::sort(lignes, lignes + n, Avant{base, decroissant});
        return;
    }
    // Descending order of the prefixes is ascending order of their complements.
    bool finies = true; // every key ends within these eight bytes
    for (qsizetype i = 0; i < n; ++i) {
        CleLigne& l = lignes[i];
        l.prefixe = l.longueur > profondeur
                        ? prefixeCle(base + l.debut + profondeur, int(l.longueur - profondeur))
                        : 0;
        finies = finies && l.longueur <= profondeur + 8;
        if (decroissant)
            l.prefixe = ~l.prefixe;
    }
    std::array<std::array<quint32, 256>, 8> comptes{};
    for (qsizetype i = 0; i < n; ++i) {
        for (int b = 0; b < 8; ++b)
            ++comptes[b][(lignes[i].prefixe >> (8 * b)) & 0xFF];
    }
    CleLigne* source = lignes;
    CleLigne* cible = tampon;
    for (int b = 0; b < 8; ++b) {
        std::array<quint32, 256>& c = comptes[b];
        if (c[(source[0].prefixe >> (8 * b)) & 0xFF] == quint32(n))
            continue; // every row has the same byte here
        quint32 somme = 0;
        for (quint32& v : c) {
            const quint32 t = v;
            v = somme;
            somme += t;
        }
        for (qsizetype i = 0; i < n; ++i)
            cible[c[(source[i].prefixe >> (8 * b)) & 0xFF]++] = source[i];
        std::swap(source, cible);
    }
    if (source != lignes)
        std::copy(source, source + n, lignes);
    for (qsizetype debut = 0; debut < n;) {
        qsizetype fin = debut + 1;
        while (fin < n && lignes[fin].prefixe == lignes[debut].prefixe)
            ++fin;
        if (fin - debut > 1) {
            // Keys that ended agree but for zero bytes at their ends: the shorter is the smaller.
            // The same title many times over is settled at once, not eight bytes at a time.
            if (finies)
                std::sort(lignes + debut, lignes + fin, Avant{base, decroissant});
            else if (egales(lignes + debut, lignes + fin, base))
                parRowid(lignes + debut, lignes + fin);
            else
                trierTranche(lignes + debut, tampon + debut, fin - debut, base, profondeur + 8, decroissant);
        }
        debut = fin;
    }
}

} // namespace

void trierParCles(QVector<CleLigne>& lignes, const QByteArray& cles, bool decroissant) {
    QVector<CleLigne> tampon(lignes.size());
    trierTranche(lignes.data(), tampon.data(), lignes.size(), cles.constData(), 0, decroissant);
}

void ajouterCleFrancaise(QStringView texte, bool casse, QByteArray* cles) {
    // One collator per mode for the whole run, set up as QCollator sets up its own.
    auto ouvrir = [](bool avecCasse) {
        UErrorCode e = U_ZERO_ERROR;
        UCollator* c = ucol_open("fr", &e);
        if (U_FAILURE(e)) {
            ucol_close(c);
            return static_cast<UCollator*>(nullptr);
        }
        ucol_setAttribute(c, UCOL_NORMALIZATION_MODE, UCOL_ON, &e);
        ucol_setAttribute(c, UCOL_STRENGTH, avecCasse ? UCOL_DEFAULT_STRENGTH : UCOL_SECONDARY, &e);
        ucol_setAttribute(c, UCOL_NUMERIC_COLLATION, UCOL_ON, &e);
        ucol_setAttribute(c, UCOL_ALTERNATE_HANDLING, UCOL_NON_IGNORABLE, &e);
        return c;
    };
    static UCollator* const sansCasse = ouvrir(false);
    static UCollator* const avecCasse = ouvrir(true);
    UCollator* c = casse ? avecCasse : sansCasse;
    if (!c) { // no collation data: the order of the characters' codes
        cles->append(texte.toUtf8());
        return;
    }
    const auto* u = reinterpret_cast<const UChar*>(texte.utf16());
    const qsizetype debut = cles->size();
    const qsizetype voulu = debut + 64 + 4 * texte.size();
    if (voulu > cles->capacity())
        cles->reserve(qMax(voulu, 2 * cles->capacity()));
    cles->resize(voulu);
    int32_t n = ucol_getSortKey(c, u, int32_t(texte.size()), reinterpret_cast<uint8_t*>(cles->data() + debut),
                                int32_t(cles->size() - debut));
    if (n > cles->size() - debut) {
        cles->resize(debut + n);
        n = ucol_getSortKey(c, u, int32_t(texte.size()), reinterpret_cast<uint8_t*>(cles->data() + debut), n);
    }
    cles->resize(debut + n);
}

QByteArray cleDOrdre(const QString& texte) {
    Sqlite::Requete q(base(), QStringLiteral("SELECT %1(?)").arg(NomCle), Sqlite::Cache::Oui);
    q.lier(1, texte);
    if (q.pas() != SQLITE_ROW)
        return {};
    int longueur = 0;
    const char* cle = q.octets(0, &longueur);
    return cle ? QByteArray(cle, longueur) : QByteArray();
}

namespace {

// The last order worked out, and the state of the catalogue it was worked out on. The main
// window, the film list and each placement ask for the same order of the same films one after
// the other; it is worked out again only when the catalogue changed in between.
struct DernierRangement {
    QString sql;
    sqlite3* db = nullptr;
    quint64 generation = 0;
    unsigned int version = 0;
    sqlite3_int64 changements = -1;
    QVector<qint64> rowids;
};

DernierRangement& dernier() {
    static DernierRangement d;
    return d;
}

// What tells a catalogue unchanged: every commit to its file, by any connection, moves the file's
// data version; every row this connection changes moves its count of changes, at once, even
// inside a transaction. Inside a transaction nothing is kept or reused: a rollback would undo
// changes without moving either counter back.
bool etatCatalogue(sqlite3* db, unsigned int* version, sqlite3_int64* changements) {
    if (!db || !sqlite3_get_autocommit(db))
        return false;
    *version = 0;
    if (sqlite3_file_control(db, "main", SQLITE_FCNTL_DATA_VERSION, version) != SQLITE_OK)
        return false;
    *changements = sqlite3_total_changes64(db);
    return true;
}

// Appends one sort column's value to a row's key, so that the keys' byte order is the engine's
// order of the values: none, then numbers (by value), texts, blobs (byte by byte). Each value is
// closed (its zero bytes doubled as zero-one, then zero-zero), so that none passes for the start
// of a longer one and the next column's bytes only count between equal values; a descending
// column's bytes are inverted. False for an integer a double cannot hold exactly: the engine's.
bool ajouterValeur(Sqlite::Requete& q, int c, bool decroissant, QByteArray* cles) {
    const qsizetype debut = cles->size();
    const auto fermee = [cles](const char* p, int n) {
        for (int i = 0; i < n;) {
            const auto* zero = static_cast<const char*>(std::memchr(p + i, 0, std::size_t(n - i)));
            const int fin = zero ? int(zero - p) : n;
            cles->append(p + i, fin - i);
            if (zero)
                cles->append("\0\1", 2);
            i = fin + 1;
        }
        cles->append("\0\0", 2);
    };
    const int type = q.type(c);
    if (type == SQLITE_NULL) {
        cles->append('\0');
    } else if (type == SQLITE_INTEGER || type == SQLITE_FLOAT) {
        double v = q.reel(c);
        if (type == SQLITE_INTEGER) {
            const qint64 e = q.entier(c);
            if (e > (qint64(1) << 53) || e < -(qint64(1) << 53))
                return false;
            v = double(e);
        }
        if (v == 0)
            v = 0; // -0 is 0 to the engine
        quint64 b = 0;
        std::memcpy(&b, &v, sizeof b);
        b = (b >> 63) ? ~b : b | (quint64(1) << 63);
        cles->append('\1');
        for (int k = 7; k >= 0; --k)
            cles->append(char(b >> (8 * k)));
    } else {
        int n = 0;
        const char* p = type == SQLITE_TEXT ? q.utf8(c, &n) : q.octets(c, &n);
        cles->append(type == SQLITE_TEXT ? '\2' : '\3');
        fermee(p, p ? n : 0);
    }
    if (decroissant) {
        for (qsizetype i = debut; i < cles->size(); ++i)
            (*cles)[i] = char(~uchar((*cles)[i]));
    }
    return true;
}

} // namespace

Rangement rangerParCle(const QString& sql, QVector<qint64>* rowids, QString* erreur) {
    static const QRegularExpression forme(
        QStringLiteral("^\\s*SELECT\\s+rowid\\s+FROM\\s+(\\w+)\\s+ORDER\\s+BY\\s+%1\\s*\\(\\s*(\\w+)\\s*\\)"
                       "\\s*(ASC|DESC)?\\s*;?\\s*$")
            .arg(NomCle),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::UseUnicodePropertiesOption);
    // Or two columns, each by its French key or by its own values, each either way (the lists by
    // genre, by duration, by date): one key is made of both.
    static const QString terme = QStringLiteral("(?:%1\\s*\\(\\s*(\\w+)\\s*\\)|(\\w+))").arg(NomCle);
    static const QRegularExpression deux(
        QStringLiteral("^\\s*SELECT\\s+rowid\\s+FROM\\s+(\\w+)\\s+ORDER\\s+BY\\s+%1\\s*(ASC|DESC)?\\s*,\\s*%1"
                       "\\s*(ASC|DESC)?\\s*;?\\s*$")
            .arg(terme),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::UseUnicodePropertiesOption);
    QRegularExpressionMatch m = forme.match(sql);
    const bool uneCle = m.hasMatch();
    if (!uneCle)
        m = deux.match(sql);
    if (!m.hasMatch())
        return Rangement::AutreForme;
    sqlite3* db = base();
    const QString table = m.captured(1);
    // A column sorted by its own values must sort as bytes (no collation of its own).
    for (const int i : {3, 6}) {
        if (uneCle || m.captured(i).isEmpty())
            continue;
        const char* sequence = nullptr;
        if (sqlite3_table_column_metadata(db, "main", table.toUtf8().constData(),
                                          m.captured(i).toUtf8().constData(), nullptr, &sequence, nullptr,
                                          nullptr, nullptr) != SQLITE_OK ||
            !sequence || qstricmp(sequence, "BINARY") != 0)
            return Rangement::AutreForme;
    }
    // This read also lets the engine learn of a change made by another connection since its last.
    qint64 nombre = 0;
    {
        Sqlite::Requete etendue(db, QStringLiteral("SELECT max(rowid) FROM \"%1\"").arg(table),
                                Sqlite::Cache::Oui);
        nombre = etendue.pas() == SQLITE_ROW ? etendue.entier(0) : 0;
    }
    unsigned int version = 0;
    sqlite3_int64 changements = 0;
    const bool reutilisable = etatCatalogue(db, &version, &changements);
    DernierRangement& d = dernier();
    if (reutilisable && d.db == db && d.generation == generation() && d.version == version &&
        d.changements == changements && d.sql == sql) {
        *rowids = d.rowids;
        return Rangement::Fait;
    }
    d.db = nullptr;
    d.rowids.clear();
    const auto desc = [&m](int i) {
        return m.captured(i).compare(QLatin1String("DESC"), Qt::CaseInsensitive) == 0;
    };
    const auto colonne = [&m](int i) {
        return m.captured(i).isEmpty() ? QStringLiteral("\"%1\"").arg(m.captured(i + 1))
                                       : QStringLiteral("%1(\"%2\")").arg(NomCle, m.captured(i));
    };
    const bool decroissant = uneCle && desc(3);
    const bool decroissants[2] = {!uneCle && desc(4), !uneCle && desc(7)}; // by two columns
    Sqlite::Requete q(
        db,
        uneCle ? QStringLiteral("SELECT rowid, %1(\"%2\") FROM \"%3\"").arg(NomCle, m.captured(2), table)
               : QStringLiteral("SELECT rowid, %1, %2 FROM \"%3\"").arg(colonne(2), colonne(5), table),
        Sqlite::Cache::Oui);
    QVector<qint64> sansValeur;
    QVector<CleLigne> lignes;
    QByteArray cles;
    // Room for every row at once: grown step by step, the buffers were copied again and again,
    // each time into fresh memory.
    if (nombre > 0 && nombre < 10000000) {
        lignes.reserve(nombre);
        cles.reserve(48 * nombre);
    }
    int rc;
    while ((rc = q.pas()) == SQLITE_ROW) {
        CleLigne l;
        l.debut = quint32(cles.size());
        l.rowid = q.entier(0);
        if (!uneCle) {
            if (!ajouterValeur(q, 1, decroissants[0], &cles) || !ajouterValeur(q, 2, decroissants[1], &cles))
                return Rangement::AutreForme;
            l.longueur = quint32(cles.size() - l.debut);
            lignes.append(l);
            continue;
        }
        int longueur = 0;
        const char* cle = q.octets(1, &longueur);
        if (!cle) {
            sansValeur << q.entier(0);
            continue;
        }
        l.longueur = quint32(longueur);
        cles.append(cle, longueur);
        lignes.append(l);
    }
    if (rc != SQLITE_DONE) {
        if (erreur)
            *erreur = q.erreur();
        return Rangement::Echec;
    }
    trierParCles(lignes, cles, decroissant);
    rowids->clear();
    rowids->reserve(lignes.size() + sansValeur.size());
    // As the engine orders them: no value is below every value.
    if (!decroissant)
        *rowids += sansValeur;
    for (const CleLigne& l : std::as_const(lignes))
        rowids->append(l.rowid);
    if (decroissant)
        *rowids += sansValeur;
    if (reutilisable) {
        d.sql = sql;
        d.db = db;
        d.generation = generation();
        d.version = version;
        d.changements = changements;
        d.rowids = *rowids;
    }
    return Rangement::Fait;
}

} // namespace Catalogue
