#include "catalogue/Fonctions.h"

#include "catalogue/Outils.h"

#include <algorithm>
#include <limits>

using Outils::HeureEnSecondes;
using Outils::SecondesEnHeure;

namespace {

const QChar kSeparateur = QLatin1Char('/');
// Characters 1-4 of a film field are "FILM", 5-12 its length, the title follows.
constexpr qsizetype kDebutTitre = 12;
// The longest length that still takes exactly 8 characters "HH:MM:SS".
constexpr int kDureeMax = 99 * 3600 + 59 * 60 + 59;

// The fields read, and where the unread rest of the record begins. A damaged record may go on
// after an empty field; the operations keep that rest as it is rather than lose it.
struct Lecture {
    QStringList champs;
    qsizetype finLue = 0;
};

Lecture lit(const QString& Status) {
    Lecture lecture;
    qsizetype debut = 0;
    for (;;) {
        const qsizetype separateur = Status.indexOf(kSeparateur, debut);
        const qsizetype fin = separateur < 0 ? Status.size() : separateur;
        if (fin == debut)
            break;
        lecture.champs.append(Status.mid(debut, fin - debut));
        lecture.finLue = fin;
        if (separateur < 0)
            break;
        debut = separateur + 1;
    }
    return lecture;
}

QString reecrit(const QString& Status, const Lecture& lecture, const QStringList& champs) {
    return champs.join(kSeparateur) + Status.mid(lecture.finLue);
}

QString placeFilm(const QString& Status, const Lecture& lecture, qsizetype index, const QString& DureeFilm,
                  const QString& Titre) {
    if (index < 0 || index >= lecture.champs.size() || Fonctions::EstFilm(lecture.champs[index]))
        return Status;
    const int plage = HeureEnSecondes(lecture.champs[index]);
    const int film = HeureEnSecondes(DureeFilm);
    // A stretch too short for the film would leave a negative remainder: nothing is recorded.
    if (film < 0 || film > kDureeMax || film > plage)
        return Status;
    QString champ = QStringLiteral("FILM") + SecondesEnHeure(film) + Fonctions::TitreDansStatus(Titre);
    if (plage > film)
        champ += kSeparateur + SecondesEnHeure(plage - film);
    QStringList champs = lecture.champs;
    champs[index] = champ;
    return reecrit(Status, lecture, champs);
}

} // namespace

QStringList Fonctions::Champs(const QString& Status) {
    return lit(Status).champs;
}

bool Fonctions::EstFilm(const QString& Champ) {
    return Champ.startsWith(QLatin1String("FILM"));
}

int Fonctions::LongueurChamp(const QString& Champ) {
    return qMax(0, HeureEnSecondes(EstFilm(Champ) ? Champ.mid(4, 8) : Champ));
}

QList<Fonctions::Etendue> Fonctions::Etendues(const QString& Status) {
    const QStringList champs = lit(Status).champs;
    QList<Etendue> etendues;
    etendues.reserve(champs.size());
    qint64 position = 0;
    for (const QString& champ : champs) {
        // A damaged record may add up past a day: the sum stays within an int.
        const qint64 fin = qMin<qint64>(position + LongueurChamp(champ), std::numeric_limits<int>::max());
        etendues.append({int(position), int(fin)});
        position = fin;
    }
    return etendues;
}

int Fonctions::DebutFilm(const QString& Status, int Position) {
    const QStringList champs = lit(Status).champs;
    int films = 0;
    for (int i = 0; i < champs.size(); ++i) {
        if (EstFilm(champs[i]) && ++films == Position)
            return Etendues(Status).at(i).debut;
    }
    return -1;
}

QString Fonctions::TitreDansStatus(const QString& Titre) {
    QString titre = Titre;
    return titre.replace(kSeparateur, QChar(0x2215));
}

QString Fonctions::CherchePlageLibre(const QString& DureeFilm, const QString& Status) {
    const int film = HeureEnSecondes(DureeFilm);
    QString meilleure;
    int longueurMeilleure = 0;
    bool trouvee = false;
    for (const QString& champ : lit(Status).champs) {
        if (EstFilm(champ))
            continue;
        const int longueur = HeureEnSecondes(champ);
        // Strictly shorter only: among equal stretches the first on the tape stays.
        if (longueur >= film && (!trouvee || longueur < longueurMeilleure)) {
            meilleure = champ;
            longueurMeilleure = longueur;
            trouvee = true;
        }
    }
    return meilleure;
}

QString Fonctions::InsereFilm(const QString& Status, const QString& Plage, const QString& DureeFilm,
                              const QString& Titre) {
    const Lecture lecture = lit(Status);
    return placeFilm(Status, lecture, lecture.champs.indexOf(Plage), DureeFilm, Titre);
}

QString Fonctions::InsereFilmAuChamp(const QString& Status, int NumeroChamp, const QString& DureeFilm,
                                     const QString& Titre) {
    return placeFilm(Status, lit(Status), qsizetype(NumeroChamp) - 1, DureeFilm, Titre);
}

int Fonctions::PositionAuChamp(const QString& Status, int NumeroChamp) {
    const QStringList champs = lit(Status).champs;
    const qsizetype avant = std::clamp<qsizetype>(qsizetype(NumeroChamp) - 1, 0, champs.size());
    return 1 + int(std::count_if(champs.cbegin(), champs.cbegin() + avant, EstFilm));
}

int Fonctions::CherchePositionFilm(const QString& Status, const QString& Titre) {
    const QString cherche = TitreDansStatus(Titre).toUpper();
    int position = 0;
    for (const QString& champ : lit(Status).champs) {
        if (!EstFilm(champ))
            continue;
        ++position;
        // A film field cut short of its length has no title to compare.
        if (champ.size() >= kDebutTitre && champ.mid(kDebutTitre).toUpper() == cherche)
            return position;
    }
    return 0;
}

QString Fonctions::RetireFilm(const QString& Status, int Position) {
    if (Position < 1)
        return Status;
    const Lecture lecture = lit(Status);
    QStringList champs = lecture.champs;
    qsizetype index = -1;
    int films = 0;
    for (qsizetype i = 0; i < champs.size(); ++i) {
        if (EstFilm(champs[i]) && ++films == Position) {
            index = i;
            break;
        }
    }
    if (index < 0)
        return Status;

    qint64 total = HeureEnSecondes(champs[index].mid(4, 8));
    qsizetype premier = index, dernier = index;
    if (index > 0 && !EstFilm(champs[index - 1])) {
        total += HeureEnSecondes(champs[index - 1]);
        premier = index - 1;
    }
    if (index + 1 < champs.size() && !EstFilm(champs[index + 1])) {
        total += HeureEnSecondes(champs[index + 1]);
        dernier = index + 1;
    }
    total = std::clamp<qint64>(total, std::numeric_limits<int>::min(), std::numeric_limits<int>::max());
    champs[premier] = SecondesEnHeure(int(total));
    champs.erase(champs.begin() + premier + 1, champs.begin() + dernier + 1);
    // A film of no length between two films frees nothing: leave no "00:00:00" stretch behind,
    // unless it is all the tape there is.
    if (total == 0 && champs.size() > 1)
        champs.removeAt(premier);
    return reecrit(Status, lecture, champs);
}
