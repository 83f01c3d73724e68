#include "catalogue/Catalogue.h"
#include "screens/auxiliary/Introduction.h"
#include "screens/common/Appli.h"
#include "screens/common/Unites.h"
#include "screens/main/Moniteur.h"
#include "tests/support/Banc.h"

#include <QDate>
#include <QDir>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTextEdit>
#include <QTimer>
#include <QtTest>

using namespace banc;

namespace {

const QString AucunFilm = QStringLiteral("Aucun film n'est présent dans la base de donnée !!");
const QString Ancienne =
    QStringLiteral("Votre ancienne base de donnée a été prise en compte par l'installation");

QImage image(const QString& chemin) {
    return QImage(chemin).convertToFormat(QImage::Format_RGB32);
}

// Everything the placeholder display sets, in a fixed order.
QStringList textes(const Moniteur& m) {
    QStringList t;
    for (const QLabel* l : {m.LblTitre, m.LblTitreOmbre, m.LblRealisateur, m.LblActeurs})
        t << l->text();
    t << m.TxtDescription->toPlainText();
    for (const QLabel* l : {m.LblDureeFilm, m.LblGenre, m.LblPays, m.LblDate, m.lblNumK7, m.LblDureeK7,
                            m.LblTempsRestant, m.LblPositionFilm, m.LblNbFilm, m.LblDebutBande})
        t << l->text();
    return t;
}

QStringList textesParDefaut() {
    return QStringLiteral("LE TITRE|LE TITRE|Notre ami le réalisateur|Plein d'acteurs|"
                          "\tY'a pas grand chose à dire pour le moment|0 Mn|Inclassable|France|%1|"
                          "0|Un max !|Beaucoup|0|0|")
        .arg(QDate::currentDate().year())
        .split(QLatin1Char('|'));
}

// The bar: each visible segment as "colour|caption|width|length".
QStringList barre(const Moniteur& m) {
    QStringList s;
    for (int i = 0; i <= m.shape.UBound(); ++i) {
        const Etiquette& e = m.shape(i);
        if (e.isHidden())
            continue;
        const QChar c = e.BackColor() == Unites::Rouge ? 'R' : e.BackColor() == Unites::Blanc ? 'B' : '?';
        const Etiquette& d = m.lblDuree(i);
        s << QStringLiteral("%1|%2|%3|%4")
                 .arg(c)
                 .arg(e.Caption())
                 .arg(e.Width())
                 .arg(d.isHidden() ? "-" : d.Caption());
    }
    return s;
}

// Title, cassette number, position, number of segments drawn.
QString fiche(const Moniteur& m) {
    return QStringLiteral("%1:%2:%3:%4")
        .arg(m.LblTitre->text(), m.lblNumK7->text(), m.LblPositionFilm->text())
        .arg(m.shape.UBound() + 1);
}

bool boutonsActifs(const Moniteur& m) {
    return m.BtnNextFilm->isEnabled() && m.BtnPreviousFilm->isEnabled();
}

// Overwrites one page of an SQLite file with garbage.
void abimerPage(const QString& chemin, int page) {
    QByteArray b = octets(chemin);
    const int taille = 4096;
    const int debut = page == 1 ? 100 : (page - 1) * taille;
    QVERIFY(b.size() >= page * taille);
    for (int i = debut; i < page * taille; ++i)
        b[i] = char(0xA5);
    QVERIFY(ecrire(chemin, b));
}

} // namespace

class TestMoniteur : public QObject {
    Q_OBJECT

private slots:
    void installation_data() {
        QTest::addColumn<bool>("maj");
        QTest::addColumn<bool>("mdb");
        QTest::addColumn<bool>("ok"); // "Ok" rather than the close box
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("les deux fichiers") << true << true << true << QStringList{Ancienne, AucunFilm};
        QTest::newRow("catalogue livré seul") << true << false << true << QStringList{AucunFilm};
        QTest::newRow("catalogue en place seul") << false << true << true << QStringList{AucunFilm};
        QTest::newRow("fermé sans Ok") << true << true << false << QStringList{AucunFilm};
    }

