#pragma once

#include <QIcon>

// The toolbar's pictures, drawn by the program itself so they stay sharp at any scale.
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
    FichierFilm
};
QIcon icone(Picto p);
} // namespace Pictos
