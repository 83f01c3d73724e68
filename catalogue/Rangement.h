#pragma once

#include <QByteArray>
#include <QString>
#include <QVector>

// Sorting a whole table by one or two columns, in linear time. The engine's own sort of a large
// table costs more per row the larger the table (seven times the time for five times the
// films); the screens sort every title again and again (start, list, each placement).
namespace Catalogue {

// One row to sort: its key is the bytes [debut, debut + longueur) of the keys' buffer.
struct CleLigne {
    quint32 debut = 0;
    quint32 longueur = 0;
    qint64 rowid = 0;
    quint64 prefixe = 0; // the sort's own: the eight bytes of the key it is looking at
};

// Orders rows as ORDER BY on a blob key does (byte order, a key before its own extensions;
// reversed when decroissant), equal keys by rowid. A radix sort, eight bytes of the keys at a
// time; small runs of rows by comparison.
void trierParCles(QVector<CleLigne>& lignes, const QByteArray& cles, bool decroissant);

// Appends to `cles` the French sort key of a text, the key QCollator gives for French in numeric
// mode ("2" before "10"): letter case counted after accents, or not at all.
void ajouterCleFrancaise(QStringView texte, bool casse, QByteArray* cles);

// The key by which ORDER BY sorts a text of the open catalogue (the one rangerParCle sorts by);
// empty when it cannot be had.
QByteArray cleDOrdre(const QString& texte);

enum class Rangement { AutreForme, Fait, Echec };

// For a translated record-source text of the form
//   SELECT rowid FROM <table> ORDER BY CLE_FR(<column>) [ASC|DESC]
// gives the rowids in that order (rows without a value first, or last when descending), read
// in one pass over the table; likewise for two columns, each CLE_FR(<column>) or <column> (by
// its values, when it has no collation of its own), each [ASC|DESC], in the engine's order,
// equal rows by rowid. AutreForme: any other text, left to the engine.
Rangement rangerParCle(const QString& sql, QVector<qint64>* rowids, QString* erreur);

} // namespace Catalogue