    void installation() {
        QFETCH(bool, maj);
        QFETCH(bool, mdb);
        QFETCH(bool, ok);
        QFETCH(QStringList, messages);
        Banc banc;
        const QString neuf = banc.dossier.fichier(Catalogue::NomCatalogueNeuf);
        banc.dossier.ajouterCassette(QStringLiteral("03:00:00")); // tells the two catalogues apart
        Catalogue::fermer();
        if (!mdb)
            QVERIFY(QFile::remove(banc.dossier.catalogue()));
        if (maj)
            QVERIFY(Catalogue::creerCatalogueVide(neuf));
        const QByteArray avantMdb = octets(banc.dossier.catalogue());
        const QByteArray avantMaj = octets(neuf);

        for (int i = 0; i < messages.size(); ++i)
            banc.repondeur.attendre();
        QPointer<Introduction> intro = new Introduction;
        intro->Show();
        if (ok)
            QTest::mouseClick(intro->BtnOK, Qt::LeftButton);
        else
            intro->close();
        banc.m = Moniteur::instance();

        // The main window follows, however the start-up screen closed.
        QVERIFY(banc.m && banc.m->isVisible());
        QVERIFY(!intro || !intro->isVisible());
        QCOMPARE(banc.repondeur.textes(), messages);
        if (messages.first() == Ancienne)
            QCOMPARE(banc.repondeur.messages().first().second, 0);
        QCOMPARE(QFile::exists(neuf), maj && !ok);
        QCOMPARE(octets(banc.dossier.catalogue()), mdb ? avantMdb : avantMaj);
        QCOMPARE(banc.m->K7Presente, mdb);
        if (ok) {
            // The next start has nothing left to install.
            Introduction::Installation(banc.dossier.chemin());
            QCOMPARE(banc.repondeur.textes(), messages);
        }
    }

    // Something other than a file under the catalogue's name: one French message says what, and
    // the delivered catalogue stays for the start after the user has moved it away.
    void installationSurCatalogueInutilisable_data() {
        QTest::addColumn<QString>("cas");
        QTest::addColumn<QString>("attendu");
        QTest::newRow("dossier") << "dossier"
                                 << "c'est un dossier";
        QTest::newRow("lien cassé") << "lien"
                                    << "lien vers un fichier absent";
    }

    void installationSurCatalogueInutilisable() {
        QFETCH(QString, cas);
        QFETCH(QString, attendu);
        Banc banc;
        const QString neuf = banc.dossier.fichier(Catalogue::NomCatalogueNeuf);
        Catalogue::fermer();
        QVERIFY(QFile::rename(banc.dossier.catalogue(), neuf));
        if (cas == "dossier")
            QVERIFY(QDir(banc.dossier.chemin()).mkdir(Catalogue::NomCatalogue));
        else
            QVERIFY(QFile::link(banc.dossier.fichier("parti.mdb"), banc.dossier.catalogue()));
        const QByteArray avantMaj = octets(neuf);

        banc.repondeur.attendre();
        QPointer<Introduction> intro = new Introduction;
        intro->Show();
        QTest::mouseClick(intro->BtnOK, Qt::LeftButton);
        banc.m = Moniteur::instance();

        const QStringList textes = banc.repondeur.textes();
        QCOMPARE(textes.size(), 1);
        QVERIFY2(textes.first().contains(attendu), qPrintable(textes.first()));
        QVERIFY(textes.first().contains(Catalogue::NomCatalogueNeuf));
        QVERIFY2(!textes.first().contains("Cannot"), qPrintable(textes.first()));
        QCOMPARE(octets(neuf), avantMaj);
    }

    void demarrage_data() {
        QTest::addColumn<int>("contenu"); // 0 nothing, 1 cassettes only, 2 films
        QTest::addColumn<bool>("k7Presente");
        QTest::addColumn<QStringList>("barre");
        QTest::newRow("catalogue vide") << 0 << false << QStringList{"B||3885|-"};
        QTest::newRow("cassettes sans film") << 1 << true << QStringList{"B||3885|-"};
        QTest::newRow("films") << 2 << true
                               << QStringList{"R|Zorro|1455|01:30:00", "R|alien|1890|01:57:00",
                                              "B||540|00:33:00"};
    }

