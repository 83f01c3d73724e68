#include "screens/auxiliary/Introduction.h"

#include "catalogue/Catalogue.h"
#include "catalogue/Disque.h"
#include "catalogue/Sauvegarde.h"
#include "screens/common/Appli.h"
#include "screens/common/Controles.h"
#include "screens/common/Etiquettes.h"
#include "screens/common/Messages.h"
#include "screens/common/Unites.h"
#include "screens/main/Moniteur.h"
#include "screens/main/Pictos.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>

#include <cerrno>
#include <cstdio>

using Unites::police;

namespace {
Etiquette* etiquette(QWidget* parent, const QString& texte, int g, int h, int l, int ht, const QFont& f,
                     int couleur) {
    auto* e = Etiquette::creer(parent, texte, g, h, l, ht, f);
    e->setForeColor(couleur);
    e->setAlignment(Qt::AlignCenter);
    return e;
}
} // namespace

Introduction::Introduction(QWidget* parent) : Feuille(parent) {
    setTailleInterieure(6600, 4200);
    QPalette p = palette();
    p.setColor(QPalette::Window, Unites::couleur(0x401000)); // deep blue, r + 256g + 65536b
    setPalette(p);
    setAutoFillBackground(true);

    // The title twice, yellow a little offset under red: a shadowed title.
    Label3 = etiquette(this, QStringLiteral("CASSETRON"), 345, 345, 6000, 780,
                       police(QStringLiteral("Arial Black"), 26.25), Unites::Jaune);
    Label2 = etiquette(this, QStringLiteral("CASSETRON"), 300, 300, 6000, 780,
                       police(QStringLiteral("Arial Black"), 26.25), Unites::Rouge);
    Label1 = etiquette(this, QStringLiteral("Version 1.1"), 300, 1200, 6000, 360,
                       police(QStringLiteral("Arial Black"), 12), Unites::Blanc);
    Label11 = etiquette(this, QStringLiteral("Mai 1999"), 300, 1560, 6000, 300,
                        police(QStringLiteral("Arial"), 10), Unites::Blanc);
    LblAuteur = etiquette(this, QStringLiteral("Conçu et écrit par l'équipe Cassetron"), 300, 2160, 6000, 300,
                          police(QStringLiteral("Arial"), 10, true), 0xC0FFFF);
    LblContact = etiquette(this, QStringLiteral("Contact : cassetron@example.org"), 300, 2460, 6000, 300,
                           police(QStringLiteral("Arial"), 10), 0xC0FFFF);
    LblAvis = etiquette(
        this,
        QStringLiteral("Votre avis nous intéresse : écrivez-nous pour nous dire ce que vous en pensez !"),
        300, 2880, 6000, 480, police(QStringLiteral("Arial"), 9, false, true), Unites::Blanc);
    LblAvis->setWordWrap(true);

    BtnOK = new QPushButton(QStringLiteral("Ok"), this);
    BtnOK->setGeometry(Unites::pixels(2700), Unites::pixels(3540), Unites::pixels(1200), Unites::pixels(450));
    BtnOK->setFont(police(QStringLiteral("Arial Black"), 10));
    BtnOK->setDefault(true);
    lettreAcces(BtnOK, 'O');
    connect(BtnOK, &QPushButton::clicked, this, &Introduction::BtnOK_Click);
}

void Introduction::Installation(const QString& dossier) {
    const QDir d(dossier);
    const QString neuf = d.filePath(Catalogue::NomCatalogueNeuf);
    const QString catalogue = d.filePath(Catalogue::NomCatalogue);
    if (!QFile::exists(neuf))
        return;
    const QFileInfo enPlace(catalogue);
    if (enPlace.isFile()) {
        QFile::remove(neuf); // a failure changes nothing for the user: the catalogue stays
        Messages::MsgBox(
            QStringLiteral("Votre ancienne base de donnée a été prise en compte par l'installation"),
            Messages::Simple);
        return;
    }
    // A folder or a broken link in the catalogue's place: the delivered catalogue is kept for the
    // start after the user has moved it; opening the catalogue says what is in the way.
    if (enPlace.exists() || enPlace.isSymLink())
        return;
    if (std::rename(QFile::encodeName(neuf).constData(), QFile::encodeName(catalogue).constData()) != 0) {
        Messages::MsgBox(
            QStringLiteral(
                "Le catalogue livré avec le programme (%1) n'a pas pu devenir le catalogue %2 : %3."
                "\n\nVérifiez que le dossier de l'application est accessible en écriture.")
                .arg(QDir::toNativeSeparators(neuf), Catalogue::NomCatalogue,
                     Catalogue::Disque::raisonSysteme(errno)),
            Messages::Critique);
    }
}

void Introduction::BtnOK_Click() {
    Installation(Appli::dossier());
    Unload();
}

void Introduction::Form_Unload() {
    hide();
    // A copy of the catalogue before this run changes anything, when it changed since the last.
    const Sauvegarde::Resultat copie = Sauvegarde::sauvegarder(Appli::dossier());
    if (!copie.erreur.isEmpty() && copie.catalogueIllisible.isEmpty())
        Messages::MsgBox(QStringLiteral("La copie de sauvegarde du catalogue n'a pas pu être faite : %1.\n\n"
                                        "Le catalogue lui-même n'est pas touché.")
                             .arg(copie.erreur),
                         Messages::Exclamation);
    // The main window appears first, then anything its loading has to say appears over it.
    auto* moniteur = new Moniteur;
    moniteur->setDefautConnu(copie.catalogueIllisible);
    moniteur->show();
    moniteur->Show();
}

Fermeture::Fermeture(QWidget* parent) : Feuille(parent) {
    setWindowTitle(QStringLiteral("Compactage de la base de donnée"));
    setTailleInterieure(5400, 1500);
    Image1 = new QLabel(this);
    Image1->setGeometry(Unites::pixels(240), Unites::pixels(270), Unites::pixels(960), Unites::pixels(960));
    Image1->setPixmap(Pictos::image(Pictos::Compactage, Unites::pixels(960)));
    LblFermeture = new Etiquette(this, QStringLiteral("Fermeture de la base de donnée"));
    LblFermeture->placer(1320, 300, 3960, 900);
    LblFermeture->setFont(police(QStringLiteral("Arial Black"), 10));
    LblFermeture->setAlignment(Qt::AlignCenter);
    LblFermeture->setWordWrap(true);
}
