#include "screens/auxiliary/Aide.h"

#include "screens/common/Controles.h"
#include "screens/common/Etiquettes.h"
#include "screens/common/Unites.h"

#include <QFrame>
#include <QLabel>
#include <QPainter>
#include <QPushButton>

using Unites::pixels;
using Unites::police;

namespace {

constexpr int LargeurPanneau = 9840;
constexpr int HauteurPanneau = 6600;

// Places in twips on the panel; targets are fractions of the picture's width and height.
struct Bulle {
    const char* texte;
    QRect zone;
    QPointF cible;
};
struct Etape {
    int numero;
    const char* texte;
    QRect zone;
};
struct Image {
    const char* fichier;
    QRect zone;
};
struct Contenu {
    const char* titre;
    QList<Image> images;
    QList<Etape> etapes;
    QList<Bulle> bulles;
    QList<QPair<const char*, QRect>> textes; // free texts: "!" first marks a heading
    QRect encadre = {};                      // a box around the texts it holds, when not empty
};

const Contenu& contenu(int i) {
    static const Contenu panneaux[6] = {
        {"CASSETRON",
         // The menus at their own size, one under the other, so their entries can be read.
         {{"menufilm.png", QRect(5880, 3000, 0, 0)}, {"menucassette.png", QRect(5880, 4920, 0, 0)}},
         {{1,
           "Trouver la cassette pouvant accueillir le film avec la rubrique Recherche K7 Libre du menu "
           "Cassette",
           QRect(240, 4020, 5400, 480)},
          {2, "Utiliser la cassette trouvée et enregistrer le film à l'endroit indiqué par le logiciel",
           QRect(240, 4620, 5400, 480)},
          {3,
           "Une fois le film enregistré sur la bande, ajouter le dans la base de donnée en l'associant à la "
           "cassette "
           "avec la rubrique Ajouter un Film du menu Film",
           QRect(240, 5220, 5400, 720)}},
         {},
         {{"Ce logiciel vous permet de gérer le plus simplement du monde l'enregistrement de vos films "
           "préférés.",
           QRect(240, 840, 9300, 300)},
          {"Fonctionnalités :", QRect(240, 1260, 3000, 300)},
          {"•  Visualiser rapidement quelles cassettes sont disponibles pour une plage de temps donnée",
           QRect(600, 1560, 9000, 300)},
          {"•  Obtenir rapidement le contenu d'une cassette, le temps restant disponible et le nombre de "
           "films qu'elle "
           "contient",
           QRect(600, 1860, 9000, 480)},
          {"•  Visualiser les données d'un film (acteurs, durée, genre ...)", QRect(600, 2340, 9000, 300)},
          {"!Cherche K7 désespérément !", QRect(240, 3060, 5400, 600)}}},
        {"Ecran Principal",
         {{"moniteur.png", QRect(2520, 900, 4800, 3960)}},
         {},
         {{"N° de la cassette", QRect(120, 4680, 2100, 300), QPointF(0.05, 0.92)},
          {"Durée de la cassette", QRect(120, 5160, 2100, 300), QPointF(0.18, 0.92)},
          {"Temps restant sur la bande", QRect(120, 5640, 2400, 300), QPointF(0.32, 0.92)},
          {"Composition de la cassette", QRect(3000, 5340, 2400, 300), QPointF(0.6, 0.93)},
          {"Position du film courant sur la bande", QRect(5640, 5340, 3000, 300), QPointF(0.9, 0.9)},
          {"Déplacement d'un film à l'autre dans la base", QRect(120, 1080, 2300, 540), QPointF(0.05, 0.07)},
          {"Description du film", QRect(120, 3360, 2300, 300), QPointF(0.7, 0.6)},
          // The buttons' callouts start under the panel's title.
          {"Affichage de la liste des films", QRect(7560, 840, 2200, 480), QPointF(0.63, 0.08)},
          {"Ajouter un film ", QRect(7560, 1380, 2200, 300), QPointF(0.68, 0.08)},
          {"Modifier les données d'un film", QRect(7560, 1740, 2200, 480), QPointF(0.74, 0.08)},
          {"Effacer le film courant", QRect(7560, 2280, 2200, 300), QPointF(0.8, 0.08)},
          {"Rechercher une cassette de libre", QRect(7560, 2640, 2200, 480), QPointF(0.85, 0.08)},
          {"Ajouter une cassette", QRect(7560, 3180, 2200, 300), QPointF(0.9, 0.08)},
          {"Visualiser/Effacer une cassette", QRect(7560, 3540, 2200, 480), QPointF(0.96, 0.08)}},
         {}},
        {"Visualiser un Film",
         {{"listefilm.png", QRect(240, 2520, 6480, 1560)}},
         {{1, "Sélectionner la rubrique Liste des Films du menu Film", QRect(240, 960, 6000, 300)},
          {2, "La liste des films présents dans la base s'affiche selon l'ordre alphabétique",
           QRect(240, 1440, 6000, 300)},
          {3,
           "En cliquant ou en déplaçant la sélection en cours avec les flêches, l'écran principal se met "
           "automatiquement à jour",
           QRect(240, 4320, 6480, 480)}},
         {},
         {{"!ASTUCE !!", QRect(7080, 2520, 2600, 420)},
          {"Cliquer sur le titre d'une colonne de la liste classe les films selon cette colonne ; un second "
           "clic sur la "
           "même colonne inverse l'ordre.",
           QRect(7080, 2940, 2600, 300)}},
         QRect(6960, 2400, 2840, 600)},
        {"Rechercher une Cassette de libre",
         {{"consultk7.png", QRect(3480, 1980, 3720, 3000)}},
         {{1, "Sélectionner la rubrique Rechercher une Cassette de Libre du menu Cassette",
           QRect(240, 960, 8000, 300)},
          {2,
           "La fenêtre de recherche s'affiche, le tableau récapitule l'ensemble des cassettes libres pour la "
           "plage "
           "spécifiée",
           QRect(240, 1380, 9000, 480)},
          {3, "Saisir la plage horaire recherchée dans la zone de saisie", QRect(240, 2040, 3000, 720)}},
         {{"Zone de saisie de la plage horaire", QRect(240, 2880, 2900, 300), QPointF(0.5, 0.13)},
          {"Cassettes disposant d'une plage libre assez longue", QRect(7440, 2640, 2300, 480),
           QPointF(0.6, 0.4)},
          {"Composition de la cassette : la plage proposée est en jaune", QRect(7440, 4080, 2300, 480),
           QPointF(0.7, 0.7)}},
         {{"Inutile de taper les « : » : le curseur passe tout seul au champ suivant.",
           QRect(240, 3600, 3000, 600)},
          {"Le tableau se met à jour au fur et à mesure de la saisie.", QRect(240, 4380, 3000, 480)}}},
        {"Ajouter un Film",
         {{"ajoutfilm.png", QRect(240, 2160, 3900, 2700)}, {"choixk7.png", QRect(5520, 2160, 3000, 2460)}},
         {{1, "Sélectionner la rubrique Ajouter un film dans le menu Film", QRect(240, 960, 8000, 300)},
          {2, "L'écran de saisie s'affiche", QRect(240, 1380, 8000, 300)},
          {3,
           "Saisir les éléments du film un à un, ou importer les données du film avec l'icône d'importation, "
           "puis "
           "cliquer sur le bouton VALIDER",
           QRect(240, 5040, 4600, 720)},
          {4, "Sélectionner une cassette proposée dans la liste et cliquer sur le bouton AJOUTER",
           QRect(5160, 4740, 4500, 480)},
          {5,
           "Si aucune cassette n'est proposée dans la liste, cliquer sur le bouton AJOUTER UNE CASSETTE pour "
           "en "
           "rajouter une",
           QRect(5160, 5340, 4500, 720)}},
         {},
         {{"Les données importées doivent être au format texte .FILM", QRect(600, 5820, 4400, 480)}}},
        {"Visualiser/Effacer une Cassette",
         {{"visuk7.png", QRect(3120, 2040, 3600, 2640)}},
         {{1, "Sélectionner la rubrique Visualiser/Effacer une cassette du menu Cassette",
           QRect(240, 960, 8000, 300)},
          {2, "La fenêtre de visualisation s'affiche avec la composition de la cassette sélectionnée",
           QRect(240, 1380, 8000, 300)},
          {3, "Sélectionner une cassette dans la liste déroulante pour visualiser son contenu",
           QRect(240, 4920, 8000, 300)},
          {4,
           "Cliquer sur le bouton EFFACER pour effacer la cassette de la base et tous les films qu'elle "
           "contient",
           QRect(240, 5400, 9000, 300)}},
         {{"Liste déroulante contenant l'ensemble des cassettes de la base", QRect(240, 2400, 2640, 480),
           QPointF(0.62, 0.1)},
          {"Composition de la cassette sélectionnée", QRect(7080, 3120, 2600, 480), QPointF(0.6, 0.55)}},
         {}},
    };
    return panneaux[i];
}

// A wrapped text gets the height it needs, whatever the room planned for it.
void agrandir(QLabel* l) {
    l->resize(l->width(), qMax(l->height(), l->heightForWidth(l->width())));
}

// Draws over the panel's pictures the lines that tie each callout to its place on the first one.
class Traits : public QWidget {
public:
    Traits(QWidget* parent, QLabel* image, const QList<QPair<Etiquette*, QPointF>>& bulles)
        : QWidget(parent), m_image(image), m_bulles(bulles) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setGeometry(parent->rect());
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(QColor(0, 0, 160), 1.2));
        p.setBrush(QColor(0, 0, 160));
        const QRect image = m_image->geometry();
        for (const auto& b : m_bulles) {
            const QPointF cible(image.x() + b.second.x() * image.width(),
                                image.y() + b.second.y() * image.height());
            const QRectF zone = b.first->geometry();
            // From the callout's nearest edge to its place on the picture, ending in a dot.
            const QPointF depart(qBound(zone.left(), cible.x(), zone.right()),
                                 qBound(zone.top(), cible.y(), zone.bottom()));
            p.drawLine(depart, cible);
            p.drawEllipse(cible, 2.5, 2.5);
        }
    }

