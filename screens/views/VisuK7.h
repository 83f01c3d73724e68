#pragma once

#include "catalogue/SourceDonnees.h"
#include "screens/common/Barre.h"
#include "screens/common/Feuille.h"

class QComboBox;
class QFrame;
class QListWidget;
class QPushButton;
class QTimer;

// One cassette at a time, chosen by its number; deletes the shown cassette with all its films.
class VisuK7 : public Feuille, public AvecBarre {
    Q_OBJECT
public:
    explicit VisuK7(QWidget* parent = nullptr);

    // Deletes the cassette shown, its placements, its films and their posters; false (said to
    // the user) when the catalogue refused, and then nothing is deleted.
    bool EffaceK7();
    void VideInfosK7();

    Etiquette* Label1;
    QComboBox* ComboK7;
    QFrame* FrmInfosK7;
    Etiquette* lblNumK7;
    Etiquette* Label3;
    Etiquette* LblDureeK7;
    Etiquette* Label4;
    Etiquette* LblTempsRestant;
    // The tape in order, each film and free stretch with where it starts: where to wind it.
    QListWidget* LstBande;
    QPushButton* BtnEffacerK7;
    QPushButton* BtnValiderK7;
    QTimer* TimerChange;
    SourceDonnees DataK7;
    SourceDonnees DataFilmK7;
    SourceDonnees DataFilm;

    int IndexAffiche = 0;

public slots:
    void ComboK7_Click();
    void TimerChange_Timer();
    void BtnEffacerK7_Click();
    void BtnValiderK7_Click();

protected:
    void Form_Load() override;

private:
    void afficher();
};
