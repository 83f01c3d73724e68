#pragma once

// Damage done to the catalogue file behind the program's back, as a failing disk or a torn write
// leaves it. The catalogue is closed for the damage and opened again after it, so that the engine
// reads the damaged pages rather than those it kept.

#include "catalogue/Catalogue.h"
#include "catalogue/Sqlite.h"

#include <QFile>
#include <QRandomGenerator>
#include <QString>

#include <functional>

namespace abimer {

// A text that fills several pages of its own beyond its row: the row's other fields still read
// once those pages are damaged.
inline QString valeurLongue(QChar motif = QLatin1Char('#')) {
    return QString(3 * 4096, motif);
}

namespace detail {
// dommage(bytes, page size) damages the file's bytes and tells how many pages it damaged.
inline bool reecrire(const QString& fichier, const std::function<int(QByteArray&, int)>& dommage) {
    Catalogue::fermer();
    QFile f(fichier);
    if (!f.open(QIODevice::ReadWrite))
        return false;
    QByteArray b = f.readAll();
    const int taille = b.size() < 100 ? 0 : (quint8(b[16]) << 8) | quint8(b[17]); // 1 stands for 65536
    if (taille == 0 || dommage(b, taille == 1 ? 65536 : taille) == 0)
        return false;
    if (!f.seek(0) || f.write(b) != b.size())
        return false;
    f.close();
    return Catalogue::ouvrir(fichier).ok();
}
} // namespace detail

// Every page that holds the rest of a long value made of `motif` points on to a page past the end
// of the file. False when there was no such page.
inline bool valeur(const QString& fichier, QChar motif = QLatin1Char('#')) {
    return detail::reecrire(fichier, [motif](QByteArray& b, int taille) {
        const QByteArray suite(64, char(motif.toLatin1()));
        int abimees = 0;
        for (qsizetype debut = taille; debut + taille <= b.size(); debut += taille) {
            if (b.mid(debut + 4, suite.size()) != suite)
                continue;
            b[debut] = '\x7f';
            b[debut + 1] = b[debut + 2] = b[debut + 3] = '\xff';
            ++abimees;
        }
        return abimees;
    });
}

// The first page of a table or an index of the open catalogue, 0 when there is none.
inline int racine(const QString& nom) {
    Catalogue::Sqlite::Requete q(Catalogue::base(),
                                 QStringLiteral("SELECT rootpage FROM sqlite_master WHERE name = ?"));
    q.lier(1, nom);
    return q.pas() == SQLITE_ROW ? int(q.entier(0)) : 0;
}

// Scrambles page `numero` (from 1, as the engine counts them).
inline bool page(const QString& fichier, int numero) {
    return detail::reecrire(fichier, [numero](QByteArray& b, int taille) {
        const qsizetype debut = qsizetype(numero - 1) * taille;
        if (numero < 2 || debut + taille > b.size())
            return 0;
        QRandomGenerator alea(1999);
        for (qsizetype i = debut; i < debut + taille; ++i)
            b[i] = char(alea.bounded(256));
        return 1;
    });
}

} // namespace abimer
