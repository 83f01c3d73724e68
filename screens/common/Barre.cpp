#include "screens/common/Barre.h"

#include "catalogue/Fonctions.h"
#include "catalogue/Outils.h"
#include "screens/common/Unites.h"

#include <QFontMetrics>
#include <QFrame>

#include <algorithm>
#include <cmath>
#include <numeric>

namespace {

// Pixels between two length labels of one row, and around a label's text.
constexpr int Ecart = 2;
constexpr int Marge = 3;

// The highest yellow segment, -1 when none.
int segmentJaune(const AvecBarre& Feuille) {
    int sel = -1;
    for (int i = 0; i <= Feuille.shape.UBound(); ++i) {
        if (Feuille.shape(i).BackColor() == Unites::Jaune)
            sel = i;
    }
    return sel;
}

// Places the length labels of the segments drawn: each as wide as its text needs, centred on
// its segment but never past the bar's ends (where the panel would clip it), under the bar for
// odd fields and over it for even ones, in the other row when its own is taken there, and left
// out when neither has room. The longest segments are served first: their labels are the ones
// a user reads. Returns which labels are to be shown.
QVector<bool> placerEtiquettes(AvecBarre& Feuille, int Gauche, int Haut, int Largeur, int Hauteur) {
    const int n = Feuille.shape.UBound() + 1;
    int gauche = Unites::pixels(Gauche);
    int droite = Unites::pixels(Gauche + Largeur);
    if (const QWidget* panneau = Feuille.lblDuree(0).parentWidget()) {
        gauche = qMax(gauche, 0);
        droite = qMin(droite, panneau->width());
    }
    QVector<int> ordre(n);
    std::iota(ordre.begin(), ordre.end(), 0);
    std::stable_sort(ordre.begin(), ordre.end(),
                     [&](int a, int b) { return Feuille.shape(a).width() > Feuille.shape(b).width(); });
    const QFontMetrics fm(Feuille.lblDuree(0).font());
    QVector<bool> montrer(n, false);
    QVector<QPair<int, int>> prises[2]; // the spans taken under the bar, over it
    for (const int k : std::as_const(ordre)) {
        Etiquette& e = Feuille.lblDuree(k);
        const Etiquette& s = Feuille.shape(k);
        const int largeur = qMax(e.width(), fm.horizontalAdvance(e.Caption()) + 2 * Marge);
        if (largeur > droite - gauche)
            continue;
        e.resize(largeur, e.height());
        const int x = qMin(qMax(s.x() + s.width() / 2 - largeur / 2, gauche), droite - largeur);
        const auto libre = [&](int rangee) {
            for (const auto& [debut, fin] : std::as_const(prises[rangee])) {
                if (x < fin + Ecart && debut < x + largeur + Ecart)
                    return false;
            }
            return true;
        };
        const int prefere = k % 2;
        for (const int rangee : {prefere, 1 - prefere}) {
            if (!libre(rangee))
                continue;
            e.setTop(rangee == 0 ? Haut + Hauteur : Haut - e.Height());
            e.move(x, e.y());
            prises[rangee].append({x, x + largeur});
            montrer[k] = true;
            break;
        }
    }
    return montrer;
}

} // namespace

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
    bulleBarre = QStringLiteral("Composition de la Cassette");
    segment.setToolTip(bulleBarre);
    Etiquette& duree = lblDuree(0);
    duree.setParent(panneau);
    duree.placer(gauche, haut + 540, 705, 225);
    duree.setBackColor(0xE0E0E0);
    duree.setFont(Unites::police(QStringLiteral("Arial"), 8.25, true));
    duree.setAlignment(Qt::AlignCenter);
    duree.hide();
}

void AvecBarre::viderBarre(int largeur) {
    shape.UnloadAuDela(0);
    lblDuree.UnloadAuDela(0);
    lblDuree(0).hide();
    Etiquette& segment = shape(0);
    segment.setBackColor(Unites::Blanc);
    segment.setCaption(QString());
    segment.setToolTip(bulleBarre);
    etendues.clear();
    segment.setWidth(largeur);
    segment.show();
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
    Feuille.etendues = Etendues(Status);
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
        const QString& champ = champs[k];
        QString d;
        if (EstFilm(champ)) {
            segment.setBackColor(Unites::Rouge);
            segment.setAbrege(true); // a long title stays within its segment; the hint gives it whole
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
        etiquette.setCaption(d);
        BulleSegment(Feuille, k);
        // The next segment starts where this one ends, as the control reports its width.
        x += segment.Width();
    }
    if (champs.isEmpty())
        return;
    const QVector<bool> etiquettes = placerEtiquettes(Feuille, Gauche, Haut, Largeur, Hauteur);
    for (int i = 0; i <= Feuille.shape.UBound(); ++i) {
        Feuille.shape(i).show();
        Feuille.lblDuree(i).setVisible(etiquettes[i]);
    }
}

void BulleSegment(AvecBarre& Feuille, int Index, const QString& Suite) {
    Etiquette& segment = Feuille.shape(Index);
    const Etendue etendue = Feuille.etendues.value(Index);
    const QString ou = QStringLiteral(" — de %1 à %2")
                           .arg(Outils::SecondesEnHeure(etendue.debut), Outils::SecondesEnHeure(etendue.fin));
    QStringList lignes;
    if (!Feuille.bulleBarre.isEmpty())
        lignes << Feuille.bulleBarre;
    if (segment.BackColor() == Unites::Rouge)
        lignes << (segment.Caption().isEmpty() ? QStringLiteral("Film") : segment.Caption()) + ou;
    else
        lignes << QStringLiteral("Libre") + ou +
                      QStringLiteral(" (%1)").arg(Outils::DureeEnClair(etendue.fin - etendue.debut));
    if (!Suite.isEmpty())
        lignes << Suite;
    // As rich text, so that a title that looks like markup shows as typed.
    segment.setToolTip(
        QStringLiteral("<p style=\"white-space:pre\">") +
        lignes.join(QLatin1Char('\n')).toHtmlEscaped().replace(QLatin1Char('\n'), QStringLiteral("<br>")) +
        QStringLiteral("</p>"));
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

bool PlageChoisissable(int Index, const QString& DureeFilm, const AvecBarre& Feuille) {
    if (Index < 0 || Index > Feuille.shape.UBound())
        return false;
    // A film is known by its red, not only by its caption: a film may have an empty title.
    const Etiquette& cible = Feuille.shape(Index);
    return Index != qMax(segmentJaune(Feuille), 0) && cible.Caption().isEmpty() &&
           cible.BackColor() != Unites::Rouge && !(Feuille.lblDuree(Index).Caption() < DureeFilm);
}

void ChangePlage(int Index, const QString& DureeFilm, AvecBarre& Feuille) {
    if (!PlageChoisissable(Index, DureeFilm, Feuille))
        return;
    const int sel = segmentJaune(Feuille);
    Feuille.shape(Index).setBackColor(Unites::Jaune);
    // With no yellow segment there is nothing to give back; a film segment stays red.
    if (sel >= 0)
        Feuille.shape(sel).setBackColor(Unites::Blanc);
}

} // namespace Fonctions
