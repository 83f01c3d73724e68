#include "catalogue/SourceDonnees.h"

#include "catalogue/Catalogue.h"
#include "catalogue/Outils.h"
#include "catalogue/Rangement.h"
#include "catalogue/Sqlite.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QTime>

#include <algorithm>
#include <cstring>
#include <limits>
#include <thread>

using Catalogue::Sqlite::Cache;
using Catalogue::Sqlite::Requete;

namespace {

sqlite3* poignee() {
    return Catalogue::base();
}

// Which table a record source reads, when it is a plain "SELECT * FROM <table> ...": only such
// record sets can be written to. Read by hand: a printed list refreshes a record set per film.
QString tableLue(const QString& sql) {
    const QStringView t(sql);
    qsizetype i = 0;
    const auto blancs = [&] {
        const qsizetype debut = i;
        while (i < t.size() && t[i].isSpace())
            ++i;
        return i > debut;
    };
    const auto mot = [&](QLatin1StringView m) {
        if (t.mid(i, m.size()).compare(m, Qt::CaseInsensitive) != 0)
            return false;
        i += m.size();
        return true;
    };
    blancs();
    if (!mot(QLatin1StringView("select")) || !blancs() || !mot(QLatin1StringView("*")) || !blancs() ||
        !mot(QLatin1StringView("from")) || !blancs())
        return {};
    const qsizetype debut = i;
    while (i < t.size() && (t[i].isLetterOrNumber() || t[i] == QLatin1Char('_')))
        ++i;
    const QStringView nom = t.mid(debut, i - debut);
    if (nom.compare(QLatin1StringView("film"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("Film");
    if (nom.compare(QLatin1StringView("k7"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("K7");
    if (nom.compare(QLatin1StringView("filmk7"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("FilmK7");
    return {};
}

// Whether the text has an ORDER BY (as words: "border by" has none).
bool aUnOrdre(const QString& sql) {
    const auto lettre = [](QChar c) {
        return (c >= QLatin1Char('a') && c <= QLatin1Char('z')) ||
               (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) ||
               (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('_');
    };
    const auto blanc = [](QChar c) {
        return c == QLatin1Char(' ') || (c >= QLatin1Char('\t') && c <= QLatin1Char('\r'));
    };
    const QStringView t(sql);
    for (qsizetype p = t.indexOf(QLatin1StringView("order"), 0, Qt::CaseInsensitive); p >= 0;
         p = t.indexOf(QLatin1StringView("order"), p + 1, Qt::CaseInsensitive)) {
        if (p > 0 && lettre(t[p - 1]))
            continue;
        qsizetype i = p + 5;
        const qsizetype avant = i;
        while (i < t.size() && blanc(t[i]))
            ++i;
        if (i == avant || t.mid(i, 2).compare(QLatin1StringView("by"), Qt::CaseInsensitive) != 0)
            continue;
        if (i + 2 == t.size() || !lettre(t[i + 2]))
            return true;
    }
    return false;
}

QString cleDe(const QString& table) {
    if (table == QLatin1String("Film"))
        return QStringLiteral("IdFilm");
    if (table == QLatin1String("K7"))
        return QStringLiteral("IdK7");
    return {};
}

bool estChampHorloge(const QString& nom) {
    const QString n = nom.toLower();
    // Not QLatin1String: this file is UTF-8, and "é" would read as two Latin-1 characters.
    return n == QStringLiteral("durée") || n == QLatin1String("tempsrestant");
}

// Clock times are stored zero-padded so that text comparison and order are chronological.
QVariant normaliserHorloge(const QVariant& v) {
    if (v.typeId() == QMetaType::QTime)
        return v.toTime().toString(QStringLiteral("HH:mm:ss"));
    static const QRegularExpression horloge(QStringLiteral("^\\s*\\d{1,2}:\\d{1,2}:\\d{1,2}\\s*$"));
    const QString t = v.toString();
    if (horloge.match(t).hasMatch())
        return Outils::SecondesEnHeure(Outils::HeureEnSecondes(t.trimmed()));
    return v;
}

QString guillemets(const QString& nom) {
    return QLatin1Char('"') + nom + QLatin1Char('"');
}

// Column c of the row a query is on, as Texte gives it: c < 0 a field the table lacks, 0 the key.
QString texteLu(Requete& q, int c, qint64 rowid) {
    if (c < 0)
        return QString();
    if (c == 0)
        return QString::number(rowid);
    if (q.type(c) != SQLITE_TEXT)
        return q.valeur(c).toString();
    int longueur = 0;
    const char* octets = q.utf8(c, &longueur);
    return QString::fromUtf8(octets, longueur);
}

} // namespace

SourceDonnees::SourceDonnees(QObject* parent) : QObject(parent) {}

SourceDonnees::~SourceDonnees() = default;

void SourceDonnees::setDatabaseName(const QString& chemin) {
    m_base = chemin;
    m_pretSur = 0;
}

bool SourceDonnees::echec(const QString& quoi, const QString& raison) {
    m_erreur = raison.isEmpty() ? quoi : quoi + QStringLiteral(" : ") + raison;
    return false;
}

bool SourceDonnees::preparer() {
    if (m_base.isEmpty())
        return echec(QStringLiteral("Aucun catalogue n'est désigné"), {});
    // The catalogue found open at the last look is still the one open: nothing to check again
    // (a printed list refreshes a record set for each film).
    if (m_pretSur != 0 && m_pretSur == Catalogue::generation())
        return true;
    const QString absolu = QFileInfo(m_base).absoluteFilePath();
    if (!Catalogue::estOuvert() || Catalogue::cheminOuvert() != absolu) {
        const Catalogue::Ouverture o = Catalogue::ouvrir(absolu);
        if (!o.ok())
            return echec(o.message, {});
    }
    m_pretSur = Catalogue::generation();
    return true;
}

bool SourceDonnees::Refresh() {
    m_erreur.clear();
    m_mode = AucuneEdition;
    m_lignes.clear();
    m_placesPretes = false;
    m_vivantes = 0;
    m_courant = 0;
    m_surSupprimee = false;
    m_toutIllisible = false;
    m_erreurLecture.clear();
    m_table = tableLue(m_source);
    m_cle = cleDe(m_table);

    bool ok = preparer();
    if (ok && !m_source.trimmed().isEmpty()) {
        QString sql = m_source;
        const bool table = !m_table.isEmpty();
        if (table) {
            // Only the rows' identities are read now, in the query's order; their fields are read
            // when a screen looks at them. Most record sets are walked to one row, or not at all.
            const int etoile = int(sql.indexOf(QLatin1Char('*')));
            sql.replace(etoile, 1, QStringLiteral("rowid"));
            // Without an order of its own, the rows come as the table holds them (an index that
            // happens to cover the identities alone would give another order).
            if (!aUnOrdre(sql))
                sql += QStringLiteral(" ORDER BY rowid");
            // The columns of a table stay what they were while the same catalogue is open.
            if (m_tableColonnes != m_table || m_colonnesSur != Catalogue::generation()) {
                Requete noms(poignee(), QStringLiteral("SELECT * FROM %1 LIMIT 0").arg(m_table), Cache::Oui);
                m_colonnes.clear();
                m_index.clear();
                m_commeEcrit.clear();
                for (int i = 0; i < noms.colonnes(); ++i) {
                    const QString nom = noms.nomColonne(i);
                    m_index.insert(nom.toLower(), int(m_colonnes.size()));
                    m_colonnes << nom;
                }
                m_tableColonnes = m_table;
                m_colonnesSur = Catalogue::generation();
            }
        }
        QVariantList parametres;
        const QString traduit = Catalogue::traduireSql(sql, &parametres);
        QVector<qint64> ordre;
        QString raison;
        switch (table && parametres.isEmpty() ? Catalogue::rangerParCle(traduit, &ordre, &raison)
                                              : Catalogue::Rangement::AutreForme) {
        case Catalogue::Rangement::Fait:
            m_lignes.resize(ordre.size());
            for (qsizetype i = 0; i < ordre.size(); ++i)
                m_lignes[i].rowid = ordre[i];
            break;
        case Catalogue::Rangement::Echec:
            ok = echec(QStringLiteral("La lecture du catalogue a échoué"), raison);
            break;
        case Catalogue::Rangement::AutreForme:
            ok = lireLignes(traduit, parametres, table);
            break;
        }
    }
    m_vivantes = int(m_lignes.size());
    // The current record is read now: a screen learns here, not from empty fields, that it
    // cannot be shown. A row further on that cannot be read is said when it is reached.
    if (ok && !Lisible()) {
        m_lignes.clear();
        m_placesPretes = false;
        m_vivantes = 0;
        ok = false;
    }
    if (ok)
        m_erreur.clear();
    prevenir();
    return ok;
}

// The rows of a translated query, by the engine: identities only for a table's record set,
// every field otherwise.
bool SourceDonnees::lireLignes(const QString& sql, const QVariantList& parametres, bool table) {
    Requete q(poignee(), sql, Cache::Oui);
    for (int i = 0; i < parametres.size(); ++i)
        q.lier(i + 1, parametres[i]);
    if (!q.prete())
        return echec(QStringLiteral("La requête n'a pas pu être exécutée"), q.erreur());
    const int n = q.colonnes();
    if (!table) {
        m_tableColonnes.clear();
        m_colonnes.clear();
        m_index.clear();
        m_commeEcrit.clear();
        for (int i = 0; i < n; ++i) {
            const QString nom = q.nomColonne(i);
            m_index.insert(nom.toLower(), int(m_colonnes.size()));
            m_colonnes << nom;
        }
    }
    int rc;
    // A table's identities are gathered first, then made into rows all at once: grown one by one,
    // the rows were moved again and again, each time into fresh memory.
    QVector<qint64> rowids;
    while ((rc = q.pas()) == SQLITE_ROW) {
        if (table) {
            rowids.append(q.entier(0));
            continue;
        }
        Ligne l;
        l.rowid = qint64(m_lignes.size() + 1);
        l.valeurs.reserve(n);
        for (int i = 0; i < n; ++i)
            l.valeurs.append(q.valeur(i));
        m_lignes.append(std::move(l));
    }
    if (rc != SQLITE_DONE) {
        m_lignes.clear();
        return echec(QStringLiteral("La lecture du catalogue a échoué"), q.erreur());
    }
    if (table) {
        m_lignes.resize(rowids.size());
        for (qsizetype i = 0; i < rowids.size(); ++i)
            m_lignes[i].rowid = rowids[i];
    }
    return true;
}

bool SourceDonnees::Eof() const {
    return m_vivantes == 0 || m_courant >= m_lignes.size();
}

bool SourceDonnees::Bof() const {
    return m_vivantes == 0 || m_courant < 0;
}

bool SourceDonnees::courantValide() const {
    return m_courant >= 0 && m_courant < m_lignes.size() && !m_lignes[m_courant].supprimee;
}

bool SourceDonnees::illisible(int index) const {
    lire(index);
    if (!m_lignes[index].illisible)
        return false;
    m_erreur = m_erreurLecture;
    return true;
}

bool SourceDonnees::Lisible() const {
    return m_mode != AucuneEdition || !courantValide() || !illisible(m_courant);
}

void SourceDonnees::deplacer(int index) {
    if (m_mode != AucuneEdition)
        m_mode = AucuneEdition; // moving away drops an unsaved row, as the engine does
    m_courant = index;
    m_surSupprimee = false;
    prevenir();
}

void SourceDonnees::MoveFirst() {
    int i = 0;
    while (i < m_lignes.size() && m_lignes[i].supprimee)
        ++i;
    deplacer(i);
}

void SourceDonnees::MoveLast() {
    int i = int(m_lignes.size()) - 1;
    while (i >= 0 && m_lignes[i].supprimee)
        --i;
    deplacer(m_vivantes == 0 ? int(m_lignes.size()) : i);
}

void SourceDonnees::MoveNext() {
    int i = qMin(m_courant + 1, int(m_lignes.size()));
    while (i < m_lignes.size() && m_lignes[i].supprimee)
        ++i;
    deplacer(i);
}

void SourceDonnees::MovePrevious() {
    int i = qMax(m_courant - 1, -1);
    while (i >= 0 && m_lignes[i].supprimee)
        --i;
    deplacer(i);
}

bool SourceDonnees::Chercher(const QString& nom, const QVariant& valeur) {
    const int c = colonne(nom);
    int i = qMax(m_courant, 0);
    const bool cle = c >= 0 && !m_cle.isEmpty() && m_colonnes[c].compare(m_cle, Qt::CaseInsensitive) == 0;
    if (cle) {
        const qint64 voulu = valeur.toLongLong();
        while (i < m_lignes.size() && (m_lignes[i].supprimee || m_lignes[i].rowid != voulu))
            ++i;
    } else if (c >= 0) {
        for (; i < m_lignes.size(); ++i) {
            lire(i);
            if (!m_lignes[i].supprimee && m_lignes[i].valeurs[c] == valeur)
                break;
        }
    } else {
        i = int(m_lignes.size());
    }
    deplacer(i);
    return !Eof();
}

// Where the row of a rowid lies, -1 if nowhere. The index is built on first need: an array
// when the rowids are dense (the engine's keys, with the gaps deleted rows leave), a hash
// otherwise; filling a hash of a hundred thousand rows cost more than the sort that ordered them.
int SourceDonnees::place(qint64 rowid) const {
    if (!m_placesPretes) {
        m_places.clear();
        m_placesEparses.clear();
        const qsizetype n = m_lignes.size();
        qint64 min = n ? m_lignes[0].rowid : 0, max = min;
        for (const Ligne& l : std::as_const(m_lignes)) {
            min = qMin(min, l.rowid);
            max = qMax(max, l.rowid);
        }
        // Compared unsigned: keys at both ends of the range lie further apart than a qint64 holds.
        if (n > 0 && quint64(max) - quint64(min) < quint64(4 * n + 1024)) {
            m_placesMin = min;
            m_places = QVector<int>(max - min + 1, -1);
            for (int i = 0; i < n; ++i)
                m_places[m_lignes[i].rowid - min] = i;
        } else {
            m_placesEparses.reserve(n);
            for (int i = 0; i < n; ++i)
                m_placesEparses.insert(m_lignes[i].rowid, i);
        }
        m_placesPretes = true;
    }
    if (m_places.isEmpty())
        return m_placesEparses.value(rowid, -1);
    return rowid >= m_placesMin && quint64(rowid) - quint64(m_placesMin) < quint64(m_places.size())
               ? m_places[rowid - m_placesMin]
               : -1;
}

int SourceDonnees::colonne(const QString& nom) const {
    // Screens ask for the same few names for every row: lower-casing each time cost more than
    // reading the rows.
    const auto it = m_commeEcrit.constFind(nom);
    if (it != m_commeEcrit.constEnd())
        return *it;
    const int c = m_index.value(nom.toLower(), -1);
    m_commeEcrit.insert(nom, c);
    return c;
}

// Reads the fields of row i, and of the next unread rows with it: a walk through the record set
// costs one query per block, not one per row.
void SourceDonnees::lire(int i) const {
    if (i < 0 || i >= m_lignes.size() || !m_lignes[i].valeurs.isEmpty() || m_table.isEmpty())
        return;
    constexpr int Bloc = 256;
    // A walk through the record set (a list filled, a printed list) reads it block after block.
    // Past a few blocks, when what is left is a good part of the table, the rest is read in one
    // pass over the table: rows in title order lie all over the file, and seeking each one costs
    // more the larger the catalogue. A few rows of a large table are still sought one by one.
    if (i > 0 && !m_lignes[i - 1].valeurs.isEmpty())
        ++m_blocsSuivis;
    else
        m_blocsSuivis = 0;
    const qint64 restantes = m_lignes.size() - i;
    if (m_blocsSuivis >= 3 && restantes > qint64(4) * Bloc && !m_toutIllisible) {
        Requete etendue(poignee(), QStringLiteral("SELECT max(rowid) FROM %1").arg(m_table), Cache::Oui);
        if (etendue.pas() == SQLITE_ROW && 4 * restantes >= etendue.entier(0)) {
            if (lireTout())
                return;
            // The rows the pass did not reach are read by blocks, and only a damaged one is lost.
            m_toutIllisible = true;
        }
    }
    QVector<int> indices;
    for (int k = i; k < m_lignes.size() && indices.size() < Bloc; ++k) {
        if (m_lignes[k].valeurs.isEmpty())
            indices << k;
    }
    if (indices.isEmpty())
        return;
    QStringList marques(indices.size(), QStringLiteral("?"));
    Requete q(poignee(),
              QStringLiteral("SELECT rowid, * FROM %1 WHERE rowid IN (%2)")
                  .arg(m_table, marques.join(QLatin1Char(','))),
              Cache::Oui);
    for (int k = 0; k < indices.size(); ++k)
        q.lier(k + 1, m_lignes[indices[k]].rowid);
    if (!garder(q)) {
        lireUneAUne(indices);
        return;
    }
    // A row gone since the query (another screen deleted it) reads as empty fields.
    for (int k : std::as_const(indices)) {
        if (m_lignes[k].valeurs.isEmpty())
            m_lignes[k].valeurs = QVector<QVariant>(m_colonnes.size());
    }
}

// A block that could not be read whole: its rows still unread, one by one, so that a damaged
// page costs only the rows it holds. Those are marked unreadable, with the engine's reason.
void SourceDonnees::lireUneAUne(const QVector<int>& indices) const {
    for (int k : indices) {
        Ligne& ligne = m_lignes[k];
        if (!ligne.valeurs.isEmpty())
            continue;
        Requete q(poignee(), QStringLiteral("SELECT rowid, * FROM %1 WHERE rowid = ?").arg(m_table),
                  Cache::Oui);
        q.lier(1, ligne.rowid);
        if (!garder(q)) {
            ligne.illisible = true;
            m_erreurLecture = QStringLiteral("La lecture du catalogue a échoué : ") + q.erreur();
        }
        if (ligne.valeurs.isEmpty())
            ligne.valeurs = QVector<QVariant>(m_colonnes.size());
    }
}

// Keeps the fields of the rows a "SELECT rowid, * …" query returns, for the rows still unread.
// The rows come in the table's order and are wanted in the record set's: each one is kept as it
// comes, in one buffer, then made into fields in the record set's order. Rows next to each other
// in the record set then lie next to each other in memory, and a list filled from them, or
// sorted, reads memory in order rather than all over a large heap. False when the query ended on
// an error: the rows it gave before are kept all the same.
bool SourceDonnees::garder(Requete& q) const {
    const int n = int(m_colonnes.size());
    QByteArray brut;
    QVector<std::pair<int, qsizetype>> lues; // row, and where its fields start in brut
    const auto ajouter = [&brut](const void* p, qsizetype taille) {
        brut.append(static_cast<const char*>(p), taille);
    };
    int rc;
    while ((rc = q.pas()) == SQLITE_ROW) {
        const int index = place(q.entier(0));
        if (index < 0 || !m_lignes[index].valeurs.isEmpty())
            continue;
        lues.append({index, brut.size()});
        for (int c = 1; c <= n; ++c) {
            const int type = q.type(c);
            brut.append(char(type));
            if (type == SQLITE_INTEGER) {
                const qint64 v = q.entier(c);
                ajouter(&v, sizeof v);
            } else if (type == SQLITE_FLOAT) {
                const double v = q.reel(c);
                ajouter(&v, sizeof v);
            } else if (type != SQLITE_NULL) {
                int longueur = 0;
                const char* octets = q.utf8(c, &longueur);
                const qint32 l = octets ? longueur : -1;
                ajouter(&l, sizeof l);
                if (l > 0)
                    ajouter(octets, l);
            }
        }
    }
    const auto faire = [&](int index, qsizetype debut) {
        Ligne& ligne = m_lignes[index];
        if (!ligne.valeurs.isEmpty())
            return;
        ligne.valeurs = QVector<QVariant>(n);
        const char* p = brut.constData() + debut;
        for (int c = 0; c < n; ++c) {
            const int type = quint8(*p++);
            if (type == SQLITE_INTEGER) {
                qint64 v;
                std::memcpy(&v, p, sizeof v);
                p += sizeof v;
                ligne.valeurs[c] = qlonglong(v);
            } else if (type == SQLITE_FLOAT) {
                double v;
                std::memcpy(&v, p, sizeof v);
                p += sizeof v;
                ligne.valeurs[c] = v;
            } else if (type != SQLITE_NULL) {
                qint32 l;
                std::memcpy(&l, p, sizeof l);
                p += sizeof l;
                ligne.valeurs[c] = l < 0 ? QString() : QString::fromUtf8(p, l);
                p += qMax(l, 0);
            }
        }
    };
    if (lues.size() > m_lignes.size() / 8) { // a good part of the rows: placed, not sorted
        QVector<qsizetype> debuts(m_lignes.size(), -1);
        for (const auto& [index, debut] : std::as_const(lues)) {
            if (debuts[index] < 0)
                debuts[index] = debut;
        }
        for (int i = 0; i < debuts.size(); ++i) {
            if (debuts[i] >= 0)
                faire(i, debuts[i]);
        }
    } else {
        std::stable_sort(lues.begin(), lues.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
        for (const auto& [index, debut] : std::as_const(lues))
            faire(index, debut);
    }
    return rc == SQLITE_DONE;
}

bool SourceDonnees::lireTout() const {
    Requete q(poignee(), QStringLiteral("SELECT rowid, * FROM %1").arg(m_table), Cache::Oui);
    if (!garder(q))
        return false; // the rows it did not reach stay unread, not empty
    // A row gone since the query (another screen deleted it) reads as empty fields.
    for (Ligne& l : m_lignes) {
        if (l.valeurs.isEmpty())
            l.valeurs = QVector<QVariant>(m_colonnes.size());
    }
    return true;
}

bool SourceDonnees::Textes(const QStringList& champs,
                           const std::function<void(int rang, QStringList& textes)>& recevoir,
                           bool deuxFils) const {
    QVector<int> colonnes;
    for (const QString& champ : champs)
        colonnes << colonne(champ);
    const int cle = m_cle.isEmpty() ? -1 : colonne(m_cle);
    // The rows one by one, as a walk reads them: record sets that are no table's, an edit under
    // way, or a few rows of a large table (a pass over the whole table would cost more).
    const auto parLignes = [&] {
        int rang = 0;
        for (int i = 0; i < m_lignes.size(); ++i) {
            if (m_lignes[i].supprimee)
                continue;
            if (illisible(i))
                return false;
            QStringList textes;
            textes.reserve(colonnes.size() + 1);
            for (const int c : std::as_const(colonnes)) {
                if (c >= 0 && c == cle)
                    textes << QString::number(m_lignes[i].rowid);
                else
                    textes << (c >= 0 ? m_lignes[i].valeurs.at(c).toString() : QString());
            }
            recevoir(rang++, textes);
        }
        return true;
    };
    if (m_table.isEmpty() || m_mode != AucuneEdition || m_lignes.size() < 1024)
        return parLignes();
    qint64 dernier = 0;
    {
        Requete etendue(poignee(), QStringLiteral("SELECT max(rowid) FROM %1").arg(m_table), Cache::Oui);
        if (etendue.pas() != SQLITE_ROW || 4 * m_lignes.size() < (dernier = etendue.entier(0)))
            return parLignes();
    }
    // Only the named columns are read, in the table's order.
    QStringList lus{QStringLiteral("rowid")};
    QVector<int> colonneLue; // per field: its column in the query, 0 for the key, -1 for none
    for (const int c : std::as_const(colonnes)) {
        if (c < 0 || c == cle) {
            colonneLue << (c < 0 ? -1 : 0);
        } else {
            colonneLue << int(lus.size());
            lus << guillemets(m_colonnes[c]);
        }
    }
    QVector<int> rangs(m_lignes.size(), -1);
    for (int i = 0, rang = 0; i < m_lignes.size(); ++i) {
        if (!m_lignes[i].supprimee)
            rangs[i] = rang++;
    }
    place(0); // the index of rowids is built here, before a second thread reads it
    const QString sql = QStringLiteral("SELECT %1 FROM %2 WHERE rowid BETWEEN ? AND ?")
                            .arg(lus.join(QLatin1Char(',')), m_table);
    // Reads the rows of rowids [de, a]; the engine's reason in *erreur when it cannot. Touches
    // nothing of the record set but what stays as it is meanwhile (the rows, their index, rangs).
    const auto passe = [&](sqlite3* db, qint64 de, qint64 a, QString* erreur) {
        Requete q(db, sql, db == poignee() ? Cache::Oui : Cache::Non);
        q.lier(1, de);
        q.lier(2, a);
        QStringList textes; // one list for every row: its strings are the receiver's to keep or not
        int rc;
        while ((rc = q.pas()) == SQLITE_ROW) {
            const qint64 rowid = q.entier(0);
            const int index = place(rowid);
            if (index < 0 || rangs[index] < 0)
                continue;
            textes.clear();
            for (const int c : std::as_const(colonneLue))
                textes << texteLu(q, c, rowid);
            recevoir(rangs[index], textes);
        }
        if (rc == SQLITE_DONE)
            return true;
        *erreur = QStringLiteral("La lecture du catalogue a échoué : ") + q.erreur();
        return false;
    };
    const qint64 premier = std::numeric_limits<qint64>::min();
    const qint64 fin = std::numeric_limits<qint64>::max();
    // Two halves at once need a second connection that sees what this one sees: none of this
    // one's changes may be left uncommitted.
    if (!deuxFils || m_lignes.size() < 20000 || !sqlite3_get_autocommit(poignee()) || dernier < 2)
        return passe(poignee(), premier, fin, &m_erreur);
    const qint64 milieu = dernier / 2;
    QString erreurAutre;
    bool autreLue = false;
    std::thread autre([&] {
        Catalogue::Sqlite::Connexion cx(Catalogue::cheminOuvert(), SQLITE_OPEN_READONLY);
        autreLue = cx.ouverte() && passe(cx.db(), milieu + 1, fin, &erreurAutre);
    });
    const bool lue = passe(poignee(), premier, milieu, &m_erreur);
    autre.join();
    if (!lue)
        return false;
    // The other half read again here, as a single pass would have: its error, if any, is then
    // this connection's own.
    return autreLue || passe(poignee(), milieu + 1, fin, &m_erreur);
}

bool SourceDonnees::TextesCourants(const QStringList& champs, QStringList& textes) const {
    textes.clear();
    // A short record set is read by blocks, as Texte reads it: fewer statements than rows.
    if (m_table.isEmpty() || m_mode != AucuneEdition || !courantValide() ||
        !m_lignes[m_courant].valeurs.isEmpty() || m_lignes.size() < 2048) {
        if (!Lisible())
            return false;
        for (const QString& champ : champs)
            textes << Texte(champ);
        return true;
    }
    if (m_champsCourants != champs || m_tableCourante != m_table || m_courantsSur != m_colonnesSur) {
        QStringList lus{QStringLiteral("rowid")};
        m_colonnesCourantes.clear();
        for (const QString& champ : champs) {
            const int c = colonne(champ);
            if (c < 0 || (!m_cle.isEmpty() && m_colonnes[c].compare(m_cle, Qt::CaseInsensitive) == 0)) {
                m_colonnesCourantes << (c < 0 ? -1 : 0);
            } else {
                m_colonnesCourantes << int(lus.size());
                lus << guillemets(m_colonnes[c]);
            }
        }
        m_sqlCourant =
            QStringLiteral("SELECT %1 FROM %2 WHERE rowid = ?").arg(lus.join(QLatin1Char(',')), m_table);
        m_champsCourants = champs;
        m_tableCourante = m_table;
        m_courantsSur = m_colonnesSur;
    }
    Requete q(poignee(), m_sqlCourant, Cache::Oui);
    const qint64 rowid = m_lignes[m_courant].rowid;
    q.lier(1, rowid);
    const int rc = q.pas();
    if (rc != SQLITE_ROW && rc != SQLITE_DONE) {
        m_erreur = QStringLiteral("La lecture du catalogue a échoué : ") + q.erreur();
        return false;
    }
    // A row gone since the refresh (another screen deleted it) reads as empty fields, as Texte's.
    for (const int c : std::as_const(m_colonnesCourantes))
        textes << (rc == SQLITE_ROW ? texteLu(q, c, rowid) : QString());
    return true;
}

const QVector<QVariant>* SourceDonnees::valeursAffichees() const {
    if (m_mode != AucuneEdition)
        return &m_tampon;
    if (!courantValide())
        return nullptr;
    lire(m_courant);
    return &m_lignes[m_courant].valeurs;
}

QVariant SourceDonnees::Fields(const QString& nom) const {
    const int c = colonne(nom);
    // The key is the row's identity, known without reading the row.
    if (m_mode == AucuneEdition && c >= 0 && !m_cle.isEmpty() && courantValide() &&
        m_colonnes[c].compare(m_cle, Qt::CaseInsensitive) == 0)
        return QVariant(m_lignes[m_courant].rowid);
    const QVector<QVariant>* v = valeursAffichees();
    if (c < 0 || !v)
        return {};
    return v->at(c);
}

bool SourceDonnees::reserverCle() {
    if (m_cle.isEmpty())
        return true;
    // What the engine itself would give: one past both the highest key ever given and the
    // highest present, so a deleted film's number is never handed out again.
    Requete q(poignee(),
              QStringLiteral("SELECT max(coalesce((SELECT seq FROM sqlite_sequence WHERE name = ?), 0),"
                             " coalesce((SELECT max(rowid) FROM %1), 0)) + 1")
                  .arg(guillemets(m_table)));
    q.lier(1, m_table);
    if (q.pas() != SQLITE_ROW)
        return echec(QStringLiteral("Le numéro de la nouvelle ligne n'a pas pu être réservé"), q.erreur());
    const qint64 cle = q.entier(0);
    const int c = colonne(m_cle);
    if (c >= 0 && m_tampon[c].toLongLong() < cle)
        m_tampon[c] = cle;
    return true;
}

bool SourceDonnees::AddNew() {
    m_erreur.clear();
    if (m_table.isEmpty() || m_colonnes.isEmpty())
        return echec(QStringLiteral("Ces données ne peuvent pas recevoir de nouvelle ligne"), {});
    if (!preparer())
        return false;
    m_tampon = QVector<QVariant>(m_colonnes.size());
    m_modifie = QVector<bool>(m_colonnes.size(), false);
    if (!reserverCle())
        return false;
    m_mode = AjoutEnCours;
    prevenir();
    return true;
}

bool SourceDonnees::Edit() {
    m_erreur.clear();
    if (m_table.isEmpty())
        return echec(QStringLiteral("Ces données ne peuvent pas être modifiées"), {});
    if (!courantValide())
        return echec(QStringLiteral("Aucune ligne n'est sélectionnée"), {});
    if (illisible(m_courant))
        return false;
    m_tampon = m_lignes[m_courant].valeurs;
    m_modifie = QVector<bool>(m_colonnes.size(), false);
    m_mode = EditionEnCours;
    prevenir();
    return true;
}

bool SourceDonnees::setField(const QString& nom, const QVariant& valeur) {
    const int c = colonne(nom);
    if (m_mode == AucuneEdition || c < 0)
        return echec(QStringLiteral("Le champ « %1 » ne peut pas être écrit").arg(nom), {});
    m_tampon[c] = estChampHorloge(m_colonnes[c]) ? normaliserHorloge(valeur) : valeur;
    m_modifie[c] = true;
    return true;
}

bool SourceDonnees::Update() {
    m_erreur.clear();
    if (m_mode == AucuneEdition)
        return echec(QStringLiteral("Aucune ligne n'est en cours d'ajout ou de modification"), {});
    if (!preparer())
        return false;
    for (const Liaison& l : std::as_const(m_liaisons)) {
        if (l.lire && colonne(l.champ) >= 0)
            setField(l.champ, l.lire());
    }

    qint64 rowid = 0;
    if (m_mode == AjoutEnCours) {
        if (!reserverCle())
            return false;
        QStringList noms, marques;
        QVector<QVariant> valeurs;
        for (int c = 0; c < m_colonnes.size(); ++c) {
            if (m_modifie[c] || m_colonnes[c].compare(m_cle, Qt::CaseInsensitive) == 0) {
                noms << guillemets(m_colonnes[c]);
                marques << QStringLiteral("?");
                valeurs << m_tampon[c];
            }
        }
        Requete q(poignee(), noms.isEmpty() ? QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(m_table)
                                            : QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                                  .arg(m_table, noms.join(QLatin1Char(',')),
                                                       marques.join(QLatin1Char(','))));
        for (int i = 0; i < valeurs.size(); ++i)
            q.lier(i + 1, valeurs[i]);
        if (!q.executer())
            return echec(QStringLiteral("La nouvelle ligne n'a pas pu être enregistrée"), q.erreur());
        rowid = sqlite3_last_insert_rowid(poignee());
        Ligne l;
        l.rowid = rowid;
        l.valeurs = m_tampon;
        m_lignes.append(std::move(l));
        m_placesPretes = false;
        ++m_vivantes;
    } else {
        const int index = m_courant;
        rowid = m_lignes[index].rowid;
        QStringList affectations;
        QVector<QVariant> valeurs;
        for (int c = 0; c < m_colonnes.size(); ++c) {
            if (m_modifie[c]) {
                affectations << guillemets(m_colonnes[c]) + QStringLiteral(" = ?");
                valeurs << m_tampon[c];
            }
        }
        if (!affectations.isEmpty()) {
            Requete q(poignee(), QStringLiteral("UPDATE %1 SET %2 WHERE rowid = ?")
                                     .arg(m_table, affectations.join(QStringLiteral(", "))));
            for (int i = 0; i < valeurs.size(); ++i)
                q.lier(i + 1, valeurs[i]);
            q.lier(int(valeurs.size()) + 1, rowid);
            if (!q.executer())
                return echec(QStringLiteral("La modification n'a pas pu être enregistrée"), q.erreur());
            m_lignes[index].valeurs = m_tampon;
        }
    }
    m_dernierModifie = rowid;
    m_mode = AucuneEdition;
    prevenir();
    return true;
}

void SourceDonnees::CancelUpdate() {
    if (m_mode == AucuneEdition)
        return;
    m_mode = AucuneEdition;
    // The bound controls keep their record: the catalogue closes only for a maintenance command,
    // and a window gone blank would look like a wiped catalogue.
}

bool SourceDonnees::Delete() {
    m_erreur.clear();
    if (m_table.isEmpty())
        return echec(QStringLiteral("Ces données ne peuvent pas être supprimées"), {});
    if (!courantValide())
        return echec(QStringLiteral("Aucune ligne n'est sélectionnée"), {});
    // Every command that deletes a row acts on its fields too: not on empty ones.
    if (illisible(m_courant))
        return false;
    if (!preparer())
        return false;
    Requete q(poignee(), QStringLiteral("DELETE FROM %1 WHERE rowid = ?").arg(m_table));
    q.lier(1, m_lignes[m_courant].rowid);
    if (!q.executer())
        return echec(QStringLiteral("La suppression n'a pas pu être enregistrée"), q.erreur());
    m_lignes[m_courant].supprimee = true;
    --m_vivantes;
    m_surSupprimee = true;
    m_mode = AucuneEdition;
    prevenir();
    return true;
}

bool SourceDonnees::ReprendreAjout(Signet s) {
    const int i = place(s);
    if (i < 0 || i != m_lignes.size() - 1 || m_lignes[i].supprimee)
        return echec(QStringLiteral("Cette ligne ne peut pas être reprise"), {});
    m_tampon = m_lignes[i].valeurs;
    m_modifie = QVector<bool>(m_colonnes.size(), true);
    m_lignes.removeLast();
    m_placesPretes = false;
    --m_vivantes;
    if (m_courant > m_lignes.size())
        m_courant = int(m_lignes.size());
    m_mode = AjoutEnCours;
    prevenir();
    return true;
}

SourceDonnees::Signet SourceDonnees::Bookmark() const {
    return courantValide() ? m_lignes[m_courant].rowid : 0;
}

bool SourceDonnees::setBookmark(Signet s) {
    const int i = place(s);
    if (i < 0 || m_lignes[i].supprimee)
        return echec(QStringLiteral("Cette ligne n'existe plus"), {});
    deplacer(i);
    return true;
}

void SourceDonnees::CloseDatabase() {
    Catalogue::fermer();
    m_lignes.clear();
    m_placesPretes = false;
    m_vivantes = 0;
    m_courant = 0;
    m_mode = AucuneEdition;
    // The bound controls keep their record: the catalogue closes only for a maintenance command,
    // and a window gone blank would look like a wiped catalogue.
}

void SourceDonnees::lier(QObject* controle, const QString& champ,
                         std::function<void(const QString&)> afficher, std::function<QString()> lire) {
    m_liaisons.append({controle, champ, std::move(afficher), std::move(lire)});
    if (controle)
        connect(controle, &QObject::destroyed, this, [this, controle] { delier(controle); });
    const Liaison& l = m_liaisons.constLast();
    if (l.afficher)
        l.afficher(Texte(champ));
}

void SourceDonnees::delier(QObject* controle) {
    m_liaisons.erase(std::remove_if(m_liaisons.begin(), m_liaisons.end(),
                                    [controle](const Liaison& l) { return l.controle == controle; }),
                     m_liaisons.end());
}

void SourceDonnees::prevenir() {
    // A control may bind or unbind while it is shown: walk a copy.
    const QVector<Liaison> liaisons = m_liaisons;
    for (const Liaison& l : liaisons) {
        if (l.afficher)
            l.afficher(Texte(l.champ));
    }
    emit EnregistrementChange();
}
