// Any bytes offered as a film file: read, then each line taken as a duration and as actors, the
// way the film form imports it.

#include "catalogue/FichierFilm.h"
#include "catalogue/Outils.h"

#include <QStringDecoder>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

[[noreturn]] void echec(const char* raison, const QString& detail) {
    std::fprintf(stderr, "%s : %s\n", raison, qPrintable(detail));
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* donnees, size_t taille) {
    const QByteArray octets(reinterpret_cast<const char*>(donnees), qsizetype(taille));
    const FichierFilm::Lecture l = FichierFilm::lire(octets);

    if (octets.contains('\0')) {
        if (l.erreur.isEmpty() || !l.lignes.isEmpty())
            echec("octet nul accepté", l.lignes.join(QLatin1Char('|')));
        return 0;
    }
    if (!l.erreur.isEmpty())
        echec("texte refusé", l.erreur);
    if (l.lignes.size() > 8)
        echec("plus de huit lignes", l.lignes.join(QLatin1Char('|')));

    // Valid UTF-8 is read as UTF-8: the lines are the text itself, cut at its line ends.
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString texte = utf8.decode(octets);
    if (!utf8.hasError() && !texte.contains(QLatin1Char('\r'))) {
        if (texte.startsWith(QChar(0xFEFF)))
            texte.remove(0, 1);
        if (!texte.startsWith(l.lignes.join(QLatin1Char('\n'))))
            echec("lignes qui ne sont pas le texte", l.lignes.join(QLatin1Char('|')));
    }

    for (const QString& ligne : l.lignes) {
        if (ligne.contains(QLatin1Char('\n')))
            echec("fin de ligne dans une ligne", ligne);

        const QString duree = FichierFilm::duree(ligne);
        // Either taken as it is, or made a whole clock time that is itself left alone.
        if (duree != ligne && !Outils::VerifieFormat(duree, QStringLiteral("##:##:##")))
            echec("durée mal formée", ligne + QStringLiteral(" -> ") + duree);
        if (duree.size() != 8 && duree != ligne)
            echec("durée de longueur inattendue", ligne + QStringLiteral(" -> ") + duree);
        if (FichierFilm::duree(duree) != duree)
            echec("durée qui change à la seconde lecture", ligne + QStringLiteral(" -> ") + duree);

        const QString acteurs = FichierFilm::acteurs(ligne);
        if (acteurs.contains(QLatin1Char(';')))
            echec("séparateur resté dans les acteurs", ligne + QStringLiteral(" -> ") + acteurs);
    }
    return 0;
}
