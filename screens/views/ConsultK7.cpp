#include "screens/views/ConsultK7.h"

#include "catalogue/Catalogue.h"
#include "screens/common/Controles.h"
#include "screens/common/Grille.h"
#include "screens/common/ListeK7.h"
#include "screens/common/Messages.h"
#include "screens/common/Unites.h"
#include "screens/film/AjoutK7.h"
#include "screens/main/Moniteur.h"

#include <QDir>
#include <QEvent>
#include <QFrame>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QScrollBar>

#include <algorithm>

using Unites::pixels;
using Unites::police;

namespace {
constexpr int Marge = 240;
constexpr int HautGrille = 1620;
constexpr int LargeurBarre = 4820;
constexpr int HauteurPanneau = 1320;
constexpr int LargeurForme = 6880;
constexpr int OrangeClair = 255 + 192 * 256 + 128 * 65536;
} // namespace

ConsultK7::ConsultK7(QWidget* parent) : Feuille(parent) {
    setWindowTitle(QStringLiteral("Liste des cassettes libres"));
    Label1 = Etiquette::creer(
        this, QStringLiteral("Entrer une plage horaire pour connaître la liste des cassettes disponibles :"),
        Marge, 120, 6400, 300, police(QStringLiteral("Arial"), 9, true));

    // The clock-like entry: three two-digit fields, green on black.
    Picture1 = new QFrame(this);
    Picture1->setGeometry(pixels(2160), pixels(510), pixels(2040), pixels(540));
    Picture1->setStyleSheet(QStringLiteral("QFrame { background: black; }"));
    const QFont chiffres = police(QStringLiteral("Arial Black"), 14);
    auto champ = [&](int gauche) {
        auto* c = new QLineEdit(QStringLiteral("00"), Picture1);
        c->setGeometry(pixels(gauche), pixels(30), pixels(480), pixels(480));
        c->setFont(chiffres);
        c->setAlignment(Qt::AlignCenter);
        c->setMaxLength(3); // the third character is cut back to two by the change rule
        // Digits only, typed or pasted: a sign, a dot or a blank would read as a number of hours.
        c->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), c));
        c->setFrame(false);
        c->setStyleSheet(QStringLiteral("QLineEdit { color: #00ff00; background: black; }"));
        c->installEventFilter(this);
        return c;
    };
    auto deuxPoints = [&](int gauche) {
        Etiquette* e = Etiquette::creer(Picture1, QStringLiteral(":"), gauche, 30, 180, 480, chiffres);
        e->setForeColor(Unites::Blanc);
        e->setAlignment(Qt::AlignCenter);
        return e;
    };
    LblHH = champ(120);
    Lbl1 = deuxPoints(600);
    LblMM = champ(780);
    Label2 = deuxPoints(1260);
    LblSS = champ(1440);
    Picture1->installEventFilter(this);

    LblChoixK7 = Etiquette::creer(this, QString(), Marge, 1230, 6400, 300,
                                  police(QStringLiteral("Arial"), 9, false, true));
    TableK7Libre = new Grille(this);
    ListeK7::habiller(*TableK7Libre, Grille::CentreCentre);
    FrmInfosK7 = new QFrame(this);
    FrmInfosK7->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    lblNumK7 = creerNumeroK7(FrmInfosK7, 120, 360);
    preparerBarre(FrmInfosK7, 1380, 420, LargeurBarre);
    FrmInfosK7->hide();
    BtnAjouterK7 = boutonOrange(this, QStringLiteral("Ajouter une Cassette"), OrangeClair);
    BtnValiderK7 = boutonOrange(this, QStringLiteral("Ok"));
    BtnValiderK7->setDefault(true);
    lettreAcces(BtnAjouterK7, 'C');
    lettreAcces(BtnValiderK7, 'O');
    ordreTabulation({LblHH, LblMM, LblSS, TableK7Libre, BtnAjouterK7, BtnValiderK7});
    LblHH->setFocus();

    connect(LblHH, &QLineEdit::textChanged, this, &ConsultK7::LblHH_Change);
    connect(LblMM, &QLineEdit::textChanged, this, &ConsultK7::LblMM_Change);
    connect(LblSS, &QLineEdit::textChanged, this, &ConsultK7::LblSS_Change);
    connect(TableK7Libre, &Grille::RowColChange, this, &ConsultK7::TableK7Libre_RowColChange);
    connect(BtnAjouterK7, &QPushButton::clicked, this, &ConsultK7::BtnAjouterK7_Click);
    connect(BtnValiderK7, &QPushButton::clicked, this, &ConsultK7::BtnValiderK7_Click);
    setFixedSize(pixels(LargeurForme), pixels(4000));
}

void ConsultK7::Form_Load() {
    const QString catalogue = QDir(Moniteur::cheminAppli()).filePath(Catalogue::NomCatalogue);
    for (SourceDonnees* s : {&DataFilmK7, &DataK7, &DataK7Libre})
        s->setDatabaseName(catalogue);
}

QString ConsultK7::duree() const {
    return LblHH->text() + QLatin1Char(':') + LblMM->text() + QLatin1Char(':') + LblSS->text();
}

