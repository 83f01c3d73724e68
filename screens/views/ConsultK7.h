#pragma once

#include "catalogue/SourceDonnees.h"
#include "screens/common/Barre.h"
#include "screens/common/Feuille.h"

class Grille;
class QFrame;
class QLineEdit;
class QPushButton;

// Which cassettes can still take a recording of a given length: a clock-like entry, the
// cassettes found as the user types, the selected one drawn with its best stretch in yellow.
class ConsultK7 : public Feuille, public AvecBarre {
    Q_OBJECT
public:
    explicit ConsultK7(QWidget* parent = nullptr);

    void InitialiseTable();
    void AfficheInfosK7(qint64 NumK7, const QString& Plage);

    Etiquette* Label1;
    QFrame* Picture1;
    QLineEdit* LblHH;
    Etiquette* Lbl1;
    QLineEdit* LblMM;
    Etiquette* Label2;
    QLineEdit* LblSS;
    Etiquette* LblChoixK7;
    Grille* TableK7Libre;
    QFrame* FrmInfosK7;
    Etiquette* lblNumK7;
    QPushButton* BtnAjouterK7;
    QPushButton* BtnValiderK7;
    SourceDonnees DataK7Libre;
    SourceDonnees DataK7;
    SourceDonnees DataFilmK7;

    bool ListeRemplie = false;

public slots:
    void LblHH_Change();
    void LblMM_Change();
    void LblSS_Change();
    void TableK7Libre_RowColChange();
    void BtnAjouterK7_Click();
    void BtnValiderK7_Click();

protected:
    void Form_Load() override;
    void Form_Activate() override;
    bool eventFilter(QObject* objet, QEvent* e) override;

private:
    void champ_Change(QLineEdit* champ, int limite, const QString& plafond, QLineEdit* suivant, bool& garde);
    QString duree() const;
    bool m_gardeHH = false;
    bool m_gardeMM = false;
    bool m_gardeSS = false;
};
