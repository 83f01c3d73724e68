#include "screens/common/ListeK7.h"

#include "catalogue/Fonctions.h"
#include "catalogue/Outils.h"
#include "catalogue/SourceDonnees.h"
#include "screens/common/Barre.h"
#include "screens/common/Grille.h"
#include "screens/common/Messages.h"
#include "screens/common/Unites.h"

#include <QHeaderView>

namespace ListeK7 {

bool remplir(Grille& g, SourceDonnees& DataK7Libre, const QString& Duree) {
    Grille::Remplissage remplissage(g);
    g.setRows(2);
    for (int c = 0; c < g.Cols(); ++c)
        g.setTextMatrix(1, c, QString());
    const QString d = Outils::SecondesEnHeure(Outils::HeureEnSecondes(Duree));
    DataK7Libre.setRecordSource(QStringLiteral("SELECT * from K7 WHERE TempsRestant >= #") + d +
                                QStringLiteral("# ORDER BY TempsRestant"));
    if (!DataK7Libre.Refresh())
        return false;
    int r = 1;
    for (; !DataK7Libre.Eof(); DataK7Libre.MoveNext()) {
        // An unreadable cassette would show as one without room: the search stops there.
        if (!DataK7Libre.Lisible())
            return false;
        const QString plage =
            Fonctions::CherchePlageLibre(Duree, DataK7Libre.Texte(QStringLiteral("Status")));
        if (plage.isEmpty())
            continue; // enough free time in all, but no single stretch that long
        const QStringList cellules = {DataK7Libre.Texte(QStringLiteral("IdK7")),
                                      DataK7Libre.Texte(QStringLiteral("Durée")),
                                      DataK7Libre.Texte(QStringLiteral("NBFilm")), plage};
        if (r == 1) {
            for (int c = 0; c < 4; ++c)
                g.setTextMatrix(1, c, cellules[c]);
        } else {
            g.AddItem(cellules);
        }
        ++r;
    }
    return true;
}

void habiller(Grille& g, int alignement) {
    static const char* const Entetes[] = {"Numéro", "Capacité", "Nb de films", "Plage Dispo."};
    g.setCols(4);
    for (int c = 0; c < 4; ++c) {
        g.setMergeCol(c, true);
        g.setColWidth(c, 1600);
        g.setTextMatrix(0, c, QString::fromUtf8(Entetes[c]));
        g.setColAlignment(c, alignement);
    }
    g.horizontalHeader()->setFont(Unites::police(QStringLiteral("Arial"), 10));
    g.setSelectionParLigne(true);
    g.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    g.setColonnesAjustees(true); // the form does not grow with a widened column
    g.setCouleursListes();
}

int hauteur(const Grille& g, int lignesVisibles) {
    const int rh1 = g.Rows() > 1 ? g.RowHeight(1) : 240;
    return rh1 * lignesVisibles + g.RowHeight(0) + 10 + Unites::twips(2 * g.frameWidth());
}

QString dessiner(AvecBarre& Feuille, SourceDonnees& DataK7, Etiquette& lblNumK7, qint64 NumK7,
                 const QString& Plage, int Largeur) {
    lblNumK7.setText(QString::number(NumK7));
    DataK7.setRecordSource(QStringLiteral("SELECT * from K7 WHERE IDK7 = ") + QString::number(NumK7));
    if (!DataK7.Refresh())
        Messages::lectureImpossible(DataK7); // an empty cassette is drawn, and nothing can be placed on it
    QString status = DataK7.Texte(QStringLiteral("Status"));
    Fonctions::DessineCassette(status, DataK7.Texte(QStringLiteral("Durée")), Feuille,
                               Feuille.shape(0).Left(), Feuille.shape(0).Top(), Largeur,
                               Feuille.shape(0).Height());
    Fonctions::MarquePlage(status, Plage, Feuille);
    return status;
}

} // namespace ListeK7
