// Files nobody meant for Cassetron where it expects its own: damaged or foreign catalogues,
// posters that are not pictures, film files that are not text, folders that refuse writes, rows
// the catalogue can no longer read. Each gets a French message, never a crash, and the file is
// left as it was. Then compaction and repair from the menu, which end the program.

#include "screens/auxiliary/Introduction.h"
#include "screens/film/AjoutK7.h"
#include "screens/film/ChoixK7.h"
#include "screens/print/ApercuImpression.h"
#include "screens/print/Impression.h"
#include "screens/views/ListeFilm.h"
#include "screens/views/VisuK7.h"
#include "tests/support/Abimer.h"
#include "tests/support/Banc.h"
#include "tests/support/Verrou.h"

#include <QElapsedTimer>
#include <QPushButton>
#include <QRadioButton>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QToolButton>

#include <sys/stat.h>
#include <unistd.h>

using namespace banc;

namespace {

// What the engine or the system says in English, which must not reach the user as the reason.
bool anglais(const QString& texte) {
    return texte.contains(QRegularExpression(
        "database|malformed|file is|ermission|denied|irectory|No such|unable|readonly|not a |Cannot"));
}

quint32 crc32(const QByteArray& octets) {
    quint32 crc = 0xFFFFFFFF;
    for (const char c : octets) {
        crc ^= quint8(c);
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320 & (0 - (crc & 1)));
    }
    return ~crc;
}

void ecrireGrand(QByteArray& b, int position, quint32 valeur, int taille) {
    for (int i = 0; i < taille; ++i)
        b[position + i] = char(valeur >> (8 * (taille - 1 - i)));
}

// The kinds of poster files, put at chemin. The pictures have detail, so that half of the file
// is half a picture.
void poster(const QString& cas, const QString& chemin) {
    QImage i(200, 300, QImage::Format_RGB32);
    QRandomGenerator alea(7);
    for (int p = 0; p < 200 * 300; ++p)
        i.setPixel(p % 200, p / 200, alea.generate());
    QByteArray b;
    QBuffer tampon(&b);
    tampon.open(QIODevice::WriteOnly);
    i.save(&tampon, cas.startsWith("png") ? "PNG" : "JPG");
    if (cas == "jpeg géant") {
        const int sof = int(b.indexOf("\xff\xc0"));
        ecrireGrand(b, sof + 5, 40000, 2); // height, then width
        ecrireGrand(b, sof + 7, 40000, 2);
    } else if (cas == "png géant") {
        ecrireGrand(b, 16, 40000, 4);
        ecrireGrand(b, 20, 40000, 4);
        ecrireGrand(b, 29, crc32(b.mid(12, 17)), 4);
    } else if (cas == "jpeg tronqué") {
        b.truncate(b.size() / 2);
    } else if (cas == "pas une image") {
        b = "Ceci n'est pas une affiche.\n";
    } else if (cas == "vide") {
        b.clear();
    }
    QVERIFY(cas == "dossier" ? QDir().mkpath(chemin) : ecrire(chemin, b));
}

// The main window, started as the program starts it: the start-up screen closes, the backup
// runs, the main window opens.
Moniteur& demarrerPourDeVrai(Banc& banc, int messages) {
    Catalogue::fermer();
    for (int i = 0; i < messages; ++i)
        banc.repondeur.attendre();
    auto* intro = new Introduction;
    intro->Show();
    intro->close();
    banc.m = Moniteur::instance();
    return *banc.m;
}

// Each box shown holds its expected part, in order, and no English.
void verifierTextes(const Banc& banc, const QStringList& parties) {
    const QStringList textes = banc.repondeur.textes();
    QCOMPARE(textes.size(), parties.size());
    for (int i = 0; i < textes.size(); ++i)
        QVERIFY2(textes[i].contains(parties[i]) && !anglais(textes[i]), qPrintable(textes[i]));
}

QStringList fichiers(const DossierTest& d) {
    return QDir(d.chemin()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot, QDir::Name);
}

// The rows as the next start will find them, the keys given so far in no particular order.
QStringList relire(const DossierTest& d, const QString& chemin = QString()) {
    if (!Catalogue::ouvrir(chemin.isEmpty() ? d.catalogue() : chemin).ok())
        return {"catalogue illisible"};
    QStringList sequence = d.contenu("sqlite_sequence");
    sequence.sort();
    return d.contenu("Film") + d.contenu("K7") + d.contenu("FilmK7") + sequence;
}