void ConsultK7::Form_Activate() {
    ListeRemplie = false;
    shape.UnloadAuDela(0);
    lblDuree.UnloadAuDela(0);
    if (!ListeK7::remplir(*TableK7Libre, DataK7Libre, duree()))
        Messages::lectureImpossible(DataK7Libre);
    InitialiseTable();
}

void ConsultK7::InitialiseTable() {
    Grille& g = *TableK7Libre;
    const int largeur = 4 * g.ColWidth(0) + Unites::twips(2 * g.frameWidth());
    int haut;
    if (g.TextMatrix(1, 0).isEmpty()) {
        FrmInfosK7->hide();
        g.setTextMatrix(1, 1, QStringLiteral("Aucune     cassette"));
        g.setTextMatrix(1, 2, QStringLiteral("de     Disponible"));
        const int h = ListeK7::hauteur(g, g.Rows() - 1);
        g.placer(Marge, HautGrille, largeur, h);
        LblChoixK7->setText(QStringLiteral("Aucune cassette n'a été trouvée pour la durée demandée"));
        haut = HautGrille + h + 150;
        ListeRemplie = false;
    } else {
        // Four results show at once; the others scroll.
        const bool defile = g.Rows() > 5;
        const int h = ListeK7::hauteur(g, defile ? 4 : g.Rows() - 1);
        const int barre = defile ? Unites::twips(g.verticalScrollBar()->sizeHint().width()) : 0;
        g.placer(Marge, HautGrille, largeur + barre, h);
        LblChoixK7->setText(QStringLiteral("Liste des cassettes libre pour la plage demandée :"));
        ListeRemplie = true;
        FrmInfosK7->setGeometry(pixels(Marge), pixels(HautGrille + h + 150), pixels(6400),
                                pixels(HauteurPanneau));
        FrmInfosK7->show();
        haut = HautGrille + h + HauteurPanneau + 300;
    }
    BtnAjouterK7->setGeometry(pixels(Marge), pixels(haut), pixels(2320), pixels(420));
    BtnValiderK7->setGeometry(pixels(LargeurForme - Marge - 1800), pixels(haut), pixels(1800), pixels(420));
    setFixedSize(pixels(LargeurForme), pixels(haut + 420 + 500));
    // Select the first result whole, then draw it once.
    const bool remplie = ListeRemplie;
    ListeRemplie = false;
    g.setRow(1);
    g.setCol(0);
    g.setColSel(g.Cols() - 1);
    ListeRemplie = remplie;
    TableK7Libre_RowColChange();
}

void ConsultK7::TableK7Libre_RowColChange() {
    if (!ListeRemplie)
        return;
    const Grille& g = *TableK7Libre;
    AfficheInfosK7(g.TextMatrix(g.Row(), 0).toLongLong(), g.TextMatrix(g.Row(), 3));
}

void ConsultK7::AfficheInfosK7(qint64 NumK7, const QString& Plage) {
    ListeK7::dessiner(*this, DataK7, *lblNumK7, NumK7, Plage, LargeurBarre);
    FrmInfosK7->move(pixels(Marge), TableK7Libre->geometry().bottom() + 1 + pixels(150));
}

// A field waits for its second digit, then the search runs and the next field takes the typing.
void ConsultK7::champ_Change(QLineEdit* champ, int limite, const QString& plafond, QLineEdit* suivant,
                             bool& garde) {
    if (garde)
        return;
    // Digits alone make a number: a sign or a dot written into the field from code does not.
    const QString texte = champ->text();
    const bool nombre = !texte.isEmpty() && std::all_of(texte.cbegin(), texte.cend(), [](QChar ch) {
        return ch >= QLatin1Char('0') && ch <= QLatin1Char('9');
    });
    const int valeur = texte.toInt();
    if (!nombre) {
        garde = true;
        champ->setText(QStringLiteral("00"));
        champ->selectAll();
        garde = false;
        return;
    }
    if (valeur >= limite) {
        garde = true;
        champ->setText(plafond);
        champ->selectAll();
        garde = false;
    }
    if (champ->text().size() == 2) {
        suivant->setFocus();
        suivant->selectAll();
        Form_Activate();
    } else if (champ->text().size() > 2) {
        champ->setText(champ->text().left(2)); // raises the change again, with two characters
    }
}

void ConsultK7::LblHH_Change() {
    champ_Change(LblHH, 24, QStringLiteral("23"), LblMM, m_gardeHH);
}
void ConsultK7::LblMM_Change() {
    champ_Change(LblMM, 60, QStringLiteral("59"), LblSS, m_gardeMM);
}
void ConsultK7::LblSS_Change() {
    champ_Change(LblSS, 60, QStringLiteral("59"), LblHH, m_gardeSS);
}

// A click on a field, or on the clock around them, selects the field's two digits.
bool ConsultK7::eventFilter(QObject* objet, QEvent* e) {
    if (e->type() == QEvent::MouseButtonRelease) {
        if (objet == Picture1) {
            LblHH->setFocus();
            LblHH->selectAll();
        } else if (auto* c = qobject_cast<QLineEdit*>(objet)) {
            c->selectAll();
        }
    }
    return Feuille::eventFilter(objet, e);
}

void ConsultK7::BtnAjouterK7_Click() {
    auto* k7 = new AjoutK7;
    k7->ShowModal(this); // on return this screen is active again and searches anew
}

void ConsultK7::BtnValiderK7_Click() {
    Unload();
}
