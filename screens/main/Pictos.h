#pragma once

#include <QIcon>
#include <QPixmap>

// The toolbar's and the notices' pictures, drawn by the program itself so they stay sharp at any scale.
namespace Pictos {
enum Picto {
    ListeFilm,
    AjouterFilm,
    ModifFilm,
    EffacerFilm,
    RechercheK7,
    AjoutK7,
    VisuK7,
    Affiche,
    FichierFilm,
    Compactage // the notice shown while the catalogue is closed for maintenance
};
QIcon icone(Picto p);
// One picture at the given size in pixels, drawn for that size.
QPixmap image(Picto p, int taille);
} // namespace Pictos
