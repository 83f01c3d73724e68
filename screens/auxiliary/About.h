#pragma once

#include "screens/common/Feuille.h"

class Etiquette;
class QLabel;
class QPlainTextEdit;
class QPushButton;

// The about box.
class About : public Feuille {
    Q_OBJECT
public:
    explicit About(QWidget* parent = nullptr);

    Etiquette* Label2;
    Etiquette* Label3;
    Etiquette* Label1;
    Etiquette* Label11;
    QPlainTextEdit* Text1;
    Etiquette* Label5;
    QLabel* Image2;
    Etiquette* LblAuteur;
    Etiquette* LblContact;
    Etiquette* LblDiffusion;
    QPushButton* BtnOK;

public slots:
    void BtnOK_Click() { Unload(); }
};
