#pragma once

#include <QList>
#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QString>

class QPrinter;

// Cassette labels laid out on A4 sheets: what goes on a label and where each label lies are
// plain geometry in millimetres, so that they are checked without a printer.
namespace PlancheEtiquettes {

enum class Modele { Face, Tranche };
// A VHS cassette's face label and spine label.
QSizeF taille(Modele m);

struct Cassette {
    int numero = 0;
    QString duree;
    QString status;
};

// One line of the list: where it starts on the tape, what it is, how long it lasts.
struct Ligne {
    QString debut;
    QString titre;
    QString duree;
    bool libre = false;
    bool suite = false; // "…": what follows was left out
};
// The films and free stretches of a layout record, in tape order.
QList<Ligne> lignes(const QString& Status);
// What goes on a label with room for `place` lines: everything when it fits, otherwise the first
// lines and a last one that says what was left out ("…", with the count of films missing).
QList<Ligne> abreger(const QList<Ligne>& tout, int place);

// Where things go on a label, from its top left corner, for list lines `hauteurLigne` high.
struct Gabarit {
    QRectF numero; // the big number
    QRectF entete; // its length and free time
    QRectF liste;  // the lines, in columns
    int colonnes = 1;
    int lignesParColonne = 0;
    int place() const { return colonnes * lignesParColonne; }
};
Gabarit gabarit(Modele m, double hauteurLigne);

// The labels of a sheet: a grid centred on the page, a gap between labels for the cut marks.
struct Disposition {
    QSizeF etiquette;
    double ecart = 0;
    QPointF origine;
    int colonnes = 1;
    int rangees = 1;
    int parPage() const { return colonnes * rangees; }
    int pages(int etiquettes) const { return (etiquettes + parPage() - 1) / parPage(); }
    // The rectangle of the n-th label of the whole run on its page (page n / parPage()).
    QRectF place(int n) const;
};
constexpr double Marge = 10; // what printers leave unprinted, with some room
constexpr double Ecart = 6;  // between two labels: room for both cut marks
Disposition disposer(QSizeF page, QSizeF etiquette, double marge = Marge, double ecart = Ecart);

// Draws the labels, a sheet after another, on the printer (or the PDF file it writes to).
// False when the printer could not be written to.
bool dessiner(QPrinter& imprimante, Modele m, const QList<Cassette>& cassettes);

} // namespace PlancheEtiquettes
