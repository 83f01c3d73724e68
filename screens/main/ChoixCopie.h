#pragma once

#include "screens/common/Feuille.h"

class Etiquette;
class QPushButton;
class QTreeWidget;

// The copies of the catalogue kept in Sauvegardes, newest first, with what each one holds; the
// user picks the one to put back in the catalogue's place, and confirms.
class ChoixCopie : public Feuille {
    Q_OBJECT
public:
    explicit ChoixCopie(QWidget* parent = nullptr);
    static ChoixCopie* instance() { return chargee<ChoixCopie>(); }

    // Shows the list over the opener; the copy chosen and confirmed, "" when none.
    static QString choisir(Feuille* ouvreur, const QString& dossierAppli);

    Etiquette* LblExplication;
    QTreeWidget* ListeCopies;
    QPushButton* BtnRestaurer;
    QPushButton* BtnAnnuler;

public slots:
    void BtnRestaurer_Click();
    void BtnAnnuler_Click() { Unload(); }

private:
    void remplir(const QString& dossierAppli);
    QString* m_choisie = nullptr;
};