private:
    QLabel* m_image;
    QList<QPair<Etiquette*, QPointF>> m_bulles;
};

// One help panel: its title, pictures, numbered steps and callouts.
class EcranAide : public QWidget {
public:
    EcranAide(const Contenu& c, QWidget* parent) : QWidget(parent) {
        setGeometry(0, 0, pixels(LargeurPanneau), pixels(HauteurPanneau));
        setAutoFillBackground(true);
        const QFont titre = police(QStringLiteral("Arial Black"), 16);
        // The title at the top right, drawn twice with a small offset: a shadowed title.
        Etiquette* ombre = Etiquette::creer(this, QString::fromUtf8(c.titre), 4230, 150, 5400, 600, titre);
        Etiquette* texte = Etiquette::creer(this, QString::fromUtf8(c.titre), 4200, 120, 5400, 600, titre);
        ombre->setForeColor(Unites::Noir);
        texte->setForeColor(Unites::Rouge);
        for (Etiquette* e : {ombre, texte})
            e->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        for (const Image& i : c.images) {
            auto* image = new QLabel(this);
            const QPixmap pm(QStringLiteral(":/aide/") + QString::fromUtf8(i.fichier));
            image->setFrameStyle(QFrame::Box);
            image->setPixmap(pm);
            if (i.zone.isEmpty()) {
                // A small picture shown unscaled: shrunk, its text could not be read.
                image->setGeometry(pixels(i.zone.x()), pixels(i.zone.y()), pm.width() + 2, pm.height() + 2);
            } else {
                image->setGeometry(pixels(i.zone.x()), pixels(i.zone.y()), pixels(i.zone.width()),
                                   pixels(i.zone.height()));
                image->setScaledContents(true);
            }
            m_images << image;
        }
        for (const Etape& e : c.etapes) {
            Etiquette* numero = Etiquette::creer(this, QString::number(e.numero), e.zone.x(), e.zone.y(), 300,
                                                 300, police(QStringLiteral("Arial Black"), 9));
            numero->setBackColor(Unites::Rouge);
            numero->setForeColor(Unites::Blanc);
            numero->setAlignment(Qt::AlignCenter);
            Etiquette* libelle = Etiquette::creer(this, QString::fromUtf8(e.texte), e.zone.x() + 390,
                                                  e.zone.y(), e.zone.width() - 390, e.zone.height(),
                                                  police(QStringLiteral("Arial"), 9, true));
            libelle->setWordWrap(true);
            libelle->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            agrandir(libelle);
        }
        for (const auto& t : c.textes) {
            QString chaine = QString::fromUtf8(t.first);
            const bool entete = chaine.startsWith(QLatin1Char('!'));
            if (entete)
                chaine.remove(0, 1);
            Etiquette* e = Etiquette::creer(
                this, chaine, t.second.x(), t.second.y(), t.second.width(), t.second.height(),
                entete ? police(QStringLiteral("Arial Black"), 12) : police(QStringLiteral("Arial"), 9));
            e->setWordWrap(true);
            e->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            agrandir(e);
            if (entete) {
                // Headings are shadowed too.
                Etiquette* o =
                    Etiquette::creer(this, chaine, t.second.x() + 30, t.second.y() + 30, t.second.width(),
                                     t.second.height(), police(QStringLiteral("Arial Black"), 12));
                o->setWordWrap(true);
                o->setAlignment(Qt::AlignLeft | Qt::AlignTop);
                o->setForeColor(0xA0A0A0);
                o->lower();
                e->setForeColor(192);
            }
        }
        for (const Bulle& b : c.bulles) {
            Etiquette* e =
                Etiquette::creer(this, QString::fromUtf8(b.texte), b.zone.x(), b.zone.y(), b.zone.width(),
                                 b.zone.height(), police(QStringLiteral("Arial"), 8.25, true));
            e->setWordWrap(true);
            e->setBackColor(0xC0FFFF);
            e->setFrameStyle(QFrame::Box);
            e->setAlignment(Qt::AlignCenter);
            agrandir(e);
            m_bulles.append({e, b.cible});
        }
        if (!c.encadre.isEmpty()) {
            const QRect zone(pixels(c.encadre.x()), pixels(c.encadre.y()), pixels(c.encadre.width()),
                             pixels(c.encadre.height()));
            // Down to the end of its longest text, whatever that text needed.
            int bas = zone.bottom();
            for (const Etiquette* e : findChildren<Etiquette*>())
                if (zone.contains(e->geometry().topLeft()))
                    bas = qMax(bas, e->geometry().bottom() + pixels(120));
            auto* cadre = new QFrame(this);
            cadre->setFrameStyle(QFrame::Box | QFrame::Plain);
            cadre->setLineWidth(2);
            cadre->setGeometry(zone.x(), zone.y(), zone.width(), bas - zone.y() + 1);
            cadre->setAutoFillBackground(true);
            QPalette p = cadre->palette();
            p.setColor(QPalette::Window, Unites::couleur(0xC0FFFF));
            p.setColor(QPalette::WindowText, Unites::couleur(192));
            cadre->setPalette(p);
            cadre->lower();
        }
        if (!m_bulles.isEmpty() && !m_images.isEmpty())
            new Traits(this, m_images.first(), m_bulles);
    }

private:
    QList<QLabel*> m_images;
    QList<QPair<Etiquette*, QPointF>> m_bulles;
};

} // namespace

