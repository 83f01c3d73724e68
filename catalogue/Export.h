#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// The catalogue as two CSV files a French spreadsheet opens as they are: UTF-8 with its byte
// order mark (else accents come out garbled), ";" between fields (the "," is the decimal point),
// every field between quotes, so that a ";", a quote or a line break inside a field stays in it.
namespace Catalogue::Export {

inline const QString NomFilms = QStringLiteral("Cassetron - films.csv");
inline const QString NomCassettes = QStringLiteral("Cassetron - cassettes.csv");

// Builds a file's bytes, record after record.
class Csv {
public:
    Csv();
    // One field of the current record, from UTF-8 bytes (null or empty: an empty field).
    void champ(const char* utf8, qsizetype longueur);
    void champ(const QString& texte);
    void finLigne();
    void ligne(const QStringList& champs);
    const QByteArray& octets() const { return m_octets; }

private:
    QByteArray m_octets;
    bool m_premier = true;
};

// The free stretches of a layout record, where they lie and how long they are:
// "de 02:00:00 à 04:00:00 (02:00:00); de …"; "" when the tape is full.
QString plagesLibres(const QString& status);

struct Resultat {
    bool ok = false;
    int films = 0;
    int cassettes = 0;
    QString message; // French, for a message box: where the files went, or why they did not
};

// The two files of `dossier` the export writes, those already there.
QStringList existants(const QString& dossier);
// Reads the shared connection (one query per file) and writes both files in `dossier`, each
// whole or not at all: the films first, the larger, the one a full disk refuses.
Resultat exporter(const QString& dossier);

} // namespace Catalogue::Export