    void demarrage() {
        QFETCH(int, contenu);
        QFETCH(bool, k7Presente);
        QFETCH(QStringList, barre);
        Banc banc;
        if (contenu == 1) {
            banc.dossier.ajouterCassette(QStringLiteral("03:00:00"));
            banc.dossier.ajouterCassette(QStringLiteral("04:00:00"));
        } else if (contenu == 2) {
            banc.dossier.remplir();
        }
        Moniteur& m = banc.demarrer(contenu == 2 ? 0 : 1);

        QCOMPARE(m.K7Presente, k7Presente);
        QCOMPARE(m.FilmPresent, contenu == 2);
        QCOMPARE(m.CheminAppli, QDir::cleanPath(banc.dossier.chemin()));
        QCOMPARE(::barre(m), barre);
        QCOMPARE(banc.montree(), image(banc.placeholder())); // no poster in this catalogue
        QCOMPARE(boutonsActifs(m), contenu == 2);
        if (contenu == 2) {
            QVERIFY(banc.repondeur.messages().isEmpty());
            // The first title in French order, on cassette 1 after Zorro.
            QCOMPARE(textes(m).mid(9),
                     (QStringList{"1", "04:00:00", "00:33:00", "2", "2", "Début sur la bande : 01:30:00"}));
            QCOMPARE(m.LblTitre->text(), QStringLiteral("alien"));
            QCOMPARE(m.LblTitreOmbre->text(), QStringLiteral("alien"));
            QCOMPARE(m.LblGenre->text(), QStringLiteral("Science-fiction"));
        } else {
            QCOMPARE(banc.repondeur.messages(), (QList<QPair<QString, int>>{{AucunFilm, 64}}));
            QCOMPARE(textes(m), textesParDefaut());
        }
    }

    void parcours_data() {
        QTest::addColumn<bool>("petit"); // the small catalogue, else a single film
        QTest::addColumn<bool>("suivant");
        QTest::addColumn<QStringList>("vus"); // at start, then after each click
        const QStringList ordre{"alien:1:2:3", "Amélie:5:1:2", "Brazil:3:4:5",          "Été:2:1:2",
                                "K7 9:3:2:5",  "K7 10:3:1:5",  "L'été meurtrier:3:3:5", "Zorro:1:1:3"};
        QStringList arriere{ordre.first()};
        for (int i = ordre.size() - 1; i >= 0; --i)
            arriere << ordre[i];
        QTest::newRow("suivant") << true << true << (ordre + QStringList{ordre.first()});
        QTest::newRow("précédent") << true << false << arriere;
        const QStringList seul(3, QStringLiteral("Solo:1:1:2"));
        QTest::newRow("un seul film, suivant") << false << true << seul;
        QTest::newRow("un seul film, précédent") << false << false << seul;
    }

    void parcours() {
        QFETCH(bool, petit);
        QFETCH(bool, suivant);
        QFETCH(QStringList, vus);
        Banc banc;
        if (petit)
            banc.dossier.remplir();
        else
            banc.dossier.placerFilm(banc.dossier.ajouterCassette("03:00:00"), "Solo", "01:00:00");
        Moniteur& m = banc.demarrer();
        QPushButton* bouton = suivant ? m.BtnNextFilm : m.BtnPreviousFilm;
        QStringList obtenus{fiche(m)};
        for (int i = 1; i < vus.size(); ++i) {
            QTest::mouseClick(bouton, Qt::LeftButton);
            obtenus << fiche(m);
            QCOMPARE(m.LblTitreOmbre->text(), m.LblTitre->text());
        }
        QCOMPARE(obtenus, vus);
    }

