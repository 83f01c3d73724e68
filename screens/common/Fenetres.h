#pragma once

#include <QFont>
#include <QPoint>
#include <QRect>

class QLabel;
class QWidget;

// Where the program opens its windows, and texts that must show whole in a fixed place.
namespace Fenetres {

struct Placement {
    QRect fenetre;     // the new window's frame
    QPoint principale; // where the main window's frame goes (it moves only to make room beside it)
};

// Places a window of frame size `taille` next to the main window's frame `principale`, wholly
// inside the screen's available area `ecran` whenever it fits there. Beside the main window
// (right, else left) when the screen is wide enough for both, the main window sliding over as
// little as needed; otherwise clear of the main window's top `bandeau` pixels (title bar and
// toolbar), so its commands stay reachable, unless the window is too tall for the room left there.
Placement aCote(const QRect& ecran, const QRect& principale, QSize taille, int bandeau, int ecart = 8);

// Applies aCote to a window not shown yet, on the main window's screen; `bandeau` ends at the
// bottom of `dernierOutil`, the lowest of the main window's commands to keep in sight.
void ouvrirACote(QWidget* fenetre, QWidget* principale, const QWidget* dernierOutil);

// The largest point size, from `police`'s own down to `minimum`, at which `texte`, wrapped at
// word boundaries, fits whole in `zone`; `minimum` when none does.
qreal tailleQuiTient(const QFont& police, const QString& texte, QSize zone, qreal minimum);

// Shows `texte` in a word-wrapped label at the largest size up to `tailleMax` that keeps it whole.
void ajusterTexte(QLabel* etiquette, const QString& texte, qreal tailleMax);

} // namespace Fenetres
