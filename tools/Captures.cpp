// Remakes the screenshots of docs/ from the program's own screens, on a small demonstration
// catalogue: QT_QPA_PLATFORM=offscreen Captures <folder>

#include "catalogue/Catalogue.h"
#include "screens/auxiliary/About.h"
#include "screens/auxiliary/Aide.h"
#include "screens/auxiliary/Introduction.h"
#include "screens/common/Appli.h"
#include "screens/common/Controles.h"
#include "screens/common/Dialogues.h"
#include "screens/common/Messages.h"
#include "screens/film/AjoutFilm.h"
#include "screens/film/ChoixK7.h"
#include "screens/main/Moniteur.h"
#include "screens/print/ApercuImpression.h"
#include "screens/print/Impression.h"
#include "screens/print/ImpressionEtiquettes.h"
#include "screens/views/ConsultK7.h"
#include "screens/views/ListeFilm.h"
#include "screens/views/VisuK7.h"
#include "tests/support/DossierTest.h"
#include "tests/support/Sql.h"
#include "tools/DessinAffiche.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTextEdit>
#include <QTextStream>
#include <QTimer>
#include <QToolTip>

namespace {

void affiche(const QString& chemin, const QString& titre, QColor haut, QColor bas) {
    dessinerAffiche(titre, haut, bas).save(chemin, "JPG", 90);
}

bool enregistrer(QWidget* w, const QString& chemin) {
    const bool ok = w->grab().save(chemin);
    QTextStream(stdout) << (ok ? "écrit " : "échec ") << chemin << "\n";
    return ok;
}

// The main window's foot with the hint of one segment of its bar, as the pointer resting on it
// shows it (a picture cannot catch a real hint: it is drawn here in the hints' own style).
bool enregistrerBulle(Moniteur& m, int index, const QString& chemin) {
    const Etiquette& segment = m.shape(index);
    QLabel bulle;
    bulle.setText(segment.toolTip());
    bulle.setFont(QToolTip::font());
    bulle.setPalette(QToolTip::palette());
    bulle.setAutoFillBackground(true);
    bulle.setFrameStyle(QFrame::Box | QFrame::Plain);
    bulle.setMargin(3);
    bulle.adjustSize();
    QPixmap fond = m.grab();
    const QPoint pointe = segment.mapTo(&m, QPoint(segment.width() / 2, segment.height() / 2));
    const int x = qBound(2, pointe.x() - bulle.width() / 2, m.width() - bulle.width() - 2);
    const int y = segment.mapTo(&m, QPoint(0, 0)).y() - bulle.height() - 24;
    QPainter(&fond).drawPixmap(x, y, bulle.grab());
    const qreal dpr = fond.devicePixelRatio();
    const int haut = qMax(0, y - 40);
    const bool ok = fond.copy(QRect(0, qRound(haut * dpr), fond.width(), fond.height() - qRound(haut * dpr)))
                        .save(chemin);
    QTextStream(stdout) << (ok ? "écrit " : "échec ") << chemin << "\n";
    return ok;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (app.arguments().size() != 2) {
        QTextStream(stderr) << "usage: Captures <dossier>\n";
        return 2;
    }
    const QDir sortie(app.arguments().at(1));
    sortie.mkpath(QStringLiteral("."));
    Messages::setRepondeur([](const QString&, int) { return Messages::Ok; });

    DossierTest dossier;
    QFile::copy(QStringLiteral(CASSETRON_RESSOURCES "/NoPicture.jpg"),
                dossier.fichier(QStringLiteral("NoPicture.jpg")));
    QDir(dossier.chemin()).mkpath(QStringLiteral("Affiche"));
    const qint64 k1 = dossier.ajouterCassette(QStringLiteral("03:00:00"));
    const qint64 k2 = dossier.ajouterCassette(QStringLiteral("04:00:00"));
    const qint64 f1 = dossier.placerFilm(k1, QStringLiteral("L'Été meurtrier"), QStringLiteral("02:10:00"),
                                         QStringLiteral("Drame"), QStringLiteral("1983"));
    dossier.placerFilm(k2, QStringLiteral("Alien"), QStringLiteral("01:57:00"),
                       QStringLiteral("Science Fiction"), QStringLiteral("1979"));
    const qint64 f3 =
        dossier.placerFilm(k2, QStringLiteral("La Grande Vadrouille"), QStringLiteral("01:40:00"),
                           QStringLiteral("Comédie"), QStringLiteral("1966"));
    affiche(dossier.fichier(QStringLiteral("Affiche/%1.jpg").arg(f1)), QStringLiteral("L'Été meurtrier"),
            QColor(230, 120, 30), QColor(90, 20, 10));
    affiche(dossier.fichier(QStringLiteral("Affiche/%1.jpg").arg(f3)), QStringLiteral("La Grande Vadrouille"),
            QColor(40, 110, 180), QColor(10, 30, 70));
    Sql details;
    details.prepare(QStringLiteral(
        "UPDATE Film SET \"Réalisateur\" = ?, Acteurs = ?, Description = ?, Pays = ? WHERE IdFilm = ?"));
    details.addBindValue(QStringLiteral("Paul Marchand"));
    details.addBindValue(QStringLiteral("Jean Lefèvre, Simone Arnaud, Louis Berthier"));
    details.addBindValue(
        QStringLiteral("\tEn 1942, un chef d'orchestre et un peintre en bâtiment aident trois aviateurs "
                       "anglais à rejoindre la zone libre. Enregistré un dimanche soir."));
    details.addBindValue(QStringLiteral("France"));
    details.addBindValue(f3);
    details.exec();
    Catalogue::fermer();
    Appli::setDossier(dossier.chemin());

    auto* intro = new Introduction;
    intro->show();
    bool ok = enregistrer(intro, sortie.filePath(QStringLiteral("introduction.png")));
    intro->close();

    auto* moniteur = new Moniteur;
    moniteur->Show();
    // The last title in French order, on the cassette holding two films.
    moniteur->BtnPreviousFilm_Click();
    ok = enregistrer(moniteur, sortie.filePath(QStringLiteral("moniteur.png"))) && ok;
    ok =
        enregistrerBulle(*moniteur, moniteur->shape.UBound(), sortie.filePath(QStringLiteral("bulle.png"))) &&
        ok;
    ok = enregistrer(moniteur->MenuFilm, sortie.filePath(QStringLiteral("menufilm.png"))) && ok;
    ok = enregistrer(moniteur->MenuCassette, sortie.filePath(QStringLiteral("menucassette.png"))) && ok;
    moniteur->close();

    // A household's dozen films, so the list scrolls.
    const qint64 k3 = dossier.ajouterCassette(QStringLiteral("04:00:00"));
    const qint64 k4 = dossier.ajouterCassette(QStringLiteral("03:00:00"));
    const char* const autres[][4] = {
        {"Zorro", "01:30:00", "Aventure", "1975"},
        {"Éclipse totale", "01:45:00", "Drame", "1962"},
        {"Le Dernier Métro", "02:11:00", "Drame", "1980"},
        {"Jour de fête", "01:10:00", "Comédie", "1949"},
        {"Les Vacances de M. Hulot", "01:28:00", "Comédie", "1953"},
        {"Le Salaire de la peur", "02:11:00", "Policier", "1953"},
        {"La Belle Équipe", "01:40:00", "Drame", "1936"},
        {"Quai des brumes", "01:31:00", "Drame", "1938"},
        {"Le Trou", "01:12:00", "Policier", "1960"},
    };
    int n = 0;
    for (const auto& a : autres) {
        const int k = n++ % 2 == 0 ? k3 : k4;
        if (!dossier.placerFilm(k, QString::fromUtf8(a[0]), QString::fromUtf8(a[1]), QString::fromUtf8(a[2]),
                                QString::fromUtf8(a[3])))
            dossier.placerFilm(dossier.ajouterCassette(QStringLiteral("04:00:00")), QString::fromUtf8(a[0]),
                               QString::fromUtf8(a[1]), QString::fromUtf8(a[2]), QString::fromUtf8(a[3]));
    }
    moniteur = new Moniteur;
    moniteur->Show();

    // The road of a new film: the form, the choice of a cassette with another stretch chosen, the summary.
    QTimer::singleShot(100, [&] {
        AjoutFilm* film = AjoutFilm::instance();
        film->TxtTitre->setPlainText(QStringLiteral("Les Parapluies de Cherbourg"));
        film->TxtRealisateur->setText(QStringLiteral("Paul Marchand"));
        film->TxtActeurs->setPlainText(QStringLiteral("Simone Arnaud, Jean Lefèvre"));
        film->TxtDuree->setText(QStringLiteral("01:30:00"));
        film->TxtDate->setText(QStringLiteral("1964"));
        film->TxtPays->setText(QStringLiteral("France"));
        film->ComboGenre->setCurrentText(QStringLiteral("Comédie musicale"));
        film->TxtDescription->setPlainText(
            QStringLiteral("\tUne histoire d'amour à Cherbourg, toute en chansons."));
        ok = enregistrer(film, sortie.filePath(QStringLiteral("ajoutfilm.png"))) && ok;
        QTimer::singleShot(100, [&] {
            ChoixK7* choix = ChoixK7::instance();
            choix->shape_Click(choix->shape.UBound());
            ok = enregistrer(choix, sortie.filePath(QStringLiteral("choixk7.png"))) && ok;
            QTimer::singleShot(100, [&] {
                auto* infos = Feuille::chargee<InfosK7>();
                ok = enregistrer(infos, sortie.filePath(QStringLiteral("infosk7.png"))) && ok;
                infos->Unload();
            });
            choix->BtnValiderK7_Click();
        });
        film->BtnAjouterFilm_Click();
    });
    moniteur->MenuAjouterFilm_Click();

    moniteur->MenuListeFilm_Click();
    ok = enregistrer(ListeFilm::instance(), sortie.filePath(QStringLiteral("listefilm.png"))) && ok;
    // The same list narrowed to one name, typed without its accent.
    ListeFilm::instance()->TxtRecherche->setText(QStringLiteral("lefevre"));
    ok = enregistrer(ListeFilm::instance(), sortie.filePath(QStringLiteral("listefilm-recherche.png"))) && ok;
    ListeFilm::instance()->Unload();

    // The free-range search for an hour and a half, and the cassette viewer.
    QTimer::singleShot(100, [&] {
        auto* recherche = Feuille::chargee<ConsultK7>();
        recherche->LblHH->setText(QStringLiteral("01"));
        recherche->LblMM->setText(QStringLiteral("30"));
        ok = enregistrer(recherche, sortie.filePath(QStringLiteral("consultk7.png"))) && ok;
        recherche->Unload();
    });
    moniteur->MenuRechercheK7_Click();
    QTimer::singleShot(100, [&] {
        auto* visu = Feuille::chargee<VisuK7>();
        ok = enregistrer(visu, sortie.filePath(QStringLiteral("visuk7.png"))) && ok;
        visu->Unload();
    });
    moniteur->MenuEffacerCassette_Click();

    // The printed lists: the screen, then the preview of the list by cassette number.
    QTimer::singleShot(100, [&] {
        auto* impression = Feuille::chargee<Impression>();
        ok = enregistrer(impression, sortie.filePath(QStringLiteral("impression.png"))) && ok;
        impression->CaseTri[4]->setChecked(true);
        QTimer::singleShot(100, [&] {
            auto* apercu = Feuille::chargee<ApercuImpression>();
            ok = enregistrer(apercu, sortie.filePath(QStringLiteral("apercu.png"))) && ok;
            apercu->Unload();
            Feuille::chargee<Impression>()->Unload();
        });
        impression->BtnAjouterFilm_Click();
    });
    moniteur->MenuImprime_Click();

    QTimer::singleShot(100, [&] {
        auto* about = Feuille::chargee<About>();
        ok = enregistrer(about, sortie.filePath(QStringLiteral("about.png"))) && ok;
        about->Unload();
    });
    moniteur->MenuAPropos_Click();

    // The notice shown while the catalogue is compacted.
    auto* fermeture = new Fermeture;
    ok = enregistrer(fermeture, sortie.filePath(QStringLiteral("fermeture.png"))) && ok;
    fermeture->close();

    // The labels: the screen, and a sheet of face labels kept as PDF (captures.sh makes its picture).
    // One cassette holds more films than its label has lines for.
    const qint64 k5 = dossier.ajouterCassette(QStringLiteral("04:00:00"));
    for (int i = 1; i <= 12; ++i)
        dossier.placerFilm(k5, QStringLiteral("Dessin animé n°%1").arg(i), QStringLiteral("00:12:00"),
                           QStringLiteral("Animation"), QStringLiteral("1990"));
    Dialogues::setRepondeurEnregistrement(
        [&](const QString&, const QString&) { return sortie.filePath(QStringLiteral("etiquettes.pdf")); });
    QTimer::singleShot(100, [&] {
        auto* etiquettes = Feuille::chargee<ImpressionEtiquettes>();
        ok = enregistrer(etiquettes, sortie.filePath(QStringLiteral("impressionetiquettes.png"))) && ok;
        etiquettes->CaseToutes->setChecked(true);
        etiquettes->BtnPdf_Click();
        etiquettes->Unload();
    });
    moniteur->MenuEtiquettes_Click();

    moniteur->MenuAideEnLigne_Click();
    for (int i = 0; i < 6; ++i) {
        Aide::instance()->AfficheEcran(i);
        ok = enregistrer(Aide::instance(), sortie.filePath(QStringLiteral("aide-%1.png").arg(i))) && ok;
    }
    moniteur->close();
    return ok ? 0 : 1;
}
