#pragma once

#include "catalogue/SourceDonnees.h"
#include "screens/common/Barre.h"
#include "screens/common/Feuille.h"

class Grille;
class QFrame;
class QPushButton;

// Where the user chooses the cassette and the free stretch that will take a new film.
class ChoixK7 : public Feuille, public AvecBarre {
    Q_OBJECT
public:
    explicit ChoixK7(QWidget* parent = nullptr);
    static ChoixK7* instance() { return chargee<ChoixK7>(); }

    // Shows the cassettes able to take a film of this title and length; returns when closed.
    void Ouvre(const QString& Titre, const QString& Duree, Feuille* ouvreur = nullptr);
    void InitialiseTable();
    void AfficheInfosK7(qint64 NumK7, const QString& Plage);

    Etiquette* Label1;
    Etiquette* LblTitre;
    Etiquette* Label2;
    Etiquette* LblDuree; // "LblDurée"
    Etiquette* LblChoixK7;
    Grille* TableK7Libre;
    QFrame* FrmInfosK7;
    Etiquette* lblNumK7;
    // Where to wind the tape before recording: the start of the yellow stretch.
    Etiquette* LblDebut;
    QPushButton* BtnValiderK7;
    QPushButton* BtnAjouterK7;
    QPushButton* BtnFermer;
    SourceDonnees DataK7Libre;
    SourceDonnees DataK7;
    SourceDonnees DataAjoutK7;
    SourceDonnees DataFilmK7;

    QString StatusK7;
    QString PlageChoisie;
    bool TableRemplie = false;

    // The field of the layout record the yellow segment stands for (from 1); 0 when none.
    int champChoisi() const;
    // "Enregistrer à partir de 01:52:00": where a film recorded at that field starts.
    QString texteDebut(int champ) const;
    // The search, run each time the screen becomes active (public for the benchmarks).
    void Form_Activate() override;

public slots:
    void TableK7Libre_RowColChange();
    void shape_Click(int Index);
    void BtnValiderK7_Click();
    void BtnAjouterK7_Click();
    void BtnFermer_Click();

protected:
    void Form_Load() override;

private:
    void placerBoutons(int haut);
    void montrerChoix();
    Feuille* m_ouvreur = nullptr;
};

// The summary shown after a placement: the cassette as it now is.
class InfosK7 : public Feuille, public AvecBarre {
    Q_OBJECT
public:
    explicit InfosK7(QWidget* parent = nullptr);

    Etiquette* Label6;
    Etiquette* LblTitre;
    QFrame* FrmInfosK7;
    Etiquette* lblNumK7;
    Etiquette* Label3;
    Etiquette* LblDureeK7;
    Etiquette* Label4;
    Etiquette* LblTempsRestant;
    Etiquette* Label1;
    Etiquette* LblPositionFilm;
    Etiquette* Label2;
    Etiquette* LblNbFilm;
    Etiquette* LblDebut; // where the film starts on the tape
    QPushButton* BtnValiderK7;

public slots:
    void BtnValiderK7_Click();
};
