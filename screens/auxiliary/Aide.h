#pragma once

#include "screens/common/Feuille.h"

#include <array>

class QPushButton;

// The illustrated help: six panels stacked at one place, one shown at a time by the buttons.
class Aide : public Feuille {
    Q_OBJECT
public:
    explicit Aide(QWidget* parent = nullptr);
    static Aide* instance() { return chargee<Aide>(); }

    std::array<QWidget*, 6> Ecran{};
    QPushButton* BtnPrincipes;
    QPushButton* BtnPrincipal;
    QPushButton* BtnVisuFilm;
    QPushButton* BtnRechercheK7;
    QPushButton* BtnAjouterFilm;
    QPushButton* BtnVisuK7;

public slots:
    void AfficheEcran(int Index);
};
