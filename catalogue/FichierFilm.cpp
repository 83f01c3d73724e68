#include "catalogue/FichierFilm.h"

#include "catalogue/Outils.h"

#include <QFileInfo>
#include <QStringDecoder>

namespace FichierFilm {

namespace {

// The printable characters Windows-1252 puts at 0x80-0x9F (unassigned codes read as themselves).
const char16_t Cp1252[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                             0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                             0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                             0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

QString decoder(const QByteArray& octets) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString texte = utf8.decode(octets);
    if (!utf8.hasError())
        return texte;
    texte.clear();
    texte.reserve(octets.size());
    for (const char c : octets) {
        const auto o = static_cast<unsigned char>(c);
        texte += (o >= 0x80 && o < 0xA0) ? QChar(Cp1252[o - 0x80]) : QChar(o);
    }
    return texte;
}

} // namespace

Lecture lire(const QByteArray& octets) {
    Lecture l;
    if (octets.contains('\0')) {
        l.erreur = QStringLiteral("ce n'est pas un fichier texte");
        return l;
    }
    QString texte = decoder(octets);
    if (texte.startsWith(QChar(0xFEFF)))
        texte.remove(0, 1);
    qsizetype debut = 0;
    while (l.lignes.size() < 8 && debut < texte.size()) {
        qsizetype fin = texte.indexOf(QLatin1Char('\n'), debut);
        if (fin < 0)
            fin = texte.size();
        QString ligne = texte.mid(debut, fin - debut);
        if (ligne.endsWith(QLatin1Char('\r')))
            ligne.chop(1);
        l.lignes << ligne;
        debut = fin + 1;
    }
    return l;
}

QString duree(const QString& ligne) {
    // A whole clock time is that time; hours and minutes get their seconds, whatever sits between.
    const bool separees = ligne.size() >= 4 && !ligne.at(ligne.size() - 3).isDigit();
    if (ligne.size() == 8 && Outils::VerifieFormat(ligne, QStringLiteral("##:##:##")))
        return ligne;
    if (ligne.size() == 7 && Outils::VerifieFormat(ligne, QStringLiteral("#:##:##")))
        return QLatin1Char('0') + ligne;
    if (ligne.size() == 5 && separees && Outils::VerifieFormat(ligne, QStringLiteral("##?##")))
        return ligne.left(2) + QLatin1Char(':') + ligne.right(2) + QStringLiteral(":00");
    if (ligne.size() == 4 && separees && Outils::VerifieFormat(ligne, QStringLiteral("#?##")))
        return QLatin1Char('0') + ligne.left(1) + QLatin1Char(':') + ligne.right(2) + QStringLiteral(":00");
    return ligne;
}

QString acteurs(const QString& ligne) {
    // Every name is kept: runs of blanks count as one, and an empty entry between two ";" is
    // skipped rather than taken as the end of the list.
    QStringList noms;
    for (const QString& acteur : ligne.split(QLatin1Char(';'))) {
        QStringList mots = acteur.simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts);
        for (QString& mot : mots)
            mot = mot.left(1).toUpper() + mot.mid(1).toLower();
        if (!mots.isEmpty())
            noms << mots.join(QLatin1Char(' '));
    }
    return noms.join(QStringLiteral(", "));
}

QString afficheVoisine(const QString& cheminFilm) {
    const QFileInfo f(cheminFilm);
    const QString base = f.path() + QLatin1Char('/') + f.completeBaseName();
    QString jpg = base + QStringLiteral(".jpg");
    if (QFileInfo::exists(jpg))
        return jpg;
    QString JPG = base + QStringLiteral(".JPG");
    return QFileInfo::exists(JPG) ? JPG : jpg;
}

} // namespace FichierFilm
