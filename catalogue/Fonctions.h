#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// The layout record of a cassette ("Status"): its films ("FILM" + length + title) and free
// stretches in tape order, joined by "/". Pure functions: each returns a new record.
namespace Fonctions {
QString CherchePlageLibre(const QString& DureeFilm, const QString& Status);
QString InsereFilm(const QString& Status, const QString& Plage, const QString& DureeFilm,
                   const QString& Titre);
int CherchePositionFilm(const QString& Status, const QString& Titre);
QString RetireFilm(const QString& Status, int Position);

// Records the film at the start of field NumeroChamp (counted from 1), which must be a free
// stretch at least as long as the film; otherwise the record is returned unchanged. Lets a
// placement honour the very stretch the user chose, even when an earlier one has the same length.
QString InsereFilmAuChamp(const QString& Status, int NumeroChamp, const QString& DureeFilm,
                          const QString& Titre);
// Ordinal a film recorded at field NumeroChamp gets: 1 + the film fields before it.
int PositionAuChamp(const QString& Status, int NumeroChamp);

// The fields of a record as the walk reads them: up to the first empty field.
QStringList Champs(const QString& Status);
bool EstFilm(const QString& Champ);
// A title as it is written inside a record: "/" would split the field, so it becomes U+2215.
QString TitreDansStatus(const QString& Titre);

// A field's length in seconds: a film's or a free stretch's; a negative one counts as nothing.
int LongueurChamp(const QString& Champ);
// Where a field lies on the tape, in seconds from the tape's start: where to wind the tape
// before recording, or to find a film.
struct Etendue {
    int debut = 0;
    int fin = 0;
};
// Each field of Champs(Status) in order: it starts where the one before it ends; the last ends
// at the tape's length.
QList<Etendue> Etendues(const QString& Status);
// Where the film of that ordinal (from 1) starts, in seconds from the tape's start; -1 when the
// record has no such film.
int DebutFilm(const QString& Status, int Position);
} // namespace Fonctions
