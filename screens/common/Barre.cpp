#include "screens/common/Barre.h"

#include "catalogue/Fonctions.h"
#include "catalogue/Outils.h"
#include "screens/common/Unites.h"

#include <QFrame>

#include <cmath>

void AvecBarre::preparerBarre(QWidget* panneau, int gauche, int haut, int largeur) {
    Etiquette& segment = shape(0);
    segment.setParent(panneau);
    segment.placer(gauche, haut, largeur, 540);
    segment.setBackColor(Unites::Blanc);
    segment.setForeColor(Unites::Blanc);
    segment.setFont(Unites::police(QStringLiteral("Arial"), 8.25, true));
    segment.setAlignment(Qt::AlignCenter);
    segment.setWordWrap(true);
    segment.setFrameStyle(QFrame::Panel | QFrame::Raised); // neighbouring films stay apart
    segment.setToolTip(QStringLiteral("Composition de la Cassette"));
    Etiquette& duree = lblDuree(0);
    duree.setParent(panneau);
    duree.placer(gauche, haut + 540, 705, 225);
    duree.setBackColor(0xE0E0E0);
    duree.setFont(Unites::police(QStringLiteral("Arial"), 8.25, true));
    duree.setAlignment(Qt::AlignCenter);
    duree.hide();
}

Etiquette* creerNumeroK7(QWidget* parent, int gauche, int haut) {
    Etiquette* e = Etiquette::creer(parent, QString(), gauche, haut, 825, 495,
                                    Unites::police(QStringLiteral("Arial Black"), 15.75));
    e->setForeColor(16576); // orange-brown
    e->setAlignment(Qt::AlignCenter);
    e->setToolTip(QStringLiteral("Numéro de la cassette"));
    return e;
}

namespace Fonctions {

void DessineCassette(const QString& Status, const QString& DureeK7, AvecBarre& Feuille, int Gauche, int Haut,
                     int Largeur, int Hauteur) {
    const int cap = Outils::HeureEnSecondes(DureeK7);
    for (int i = 0; i <= Feuille.shape.UBound(); ++i) {
        Feuille.shape(i).hide();
        Feuille.lblDuree(i).hide();
    }
    Feuille.shape.UnloadAuDela(0);
    Feuille.lblDuree.UnloadAuDela(0);

    const QStringList champs = Champs(Status);
    double x = Gauche;
    for (int n = 1; n <= champs.size(); ++n) {
        const int k = n - 1;
        if (n > 1) {
            Feuille.shape.Load();
            Feuille.lblDuree.Load();
        }
        Etiquette& segment = Feuille.shape(k);
        Etiquette& etiquette = Feuille.lblDuree(k);
        segment.setLeft(x);
        segment.setTop(Haut);
        etiquette.setTop(n % 2 == 1 ? Haut + Hauteur : Haut - etiquette.Height());
        const QString& champ = champs[k];
        QString d;
        if (EstFilm(champ)) {
            segment.setBackColor(Unites::Rouge);
            segment.setCaption(champ.mid(12));
            d = champ.mid(4, 8);
        } else {
            segment.setBackColor(Unites::Blanc);
            segment.setCaption(QString());
            d = champ;
        }
        // A cassette of no length has nothing to share out: its one stretch takes the bar.
        const double largeur = cap > 0 ? double(qint64(Outils::HeureEnSecondes(d)) * Largeur) / cap
                                       : (champs.size() == 1 ? Largeur : 0);
        segment.setWidth(largeur);
        etiquette.setLeft(x + segment.Width() / 2.0 - etiquette.Width() / 2.0);
        etiquette.setCaption(d);
        // The next segment starts where this one ends, as the control reports its width.
        x += segment.Width();
    }
    for (int i = 0; i <= Feuille.shape.UBound() && !champs.isEmpty(); ++i) {
        Feuille.shape(i).show();
        Feuille.lblDuree(i).show();
    }
}

void MarquePlage(const QString& Status, const QString& Plage, AvecBarre& Feuille) {
    const QStringList champs = Champs(Status);
    for (int n = 1; n <= champs.size() && n - 1 <= Feuille.shape.UBound(); ++n) {
        if (champs[n - 1] == Plage) {
            Feuille.shape(n - 1).setBackColor(Unites::Jaune);
            Feuille.shape(n - 1).setCaption(QString());
            return;
        }
    }
}

void ChangePlage(int Index, const QString& DureeFilm, AvecBarre& Feuille) {
    if (Index < 0 || Index > Feuille.shape.UBound())
        return;
    int sel = -1;
    for (int i = 0; i <= Feuille.shape.UBound(); ++i) {
        if (Feuille.shape(i).BackColor() == Unites::Jaune)
            sel = i;
    }
    // A film is known by its red, not only by its caption: a film may have an empty title.
    Etiquette& cible = Feuille.shape(Index);
    if (Index == qMax(sel, 0) || !cible.Caption().isEmpty() || cible.BackColor() == Unites::Rouge ||
        Feuille.lblDuree(Index).Caption() < DureeFilm)
        return;
    cible.setBackColor(Unites::Jaune);
    // With no yellow segment there is nothing to give back; a film segment stays red.
    if (sel >= 0)
        Feuille.shape(sel).setBackColor(Unites::Blanc);
}

} // namespace Fonctions
