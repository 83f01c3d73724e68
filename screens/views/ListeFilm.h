#pragma once

#include "catalogue/SourceDonnees.h"
#include "screens/common/Feuille.h"

class Grille;

// Every film in a grid beside the main window, sortable by a click on any column header.
// Selecting a row shows that film in the main window.
class ListeFilm : public Feuille {
    Q_OBJECT
public:
    explicit ListeFilm(QWidget* parent = nullptr);
    static ListeFilm* instance() { return chargee<ListeFilm>(); }

    Grille* TableFilm;
    SourceDonnees DataFilm;
    // While set, a change of selection makes the main window show the selected film.
    bool SuiviActif = false;

    void InitialiseTable();
    void SupprimeLigne(int Ligne);

public slots:
    void TableFilm_MouseUp();
    void TableFilm_SelChange();

protected:
    void Form_Load() override;
    void Form_Unload() override;

private:
    void dimensionner();
    void selectionnerLigne(int r);
    bool m_illisible = false; // the catalogue could not be read whole: the list closed
};
