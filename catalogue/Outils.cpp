#include "catalogue/Outils.h"

#include <QStringView>
#include <QVector>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr int kIntMax = std::numeric_limits<int>::max();
constexpr int kIntMin = std::numeric_limits<int>::min();

// Only ASCII digits: the clock-time reader understands nothing else, so the mask must not let others through.
bool estChiffre(QChar c) {
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

bool estLettreAscii(QChar c) {
    return (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) ||
           (c >= QLatin1Char('a') && c <= QLatin1Char('z'));
}

int borne(double valeur) {
    if (valeur >= kIntMax)
        return kIntMax;
    if (valeur <= kIntMin)
        return kIntMin;
    return static_cast<int>(std::nearbyint(valeur));
}

int borne(qint64 valeur) {
    return static_cast<int>(std::clamp<qint64>(valeur, kIntMin, kIntMax));
}

// Reads a part of a clock time leniently: leading blanks, digits, then decimals after a ".";
// whatever follows is ignored and a part without digits reads 0.
double litNombre(QStringView texte) {
    qsizetype i = 0;
    while (i < texte.size() && (texte[i] == QLatin1Char(' ') || texte[i] == QLatin1Char('\t')))
        ++i;
    // Beyond this no clock time fits an int anyway; the cap keeps the value finite.
    constexpr double kPlafond = 1e18;
    double valeur = 0;
    for (; i < texte.size() && estChiffre(texte[i]); ++i)
        valeur = std::min(valeur * 10 + (texte[i].unicode() - '0'), kPlafond);
    if (i < texte.size() && texte[i] == QLatin1Char('.')) {
        double pas = 0.1;
        for (++i; i < texte.size() && estChiffre(texte[i]); ++i) {
            valeur += (texte[i].unicode() - '0') * pas;
            pas /= 10;
        }
    }
    return valeur;
}

} // namespace

QString Outils::ExtraitElement(const QString& Texte, int Numero, const QString& Separateur) {
    if (Numero < 1)
        return QString();
    // An empty separator separates nothing: the text is a single field.
    if (Separateur.isEmpty())
        return Numero == 1 ? Texte : QString();
    qsizetype debut = 0;
    for (int n = 1;; ++n) {
        const qsizetype trouve = Texte.indexOf(Separateur, debut);
        if (trouve < 0)
            return n == Numero ? Texte.mid(debut) : QString();
        if (n == Numero)
            return Texte.mid(debut, trouve - debut);
        debut = trouve + Separateur.size();
    }
}

QString Outils::RemplaceTexte(const QString& Texte, const QString& Nouveau, const QString& Ancien) {
    // An empty text "occurs" everywhere; replacing it would only prepend Nouveau.
    if (Ancien.isEmpty())
        return Texte;
    const qsizetype position = Texte.indexOf(Ancien);
    if (position < 0)
        return Texte;
    return Texte.left(position) + Nouveau + Texte.mid(position + Ancien.size());
}

QString Outils::RemplaceElement(const QString& Texte, int Numero, const QString& Nouveau,
                                const QString& Separateur) {
    if (Separateur.isEmpty() || !Texte.contains(Separateur))
        return Numero == 1 ? Nouveau : Texte;
    if (Numero < 1)
        return Texte;
    qsizetype debut = 0;
    for (int n = 1; n < Numero; ++n) {
        const qsizetype trouve = Texte.indexOf(Separateur, debut);
        if (trouve < 0)
            return Texte;
        debut = trouve + Separateur.size();
    }
    const qsizetype fin = Texte.indexOf(Separateur, debut);
    return Texte.left(debut) + Nouveau + (fin < 0 ? QString() : Texte.mid(fin));
}

int Outils::ChercheElement(const QString& Texte, const QString& Element, const QString& Separateur) {
    if (Separateur.isEmpty())
        return Texte == Element ? 1 : 0;
    const QStringView texte(Texte);
    qsizetype debut = 0;
    for (int n = 1;; ++n) {
        const qsizetype trouve = Texte.indexOf(Separateur, debut);
        if (texte.mid(debut, trouve < 0 ? -1 : trouve - debut) == Element)
            return n;
        if (trouve < 0)
            return 0;
        debut = trouve + Separateur.size();
    }
}