    void affiches() {
        Banc banc;
        const qint64 k7 = banc.dossier.ajouterCassette(QStringLiteral("03:00:00"));
        const qint64 avec = banc.dossier.placerFilm(k7, "Avec affiche", "01:00:00");
        const qint64 sans = banc.dossier.placerFilm(k7, "Sans affiche", "01:00:00");
        QVERIFY(QDir(banc.dossier.chemin()).mkdir(QStringLiteral("Affiche")));
        QImage rouge(30, 40, QImage::Format_RGB32);
        rouge.fill(Qt::red);
        QVERIFY(rouge.save(banc.affiche(avec), "JPG"));
        const QImage placeholder = image(banc.placeholder());
        QVERIFY(!placeholder.isNull());

        Moniteur& m = banc.demarrer();
        QCOMPARE(banc.montree(), image(banc.affiche(avec)));
        m.BtnNextFilm_Click();
        QCOMPARE(banc.montree(), placeholder);

        QVERIFY(QFile::remove(banc.affiche(avec)));
        m.BtnPreviousFilm_Click();
        QCOMPARE(m.LblTitre->text(), QStringLiteral("Avec affiche"));
        QCOMPARE(banc.montree(), placeholder);

        // A poster that is not a picture shows the placeholder too.
        QVERIFY(ecrire(banc.affiche(avec), "pas une image"));
        m.BtnNextFilm_Click();
        m.BtnPreviousFilm_Click();
        QCOMPARE(banc.montree(), placeholder);

        // A poster added later shows at the next display.
        QVERIFY(rouge.save(banc.affiche(sans), "JPG"));
        m.BtnNextFilm_Click();
        QCOMPARE(banc.montree(), image(banc.affiche(sans)));
    }

    void dossierAffiches_data() {
        QTest::addColumn<bool>("present");
        QTest::newRow("absent") << false;
        QTest::newRow("présent") << true;
    }

    void dossierAffiches() {
        QFETCH(bool, present);
        Banc banc;
        const QString dossier = banc.dossier.fichier(QStringLiteral("Affiche"));
        if (present) {
            QVERIFY(QDir().mkpath(dossier + QStringLiteral("/ancien")));
            QVERIFY(ecrire(banc.affiche(7), "affiche sept"));
        }
        banc.demarrer(1);
        QVERIFY(QFileInfo(dossier).isDir());
        const QStringList attendu = present ? QStringList{"7.jpg", "ancien"} : QStringList{};
        QCOMPARE(QDir(dossier).entryList(QDir::AllEntries | QDir::NoDotAndDotDot, QDir::Name), attendu);
        if (present)
            QCOMPARE(octets(banc.affiche(7)), QByteArray("affiche sept"));
    }

    void echecsDemarrage_data() {
        QTest::addColumn<QString>("cas");
        QTest::addColumn<QString>("raison"); // part of the message
        auto cas = [](const char* nom, const char* c, const char* raison) {
            QTest::newRow(nom) << QString::fromUtf8(c) << QString::fromUtf8(raison);
        };
        cas("absent", "absent", "introuvable");
        cas("fichier vide", "vide", "n'est pas un catalogue");
        cas("fichier texte", "texte", "n'est pas un catalogue");
        cas("table manquante", "incomplet", "la table « Film » manque");
        cas("schéma endommagé", "schema", "endommagé");
        cas("table endommagée", "donnees", "endommagé");
    }

