#include "screens/common/Fenetres.h"

#include <QFontMetricsF>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QWidget>

namespace Fenetres {

namespace {
// The start that keeps a length inside [debut, debut + etendue); the start itself when it cannot.
int borner(int position, int longueur, int debut, int etendue) {
    return qMax(debut, qMin(position, debut + etendue - longueur));
}
} // namespace

Placement aCote(const QRect& ecran, const QRect& principale, QSize taille, int bandeau, int ecart) {
    const int l = taille.width();
    const int h = taille.height();
    const int y = borner(principale.top(), h, ecran.top(), ecran.height());
    if (principale.width() + ecart + l <= ecran.width()) {
        // The main window back inside the screen, then slid only as far as the new one needs.
        const int gauche = borner(principale.left(), principale.width(), ecran.left(), ecran.width());
        const int aDroite = qMin(gauche, ecran.right() + 1 - l - ecart - principale.width());
        const int aGauche = qMax(gauche, ecran.left() + l + ecart);
        const int depl = principale.left();
        if (qAbs(aDroite - depl) <= qAbs(aGauche - depl))
            return {QRect(aDroite + principale.width() + ecart, y, l, h), QPoint(aDroite, principale.top())};
        return {QRect(aGauche - ecart - l, y, l, h), QPoint(aGauche, principale.top())};
    }
    // No room beside: under the main window's title bar and toolbar, against the screen's right
    // edge, as near as the window can be to its place beside the main window.
    const int x = borner(ecran.right() + 1 - l, l, ecran.left(), ecran.width());
    const int sousBandeau = qMax(principale.top() + bandeau, ecran.top());
    const int bas = sousBandeau + h <= ecran.bottom() + 1
                        ? sousBandeau
                        : borner(sousBandeau, h, ecran.top(), ecran.height());
    return {QRect(x, bas, l, h), principale.topLeft()};
}

void ouvrirACote(QWidget* fenetre, QWidget* principale, const QWidget* dernierOutil) {
    const QRect cadre = principale->frameGeometry();
    // The new window is not shown yet: its frame is taken to be as thick as the main window's.
    const QSize marges = cadre.size() - principale->geometry().size();
    const int bandeau = dernierOutil->mapToGlobal(QPoint(0, dernierOutil->height())).y() - cadre.top();
    const QScreen* ecran = principale->screen() ? principale->screen() : QGuiApplication::primaryScreen();
    const Placement p = aCote(ecran->availableGeometry(), cadre, fenetre->size() + marges, bandeau);
    if (p.principale != cadre.topLeft())
        principale->move(p.principale);
    fenetre->move(p.fenetre.topLeft());
}

qreal tailleQuiTient(const QFont& police, const QString& texte, QSize zone, qreal minimum) {
    QFont f = police;
    // Half a point at a time: fine enough that the text keeps the biggest size the room allows.
    for (qreal taille = police.pointSizeF(); taille > minimum; taille -= 0.5) {
        f.setPointSizeF(taille);
        const QRectF r = QFontMetricsF(f).boundingRect(QRectF(0, 0, zone.width(), zone.height()),
                                                       Qt::AlignCenter | Qt::TextWordWrap, texte);
        if (r.width() <= zone.width() && r.height() <= zone.height())
            return taille;
    }
    return minimum;
}

void ajusterTexte(QLabel* etiquette, const QString& texte, qreal tailleMax) {
    QFont f = etiquette->font();
    f.setPointSizeF(tailleMax);
    etiquette->setWordWrap(true);
    f.setPointSizeF(tailleQuiTient(f, texte, etiquette->contentsRect().size(), 6));
    etiquette->setFont(f);
    etiquette->setText(texte);
}

} // namespace Fenetres
