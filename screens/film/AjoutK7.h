#pragma once

#include "catalogue/SourceDonnees.h"
#include "screens/common/Feuille.h"

class ChampDuree;
class Etiquette;
class QPushButton;
class UpDown;

// Adds an empty cassette of a typed (or stepped) length and says which number it got.
class AjoutK7 : public Feuille {
    Q_OBJECT
public:
    explicit AjoutK7(QWidget* parent = nullptr);

    Etiquette* Label2;
    Etiquette* Label1;
    ChampDuree* TxtDuree;
    UpDown* UpDownDuree;
    QPushButton* BtnAjouterK7;
    QPushButton* BtnAnnuler;
    SourceDonnees DataAjoutK7;

public slots:
    void UpClick();
    void DownClick();
    void BtnAjouterK7_Click();
    void BtnAnnuler_Click();

protected:
    void Form_Load() override;
    bool eventFilter(QObject* objet, QEvent* e) override;

private:
    void changerHeures(int pas);
};
