#pragma once

#include <QString>
#include <QVector>

#include <algorithm>

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

// The median of the timed runs; of an even count, the mean of the middle two (the upper one alone
// made a median of two runs their maximum).
inline double mediane(QVector<double> v) {
    std::sort(v.begin(), v.end());
    if (v.isEmpty())
        return 0;
    const qsizetype m = v.size() / 2;
    return v.size() % 2 ? v[m] : (v[m - 1] + v[m]) / 2;
}
