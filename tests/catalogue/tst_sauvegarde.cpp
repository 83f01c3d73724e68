#include "catalogue/Catalogue.h"
#include "catalogue/Sauvegarde.h"
#include "tests/support/DossierTest.h"

#include <QDir>
#include <QFileInfo>
#include <QTest>

class TestSauvegarde : public QObject {
    Q_OBJECT

private slots:
    // Each start after a change adds a copy; the ten newest stay; an unchanged catalogue adds none.
    void rotation() {
        DossierTest d;
        QVERIFY(Sauvegarde::copies(d.chemin()).isEmpty());
        QStringList faites;
        for (int i = 0; i < 11; ++i) {
            d.ajouterCassette(QStringLiteral("03:00:00"));
            const Sauvegarde::Resultat r = Sauvegarde::sauvegarder(d.chemin());
            QVERIFY2(r.faite && r.erreur.isEmpty(), qPrintable(r.erreur));
            faites << r.fichier;
            const Sauvegarde::Resultat rien = Sauvegarde::sauvegarder(d.chemin());
            QVERIFY(!rien.faite && rien.erreur.isEmpty());
        }
        QCOMPARE(Sauvegarde::copies(d.chemin()), faites.mid(1));

        // The newest copy is a whole catalogue holding the eleven cassettes.
        Catalogue::fermer();
        QCOMPARE(Catalogue::verifierIntegrite(faites.last()), QStringList());
        QVERIFY(Catalogue::ouvrir(faites.last()).ok());
        QCOMPARE(d.contenu(QStringLiteral("K7")).size(), 11);
    }

    void sansCatalogue() {
        DossierTest d(false);
        QFile::remove(d.catalogue());
        const Sauvegarde::Resultat r = Sauvegarde::sauvegarder(d.chemin());
        QVERIFY(!r.faite && r.erreur.isEmpty());
        QVERIFY(!QFileInfo::exists(d.fichier(Sauvegarde::NomDossier)));
    }

    // A copy that cannot be made whole, its marker included, is said; no copy and no partial
    // marker are left, and the catalogue is left as it was.
    void obstacle_data() {
        QTest::addColumn<QString>("bouchon");
        QTest::addColumn<bool>("dossier");
        QTest::addColumn<QStringList>("reste");
        QTest::newRow("file where the folder should be") << Sauvegarde::NomDossier << false << QStringList();
        QTest::newRow("folder where the marker should be")
            << Sauvegarde::NomDossier + QStringLiteral("/derniere-copie.txt") << true
            << QStringList{QStringLiteral("derniere-copie.txt")};
    }
    void obstacle() {
        QFETCH(QString, bouchon);
        QFETCH(bool, dossier);
        QFETCH(QStringList, reste);
        DossierTest d;
        if (dossier) {
            QVERIFY(QDir().mkpath(d.fichier(bouchon)));
        } else {
            QFile f(d.fichier(bouchon));
            QVERIFY(f.open(QIODevice::WriteOnly));
        }
        const QStringList avant = d.contenu(QStringLiteral("K7"));
        const Sauvegarde::Resultat r = Sauvegarde::sauvegarder(d.chemin());
        QVERIFY(!r.faite);
        QVERIFY(!r.erreur.isEmpty());
        QVERIFY(Sauvegarde::copies(d.chemin()).isEmpty());
        const QDir copies(d.fichier(Sauvegarde::NomDossier));
        QCOMPARE(copies.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot),
                 reste);
        QCOMPARE(d.contenu(QStringLiteral("K7")), avant);
    }
};

QTEST_GUILESS_MAIN(TestSauvegarde)
#include "tst_sauvegarde.moc"
