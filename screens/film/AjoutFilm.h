#pragma once

#include "catalogue/SourceDonnees.h"
#include "screens/common/Feuille.h"

class ChampDuree;
class ChampTitre;
class Etiquette;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTextEdit;
class QToolButton;

// The film form: a new film (handed to the cassette choice once its fields are checked) or the
// details and poster of the film the main window shows.
class AjoutFilm : public Feuille {
    Q_OBJECT
public:
    explicit AjoutFilm(QWidget* parent = nullptr);
    static AjoutFilm* instance() { return chargee<AjoutFilm>(); }

    // Checks the fields and fills the empty ones with their defaults; false with a message.
    bool VerifieDonnees();
    // Fills the fields from a film file; false (with the reason said) when it cannot be read.
    bool importer(const QString& chemin);

    bool AfficheModifiee = false;
    QString CheminAffiche;
    SourceDonnees DataFilm;

    ChampTitre* TxtTitre;
    Etiquette* Label1;
    QLineEdit* TxtRealisateur;
    Etiquette* Label2;
    QPlainTextEdit* TxtActeurs;
    Etiquette* LblDureeFilm;
    ChampDuree* TxtDuree;
    Etiquette* LblDate;
    QLineEdit* TxtDate;
    Etiquette* LblPays;
    QLineEdit* TxtPays;
    Etiquette* LblGenre;
    QComboBox* ComboGenre;
    Etiquette* Label3;
    QTextEdit* TxtDescription;
    Etiquette* Label4;
    QLabel* Affiche;
    QPushButton* BtnAjouterFilm;
    QPushButton* BtnAnnuler;
    QToolButton* OuvrirAffiche;
    QToolButton* ImporterFilm;

public slots:
    void BtnAjouterFilm_Click();
    void BtnAnnuler_Click();
    void OuvrirAffiche_Click();
    void ImporterFilm_Click();

protected:
    void Form_Load() override;
    void Form_Unload() override;
    bool eventFilter(QObject* objet, QEvent* e) override;

private:
    bool m_ajout = true;
};
