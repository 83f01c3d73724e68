#include "screens/auxiliary/About.h"

#include "screens/common/Controles.h"
#include "screens/common/Etiquettes.h"
#include "screens/common/Unites.h"
#include "screens/main/Pictos.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

using Unites::pixels;
using Unites::police;

namespace {
const char* const Dialogue =
    "— Chérie, tu n'aurais pas vu la cassette où j'ai enregistré la finale ?\n"
    "— Laquelle ? La bleue, la noire, ou celle qui n'a plus d'étiquette ?\n"
    "— Celle qui n'a plus d'étiquette. Non, attends… celle où il restait de la place après le documentaire "
    "sur "
    "les manchots.\n"
    "— Il y avait un documentaire sur les manchots ? Mais j'ai enregistré le feuilleton par-dessus mardi, "
    "moi ! Il "
    "restait bien une heure à la fin de la bande, je l'ai vu au compteur.\n"
    "— Au compteur ? Tu as rembobiné jusqu'au début avant de regarder le compteur ?\n"
    "— Évidemment. Enfin… je crois. Tu sais bien que le compteur repart à zéro quand on éjecte la cassette.\n"
    "— Donc la finale est maintenant entre deux épisodes du feuilleton, ou elle n'est plus nulle part.\n"
    "— Ou alors elle est sur la cassette des vacances à la montagne. Celle que ta mère voulait revoir à "
    "Noël.\n"
    "— Les vacances à la montagne ! Tu as enregistré un match sur les vacances à la montagne ?\n"
    "— Non, c'est toi. Il y a deux ans. Tu disais qu'il restait de la place après le pique-nique.\n"
    "— Bon. Récapitulons. Nous avons quarante-trois cassettes, dont onze sans étiquette, sept avec une "
    "étiquette "
    "barrée trois fois et une qui s'appelle « NE PAS EFFACER (sauf la fin) ».\n"
    "— Et le film de ce soir commence dans dix minutes. Il dure une heure cinquante.\n"
    "— Une heure cinquante… Il nous faut une bande avec une heure cinquante de libre, d'un seul tenant, et "
    "surtout "
    "pas au milieu du mariage de ta cousine.\n"
    "— Pourquoi pas au milieu ? Personne ne regarde le milieu du mariage de ma cousine.\n"
    "— Ta cousine le regarde. Tous les ans. Avec nous.\n"
    "— Alors prends la cassette neuve, dans le tiroir.\n"
    "— Il n'y a plus de cassette neuve dans le tiroir. Il y a un mode d'emploi de magnétoscope en quatre "
    "langues, "
    "dont aucune n'est la nôtre, et un élastique.\n"
    "— Essaie la grise. Je suis presque sûre qu'il n'y a qu'un western dessus, au début.\n"
    "— Presque sûre ?\n"
    "— Disons qu'il y a un western au début. Pour la suite, je laisse le magnétoscope décider.\n"
    "— Le magnétoscope a déjà décidé pour la finale. Et pour les manchots.\n"
    "— Bon, le film commence. Tu enregistres ou tu fais l'inventaire ?\n"
    "— J'enregistre. Sur la grise. Après le western. Au compteur.\n"
    "(Trois semaines plus tard.)\n"
    "— Chérie, tu n'aurais pas vu la cassette où il y avait le western ?\n"
    "— Laquelle ? Celle où il y avait le western avant le film, ou celle où il y avait le film avant le "
    "feuilleton, "
    "qui était avant les manchots, qui étaient avant la finale ?\n"
    "— …Passe-moi l'élastique.";
} // namespace

About::About(QWidget* parent) : Feuille(parent) {
    setWindowTitle(QStringLiteral("A propos de Cassetron"));
    setTailleInterieure(8400, 5400);
    Label3 = Etiquette::creer(this, QStringLiteral("CASSETRON"), 285, 165, 3600, 660,
                              police(QStringLiteral("Arial Black"), 24));
    Label3->setForeColor(Unites::Jaune);
    Label2 = Etiquette::creer(this, QStringLiteral("CASSETRON"), 240, 120, 3600, 660,
                              police(QStringLiteral("Arial Black"), 24));
    Label2->setForeColor(Unites::Rouge);
    Label1 = Etiquette::creer(this, QStringLiteral("Version 1.1"), 240, 840, 3600, 330,
                              police(QStringLiteral("Arial Black"), 10));
    Label11 = Etiquette::creer(this, QStringLiteral("Mai 1999"), 240, 1170, 3600, 285,
                               police(QStringLiteral("Arial"), 9));
    for (Etiquette* e : {Label3, Label2, Label1, Label11})
        e->setAlignment(Qt::AlignCenter);

    Image2 = new QLabel(this);
    Image2->setGeometry(pixels(1560), pixels(1560), pixels(960), pixels(960));
    Image2->setPixmap(Pictos::icone(Pictos::VisuK7).pixmap(64, 64));
    Image2->setAlignment(Qt::AlignCenter);
    Label5 = Etiquette::creer(this, QStringLiteral("Utilisez ce logiciel pour éviter ça !!"), 240, 2640, 3600,
                              600, police(QStringLiteral("Arial"), 10, true, true));
    Label5->setForeColor(192);
    Label5->setAlignment(Qt::AlignCenter);
    Label5->setWordWrap(true);

    LblAuteur = Etiquette::creer(this, QStringLiteral("Conçu et écrit par l'équipe Cassetron"), 240, 3420,
                                 3600, 285, police(QStringLiteral("Arial"), 8.25, true));
    LblContact = Etiquette::creer(this, QStringLiteral("Contact : cassetron@example.org"), 240, 3705, 3600,
                                  285, police(QStringLiteral("Arial"), 8.25));
    LblDiffusion = Etiquette::creer(this,
                                    QStringLiteral("Logiciel libre de diffusion : copiez-le, donnez-le, "
                                                   "mais ne le vendez pas."),
                                    240, 3990, 3600, 480, police(QStringLiteral("Arial"), 8.25, false, true));
    LblDiffusion->setWordWrap(true);
    for (Etiquette* e : {LblAuteur, LblContact, LblDiffusion})
        e->setAlignment(Qt::AlignCenter);

    Text1 = new QPlainTextEdit(QString::fromUtf8(Dialogue), this);
    Text1->setGeometry(pixels(4080), pixels(150), pixels(4170), pixels(4320));
    Text1->setReadOnly(true);
    Text1->setFont(police(QStringLiteral("Arial"), 9));

    BtnOK = boutonOrange(this, QStringLiteral("Ok"));
    BtnOK->setGeometry(pixels(3300), pixels(4740), pixels(1800), pixels(450));
    BtnOK->setDefault(true);
    lettreAcces(BtnOK, 'O');
    ordreTabulation({Text1, BtnOK});
    BtnOK->setFocus();
    connect(BtnOK, &QPushButton::clicked, this, &About::BtnOK_Click);
}
