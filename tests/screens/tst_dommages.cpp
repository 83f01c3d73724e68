// Files nobody meant for Cassetron where it expects its own: damaged or foreign catalogues,
// posters that are not pictures, film files that are not text, folders that refuse writes, rows
// the catalogue can no longer read. Each gets a French message, never a crash, and the file is
// left as it was. Then compaction and repair from the menu, which end the program.

#include "screens/auxiliary/Introduction.h"
#include "screens/film/ChoixK7.h"
#include "screens/print/ApercuImpression.h"
#include "screens/print/Impression.h"
#include "screens/views/ListeFilm.h"
#include "screens/views/VisuK7.h"
#include "tests/support/Abimer.h"
#include "tests/support/Banc.h"
#include "tests/support/Verrou.h"

#include <QElapsedTimer>
#include <QRadioButton>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QToolButton>

#include <optional>

#include <sys/stat.h>
#include <unistd.h>

using namespace banc;

namespace {

// A file of this kind at chemin: a poster with detail, so that half of the file is half a
// picture, whole or damaged; a film file, readable or not; a folder, a pipe.
void fichier(const QString& cas, const QString& chemin) {
    QImage i(200, 300, QImage::Format_RGB32);
    QRandomGenerator alea(7);
    for (int p = 0; p < 200 * 300; ++p)
        i.setPixel(p % 200, p / 200, alea.generate());
    QByteArray b;
    QBuffer tampon(&b);
    tampon.open(QIODevice::WriteOnly);
    i.save(&tampon, "JPG");
    if (cas == "jpeg géant")
        b.replace(b.indexOf("\xff\xc0") + 5, 4, "\x9c\x40\x9c\x40"); // 40000 high, 40000 wide
    else if (cas == "jpeg tronqué")
        b.truncate(b.size() / 2);
    else if (cas == "pas une image")
        b = "Ceci n'est pas une affiche.\n";
    else if (cas == "vide")
        b.clear();
    else if (cas == "film" || cas == "illisible")
        b = "brazil\nterry gilliam\n1985\n";
    else if (cas == "octet nul")
        b = QByteArray("TITRE\nREAL\n1985\n").insert(13, '\0');
    else if (cas == "50 Mo")
        b = "TITRE\n";
    if (cas == "dossier")
        QVERIFY(QDir().mkpath(chemin));
    else if (cas == "tube")
        QCOMPARE(::mkfifo(QFile::encodeName(chemin).constData(), 0644), 0);
    else
        QVERIFY(ecrire(chemin, b));
    if (cas == "50 Mo")
        QVERIFY(QFile::resize(chemin, 50 << 20));
    if (cas == "illisible")
        QVERIFY(QFile::setPermissions(chemin, {}));
}

// Each box shown holds every ";"-separated part of its expected text, in order, and nothing the
// engine or the system says in English, which must not reach the user as the reason; all in this
// style, unless 0.
void verifierTextes(const Banc& banc, const QStringList& attendus, int style = 0) {
    const QRegularExpression anglais(
        "database|malformed|file is|ermission|denied|irectory|No such|unable|readonly|not a |Cannot");
    const auto boites = banc.repondeur.messages();
    QCOMPARE(boites.size(), attendus.size());
    for (int i = 0; i < boites.size(); ++i) {
        bool ok = !boites[i].first.contains(anglais) && (!style || boites[i].second == style);
        for (const QString& partie : attendus[i].split(';'))
            ok = ok && boites[i].first.contains(partie);
        QVERIFY2(ok, qPrintable(boites[i].first));
    }
}

// The main window, started as the program starts it (the start-up screen closes, the backup runs,
// the main window opens), past these boxes.
Moniteur& demarrerPourDeVrai(Banc& banc, const QStringList& boites, int style = 0) {
    Catalogue::fermer();
    for (int i = 0; i < boites.size(); ++i)
        banc.repondeur.attendre();
    auto* intro = new Introduction;
    intro->Show();
    intro->close();
    verifierTextes(banc, boites, style);
    banc.m = Moniteur::instance();
    return *banc.m;
}

// Every row, sorted: a compaction may give the keys' counters in another order.
QStringList trie(QStringList l) {
    l.sort();
    return l;
}

} // namespace

