#pragma once

#include <QString>

class AvecBarre;
class Etiquette;
class Grille;
class SourceDonnees;

// What the two screens listing cassettes with room for a recording share: the search, the
// grid of candidates and the drawing of the selected cassette with its stretch in yellow.
namespace ListeK7 {

// The cassettes whose total free time reaches Duree and that hold one free stretch that long,
// the least free first, each with its best-fitting stretch: one grid row each (row 1 stays,
// empty, when none fits). False, with the engine's reason in the source, when the search failed
// or a cassette could not be read: the rows before it stay.
bool remplir(Grille& TableK7Libre, SourceDonnees& DataK7Libre, const QString& Duree);

// Headers "Numéro", "Capacité", "Nb de films", "Plage Dispo.", 1600 twips each, the lists' colours.
void habiller(Grille& TableK7Libre, int alignement);

// Grid height in twips for n visible data rows.
int hauteur(const Grille& TableK7Libre, int lignesVisibles);

// Draws cassette NumK7 with Plage in yellow; returns its layout record, empty (and said to the
// user) when the cassette could not be read.
QString dessiner(AvecBarre& Feuille, SourceDonnees& DataK7, Etiquette& lblNumK7, qint64 NumK7,
                 const QString& Plage, int Largeur);

} // namespace ListeK7
