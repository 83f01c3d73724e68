#pragma once

#include "screens/common/Feuille.h"

class QPushButton;
class QTextEdit;

// The formatted list as it will print; printing happens here.
class ApercuImpression : public Feuille {
    Q_OBJECT
public:
    explicit ApercuImpression(QWidget* parent = nullptr);

    QTextEdit* TxtApercu;
    QPushButton* BtnAjouterFilm;
    QPushButton* BtnAnnuler;

public slots:
    void BtnAjouterFilm_Click();
    void BtnAnnuler_Click();
};
