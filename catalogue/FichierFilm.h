#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Film description files (".film"): eight lines, one value each: title, director, year,
// country, genre, duration, actors separated by ";", summary.
namespace FichierFilm {

struct Lecture {
    QStringList lignes; // at most eight; fewer when the file is shorter
    QString erreur;     // French reason when the bytes are not a film file; lines are then empty
};

// UTF-8 when the bytes are valid UTF-8, otherwise the 8-bit code page the older files were
// written in (Windows-1252); lines end with CR LF or LF alone; lines after the eighth are ignored.
Lecture lire(const QByteArray& octets);

// The duration line as the form takes it: "01:45", "01h45", "1:45" and "1h45" become
// "01:45:00"; "1:45:00" and "01:45:00" are that time; anything else is taken as it is.
QString duree(const QString& ligne);

// "jean RENO;natalie portman" -> "Jean Reno, Natalie Portman"; blanks between words count as
// one, empty entries are skipped.
QString acteurs(const QString& ligne);

// The poster looked for beside a film file: the same name with the extension ".jpg".
QString afficheVoisine(const QString& cheminFilm);

} // namespace FichierFilm