enum Geste {
    FilmSuivant,
    FilmParNumero,
    RemplirListe,
    SuivreListe,
    EffacerListeOuverte,
    ListerCassettes,
    ChercherCassette,
    ImprimerFilms,
    ImprimerCassettes,
};

int ligne(const Grille& g, const QString& texte) {
    return int(lignes(g, 1).indexOf(texte)) + 1;
}

} // namespace

class TestDommages : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { Moniteur::LectureAvis = 300; }

    // The case is the row's name.
    void catalogues_data() {
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("films"); // the films still show
        const QString illisible = "est endommagé et ne peut pas être lu";
        for (const char* cas : {"tronqué", "milieu abîmé", "en-tête abîmé"})
            QTest::newRow(cas) << illisible << false;
        QTest::newRow("index abîmé") << illisible << true; // seen while browsing
        QTest::newRow("sans champ") << QString("le champ « Genre »") << false;
        QTest::newRow("champ renommé") << QString("le champ « Titre »") << false;
        QTest::newRow("sans table") << QString("la table « Film » manque") << false;
        QTest::newRow("vue") << QString("« K7 » n'est pas une table") << false;
        QTest::newRow("vide") << QString("le fichier est vide") << false;
        QTest::newRow("texte") << QString("n'est pas un catalogue Cassetron") << false;
        QTest::newRow("absent") << QString("introuvable") << false;
    }

    void catalogues() {
        const QString cas = QTest::currentDataTag();
        QFETCH(QString, message);
        QFETCH(bool, films);
        Banc banc;
        banc.dossier.remplir();
        const int pageIndex = abimer::racine("FilmK7_IdFilm");
        const QString sql = cas == "sans champ"      ? "ALTER TABLE Film DROP COLUMN Genre"
                            : cas == "champ renommé" ? "ALTER TABLE Film RENAME COLUMN Titre TO Nom"
                            : cas == "sans table"    ? "DROP TABLE Film"
                            : cas == "vue"
                                ? "ALTER TABLE K7 RENAME TO K7_; CREATE VIEW K7 AS SELECT * FROM K7_"
                                : "";
        for (const QString& s : sql.split(';', Qt::SkipEmptyParts))
            executer(s);
        Catalogue::fermer();
        const QString fichier = banc.dossier.catalogue();
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
        const int debut = cas == "index abîmé" ? (pageIndex - 1) * page : 2 * page;
        const int fin = cas == "index abîmé"    ? debut + page
                        : cas == "milieu abîmé" ? int(b.size()) - page
                                                : 0;
        for (int i = debut; i < fin; ++i)
            b[i] = char(alea.bounded(256));
        QVERIFY(cas == "absent" ? QFile::remove(fichier) : ecrire(fichier, b));

        Moniteur& m = demarrerPourDeVrai(banc, 1);
        QCOMPARE(banc.repondeur.restantes(), 0);
        verifierTextes(banc, {message});
        QVERIFY2(banc.repondeur.dernier().contains(QDir::toNativeSeparators(fichier)),
                 qPrintable(banc.repondeur.dernier()));
        QCOMPARE(
            QList<int>({banc.repondeur.messages().last().second, m.FilmPresent, m.BtnNextFilm->isEnabled()}),
            QList<int>({Messages::Critique, films, films}));
        // Browsing says nothing more and does not fail.
        m.BtnNextFilm_Click();
        m.BtnPreviousFilm_Click();
        QCOMPARE(banc.repondeur.messages().size(), 1);
        QCOMPARE(octets(fichier), cas == "absent" ? QByteArray() : b);
        QCOMPARE(QFile::exists(fichier), cas != "absent");
    }

    // A poster that cannot be shown: the placeholder in the main window, refused with a French
    // message when chosen or imported in the film form. The case is the row's name.
    void affiches_data() {
        QTest::addColumn<QString>("raison"); // empty: the file is taken as a picture
        QTest::newRow("jpeg géant") << QString("40000 × 40000");
        QTest::newRow("png géant") << QString("40000 × 40000");
        QTest::newRow("pas une image") << QString("ce n'est pas une image");
        QTest::newRow("vide") << QString("le fichier est vide");
        QTest::newRow("dossier") << QString("ne peut pas être lue");
        // What a truncated JPEG still holds shows, grey below: a picture all the same.
        QTest::newRow("jpeg tronqué") << QString();
    }

    void affiches() {
        const QString cas = QTest::currentDataTag();
        QFETCH(QString, raison);
        Banc banc;
        const qint64 id =
            banc.dossier.placerFilm(banc.dossier.ajouterCassette("03:00:00"), "Alien", "01:57:00");
        QVERIFY(QDir(banc.dossier.chemin()).mkdir("Affiche"));
        poster(cas, banc.affiche(id));
        const QImage placeholder = QImage(banc.placeholder()).convertToFormat(QImage::Format_RGB32);
        Moniteur& m = banc.demarrer();
        QCOMPARE(banc.montree() == placeholder, !raison.isEmpty());

        // Chosen in the form, then beside an imported film file.
        m.ModeAjout = true;
        m.ModeModif = false;
        auto* f = new AjoutFilm;
        f->Show();
        const QString choisie = banc.dossier.fichier("Choisie.jpg");
        poster(cas, choisie);
        banc.repondeur.attendreFichier(choisie);
        const QString fichierFilm = banc.dossier.fichier("Brazil.film");
        QVERIFY(ecrire(fichierFilm, "brazil\nterry gilliam\n1985\n"));
        poster(cas, banc.dossier.fichier("Brazil.jpg"));
        banc.repondeur.attendreFichier(fichierFilm);
        if (!raison.isEmpty()) {
            banc.repondeur.attendre();
            banc.repondeur.attendre();
        }
        QTest::mouseClick(f->OuvrirAffiche, Qt::LeftButton);
        QCOMPARE(f->AfficheModifiee, raison.isEmpty());
        QCOMPARE(f->Affiche->pixmap().isNull(), !raison.isEmpty());
        f->AfficheModifiee = false;
        QTest::mouseClick(f->ImporterFilm, Qt::LeftButton);
        QCOMPARE(f->TxtTitre->toPlainText(), QString("BRAZIL"));
        QCOMPARE(f->AfficheModifiee, raison.isEmpty());
        QCOMPARE(banc.repondeur.restantes(), 0);
        if (raison.isEmpty()) {
            QCOMPARE(banc.repondeur.messages().size(), 0);
            return;
        }
        const QString lue = "ne peut pas être lue";
        verifierTextes(
            banc, {QDir::toNativeSeparators(choisie) + " " + lue, "Le film est importé sans son affiche"});
        for (const auto& [texte, style] : banc.repondeur.messages())
            QVERIFY2(style == Messages::Exclamation && texte.contains(raison) && texte.contains(lue),
                     qPrintable(texte));
    }

    // Nothing of a refused film file reaches the form. The case is the row's name.
    void fichiersFilm_data() {
        QTest::addColumn<QString>("raison");
        QTest::newRow("50 Mo") << QString("bien trop grand");
        QTest::newRow("octet nul") << QString("ce n'est pas un fichier texte");
        QTest::newRow("binaire") << QString("ce n'est pas un fichier texte");
        QTest::newRow("dossier") << QString("ce n'est pas un fichier");
        QTest::newRow("tube") << QString("ce n'est pas un fichier"); // would be read forever
        QTest::newRow("illisible") << QString("ne peut pas être ouvert en lecture");
    }

    void fichiersFilm() {
        const QString cas = QTest::currentDataTag();
        QFETCH(QString, raison);
        Banc banc;
        Moniteur& m = banc.demarrer();
        const QString chemin = banc.dossier.fichier("Hostile.film");
        QByteArray b(4096, Qt::Uninitialized);
        QRandomGenerator alea(42);
        for (char& c : b)
            c = char(alea.bounded(256));
        if (cas == "50 Mo") {
            QFile f(chemin);
            QVERIFY(f.open(QIODevice::WriteOnly) && f.write("TITRE\n") == 6 && f.resize(50 << 20));
        } else if (cas == "octet nul") {
            QVERIFY(ecrire(chemin, QByteArray("TITRE\nREAL\n19\0"
                                              "85\n",
                                              15)));
        } else if (cas == "binaire") {
            QVERIFY(ecrire(chemin, b));
        } else if (cas == "dossier") {
            QVERIFY(QDir().mkpath(chemin));
        } else if (cas == "tube") {
            QCOMPARE(::mkfifo(QFile::encodeName(chemin).constData(), 0644), 0);
        } else {
            QVERIFY(ecrire(chemin, "titre\nréal\n") && QFile::setPermissions(chemin, {}));
            if (::access(QFile::encodeName(chemin).constData(), R_OK) == 0)
                QSKIP("Ce compte lit un fichier sans droit de lecture (root) : rien à vérifier.");
        }
        image(banc.dossier.fichier("Hostile.jpg"), Qt::yellow);
        m.ModeAjout = true;
        auto* f = new AjoutFilm;
        f->Show();
        const QStringList avant{"AVANT", "Réal", "Acteurs", "02:00:00", "1990", "Pays", "Genre", "Résumé"};
        remplir(*f, avant);
        banc.repondeur.attendreFichier(chemin);
        banc.repondeur.attendre();
        QTest::mouseClick(f->ImporterFilm, Qt::LeftButton);
        QCOMPARE(banc.repondeur.restantes(), 0);
        verifierTextes(banc, {QDir::toNativeSeparators(chemin)});
        QVERIFY(banc.repondeur.dernier().contains(raison));
        QCOMPARE(banc.repondeur.messages().first().second, int(Messages::Exclamation));
        QCOMPARE(champs(*f), avant);
        QVERIFY(!f->AfficheModifiee);
    }

    // A file named like the poster folder: said at start; a film with a poster is refused whole
    // (the form keeps it for another try), a film without one is placed.
    void dossierAffichesEstUnFichier() {
        Banc banc;
        cassette("04:00:00");
        const QString dossier = banc.dossier.fichier("Affiche");
        QVERIFY(ecrire(dossier, "mes notes"));
        const QStringList avant = tout(banc.dossier);
        Moniteur& m = banc.demarrer(2); // the poster folder, then the empty catalogue
        QVERIFY(banc.repondeur.textes().value(0).contains("Le dossier des affiches " +
                                                          QDir::toNativeSeparators(dossier)));
        for (const bool avecAffiche : {true, false}) {
            puis([&] {
                AjoutFilm* f = AjoutFilm::instance();
                remplir(*f, {"Alien", "", "", "01:57:00", "1979", "", "", ""});
                if (avecAffiche) {
                    banc.repondeur.attendreFichier(banc.dossier.fichier("Alien.jpg"));
                    image(banc.dossier.fichier("Alien.jpg"), Qt::red);
                    QTest::mouseClick(f->OuvrirAffiche, Qt::LeftButton);
                }
                puis([&] {
                    if (avecAffiche)
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
            if (avecAffiche) {
                QVERIFY2(banc.repondeur.dernier().contains("Le film n'a pas été ajouté") &&
                             banc.repondeur.dernier().contains("est un fichier et non un dossier"),
                         qPrintable(banc.repondeur.dernier()));
                QCOMPARE(tout(banc.dossier), avant);
            }
        }
        QCOMPARE(placements() << octets(dossier), (QStringList{"1:1:Alien", "mes notes"}));
        for (const QString& t : banc.repondeur.textes())
            QVERIFY2(!anglais(t), qPrintable(t));
    }

    // Writes refused by the folder or the file: the start says the catalogue can only be read, a
    // change is refused in French, nothing is lost.
    void lectureSeule_data() {
        QTest::addColumn<bool>("dossier");
        QTest::addColumn<QStringList>("messages");
        const QString seule = "est en lecture seule";
        QTest::newRow("dossier de l'application")
            << true << QStringList{"La copie de sauvegarde du catalogue n'a pas pu être faite", seule};
        QTest::newRow("catalogue") << false << QStringList{seule};
    }

    void lectureSeule() {
        QFETCH(bool, dossier);
        QFETCH(QStringList, messages);
        Banc banc;
        banc.dossier.remplir();
        QVERIFY(QDir(banc.dossier.chemin()).mkdir("Affiche"));
        const QStringList avant = tout(banc.dossier);
        Catalogue::fermer();
        const QByteArray octetsAvant = octets(banc.dossier.catalogue());
        Verrou verrou(dossier ? banc.dossier.chemin() : banc.dossier.catalogue());
        if (!verrou.actif())
            QSKIP("Rien ici ne fait refuser l'écriture à ce compte (root sans attribut immuable).");
        Moniteur& m = demarrerPourDeVrai(banc, int(messages.size()));
        verifierTextes(banc, messages);
        QVERIFY(m.FilmPresent);
        banc.repondeur.effacer();
        puis([&] {
            auto* k7 = Feuille::chargee<AjoutK7>();
            k7->TxtDuree->setText("03:00:00");
            banc.repondeur.attendre();
            QTest::mouseClick(k7->BtnAjouterK7, Qt::LeftButton);
            k7->close();
        });
        m.MenuAjouterCassette->trigger();
        verifierTextes(banc, {"n'accepte pas d'écriture"});
        QCOMPARE(tout(banc.dossier), avant);
        delete banc.m;
        Catalogue::fermer();
        verrou.lever();
        QCOMPARE(octets(banc.dossier.catalogue()), octetsAvant);
    }

    // Rows the catalogue can no longer read, met by each screen that reads them: the user is
    // told which catalogue is damaged and how to repair it, rather than shown empty fields.
    void illisible_data() {
        QTest::addColumn<int>("geste");
        QTest::addColumn<QString>("cible"); // a film's summary, cassette 3's layout, or an index
        QTest::newRow("film suivant") << int(FilmSuivant) << "Brazil";
        QTest::newRow("fenêtre principale remise sur un film") << int(FilmParNumero) << "Alien";
        QTest::newRow("liste des films remplie") << int(RemplirListe) << "Brazil";
        QTest::newRow("liste des films, table illisible") << int(RemplirListe) << "Film";
        QTest::newRow("liste des films suivie") << int(SuivreListe) << "Zorro";
        QTest::newRow("film effacé, liste ouverte") << int(EffacerListeOuverte) << "Zorro";
        QTest::newRow("cassettes à visualiser") << int(ListerCassettes) << "";
        QTest::newRow("cassettes libres cherchées") << int(ChercherCassette) << "K7";
        QTest::newRow("films imprimés avec leur cassette") << int(ImprimerFilms) << "FilmK7";
        QTest::newRow("cassettes imprimées avec leurs films") << int(ImprimerCassettes) << "Brazil";
    }

    void illisible() {
        QFETCH(int, geste);
        QFETCH(QString, cible);
        Banc banc;
        const qint64 k1 = banc.dossier.ajouterCassette("04:00:00");
        const qint64 k2 = banc.dossier.ajouterCassette("04:00:00");
        QHash<QString, qint64> films;
        films["Alien"] = banc.dossier.placerFilm(k1, "Alien", "01:57:00");
        films["Brazil"] = banc.dossier.placerFilm(k1, "Brazil", "00:50:00");
        films["Zorro"] = banc.dossier.placerFilm(k2, "Zorro", "01:30:00");
        // Cassette 3 holds a film under a title long enough to leave its row.
        executer(
            "INSERT INTO K7 (\"Durée\", TempsRestant, NBFilm, Status) VALUES ('04:00:00', '03:59:59', 1, ?)",
            {"FILM00:00:01" + abimer::valeurLongue('%') + "/03:59:59"});
        if (films.contains(cible))
            executer("UPDATE Film SET Description = ? WHERE IdFilm = ?",
                     {abimer::valeurLongue(), films[cible]});
        const QString fichier = banc.dossier.catalogue();
        const int racine = abimer::racine(cible);
        const auto endommager = [&] {
            QVERIFY(racine ? abimer::page(fichier, racine)
                           : abimer::valeur(fichier, films.contains(cible) ? '#' : '%'));
        };
        if (geste == FilmSuivant)
            endommager();
        Moniteur& m = banc.demarrer();
        if (geste == SuivreListe || geste == EffacerListeOuverte)
            m.MenuListeFilm->trigger();
        ListeFilm* liste = ListeFilm::instance();
        if (geste == EffacerListeOuverte) // the film after it in the list is shown next
            cliquerLigne(*liste->TableFilm, ligne(*liste->TableFilm, "Brazil"));
        if (geste != FilmSuivant)
            endommager();
        banc.repondeur.attendre(geste == EffacerListeOuverte ? Messages::Oui : Messages::Ok);
        if (geste == EffacerListeOuverte)
            banc.repondeur.attendre();
        switch (geste) {
        case FilmSuivant:
            m.BtnNextFilm_Click();
            break;
        case FilmParNumero:
            m.MetAJourMoniteur(films["Zorro"]);
            break;
        case RemplirListe:
            m.MenuListeFilm->trigger();
            // No list of some films, or of none, as if it were the catalogue.
            QVERIFY(!ListeFilm::instance() && !m.ListeOuverte && m.BtnNextFilm->isEnabled());
            break;
        case SuivreListe:
            cliquerLigne(*liste->TableFilm, ligne(*liste->TableFilm, "Zorro"));
            break;
        case EffacerListeOuverte:
            m.BtnEffacerFilm_Click();
            QCOMPARE(placements(), (QStringList{"1:1:Alien", "2:1:Zorro"}));
            break;
        case ListerCassettes: // cassette 3 alone is unreadable: no entry, where it would show blank
            puis([] {
                QCOMPARE(Feuille::chargee<VisuK7>()->ComboK7->count(), 2);
                fermerModales();
            });
            m.MenuEffacerCassette->trigger();
            break;
        case ChercherCassette:
            puis(fermerModales);
            m.MenuRechercheK7->trigger();
            break;
        case ImprimerFilms:
        case ImprimerCassettes: {
            auto* f = new Impression;
            f->Show();
            f->CaseTri[geste == ImprimerFilms ? 0 : 4]->setChecked(true);
            puis([] { // a preview shown all the same is closed, so that the test goes on to say so
                if (auto* a = Feuille::chargee<ApercuImpression>())
                    a->Unload();
            });
            QTest::mouseClick(f->BtnAjouterFilm, Qt::LeftButton);
            QCoreApplication::processEvents();
            QVERIFY(!Feuille::chargee<ApercuImpression>());
            break;
        }
        }
        QCOMPARE(banc.repondeur.restantes(), 0);
        QStringList critiques;
        for (const auto& [texte, style] : banc.repondeur.messages())
            critiques << (style == Messages::Critique ? texte : QString());
        critiques.removeAll(QString());
        QCOMPARE(critiques.size(), 1);
        QVERIFY2(critiques[0].contains(QDir::toNativeSeparators(fichier)) &&
                     critiques[0].contains("Réparer la base de donnée"),
                 qPrintable(critiques[0]));
    }

    // Compaction and repair from the menu: the notice stays modal over a disabled main window
    // (never blanked, as if the catalogue were wiped), the user is told, the program ends, and
    // the folder holds the catalogue alone, or beside the damaged one a repair kept.
    void maintenance_data() {
        QTest::addColumn<bool>("reparation");
        QTest::addColumn<QString>("etat");
        QTest::addColumn<QStringList>("dit"); // parts of the message; none for a compaction that worked
        QTest::addColumn<QString>("apres");   // the folder afterwards, besides Affiche and NoPicture.jpg
        const QString erreur = "Vérifier l'intégrité du fichier R7Ozire.mdb présent dans le répertoire";
        QTest::newRow("compactage") << false << "" << QStringList() << "R7Ozire.mdb";
        // A copy left by an earlier run goes first, whatever it holds.
        QTest::newRow("compactage, copie restante illisible")
            << false << "reste" << QStringList() << "R7Ozire.mdb";
        QTest::newRow("compactage, copie restante qui est un catalogue")
            << false << "catalogue restant" << QStringList() << "R7Ozire.mdb";
        QTest::newRow("compactage, dossier en lecture seule")
            << false << "lecture seule" << QStringList{"Erreur survenue lors du compactage", erreur}
            << "R7Ozire.mdb";
        QTest::newRow("compactage, dossier à la place de la copie")
            << false << "dossier" << QStringList{"Erreur survenue lors du compactage", erreur}
            << "R7Ozire.mdb R7OzireCompact.mdb";
        QTest::newRow("réparation, catalogue sain")
            << true << "" << QStringList{"est sain", "Il a été compacté."} << "R7Ozire.mdb";
        // The films' page is lost: their placements go, their cassettes are free tape again.
        QTest::newRow("réparation, page des films abîmée")
            << true << "abîmé"
            << QStringList{"Le catalogue a été réparé", "zone(s) illisible(s)", "8 placement(s) sans film",
                           "4 cassette(s) ont été remises en accord",
                           "conservé sous le nom R7Ozire.endommage.mdb"}
            << "R7Ozire.endommage.mdb R7Ozire.mdb";
        QTest::newRow("réparation, fichier texte")
            << true << "texte"
            << QStringList{"Erreur survenue lors de la restauration", erreur, "ne peut pas être réparé"}
            << "R7Ozire.mdb";
    }

    void maintenance() {
        QFETCH(bool, reparation);
        QFETCH(QString, etat);
        QFETCH(QStringList, dit);
        QFETCH(QString, apres);
        // An earlier case ended the program: a fresh event loop lets the notice wait again.
        QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(0); });
        QCoreApplication::exec();
        Banc banc;
        banc.dossier.remplir();
        if (!reparation) { // deleted rows leave free pages for the compaction to drop
            executer("DELETE FROM FilmK7 WHERE IdFilm = 8");
            executer("DELETE FROM Film WHERE IdFilm = 8");
            executer(
                "UPDATE K7 SET TempsRestant = '03:00:00', NBFilm = 0, Status = '03:00:00' WHERE IdK7 = 5");
        }
        const QStringList avant = relire(banc.dossier);
        const QString copie = banc.dossier.fichier(Catalogue::NomCompact);
        QVERIFY(etat == "reste"               ? ecrire(copie, "à moitié écrite")
                : etat == "catalogue restant" ? Catalogue::creerCatalogueVide(copie)
                : etat == "dossier"           ? QDir().mkpath(copie + "/dedans")
                                              : true);
        if (etat == "abîmé") {
            const int page = abimer::racine("Film");
            Catalogue::fermer();
            QByteArray b = octets(banc.dossier.catalogue());
            b.replace((page - 1) * 4096, 4096, QByteArray(4096, char(0xA5)));
            QVERIFY(ecrire(banc.dossier.catalogue(), b));
        }
        Catalogue::fermer();
        if (etat == "texte")
            QVERIFY(ecrire(banc.dossier.catalogue(), "K7 1 : Zorro, alien\nK7 2 : Été\n"));
        const QByteArray original = octets(banc.dossier.catalogue());
        Moniteur& m = banc.demarrer(etat == "abîmé" || etat == "texte" ? 1 : 0);
        banc.repondeur.effacer();
        const QByteArray ouvert = octets(banc.dossier.catalogue());
        const QString dossier = banc.dossier.chemin();
        const QFile::Permissions droits = QFileInfo(dossier).permissions();
        auto retablir = qScopeGuard([&] { QFile::setPermissions(dossier, droits); });
        if (etat == "lecture seule") {
            QVERIFY(QFile::setPermissions(dossier, droits & ~(QFile::WriteOwner | QFile::WriteUser)));
            if (::access(QFile::encodeName(dossier).constData(), W_OK) == 0)
                QSKIP("Ce compte écrit dans un dossier en lecture seule (root) : rien à vérifier.");
        }
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
        QCOMPARE(banc.repondeur.messages().size(), dit.isEmpty() ? 0 : 1);
        for (const QString& d : dit)
            QVERIFY2(banc.repondeur.dernier().contains(d) && !anglais(banc.repondeur.dernier()),
                     qPrintable(banc.repondeur.dernier()));
        if (!dit.isEmpty())
            QCOMPARE(banc.repondeur.messages().first().second,
                     int(dit.first().startsWith("Erreur") ? Messages::Critique : Messages::Information));
        QVERIFY(Appli::finDemandee());
        for (QWidget* w : QApplication::topLevelWidgets())
            QVERIFY2(!w->isVisible(), w->metaObject()->className());
        QFile::setPermissions(dossier, droits);
        QCOMPARE(fichiers(banc.dossier), QString("Affiche NoPicture.jpg " + apres).split(' '));
        if (etat == "abîmé")
            QCOMPARE(octets(banc.dossier.fichier("R7Ozire.endommage.mdb")), original);
        if (dit.size() && dit.first().startsWith("Erreur")) {
            QCOMPARE(octets(banc.dossier.catalogue()), ouvert);
            return;
        }
        QCOMPARE(Catalogue::verifierIntegrite(banc.dossier.catalogue()), QStringList());
        const QStringList lu = relire(banc.dossier);
        QCOMPARE(banc.dossier.invariants(), QStringList());
        if (etat == "abîmé")
            QCOMPARE(banc.dossier.contenu("Film") + banc.dossier.contenu("FilmK7"), QStringList());
        else
            QCOMPARE(lu, avant);
    }
};

QTEST_MAIN(TestDommages)
#include "tst_dommages.moc"
