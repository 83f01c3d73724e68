#pragma once

#include <QString>

// Writes a large, realistic catalogue that keeps every rule of a real one: French titles,
// cassettes of 3 or 4 hours holding films and free stretches, placements in tape order.
struct Generation {
    int films = 0;
    int cassettes = 0;
    double secondes = 0;
    QString erreur; // empty on success
};

Generation genererCatalogue(const QString& chemin, int nbFilms, int nbCassettes, quint32 graine = 1999);