QString Outils::SecondesEnHeure(int Secondes) {
    // Widened so that the magnitude of the smallest int is representable.
    qint64 reste = Secondes;
    const bool negatif = reste < 0;
    if (negatif)
        reste = -reste;
    const QLatin1Char zero('0');
    const QString heure = QStringLiteral("%1:%2:%3")
                              .arg(reste / 3600, 2, 10, zero)
                              .arg(reste % 3600 / 60, 2, 10, zero)
                              .arg(reste % 60, 2, 10, zero);
    return negatif ? QLatin1Char('-') + heure : heure;
}

QString Outils::DureeEnClair(int Secondes) {
    const int s = qMax(Secondes, 0);
    const int h = s / 3600, m = s % 3600 / 60, r = s % 60;
    if (h > 0)
        return m > 0 ? QStringLiteral("%1 h %2").arg(h).arg(m, 2, 10, QLatin1Char('0'))
                     : QStringLiteral("%1 h").arg(h);
    if (m > 0)
        return r > 0 ? QStringLiteral("%1 min %2 s").arg(m).arg(r) : QStringLiteral("%1 min").arg(m);
    return QStringLiteral("%1 s").arg(r);
}

int Outils::HeureEnSecondes(const QString& Heure) {
    QStringView texte(Heure);
    while (!texte.isEmpty() && (texte.front() == QLatin1Char(' ') || texte.front() == QLatin1Char('\t')))
        texte = texte.mid(1);
    // A leading "-" applies to the whole time, as SecondesEnHeure writes negative durations.
    const bool negatif = texte.startsWith(QLatin1Char('-'));
    if (negatif)
        texte = texte.mid(1);

    // Missing parts read 0: "12" is twelve hours, "1:30" one hour and a half.
    QStringView heures = texte, minutes, secondes;
    const qsizetype premier = texte.indexOf(QLatin1Char(':'));
    if (premier >= 0) {
        heures = texte.left(premier);
        const qsizetype second = texte.indexOf(QLatin1Char(':'), premier + 1);
        minutes = second < 0 ? texte.mid(premier + 1) : texte.mid(premier + 1, second - premier - 1);
        if (second >= 0)
            secondes = texte.mid(second + 1);
    }
    const double total = litNombre(heures) * 3600 + litNombre(minutes) * 60 + litNombre(secondes);
    return borne(negatif ? -total : total);
}

int Outils::EcartSecondes(const QString& Debut, const QString& Fin) {
    const qint64 debut = HeureEnSecondes(Debut);
    qint64 fin = HeureEnSecondes(Fin);
    // An end before the start lies on the next day.
    if (fin < debut)
        fin += 86400;
    return borne(fin - debut);
}

bool Outils::VerifieFormat(const QString& Texte, const QString& Masque) {
    for (qsizetype i = 0;; ++i) {
        if (i >= Masque.size())
            return true;
        const QChar masque = Masque[i];
        if (i >= Texte.size())
            return masque == QLatin1Char('*');
        const QChar c = Texte[i];
        if (estChiffre(masque)) {
            if (!estChiffre(c) || c > masque)
                return false;
        } else if (estLettreAscii(masque) || masque == QLatin1Char('@')) {
            if (!c.isLetter())
                return false;
        } else if (masque == QLatin1Char('#')) {
            if (!estChiffre(c))
                return false;
        } else if (masque == QLatin1Char('*')) {
            return true;
        } else if (masque != QLatin1Char('?') && c != masque) {
            return false;
        }
    }
}

bool Outils::EstHeureValide(const QString& Texte) {
    if (!VerifieFormat(Texte, QStringLiteral("##:##:##")))
        return false;
    const int h = Texte.mid(0, 2).toInt();
    const int m = Texte.mid(3, 2).toInt();
    const int s = Texte.mid(6, 2).toInt();
    return h <= 23 && m <= 59 && s <= 59;
}

