#pragma once

#include "screens/common/Feuille.h"

class Etiquette;
class QLabel;
class QPushButton;

// The start-up screen. Its "Ok" finishes the installation of the catalogue; closing it, by any
// means, opens the main window.
class Introduction : public Feuille {
    Q_OBJECT
public:
    explicit Introduction(QWidget* parent = nullptr);

    Etiquette* Label1;
    Etiquette* Label2;
    Etiquette* Label3;
    Etiquette* Label11;
    Etiquette* LblAuteur;
    Etiquette* LblContact;
    Etiquette* LblAvis;
    QPushButton* BtnOK;

    // A fresh R7Ozire.Maj becomes the catalogue when there is none yet, and is discarded when
    // there is one.
    static void Installation(const QString& dossier);

public slots:
    void BtnOK_Click();

protected:
    void Form_Unload() override;
};

// The notice shown while maintenance has the catalogue closed.
class Fermeture : public Feuille {
    Q_OBJECT
public:
    explicit Fermeture(QWidget* parent = nullptr);
    QLabel* Image1; // decorative
    Etiquette* LblFermeture;
};
