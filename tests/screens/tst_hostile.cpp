// Files nobody meant for Cassetron where it expects its own: damaged or foreign catalogues,
// posters that are not pictures, film files that are not text, folders that refuse writes. Each
// gets a French message, never a crash, and the file is left as it was.

#include "screens/auxiliary/Introduction.h"
#include "screens/film/AjoutK7.h"
#include "screens/film/ChoixK7.h"
#include "tests/support/Banc.h"
#include "tests/support/Sql.h"
#include "tests/support/Verrou.h"

#include <QPushButton>
#include <QRandomGenerator>
#include <QToolButton>

#include <sys/stat.h>
#include <unistd.h>

using namespace banc;

namespace {

const QStringList Avant{"AVANT", "Réal avant", "Acteurs avant", "02:00:00",
                        "1990",  "Pays avant", "Genre avant",   "Résumé avant"};

// What the engine or the system says in English, which must not reach the user as the reason.
bool anglais(const QString& texte) {
    for (const char* mot : {"database", "malformed", "file is", "ermission", "denied", "irectory", "No such",
                            "unable", "readonly", "not a "}) {
        if (texte.contains(QLatin1String(mot)))
            return true;
    }
    return false;
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

// A picture with some detail, so that half of its file is half a picture.
QByteArray photo(const char* format) {
    QImage i(200, 300, QImage::Format_RGB32);
    QRandomGenerator alea(7);
    for (int y = 0; y < i.height(); ++y) {
        for (int x = 0; x < i.width(); ++x)
            i.setPixel(x, y, alea.generate());
    }
    QByteArray b;
    QBuffer tampon(&b);
    tampon.open(QIODevice::WriteOnly);
    i.save(&tampon, format);
    return b;
}

// The kinds of poster files, put at chemin: "" when it was made.
void poster(const QString& cas, const QString& chemin) {
    QByteArray b;
    if (cas == QStringLiteral("jpeg géant")) {
        b = photo("JPG");
        const int sof = int(b.indexOf("\xff\xc0"));
        QVERIFY(sof > 0);
        ecrireGrand(b, sof + 5, 40000, 2); // height, then width
        ecrireGrand(b, sof + 7, 40000, 2);
    } else if (cas == QStringLiteral("png géant")) {
        b = photo("PNG");
        ecrireGrand(b, 16, 40000, 4);
        ecrireGrand(b, 20, 40000, 4);
        ecrireGrand(b, 29, crc32(b.mid(12, 17)), 4);
    } else if (cas == QStringLiteral("jpeg tronqué")) {
        b = photo("JPG");
        b.truncate(b.size() / 2);
    } else if (cas == QStringLiteral("pas une image")) {
        b = "Ceci n'est pas une affiche.\n";
    } else if (cas == QStringLiteral("dossier")) {
        QVERIFY(QDir().mkpath(chemin));
        return;
    }
    QVERIFY(ecrire(chemin, b));
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

} // namespace

class TestHostile : public QObject {
    Q_OBJECT

private slots:
    void catalogues_data() {
        QTest::addColumn<QString>("cas");
        QTest::addColumn<QStringList>("messages"); // a part of each box, in order
        QTest::addColumn<bool>("films");           // the films still show
        const QString illisible = QStringLiteral("est endommagé et ne peut pas être lu");
        QTest::newRow("tronqué") << "tronqué" << QStringList{illisible} << false;
        QTest::newRow("pages du milieu abîmées") << "milieu" << QStringList{illisible} << false;
        QTest::newRow("index abîmé, vu en parcourant") << "index" << QStringList{illisible} << true;
        QTest::newRow("champ manquant") << "sans champ" << QStringList{"le champ « Genre »"} << false;
        QTest::newRow("champ renommé") << "renommé" << QStringList{"le champ « Titre »"} << false;
        QTest::newRow("table qui est une vue") << "vue" << QStringList{"« K7 » n'est pas une table"} << false;
        QTest::newRow("fichier de zéro octet") << "vide" << QStringList{"le fichier est vide"} << false;
        QTest::newRow("fichier texte") << "texte" << QStringList{"n'est pas un catalogue Cassetron"} << false;
    }

    void catalogues() {
        QFETCH(QString, cas);
        QFETCH(QStringList, messages);
        QFETCH(bool, films);
        Banc banc;
        banc.dossier.remplir();
        Sql q;
        QVERIFY(q.exec("SELECT rootpage FROM sqlite_master WHERE name = 'FilmK7_IdFilm'") && q.next());
        const int pageIndex = q.value(0).toInt();
        const QString sql = cas == "sans champ" ? "ALTER TABLE Film DROP COLUMN Genre"
                            : cas == "renommé"  ? "ALTER TABLE Film RENAME COLUMN Titre TO Nom"
                            : cas == "vue"
                                ? "ALTER TABLE K7 RENAME TO K7_; CREATE VIEW K7 AS SELECT * FROM K7_"
                                : "";
        for (const QString& s : sql.split(';', Qt::SkipEmptyParts))
            QVERIFY2(q.exec(s), qPrintable(q.lastError()));
        q.finish();
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
        else if (cas == "milieu" || cas == "index") {
            const int debut = cas == "index" ? (pageIndex - 1) * page : 2 * page;
            const int fin = cas == "index" ? debut + page : int(b.size()) - page;
            QRandomGenerator alea(1999);
            for (int i = debut; i < fin; ++i)
                b[i] = char(alea.bounded(256));
        }
        QVERIFY(ecrire(fichier, b));

        Moniteur& m = demarrerPourDeVrai(banc, int(messages.size()));
        QCOMPARE(banc.repondeur.restantes(), 0);
        const QStringList textes = banc.repondeur.textes();
        QCOMPARE(textes.size(), messages.size());
        for (int i = 0; i < textes.size(); ++i) {
            QVERIFY2(textes[i].contains(messages[i]), qPrintable(textes[i]));
            QVERIFY2(!anglais(textes[i]), qPrintable(textes[i]));
        }
        QVERIFY2(textes.last().contains(QDir::toNativeSeparators(fichier)), qPrintable(textes.last()));
        QCOMPARE(banc.repondeur.messages().last().second, int(Messages::Critique));
        QCOMPARE(m.FilmPresent, films);
        // Browsing says nothing more and does not fail.
        m.BtnNextFilm_Click();
        m.BtnPreviousFilm_Click();
        QCOMPARE(banc.repondeur.textes(), textes);
        QCOMPARE(octets(fichier), b);
    }

    // A poster that cannot be shown: the placeholder in the main window and in the modify form,
    // refused with a French message when chosen or imported in the film form.
    void affiches_data() {
        QTest::addColumn<QString>("cas");
        QTest::addColumn<QString>("raison"); // empty: the file is taken as a picture
        QTest::newRow("jpeg géant") << "jpeg géant"
                                    << "40000 × 40000";
        QTest::newRow("png géant") << "png géant"
                                   << "40000 × 40000";
        QTest::newRow("pas une image") << "pas une image"
                                       << "ce n'est pas une image";
        QTest::newRow("fichier de zéro octet") << "vide"
                                               << "le fichier est vide";
        QTest::newRow("dossier") << "dossier"
                                 << "ne peut pas être lue";
        // What a truncated JPEG still holds shows, grey below: a picture all the same.
        QTest::newRow("jpeg tronqué") << "jpeg tronqué"
                                      << "";
    }

    void affiches() {
        QFETCH(QString, cas);
        QFETCH(QString, raison);
        Banc banc;
        const qint64 id =
            banc.dossier.placerFilm(banc.dossier.ajouterCassette("03:00:00"), "Alien", "01:57:00");
        QVERIFY(QDir(banc.dossier.chemin()).mkdir("Affiche"));
        poster(cas, banc.affiche(id));
        const QImage placeholder = QImage(banc.placeholder()).convertToFormat(QImage::Format_RGB32);
        Moniteur& m = banc.demarrer();
        QCOMPARE(banc.montree() == placeholder, !raison.isEmpty());
        QVERIFY(!banc.montree().isNull());

        bool vu = false;
        puis([&] {
            AjoutFilm* f = AjoutFilm::instance();
            QVERIFY(f);
            const QImage montree = f->Affiche->pixmap().toImage().convertToFormat(QImage::Format_RGB32);
            QCOMPARE(montree == placeholder, !raison.isEmpty());
            vu = true;
            f->close();
        });
        m.MenuModifFilm->trigger();
        QVERIFY(vu);

        // Chosen in the form, then beside an imported film file.
        m.ModeAjout = true;
        m.ModeModif = false;
        auto* f = new AjoutFilm;
        f->Show();
        const QString choisie = banc.dossier.fichier("Choisie.jpg");
        poster(cas, choisie);
        banc.repondeur.attendreFichier(choisie);
        if (!raison.isEmpty())
            banc.repondeur.attendre();
        QTest::mouseClick(f->OuvrirAffiche, Qt::LeftButton);
        QCOMPARE(f->AfficheModifiee, raison.isEmpty());
        QCOMPARE(f->Affiche->pixmap().isNull(), !raison.isEmpty());

        const QString fichierFilm = banc.dossier.fichier("Brazil.film");
        QVERIFY(ecrire(fichierFilm, "brazil\nterry gilliam\n1985\n"));
        poster(cas, banc.dossier.fichier("Brazil.jpg"));
        f->AfficheModifiee = false;
        banc.repondeur.attendreFichier(fichierFilm);
        if (!raison.isEmpty())
            banc.repondeur.attendre();
        QTest::mouseClick(f->ImporterFilm, Qt::LeftButton);
        QCOMPARE(f->TxtTitre->toPlainText(), QStringLiteral("BRAZIL"));
        QCOMPARE(f->AfficheModifiee, raison.isEmpty());

        QCOMPARE(banc.repondeur.restantes(), 0);
        const auto boites = banc.repondeur.messages();
        QCOMPARE(boites.size(), raison.isEmpty() ? 0 : 2);
        for (const auto& [texte, style] : boites) {
            QCOMPARE(style, int(Messages::Exclamation));
            QVERIFY2(texte.contains(raison) && texte.contains("ne peut pas être lue"), qPrintable(texte));
        }
        if (!boites.isEmpty()) {
            QVERIFY(boites[0].first.contains(QDir::toNativeSeparators(choisie)));
            QVERIFY(boites[1].first.contains("Le film est importé sans son affiche"));
        }
    }

    // Nothing of a refused film file reaches the form.
    void fichiersFilm_data() {
        QTest::addColumn<QString>("cas");
        QTest::addColumn<QString>("raison");
        QTest::newRow("50 Mo") << "50 Mo"
                               << "bien trop grand";
        QTest::newRow("octet nul") << "octet nul"
                                   << "ce n'est pas un fichier texte";
        QTest::newRow("binaire") << "binaire"
                                 << "ce n'est pas un fichier texte";
        QTest::newRow("dossier") << "dossier"
                                 << "ce n'est pas un fichier";
        QTest::newRow("tube nommé") << "tube"
                                    << "ce n'est pas un fichier"; // would be read forever
        QTest::newRow("illisible") << "illisible"
                                   << "ne peut pas être ouvert en lecture";
    }

    void fichiersFilm() {
        QFETCH(QString, cas);
        QFETCH(QString, raison);
        Banc banc;
        Moniteur& m = banc.demarrer();
        const QString chemin = banc.dossier.fichier("Hostile.film");
        if (cas == "50 Mo") {
            QFile f(chemin);
            QVERIFY(f.open(QIODevice::WriteOnly) && f.write("TITRE\n") == 6 && f.resize(50 << 20));
        } else if (cas == "octet nul") {
            QVERIFY(ecrire(chemin, QByteArray("TITRE\nREAL\n19\0"
                                              "85\n",
                                              15)));
        } else if (cas == "binaire") {
            QByteArray b(4096, Qt::Uninitialized);
            QRandomGenerator alea(42);
            for (char& c : b)
                c = char(alea.bounded(256));
            QVERIFY(ecrire(chemin, b));
        } else if (cas == "dossier") {
            QVERIFY(QDir().mkpath(chemin));
        } else if (cas == "tube") {
            QCOMPARE(::mkfifo(QFile::encodeName(chemin).constData(), 0644), 0);
        } else {
            QVERIFY(ecrire(chemin, "titre\nréal\n"));
            QVERIFY(QFile::setPermissions(chemin, {}));
            if (::access(QFile::encodeName(chemin).constData(), R_OK) == 0)
                QSKIP("Ce compte lit un fichier sans droit de lecture (root) : rien à vérifier.");
        }
        image(banc.dossier.fichier("Hostile.jpg"), Qt::yellow);
        m.ModeAjout = true;
        auto* f = new AjoutFilm;
        f->Show();
        remplir(*f, Avant);

        banc.repondeur.attendreFichier(chemin);
        banc.repondeur.attendre();
        QTest::mouseClick(f->ImporterFilm, Qt::LeftButton);
        QCOMPARE(banc.repondeur.restantes(), 0);
        QCOMPARE(banc.repondeur.messages().size(), 1);
        const QString texte = banc.repondeur.dernier();
        QCOMPARE(banc.repondeur.messages().first().second, int(Messages::Exclamation));
        QVERIFY2(texte.contains(QDir::toNativeSeparators(chemin)) && texte.contains(raison),
                 qPrintable(texte));
        QVERIFY2(!anglais(texte), qPrintable(texte));
        QCOMPARE(champs(*f), Avant);
        QVERIFY(!f->AfficheModifiee);
    }

    // A file named like the poster folder: said at start; a film with a poster is refused whole
    // (the form keeps it for another try), a film without one is placed.
    void dossierAffichesEstUnFichier() {
        Banc banc;
        cassette(QStringLiteral("04:00:00"));
        const QString dossier = banc.dossier.fichier("Affiche");
        QVERIFY(ecrire(dossier, "mes notes"));
        const QStringList avant = tout(banc.dossier);
        Moniteur& m = banc.demarrer(2); // the poster folder, then the empty catalogue
        QVERIFY2(banc.repondeur.textes().value(0).contains("Le dossier des affiches " +
                                                           QDir::toNativeSeparators(dossier)),
                 qPrintable(banc.repondeur.textes().join('|')));

        for (const bool avecAffiche : {true, false}) {
            bool fini = false;
            puis([&] {
                AjoutFilm* f = AjoutFilm::instance();
                QVERIFY(f);
                remplir(*f, {"Alien", "", "", "01:57:00", "1979", "", "", ""});
                if (avecAffiche) {
                    banc.repondeur.attendreFichier(banc.dossier.fichier("Alien.jpg"));
                    image(banc.dossier.fichier("Alien.jpg"), Qt::red);
                    QTest::mouseClick(f->OuvrirAffiche, Qt::LeftButton);
                }
                puis([&] {
                    if (avecAffiche) {
                        banc.repondeur.attendre();
                        QTest::mouseClick(ChoixK7::instance()->BtnValiderK7, Qt::LeftButton);
                        QVERIFY2(banc.repondeur.dernier().contains("Le film n'a pas été ajouté"),
                                 qPrintable(banc.repondeur.dernier()));
                        fermerModales();
                    } else {
                        puis([&] {
                            QTest::mouseClick(Feuille::chargee<InfosK7>()->BtnValiderK7, Qt::LeftButton);
                        });
                        QTest::mouseClick(ChoixK7::instance()->BtnValiderK7, Qt::LeftButton);
                    }
                    fini = true;
                });
                QTest::mouseClick(f->BtnAjouterFilm, Qt::LeftButton);
            });
            m.MenuAjouterFilm->trigger();
            QVERIFY(fini);
            if (avecAffiche) {
                QVERIFY2(
                    banc.repondeur.dernier().contains(QStringLiteral("est un fichier et non un dossier")),
                    qPrintable(banc.repondeur.dernier()));
                QCOMPARE(tout(banc.dossier), avant);
            }
        }
        QCOMPARE(::placements(), QStringList{"1:1:Alien"});
        QCOMPARE(octets(dossier), QByteArray("mes notes"));
        for (const QString& t : banc.repondeur.textes())
            QVERIFY2(!anglais(t), qPrintable(t));
    }

    // Writes refused by the folder or the file: the start says the catalogue can only be read, a
    // change is refused in French, nothing is lost.
    void lectureSeule_data() {
        QTest::addColumn<bool>("dossier");
        QTest::addColumn<QStringList>("messages");
        const QString seule = QStringLiteral("est en lecture seule");
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
        const QStringList textes = banc.repondeur.textes();
        QCOMPARE(textes.size(), messages.size());
        for (int i = 0; i < textes.size(); ++i)
            QVERIFY2(textes[i].contains(messages[i]) && !anglais(textes[i]), qPrintable(textes[i]));
        QVERIFY(m.FilmPresent);

        banc.repondeur.effacer();
        puis([&] {
            auto* k7 = Feuille::chargee<AjoutK7>();
            QVERIFY(k7);
            k7->TxtDuree->setText(QStringLiteral("03:00:00"));
            banc.repondeur.attendre();
            QTest::mouseClick(k7->BtnAjouterK7, Qt::LeftButton);
            k7->close();
        });
        m.MenuAjouterCassette->trigger();
        QCOMPARE(banc.repondeur.messages().size(), 1);
        QVERIFY2(banc.repondeur.dernier().contains("n'accepte pas d'écriture"),
                 qPrintable(banc.repondeur.dernier()));
        QCOMPARE(tout(banc.dossier), avant);
        delete banc.m;
        Catalogue::fermer();
        verrou.lever();
        QCOMPARE(octets(banc.dossier.catalogue()), octetsAvant);
    }
};

QTEST_MAIN(TestHostile)
#include "tst_hostile.moc"
