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

// longueurDescription: 0 gives every film the same short sentence (the benchmarks' figures stay
// comparable with their earlier ones); otherwise varied summaries of about that many characters.
Generation genererCatalogue(const QString& chemin, int nbFilms, int nbCassettes, quint32 graine = 1999,
                            int longueurDescription = 0);
