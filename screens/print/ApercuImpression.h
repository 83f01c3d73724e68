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
    QPushButton* BtnPdf;
    // What the list is, "Films par titre": the name proposed for its PDF file.
    QString NomListe = QStringLiteral("Liste des films");

public slots:
    void BtnAjouterFilm_Click();
    void BtnAnnuler_Click();
    // Writes the list, with its formats, to a PDF file the user chooses.
    void BtnPdf_Click();
};
