#include "screens/film/AjoutK7.h"

#include "catalogue/Catalogue.h"
#include "catalogue/Outils.h"
#include "screens/common/Controles.h"
#include "screens/common/Etiquettes.h"
#include "screens/common/Messages.h"
#include "screens/common/Unites.h"
#include "screens/main/Moniteur.h"

#include <QDir>
#include <QKeyEvent>

using Unites::pixels;

AjoutK7::AjoutK7(QWidget* parent) : Feuille(parent) {
    setWindowTitle(QStringLiteral("Ajout de Cassette"));
    setTailleInterieure(5520, 2250);
    Label2 =
        new Etiquette(this, QStringLiteral("Indiquez la durée de la cassette que vous voulez ajouter :"));
    Label2->placer(180, 150, 5160, 300);
    Label2->setFont(Unites::police(QStringLiteral("Arial"), 9, true));
    Label1 = new Etiquette(this, QStringLiteral("Durée"));
    Label1->placer(1140, 750, 800, 390);
    Label1->setFont(Unites::police(QStringLiteral("Arial"), 10, true));
    Label1->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    TxtDuree = new ChampDuree(this);
    TxtDuree->setGeometry(pixels(2040), pixels(690), pixels(1500), pixels(480));
    TxtDuree->setFont(Unites::police(QStringLiteral("Arial Black"), 12));
    TxtDuree->setAlignment(Qt::AlignCenter);
    TxtDuree->setStyleSheet(QStringLiteral("QLineEdit { color: #00ff00; background: black; }"));
    UpDownDuree = new UpDown(this);
    UpDownDuree->setGeometry(pixels(3555), pixels(690), pixels(300), pixels(480));
    UpDownDuree->setToolTip(QStringLiteral("Ajoute ou retire une heure"));

    BtnAjouterK7 = boutonOrange(this, QStringLiteral("Ajouter"));
    BtnAjouterK7->setGeometry(pixels(900), pixels(1500), pixels(1680), pixels(480));
    BtnAjouterK7->setDefault(true);
    BtnAnnuler = boutonOrange(this, QStringLiteral("Annuler"));
    BtnAnnuler->setGeometry(pixels(2940), pixels(1500), pixels(1680), pixels(480));

    lettreAcces(BtnAjouterK7, 'A');
    lettreAcces(BtnAnnuler, 'N');
    ordreTabulation({TxtDuree, BtnAjouterK7, BtnAnnuler});
    TxtDuree->setFocus();
    // Up and Down in the length step the hours, as the spinner beside it does.
    TxtDuree->installEventFilter(this);

    connect(UpDownDuree, &UpDown::UpClick, this, &AjoutK7::UpClick);
    connect(UpDownDuree, &UpDown::DownClick, this, &AjoutK7::DownClick);
    connect(BtnAjouterK7, &QPushButton::clicked, this, &AjoutK7::BtnAjouterK7_Click);
    connect(BtnAnnuler, &QPushButton::clicked, this, &AjoutK7::BtnAnnuler_Click);
    DataAjoutK7.setParent(this);
}

void AjoutK7::Form_Load() {
    DataAjoutK7.setDatabaseName(QDir(Moniteur::cheminAppli()).filePath(Catalogue::NomCatalogue));
    TxtDuree->setText(QStringLiteral("03:00:00"));
}

// Steps the hours, keeping the colon and what follows it.
void AjoutK7::changerHeures(int pas) {
    const QString t = TxtDuree->text();
    if (t.isEmpty()) {
        TxtDuree->setText(QStringLiteral("01:00:00"));
        return;
    }
    const int p = int(t.indexOf(QLatin1Char(':')));
    if (p < 0) {
        Messages::MsgBox(QStringLiteral("Le format de l'heure doit être de la forme : HH:MM:SS"),
                         Messages::Information);
        return;
    }
    const int heures = Outils::HeureEnSecondes(t.left(p) + QStringLiteral(":0:0")) / 3600;
    if (pas < 0 && heures <= 0)
        return;
    TxtDuree->setText(QStringLiteral("%1").arg(heures + pas, 2, 10, QLatin1Char('0')) + t.mid(p));
}

bool AjoutK7::eventFilter(QObject* objet, QEvent* e) {
    if (objet == TxtDuree && e->type() == QEvent::KeyPress) {
        const int touche = static_cast<QKeyEvent*>(e)->key();
        if (touche == Qt::Key_Up || touche == Qt::Key_Down) {
            changerHeures(touche == Qt::Key_Up ? +1 : -1);
            return true;
        }
    }
    return Feuille::eventFilter(objet, e);
}

void AjoutK7::UpClick() {
    changerHeures(+1);
}

void AjoutK7::DownClick() {
    changerHeures(-1);
}

void AjoutK7::BtnAjouterK7_Click() {
    const QString duree = TxtDuree->text();
    if (!Outils::EstHeureValide(duree)) {
        Messages::MsgBox(QStringLiteral("La durée de la cassette doit être fournie selon le format HH:MM:SS"),
                         Messages::Exclamation);
        return;
    }
    // The cassette is saved before the user is told its number, so the number is the one kept.
    qint64 numero = 0;
    {
        DataAjoutK7.setRecordSource(QStringLiteral("SELECT * FROM K7 WHERE IdK7 = 0"));
        const bool ouvert = DataAjoutK7.Refresh();
        Catalogue::Transaction t;
        bool ok = ouvert && t.ok() && DataAjoutK7.AddNew();
        if (ok) {
            DataAjoutK7.setField(QStringLiteral("Durée"), duree);
            DataAjoutK7.setField(QStringLiteral("NBFilm"), 0);
            DataAjoutK7.setField(QStringLiteral("TempsRestant"), duree);
            DataAjoutK7.setField(QStringLiteral("Status"), duree.left(8));
            ok = DataAjoutK7.Update();
        }
        numero = DataAjoutK7.LastModified();
        if (!ok || !t.valider()) {
            const QString raison = !ouvert ? Messages::texteLectureImpossible(DataAjoutK7)
                                   : !DataAjoutK7.Erreur().isEmpty() ? DataAjoutK7.Erreur()
                                                                     : t.erreur();
            DataAjoutK7.CancelUpdate();
            Messages::MsgBox(QStringLiteral("La cassette n'a pas pu être ajoutée :\n%1").arg(raison),
                             Messages::Critique);
            return;
        }
    }
    Messages::MsgBox(
        QStringLiteral("Une nouvelle cassette à été ajoutée :\n\nSon numéro est le %1").arg(numero),
        Messages::Simple);
    if (Moniteur* m = Moniteur::instance())
        m->K7Presente = true;
    Unload();
}

void AjoutK7::BtnAnnuler_Click() {
    Unload();
}
