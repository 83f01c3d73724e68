#pragma once

#include "catalogue/Fonctions.h"
#include "screens/common/Etiquettes.h"

#include <QString>

// A screen that shows a cassette's occupancy bar holds these two label arrays: the segments
// and their length labels; element k of both belongs to field k + 1 of the layout record.
class AvecBarre {
public:
    AvecBarre() : AvecBarre(new Etiquette, new Etiquette) {}
    AvecBarre(Etiquette* segment0, Etiquette* duree0) : shape(segment0), lblDuree(duree0) {}
    virtual ~AvecBarre() = default;
    // Designs element 0 of both arrays on the panel that shows the bar: a white segment with a
    // bold caption, its grey length label under it.
    void preparerBarre(QWidget* panneau, int gauche, int haut, int largeur);
    // Back to a bare white bar of that width (twips): no segment but element 0, no length label.
    void viderBarre(int largeur);
    // The segments' hint before any drawing adds what each segment holds.
    QString bulleBarre;
    // Where each segment of the last drawing lies on the tape, in seconds from its start.
    QList<Fonctions::Etendue> etendues;
    TableauEtiquettes shape;
    TableauEtiquettes lblDuree;
};

// The cassette's number as every cassette display shows it: orange-brown, heavy.
Etiquette* creerNumeroK7(QWidget* parent, int gauche, int haut);

namespace Fonctions {
// Draws the bar of Status: one segment per field, as wide as its share of DureeK7 within
// Largeur, films red with their title, free tape white; length labels alternate under and over,
// kept within the bar's ends, and left out where they would overlap (each segment's hint gives
// where it starts and ends all the same).
void DessineCassette(const QString& Status, const QString& DureeK7, AvecBarre& Feuille, int Gauche, int Haut,
                     int Largeur, int Hauteur);
// Sets the hint of segment Index: the bar's hint, what the segment holds and where it lies on
// the tape ("La Jetée — de 01:52:00 à 02:00:00", a free stretch also with its length in words),
// then Suite when given.
void BulleSegment(AvecBarre& Feuille, int Index, const QString& Suite = QString());
// Paints yellow the segment of the first field equal to Plage.
void MarquePlage(const QString& Status, const QString& Plage, AvecBarre& Feuille);
// Moves the yellow selection to segment Index when it is a free stretch long enough for the film.
void ChangePlage(int Index, const QString& DureeFilm, AvecBarre& Feuille);
// Whether ChangePlage(Index, DureeFilm) would move the selection.
bool PlageChoisissable(int Index, const QString& DureeFilm, const AvecBarre& Feuille);
} // namespace Fonctions