class TestDommages : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { Moniteur::LectureAvis = 300; }

    // The case is the row's name: the schema changed by sql, or the file damaged as the name says.
    // "montré": the films still show, the damage is met while browsing.
    void catalogues_data() {
        table(QStringLiteral(R"(
        cas           | message                              | films  | sql
        tronqué       | est endommagé et ne peut pas être lu |        |
        milieu abîmé  | est endommagé et ne peut pas être lu |        |
        en-tête abîmé | est endommagé et ne peut pas être lu |        |
        index abîmé   | est endommagé et ne peut pas être lu | montré |
        sans champ    | le champ « Genre »        | | ALTER TABLE Film DROP COLUMN Genre
        champ renommé | le champ « Titre »        | | ALTER TABLE Film RENAME COLUMN Titre TO Nom
        sans table    | la table « Film » manque  | | DROP TABLE Film
        vue | « K7 » n'est pas une table | | ALTER TABLE K7 RENAME TO K; CREATE VIEW K7 AS SELECT * FROM K
        vide          | le fichier est vide              | |
        texte         | n'est pas un catalogue Cassetron | |
        absent        | introuvable                      | |
        )"));
    }

    void catalogues() {
        const QString cas = QTest::currentDataTag();
        auto [message, montre, sql] = lire({"message", "films", "sql"});
        Banc banc;
        banc.dossier.remplir();
        for (const QString& s : sql.split(';', Qt::SkipEmptyParts))
            executer(s);
        const QString fichier = banc.dossier.catalogue();
        if (cas == "index abîmé")
            QVERIFY(abimer::page(fichier, abimer::racine("FilmK7_IdFilm")));
        Catalogue::fermer();
        QByteArray b = octets(fichier);
        const int page = 4096;
        if (cas == "tronqué")
            b.truncate(2 * page + 100);
        else if (cas == "vide")
            b.clear();
        else if (cas == "texte")
            b = "Mes cassettes\nK7 1 : Zorro, Alien\n";
        else if (cas == "en-tête abîmé")
            b.replace(100, page - 100, QByteArray(page - 100, char(0xA5)));
        QRandomGenerator alea(1999);
        for (int i = 2 * page; cas == "milieu abîmé" && i < b.size() - page; ++i)
            b[i] = char(alea.bounded(256));
        QVERIFY(cas == "absent" ? QFile::remove(fichier) : ecrire(fichier, b));

        Moniteur& m =
            demarrerPourDeVrai(banc, {message + ';' + QDir::toNativeSeparators(fichier)}, Messages::Critique);
        QCOMPARE(QList<bool>({m.FilmPresent, m.BtnNextFilm->isEnabled()}), QList<bool>(2, !montre.isEmpty()));
        // Browsing says nothing more (the answerer fails on any box) and does not fail.
        m.BtnNextFilm_Click();
        m.BtnPreviousFilm_Click();
        QCOMPARE(octets(fichier), cas == "absent" ? QByteArray() : b);
        QCOMPARE(QFile::exists(fichier), cas != "absent");
    }

    // A file the film form cannot take, as a poster (shown in the main window, chosen, met beside
    // an imported film file) or as a film file: refused with a French message that says why; the
    // main window shows the placeholder, and nothing of the file reaches the form.
    void fichiers_data() {
        table(QStringLiteral(R"(
            cas                   | raison
            affiche jpeg géant    | 40000 × 40000
            affiche pas une image | ce n'est pas une image
            affiche vide          | le fichier est vide
            affiche dossier       | ne peut pas être lue
            film 50 Mo            | bien trop grand
            film octet nul        | ce n'est pas un fichier texte
            film dossier          | ce n'est pas un fichier
            film tube             | ce n'est pas un fichier
            film illisible        | ne peut pas être ouvert en lecture
        )"));
        // What a truncated JPEG still holds shows, grey below: a picture all the same.
        QTest::newRow("affiche jpeg tronqué") << QString();
    }

    void fichiers() {
        const QString tag = QTest::currentDataTag(), cas = tag.section(' ', 1);
        const bool affiche = tag.startsWith("affiche");
        QFETCH(QString, raison);
        Banc banc;
        const qint64 id =
            banc.dossier.placerFilm(banc.dossier.ajouterCassette("03:00:00"), "Alien", "01:57:00");
        QVERIFY(QDir(banc.dossier.chemin()).mkdir("Affiche"));
        const QString sorte = affiche ? cas : "";
        fichier(sorte, banc.affiche(id));
        const QString choisie = banc.dossier.fichier("Choisie.jpg"),
                      film = banc.dossier.fichier("Brazil.film");
        fichier(sorte, choisie);
        fichier(sorte, banc.dossier.fichier("Brazil.jpg"));
        fichier(affiche ? "film" : cas, film);
        if (cas == "illisible" && ::access(QFile::encodeName(film).constData(), R_OK) == 0)
            QSKIP("Ce compte lit un fichier sans droit de lecture (root) : rien à vérifier.");
        Moniteur& m = banc.demarrer();
        QCOMPARE(banc.montree() == QImage(banc.placeholder()).convertToFormat(QImage::Format_RGB32),
                 affiche && !raison.isEmpty());

        m.ModeAjout = true;
        auto* f = new AjoutFilm;
        f->Show();
        const QStringList avant{"AVANT", "Réal", "Acteurs", "02:00:00", "1990", "Pays", "Genre", "Résumé"};
        remplir(*f, avant);
        banc.repondeur.attendreFichier(choisie);
        banc.repondeur.attendreFichier(film);
        for (int i = 0; i < (raison.isEmpty() ? 0 : affiche ? 2 : 1); ++i)
            banc.repondeur.attendre();
        QTest::mouseClick(f->OuvrirAffiche, Qt::LeftButton);
        QCOMPARE(f->AfficheModifiee, !affiche || raison.isEmpty());
        QCOMPARE(f->Affiche->pixmap().isNull(), affiche && !raison.isEmpty());
        f->AfficheModifiee = false;
        QTest::mouseClick(f->ImporterFilm, Qt::LeftButton);
        QCOMPARE(f->AfficheModifiee, raison.isEmpty());
        QCOMPARE(f->TxtTitre->toPlainText(), QString(affiche ? "BRAZIL" : "AVANT"));
        if (!affiche)
            QCOMPARE(champs(*f), avant);
        const QString lue = "ne peut pas être lue;" + raison;
        verifierTextes(banc,
                       raison.isEmpty() ? QStringList()
                       : affiche        ? QStringList{QDir::toNativeSeparators(choisie) + " " + lue,
                                               "Le film est importé sans son affiche;" + lue}
                                        : QStringList{QDir::toNativeSeparators(film) + ';' + raison},
                       Messages::Exclamation);
    }

    // Writes refused by the application folder or the catalogue, or a file named like the poster
    // folder: the start says so; a film is refused whole and in French (the form keeps it for another
    // try), nothing is lost. A film without a poster still goes where the catalogue takes writes.
    void ecrituresRefusees_data() {
        QTest::addColumn<QStringList>("demarrage");
        QTest::addColumn<QString>("refus");
        const QString seule = "est en lecture seule", ecriture = "n'accepte pas d'écriture";
        QTest::newRow("dossier de l'application")
            << QStringList{"La copie de sauvegarde du catalogue n'a pas pu être faite", seule} << ecriture;
        QTest::newRow("catalogue") << QStringList{seule} << ecriture;
        QTest::newRow("dossier des affiches")
            << QStringList{"Le dossier des affiches"} << QString("est un fichier et non un dossier");
    }

    void ecrituresRefusees() {
        const QString cas = QTest::currentDataTag();
        QFETCH(QStringList, demarrage);
        QFETCH(QString, refus);
        Banc banc;
        banc.dossier.remplir();
        const QString affiches = banc.dossier.fichier("Affiche");
        const bool verrouille = cas != "dossier des affiches";
        QVERIFY(verrouille ? QDir().mkdir(affiches) : ecrire(affiches, "mes notes"));
        image(banc.dossier.fichier("Alien.jpg"), Qt::red);
        const QStringList avant = DossierTest::tout();
        Catalogue::fermer();
        const QByteArray octetsAvant = octets(banc.dossier.catalogue());
        std::optional<Verrou> verrou;
        if (verrouille &&
            !verrou.emplace(cas == "catalogue" ? banc.dossier.catalogue() : banc.dossier.chemin()).actif())
            QSKIP("Rien ici ne fait refuser l'écriture à ce compte (root sans attribut immuable).");
        Moniteur& m = demarrerPourDeVrai(banc, demarrage);
        QVERIFY(m.FilmPresent);
        for (const bool avecAffiche : {true, false}) {
            banc.repondeur.effacer();
            puis([&] {
                AjoutFilm* f = AjoutFilm::instance();
                remplir(*f, {"Sans peur", "", "", "01:57:00", "1979", "", "", ""});
                if (avecAffiche) {
                    banc.repondeur.attendreFichier(banc.dossier.fichier("Alien.jpg"));
                    QTest::mouseClick(f->OuvrirAffiche, Qt::LeftButton);
                }
                puis([&] {
                    if (avecAffiche || verrouille)
                        banc.repondeur.attendre();
                    else
                        puis([] {
                            QTest::mouseClick(Feuille::chargee<InfosK7>()->BtnValiderK7, Qt::LeftButton);
                        });
                    QTest::mouseClick(ChoixK7::instance()->BtnValiderK7, Qt::LeftButton);
                    fermerModales();
                });
                QTest::mouseClick(f->BtnAjouterFilm, Qt::LeftButton);
            });
            m.MenuAjouterFilm->trigger();
            if (avecAffiche || verrouille) {
                verifierTextes(banc, {"Le film n'a pas été ajouté;" + refus});
                QCOMPARE(DossierTest::tout(), avant);
            }
        }
        QCOMPARE(placements().filter("Sans peur").size(), verrouille ? 0 : 1);
        delete banc.m;
        Catalogue::fermer();
        verrou.reset();
        QCOMPARE(octets(verrouille ? banc.dossier.catalogue() : affiches),
                 verrouille ? octetsAvant : QByteArray("mes notes"));
    }

    // Rows the catalogue can no longer read, met by each screen that reads them: the user is
    // told which catalogue is damaged and how to repair it, rather than shown empty fields.
    void illisible_data() {
        // The gesture, then what is damaged: a film's summary, an index, else cassette 3's layout.
        table(QStringLiteral(R"(
            cas                                  | geste              | cible
            film suivant                         | suivant            | Brazil
            fenêtre principale remise sur un film | par numéro         | Alien
            liste des films remplie              | liste              | Brazil
            liste des films, table illisible     | liste              | Film
            liste des films suivie               | suivie             | Zorro
            film effacé, liste ouverte           | effacement         | Zorro
            cassettes à visualiser               | visualisation      |
            cassettes libres cherchées           | recherche          | K7
            films imprimés avec leur cassette    | impression films   | FilmK7
            cassettes imprimées avec leurs films | impression cassettes | Brazil
        )"));
    }

    void illisible() {
        auto [geste, cible] = lire({"geste", "cible"});
        Banc banc;
        catalogue("FILM01:57:00Alien/FILM00:50:00Brazil/01:13:00\nFILM01:30:00Zorro/02:30:00");
        const qint64 film = QStringList{"Alien", "Brazil", "Zorro"}.indexOf(cible) + 1; // 0: none
        // Cassette 3 holds a film under a title long enough to leave its row.
        executer(
            "INSERT INTO K7 (\"Durée\", TempsRestant, NBFilm, Status) VALUES ('04:00:00', '03:59:59', 1, ?)",
            {"FILM00:00:01" + abimer::valeurLongue('%') + "/03:59:59"});
        if (film)
            executer("UPDATE Film SET Description = ? WHERE IdFilm = ?", {abimer::valeurLongue(), film});
        const QString fichier = banc.dossier.catalogue();
        const int racine = abimer::racine(cible);
        const auto endommager = [&] {
            QVERIFY(racine ? abimer::page(fichier, racine) : abimer::valeur(fichier, film ? '#' : '%'));
        };
        const bool effacement = geste == "effacement";
        if (geste == "suivant")
            endommager();
        Moniteur& m = banc.demarrer();
        if (geste == "suivie" || effacement)
            m.MenuListeFilm->trigger();
        ListeFilm* liste = ListeFilm::instance();
        if (effacement)                         // the film after it in the list is shown next
            cliquerLigne(*liste->TableFilm, 2); // Brazil
        if (geste != "suivant")
            endommager();
        banc.repondeur.attendre(effacement ? Messages::Oui : Messages::Ok);
        if (effacement)
            banc.repondeur.attendre();
        if (geste == "suivant") {
            m.BtnNextFilm_Click();
        } else if (geste == "par numéro") {
            m.MetAJourMoniteur(3); // Zorro
        } else if (geste == "liste") {
            m.MenuListeFilm->trigger();
            // No list of some films, or of none, as if it were the catalogue.
            QVERIFY(!ListeFilm::instance() && !m.ListeOuverte && m.BtnNextFilm->isEnabled());
        } else if (geste == "suivie") {
            cliquerLigne(*liste->TableFilm, 3); // Zorro
        } else if (effacement) {
            m.BtnEffacerFilm_Click();
            QCOMPARE(placements(), (QStringList{"1:1:Alien", "2:1:Zorro"}));
        } else if (geste == "visualisation") { // cassette 3 alone is unreadable: no entry, not a blank one
            puis([] {
                QCOMPARE(Feuille::chargee<VisuK7>()->ComboK7->count(), 2);
                fermerModales();
            });
            m.MenuEffacerCassette->trigger();
        } else if (geste == "recherche") {
            puis(fermerModales);
            m.MenuRechercheK7->trigger();
        } else {
            auto* f = new Impression;
            f->Show();
            f->CaseTri[geste.endsWith("films") ? 0 : 4]->setChecked(true);
            puis([] { // a preview shown all the same is closed, so that the test goes on to say so
                if (auto* a = Feuille::chargee<ApercuImpression>())
                    a->Unload();
            });
            QTest::mouseClick(f->BtnAjouterFilm, Qt::LeftButton);
            QCoreApplication::processEvents();
            QVERIFY(!Feuille::chargee<ApercuImpression>());
        }
        // One box says which catalogue to repair (the answerer fails on any box not expected).
        QStringList critiques;
        for (const auto& [texte, style] : banc.repondeur.messages())
            critiques << QStringList(style == Messages::Critique, texte);
        QCOMPARE(critiques.size(), 1);
        QVERIFY2(critiques[0].contains(QDir::toNativeSeparators(fichier)) &&
                     critiques[0].contains("Réparer la base de donnée"),
                 qPrintable(critiques[0]));
    }

    // Compaction and repair from the menu: the notice stays modal over a disabled main window
    // (never blanked, as if the catalogue were wiped), the user is told, the program ends, and
    // the folder holds the catalogue alone, or beside the damaged one a repair kept.
    void maintenance_data() {
        // "dit": parts of the one message, none for a compaction that worked. A copy left by an
        // earlier run goes first, whatever it holds. The films' page lost, their placements go and
        // their cassettes are free tape again.
        table(QStringLiteral(R"(
            cas                                             | etat              | dit
            compactage                                      |                   |
            compactage, copie restante illisible            | reste             |
            compactage, copie restante qui est un catalogue | catalogue restant |
            compactage, dossier en lecture seule | lecture seule | Erreur survenue lors du compactage;Vérifier l'intégrité du fichier R7Ozire.mdb présent dans le répertoire
            compactage, dossier à la place de la copie | dossier | Erreur survenue lors du compactage;Vérifier l'intégrité du fichier R7Ozire.mdb présent dans le répertoire
            réparation, catalogue sain                      |                   | est sain;Il a été compacté.
            réparation, page des films abîmée | abîmé | Le catalogue a été réparé;zone(s) illisible(s);8 placement(s) sans film;4 cassette(s) ont été remises en accord;conservé sous le nom R7Ozire.endommage.mdb
            réparation, fichier texte | texte | Erreur survenue lors de la restauration;ne peut pas être réparé;Vérifier l'intégrité du fichier R7Ozire.mdb présent dans le répertoire
        )"));
    }

    void maintenance() {
        auto [etat, dit] = lire({"etat", "dit"});
        const bool reparation = QByteArray(QTest::currentDataTag()).startsWith("réparation");
        // An earlier case ended the program: a fresh event loop lets the notice wait again.
        QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(0); });
        QCoreApplication::exec();
        Banc banc;
        banc.dossier.remplir();
        const QStringList avant = trie(DossierTest::tout());
        const QString copie = banc.dossier.fichier(Catalogue::NomCompact);
        QVERIFY(etat == "reste"               ? ecrire(copie, "à moitié écrite")
                : etat == "catalogue restant" ? Catalogue::creerCatalogueVide(copie)
                : etat == "dossier"           ? QDir().mkpath(copie + "/dedans")
                                              : true);
        if (etat == "abîmé")
            QVERIFY(abimer::page(banc.dossier.catalogue(), abimer::racine("Film")));
        Catalogue::fermer();
        if (etat == "texte")
            QVERIFY(ecrire(banc.dossier.catalogue(), "K7 1 : Zorro, alien\nK7 2 : Été\n"));
        const QByteArray original = octets(banc.dossier.catalogue());
        Moniteur& m = banc.demarrer(etat == "abîmé" || etat == "texte" ? 1 : 0);
        banc.repondeur.effacer();
        const QByteArray ouvert = octets(banc.dossier.catalogue());
        const QString dossier = banc.dossier.chemin();
        std::optional<Verrou> verrou;
        if (etat == "lecture seule" && !verrou.emplace(dossier).actif())
            QSKIP("Rien ici ne fait refuser l'écriture à ce compte (root sans attribut immuable).");
        const bool erreur = dit.startsWith("Erreur");
        if (!dit.isEmpty())
            banc.repondeur.attendre();
        QString vu = "aucun événement traité"; // what the user could reach while the command runs
        QTimer::singleShot(0, [&] {
            vu = QString(m.isEnabled() ? "active" : "inactive") +
                 (qobject_cast<const Fermeture*>(QApplication::activeModalWidget()) ? ", avis modal" : "");
        });
        const QString titre = m.LblTitre->text();
        QElapsedTimer duree;
        duree.start();

        (reparation ? m.MenuRepairDb : m.MenuCompactDB)->trigger();

        QCOMPARE(m.LblTitre->text() + ", " + vu, titre + ", inactive, avis modal");
        QVERIFY(dit.size() || duree.elapsed() >= Moniteur::LectureAvis);
        verifierTextes(banc, QStringList(!dit.isEmpty(), dit),
                       erreur ? Messages::Critique : Messages::Information);
        QVERIFY(Appli::finDemandee());
        for (QWidget* w : QApplication::topLevelWidgets())
            QVERIFY2(!w->isVisible(), w->metaObject()->className());
        verrou.reset();
        QCOMPARE(QDir(dossier).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 (QString("Affiche NoPicture.jpg ") + (etat == "abîmé" ? "R7Ozire.endommage.mdb " : "") +
                  "R7Ozire.mdb" + (etat == "dossier" ? " R7OzireCompact.mdb" : ""))
                     .split(' '));
        if (etat == "abîmé")
            QCOMPARE(octets(banc.dossier.fichier("R7Ozire.endommage.mdb")), original);
        if (erreur) {
            QCOMPARE(octets(banc.dossier.catalogue()), ouvert);
            return;
        }
        QCOMPARE(Catalogue::verifierIntegrite(banc.dossier.catalogue()), QStringList());
        QVERIFY(Catalogue::ouvrir(banc.dossier.catalogue()).ok());
        QCOMPARE(banc.dossier.invariants(), QStringList());
        if (etat == "abîmé")
            QCOMPARE(banc.dossier.contenu("Film") + banc.dossier.contenu("FilmK7"), QStringList());
        else
            QCOMPARE(trie(DossierTest::tout()), avant);
    }
};

QTEST_MAIN(TestDommages)
#include "tst_dommages.moc"