    void echecsDemarrage() {
        QFETCH(QString, cas);
        QFETCH(QString, raison);
        Banc banc;
        const QString fichier = banc.dossier.catalogue();
        banc.dossier.remplir();
        Sql q;
        QVERIFY(q.exec(QStringLiteral("SELECT rootpage FROM sqlite_master WHERE name = 'Film'")) && q.next());
        const int pageFilm = q.value(0).toInt();
        q.finish();
        if (cas == QLatin1String("incomplet"))
            QVERIFY(q.exec(QStringLiteral("DROP TABLE Film")));
        Catalogue::fermer();
        if (cas == QLatin1String("absent")) {
            QVERIFY(QFile::remove(fichier));
        } else if (cas == QLatin1String("vide")) {
            QVERIFY(ecrire(fichier, QByteArray()));
        } else if (cas == QLatin1String("texte")) {
            QVERIFY(ecrire(fichier, "Liste de mes cassettes\nK7 1 : Zorro\n"));
        } else if (cas != QLatin1String("incomplet")) {
            abimerPage(fichier, cas == QLatin1String("schema") ? 1 : pageFilm);
        }
        const bool existait = QFile::exists(fichier);
        const QByteArray avant = octets(fichier);

        Moniteur& m = banc.demarrer(1);
        QCOMPARE(banc.repondeur.messages().size(), 1);
        const QString texte = banc.repondeur.dernier();
        QCOMPARE(banc.repondeur.messages().first().second, 16);
        QVERIFY2(texte.contains(QDir::toNativeSeparators(fichier)), qPrintable(texte));
        QVERIFY2(texte.contains(raison), qPrintable(texte));
        QCOMPARE(textes(m), textesParDefaut());
        QCOMPARE(banc.montree(), image(banc.placeholder()));
        QVERIFY(!m.FilmPresent && !boutonsActifs(m));
        m.BtnNextFilm_Click(); // does nothing, even called from code
        m.BtnPreviousFilm_Click();
        QCOMPARE(textes(m), textesParDefaut());
        // The file is left as it was for the user or the repair to deal with.
        QCOMPARE(QFile::exists(fichier), existait);
        QCOMPARE(octets(fichier), avant);
    }

    // A damaged catalogue may hold a film without placement: it shows with an empty cassette.
    void filmSansPlacement() {
        Banc banc;
        banc.dossier.placerFilm(banc.dossier.ajouterCassette("03:00:00"), "Zorro", "01:00:00");
        QVERIFY(Sql().exec(
            QStringLiteral("INSERT INTO Film (Titre, \"Durée\") VALUES ('Amnésique', '01:00:00')")));
        Moniteur& m = banc.demarrer();

        const QStringList vide{"0", "", "",
                               "",  "", ""}; // number, capacity, free time, position, count, start
        QCOMPARE(m.LblTitre->text(), QStringLiteral("Amnésique"));
        QCOMPARE(textes(m).mid(9), vide);
        QCOMPARE(barre(m), QStringList());
        m.BtnNextFilm_Click();
        QCOMPARE(fiche(m), QStringLiteral("Zorro:1:1:2"));
        m.BtnNextFilm_Click();
        QCOMPARE(m.LblTitre->text(), QStringLiteral("Amnésique"));
        QCOMPARE(textes(m).mid(9), vide);
        QCOMPARE(barre(m), QStringList());
    }

    // Coming back from a modal screen sets the browsing buttons again, unless the film list
    // owns them.
    void activation_data() {
        QTest::addColumn<bool>("films");
        QTest::addColumn<bool>("listeOuverte");
        QTest::addColumn<bool>("avant");
        QTest::addColumn<bool>("apres");
        QTest::newRow("films") << true << false << false << true;
        QTest::newRow("liste ouverte, boutons éteints") << true << true << false << false;
        QTest::newRow("sans film") << false << false << true << false;
    }

    void activation() {
        QFETCH(bool, films);
        QFETCH(bool, listeOuverte);
        QFETCH(bool, avant);
        QFETCH(bool, apres);
        Banc banc;
        if (films)
            banc.dossier.remplir();
        Moniteur& m = banc.demarrer(films ? 0 : 1);
        m.ListeOuverte = listeOuverte;
        m.BtnNextFilm->setEnabled(avant);
        m.BtnPreviousFilm->setEnabled(avant);
        m.LblTitre->setText(QStringLiteral("changé"));

        auto* modale = new Feuille(&m);
        QTimer::singleShot(0, modale, [modale] { modale->Unload(); });
        modale->ShowModal(&m);

        QCOMPARE(m.BtnNextFilm->isEnabled(), apres);
        QCOMPARE(m.BtnPreviousFilm->isEnabled(), apres);
        QCOMPARE(m.LblTitre->text(), films ? QStringLiteral("changé") : QStringLiteral("LE TITRE"));
    }
};

QTEST_MAIN(TestMoniteur)
#include "tst_moniteur.moc"