// The pictures are compiled into the screens' static library; they must be registered by hand.
static void chargerImages() {
    Q_INIT_RESOURCE(aide);
}

Aide::Aide(QWidget* parent) : Feuille(parent) {
    chargerImages();
    setWindowTitle(QStringLiteral("Aide sur les principales fonctionnalités de Cassetron"));
    setModal(false);
    // Stacked at one place, the principles on top: what the user sees first.
    for (int i = 5; i >= 0; --i)
        Ecran[i] = new EcranAide(contenu(i), this);
    const char* const libelles[6] = {"Principes",          "Ecran Principal",
                                     "Visualiser un Film", "Rechercher une Cassette de libre",
                                     "Ajouter un Film",    "Visualiser/Effacer une Cassette"};
    // Each button as wide as its caption needs; the row shares the window's width.
    QPushButton* boutons[6];
    const QFont petite = police(QStringLiteral("Arial"), 8);
    int total = 0;
    for (int i = 0; i < 6; ++i) {
        boutons[i] = boutonOrange(this, QString::fromUtf8(libelles[i]));
        boutons[i]->setFont(petite);
        total += QFontMetrics(petite).horizontalAdvance(boutons[i]->text()) + 24;
    }
    // The window is as wide as the panels, or as the row of buttons when that is wider.
    const int largeurFenetre = qMax(pixels(LargeurPanneau), total + 16 + 5 * 4);
    setFixedSize(largeurFenetre, pixels(HauteurPanneau + 720));
    for (QWidget* e : Ecran)
        e->move((largeurFenetre - e->width()) / 2, 0);
    const int espace = (largeurFenetre - 16 - total) / 5;
    int x = 8;
    for (int i = 0; i < 6; ++i) {
        const int largeur = QFontMetrics(petite).horizontalAdvance(boutons[i]->text()) + 24;
        boutons[i]->setGeometry(x, pixels(HauteurPanneau + 150), largeur, pixels(450));
        x += largeur + espace;
        connect(boutons[i], &QPushButton::clicked, this, [this, i] { AfficheEcran(i); });
    }
    BtnPrincipes = boutons[0];
    BtnPrincipal = boutons[1];
    BtnVisuFilm = boutons[2];
    BtnRechercheK7 = boutons[3];
    BtnAjouterFilm = boutons[4];
    BtnVisuK7 = boutons[5];
    const char lettres[6] = {'P', 'E', 'F', 'R', 'A', 'C'};
    for (int i = 0; i < 6; ++i)
        lettreAcces(boutons[i], lettres[i]);
    ordreTabulation({boutons[0], boutons[1], boutons[2], boutons[3], boutons[4], boutons[5]});
}

void Aide::AfficheEcran(int Index) {
    for (int i = 0; i < int(Ecran.size()); ++i)
        Ecran[i]->setVisible(i == Index);
}