QString Outils::SurUneLigne(const QString& Texte) {
    QString t;
    t.reserve(Texte.size());
    for (qsizetype i = 0; i < Texte.size(); ++i) {
        const char16_t c = Texte.at(i).unicode();
        switch (c) {
        case u'\r':
            if (i + 1 < Texte.size() && Texte.at(i + 1) == QLatin1Char('\n'))
                ++i;
            t += QLatin1Char(' ');
            break;
        case u'\n':
        case u'\v':
        case u'\f':
        case 0x0085:
        case 0x2028:
        case 0x2029:
            t += QLatin1Char(' ');
            break;
        default:
            t += QChar(c);
        }
    }
    return t;
}

namespace {

// A character's folded form: its decomposition without the marks, recursively, in lower case.
void replierCaractere(char32_t c, QString* cible) {
    switch (c) {
    case 0x00C6: // Æ æ
    case 0x00E6:
        *cible += QLatin1String("ae");
        return;
    case 0x0152: // Œ œ
    case 0x0153:
        *cible += QLatin1String("oe");
        return;
    case 0x00DF: // ß
        *cible += QLatin1String("ss");
        return;
    case 0x00D8: // Ø ø, with no decomposition
    case 0x00F8:
        *cible += QLatin1Char('o');
        return;
    case 0x0110: // Đ đ
    case 0x0111:
        *cible += QLatin1Char('d');
        return;
    case 0x0141: // Ł ł
    case 0x0142:
        *cible += QLatin1Char('l');
        return;
    default:
        break;
    }
    const QChar::Category categorie = QChar::category(c);
    if (categorie == QChar::Mark_NonSpacing || categorie == QChar::Mark_Enclosing)
        return;
    const QString decomposition = QChar::decomposition(c);
    if (!decomposition.isEmpty()) {
        for (const char32_t d : decomposition.toUcs4())
            replierCaractere(d, cible);
        return;
    }
    const char32_t minuscule = QChar::toLower(c);
    if (QChar::requiresSurrogates(minuscule)) {
        *cible += QChar(QChar::highSurrogate(minuscule));
        *cible += QChar(QChar::lowSurrogate(minuscule));
    } else {
        *cible += QChar(char16_t(minuscule));
    }
}

// The Latin letters, folded once: nearly every non-ASCII character of a catalogue is one.
constexpr char32_t FinTable = 0x0250;
const QString* tableLatine() {
    static const QVector<QString> table = [] {
        QVector<QString> t(qsizetype{FinTable});
        for (char32_t c = 0x80; c < FinTable; ++c)
            replierCaractere(c, &t[int(c)]);
        return t;
    }();
    return table.constData();
}

} // namespace

void Outils::AjouteReplie(QStringView Texte, QString* Cible) {
    const QString* table = tableLatine();
    const qsizetype n = Texte.size();
    const QChar* s = Texte.constData();
    // Nearly every character folds to one: written in place, the list being filled a whole
    // catalogue at a time.
    const qsizetype debut = Cible->size();
    Cible->resize(debut + n);
    QChar* o = Cible->data() + debut;
    qsizetype i = 0;
    for (; i < n; ++i) {
        const char16_t c = s[i].unicode();
        if (c < 0x80) {
            o[i] = QChar(c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c);
        } else if (c < FinTable && table[c].size() == 1) {
            o[i] = table[c].at(0);
        } else {
            break;
        }
    }
    if (i == n)
        return;
    Cible->resize(debut + i);
    for (; i < n; ++i) {
        const char16_t c = s[i].unicode();
        if (c < 0x80) {
            *Cible += QChar(c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c);
        } else if (c < FinTable) {
            *Cible += table[c];
        } else if (QChar::isHighSurrogate(c) && i + 1 < n && s[i + 1].isLowSurrogate()) {
            replierCaractere(QChar::surrogateToUcs4(c, s[i + 1].unicode()), Cible);
            ++i;
        } else {
            replierCaractere(c, Cible);
        }
    }
}

QString Outils::Replie(const QString& Texte) {
    QString t;
    t.reserve(Texte.size());
    AjouteReplie(Texte, &t);
    return t;
}
