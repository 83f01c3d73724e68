#pragma once

#include "catalogue/SourceDonnees.h"
#include "screens/common/Feuille.h"

class Grille;
class QLabel;
class QLineEdit;

// Every film in a grid beside the main window, sortable by a click on any column header.
// Selecting a row shows that film in the main window. A search field above the grid keeps in sight
// the films whose title, director or actors hold what is typed, whatever the case and accents.
class ListeFilm : public Feuille {
    Q_OBJECT
public:
    explicit ListeFilm(QWidget* parent = nullptr);
    static ListeFilm* instance() { return chargee<ListeFilm>(); }

    QLabel* LblRecherche;
    QLineEdit* TxtRecherche;
    Grille* TableFilm;
    SourceDonnees DataFilm;
    // While set, a change of selection makes the main window show the selected film.
    bool SuiviActif = false;

    void InitialiseTable();
    // A film added or changed: its row alone is written again, where a new filling would put it,
    // and becomes the selected row. The list is filled again when it is not in title order.
    void MetAJourFilm(qint64 IdFilm);
    void SupprimeLigne(int Ligne);
    // Puts the keyboard in the search field, its text selected.
    void Rechercher();

public slots:
    void TableFilm_MouseUp();
    void TableFilm_SelChange();
    void TxtRecherche_Change();

protected:
    bool eventFilter(QObject* objet, QEvent* e) override;
    void Form_Load() override;
    void Form_Unload() override;

private:
    void dimensionner();
    void selectionnerLigne(int r);
    int ligneDuFilm(const QString& id) const;
    bool m_clesPretes = false; // the search keys are in the grid
    bool m_illisible = false;  // the catalogue could not be read whole: the list closed
};
