// A cassette's layout record made from the input, then placements, removals and searches on it,
// as the screens chain them. Never a crash; and a record the catalogue deems sound stays sound,
// its length kept, with exactly the films each step promises, in tape order.

#include "catalogue/Fonctions.h"
#include "catalogue/Invariants.h"
#include "catalogue/Outils.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

using namespace Fonctions;
using Outils::HeureEnSecondes;
using Outils::SecondesEnHeure;

namespace {

QString g_trace; // the steps so far, printed with a failure

[[noreturn]] void echec(const char* raison, const QString& detail) {
    std::fprintf(stderr, "%s : %s\n%s\n", raison, qPrintable(detail), qPrintable(g_trace));
    std::abort();
}

QString texte(FuzzedDataProvider& f, size_t longueur) {
    const std::string s = f.ConsumeRandomLengthString(longueur);
    return QString::fromUtf8(s.data(), qsizetype(s.size()));
}

// A few letters whose case folding is not one to one, a "/" and the prefix of a film field.
QString titre(FuzzedDataProvider& f) {
    if (f.ConsumeBool())
        return texte(f, 24);
    static const char* const morceaux[] = {"a", "A",    "é", "É", "ß",        "SS",
                                           "/", "FILM", " ", "∕", "00:10:00", "ǅ"};
    QString t;
    for (int n = f.ConsumeIntegralInRange(0, 4); n > 0; --n)
        t += QString::fromUtf8(morceaux[f.ConsumeIntegralInRange<size_t>(0, std::size(morceaux) - 1)]);
    return t;
}

QString duree(FuzzedDataProvider& f) {
    switch (f.ConsumeIntegralInRange(0, 3)) {
    case 0:
        return texte(f, 12); // whatever a form might pass on
    case 1:
        return SecondesEnHeure(f.ConsumeIntegralInRange(0, 3) * 600);
    default:
        return SecondesEnHeure(f.ConsumeIntegralInRange(-60, 4 * 3600));
    }
}

// Mostly well-formed records, sometimes not: adjacent or empty free stretches, bad lengths.
QString record(FuzzedDataProvider& f) {
    if (f.ConsumeBool())
        return texte(f, 160);
    QStringList champs;
    for (int n = f.ConsumeIntegralInRange(1, 8); n > 0; --n) {
        const int secondes = f.ConsumeIntegralInRange(0, 3) == 0 ? f.ConsumeIntegralInRange(0, 3) * 1800
                                                                 : f.ConsumeIntegralInRange(0, 5 * 3600);
        if (f.ConsumeBool())
            champs << QStringLiteral("FILM") + SecondesEnHeure(secondes) + TitreDansStatus(titre(f));
        else
            champs << SecondesEnHeure(secondes);
    }
    return champs.join(QLatin1Char('/'));
}

int longueur(const QString& champ) {
    return HeureEnSecondes(EstFilm(champ) ? champ.mid(4, 8) : champ);
}

QStringList films(const QString& status) {
    QStringList r;
    for (const QString& c : Champs(status))
        if (EstFilm(c))
            r << c;
    return r;
}

void verifieSain(const QString& avant, const QString& apres, const QString& capacite,
                 const QStringList& filmsAttendus) {
    const QStringList p = Catalogue::verifierStatus(apres, capacite);
    if (!p.isEmpty())
        echec("enregistrement devenu invalide",
              avant + QStringLiteral(" -> ") + apres + QStringLiteral(" : ") + p.join(QStringLiteral("; ")));
    if (films(apres) != filmsAttendus)
        echec("films inattendus", avant + QStringLiteral(" -> ") + apres + QStringLiteral(" ; attendus ") +
                                      filmsAttendus.join(QLatin1Char('/')));
}

// Placement at field `champ` (from 1): done exactly when it is a free stretch long enough.
void verifiePlacement(const QString& avant, const QString& apres, const QString& capacite, int champ,
                      const QString& d, const QString& t) {
    const QStringList champs = Champs(avant);
    const int film = HeureEnSecondes(d);
    QStringList attendus = films(avant);
    if (champ >= 1 && champ <= champs.size() && !EstFilm(champs[champ - 1]) && film >= 0 &&
        film <= longueur(champs[champ - 1]))
        attendus.insert(PositionAuChamp(avant, champ) - 1,
                        QStringLiteral("FILM") + SecondesEnHeure(film) + TitreDansStatus(t));
    verifieSain(avant, apres, capacite, attendus);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* donnees, size_t taille) {
    FuzzedDataProvider f(donnees, taille);
    QString status = record(f);
    qint64 total = 0;
    for (const QString& c : Champs(status))
        total += std::max(longueur(c), 0);
    // Beyond a day the length is no clock time and the record is not sound anyway.
    const QString capacite = SecondesEnHeure(int(std::min<qint64>(total, 100 * 3600)));
    const bool sain = Catalogue::verifierStatus(status, capacite).isEmpty();
    g_trace = QStringLiteral("départ ") + status + QStringLiteral(" (") + capacite + QLatin1Char(')');

    for (int etape = 0; etape < 32 && f.remaining_bytes() > 0; ++etape) {
        const QString avant = status;
        const QStringList champs = Champs(avant);
        const QString d = duree(f);
        const QString t = titre(f);
        switch (f.ConsumeIntegralInRange(0, 4)) {
        case 0: {
            const QString plage = CherchePlageLibre(d, avant);
            const int index = int(champs.indexOf(plage));
            g_trace += QStringLiteral("\nplage libre %1 -> %2 ; insère « %3 »").arg(d, plage, t);
            status = InsereFilm(avant, plage, d, t);
            if (!sain)
                break;
            // The shortest free stretch long enough, or none when there is none.
            const int film = HeureEnSecondes(d);
            for (const QString& c : champs) {
                if (!EstFilm(c) && longueur(c) >= film && (index < 0 || longueur(c) < longueur(plage)))
                    echec("plage libre manquée",
                          avant + QStringLiteral(" ; ") + d + QStringLiteral(" -> ") + plage);
            }
            if (index >= 0 && (EstFilm(plage) || longueur(plage) < film))
                echec("plage libre trop courte",
                      avant + QStringLiteral(" ; ") + d + QStringLiteral(" -> ") + plage);
            verifiePlacement(avant, status, capacite, index + 1, d, t);
            break;
        }
        case 1: {
            const QString plage = f.ConsumeBool() && !champs.isEmpty()
                                      ? champs[f.ConsumeIntegralInRange<qsizetype>(0, champs.size() - 1)]
                                      : texte(f, 12);
            g_trace += QStringLiteral("\ninsère « %1 » (%2) dans %3").arg(t, d, plage);
            status = InsereFilm(avant, plage, d, t);
            if (sain)
                verifiePlacement(avant, status, capacite, int(champs.indexOf(plage)) + 1, d, t);
            break;
        }
        case 2: {
            const int champ = f.ConsumeBool() ? f.ConsumeIntegral<int>()
                                              : f.ConsumeIntegralInRange(-1, int(champs.size()) + 1);
            g_trace += QStringLiteral("\ninsère « %1 » (%2) au champ %3").arg(t, d).arg(champ);
            status = InsereFilmAuChamp(avant, champ, d, t);
            if (sain)
                verifiePlacement(avant, status, capacite, champ, d, t);
            const int position = PositionAuChamp(avant, champ);
            if (position < 1 || position > films(avant).size() + 1)
                echec("position hors de la bande",
                      avant + QStringLiteral(" ; champ %1 -> %2").arg(champ).arg(position));
            break;
        }
        case 3: {
            const QStringList presents = films(avant);
            const int position = f.ConsumeBool() ? f.ConsumeIntegral<int>()
                                                 : f.ConsumeIntegralInRange(-1, int(presents.size()) + 1);
            g_trace += QStringLiteral("\nretire %1").arg(position);
            status = RetireFilm(avant, position);
            if (!sain)
                break;
            QStringList attendus = presents;
            if (position >= 1 && position <= presents.size())
                attendus.removeAt(position - 1);
            verifieSain(avant, status, capacite, attendus);
            break;
        }
        default: {
            const int position = CherchePositionFilm(avant, t);
            g_trace += QStringLiteral("\ncherche « %1 » -> %2").arg(t).arg(position);
            if (!sain)
                break;
            // The first film whose title matches without regard to case.
            const QString cherche = TitreDansStatus(t).toUpper();
            const QStringList presents = films(avant);
            int premier = 0;
            for (int i = 0; i < presents.size() && premier == 0; ++i)
                if (presents[i].mid(12).toUpper() == cherche)
                    premier = i + 1;
            if (position != premier)
                echec("film mal trouvé",
                      avant + QStringLiteral(" ; « ") + t +
                          QStringLiteral(" » -> %1 au lieu de %2").arg(position).arg(premier));
        }
        }
    }
    return 0;
}
