#include "catalogue/Catalogue.h"
#include "catalogue/Sauvegarde.h"
#include "catalogue/Sqlite.h"
#include "tests/support/DossierTest.h"

#include <QDir>
#include <QFileInfo>
#include <QTest>

#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// A crash in the middle of a write: a child process adds many rows, so that the engine writes
// pages into the file before its commit, and dies. The file is left with a hot journal.
bool laisserJournalChaud(const QString& catalogue) {
    Catalogue::fermer();
    const QByteArray chemin = QFile::encodeName(catalogue);
    const pid_t pid = fork();
    if (pid == 0) {
        sqlite3* db = nullptr;
        sqlite3_open(chemin.constData(), &db);
        sqlite3_exec(
            db,
            "PRAGMA cache_size = 10; BEGIN; INSERT INTO K7 (\"Durée\", TempsRestant, NBFilm, Status) "
            "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 3000) "
            "SELECT '01:00:00', '01:00:00', 0, printf('%.*c', 400, 'x') FROM n;",
            nullptr, nullptr, nullptr);
        _exit(0);
    }
    int statut = 0;
    waitpid(pid, &statut, 0);
    QFile journal(catalogue + QStringLiteral("-journal"));
    return journal.open(QIODevice::ReadOnly) && journal.read(8) == QByteArray::fromHex("d9d505f920a163d7");
}

int cassettesDe(const QString& fichier) {
    Catalogue::fermer();
    if (!Catalogue::ouvrir(fichier).ok())
        return -1;
    Catalogue::Sqlite::Requete q(Catalogue::base(), QStringLiteral("SELECT count(*) FROM K7"));
    const int n = q.pas() == SQLITE_ROW ? int(q.entier(0)) : -1;
    return n;
}

QStringList nomsDansSauvegardes(const DossierTest& d) {
    return QDir(d.fichier(Sauvegarde::NomDossier))
        .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

} // namespace

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
        QCOMPARE(cassettesDe(faites.last()), 11);
    }

    // A state the copies do not hold yet is copied at the next start, with what it holds.
    void changement_data() {
        QTest::addColumn<QString>("cas");
        QTest::addColumn<int>("cassettes"); // in the new copy
        QTest::newRow("ajout puis compactage") << "compactage" << 2;
        QTest::newRow("arrêt brutal pendant une écriture") << "journal" << 2;
        QTest::newRow("dernière copie supprimée à la main") << "supprimee" << 2;
    }
    void changement() {
        QFETCH(QString, cas);
        QFETCH(int, cassettes);
        DossierTest d;
        d.ajouterCassette(QStringLiteral("03:00:00"));
        // A compacted file restarts the engine's change counter: both states show the same one.
        const auto compacter = [&] {
            Catalogue::fermer();
            QVERIFY(Catalogue::compacter(d.chemin()).ok);
            QVERIFY(Catalogue::ouvrir(d.catalogue()).ok());
        };
        if (cas == QLatin1String("compactage"))
            compacter();
        const Sauvegarde::Resultat premiere = Sauvegarde::sauvegarder(d.chemin());
        QVERIFY(premiere.faite);
        d.ajouterCassette(QStringLiteral("04:00:00"));
        if (cas == QLatin1String("compactage")) {
            compacter();
        } else if (cas == QLatin1String("journal")) {
            QVERIFY(laisserJournalChaud(d.catalogue()));
        } else {
            const Sauvegarde::Resultat seconde = Sauvegarde::sauvegarder(d.chemin());
            QVERIFY(seconde.faite);
            QVERIFY(QFile::remove(seconde.fichier));
        }

        const Sauvegarde::Resultat r = Sauvegarde::sauvegarder(d.chemin());
        QVERIFY2(r.faite && r.erreur.isEmpty(), qPrintable(r.erreur));
        QCOMPARE(Catalogue::verifierIntegrite(r.fichier), QStringList());
        QCOMPARE(cassettesDe(r.fichier), cassettes);
        QCOMPARE(cassettesDe(d.catalogue()), cassettes);
        QVERIFY(!QFileInfo::exists(d.catalogue() + QStringLiteral("-journal")));
    }

    void sansCatalogue() {
        DossierTest d(false);
        QFile::remove(d.catalogue());
        const Sauvegarde::Resultat r = Sauvegarde::sauvegarder(d.chemin());
        QVERIFY(!r.faite && r.erreur.isEmpty());
        QVERIFY(!QFileInfo::exists(d.fichier(Sauvegarde::NomDossier)));
    }

    // What Sauvegardes holds after a start: the copy just made always stays, whatever the clock
    // said before; what an earlier start left unfinished goes.
    void restes_data() {
        QTest::addColumn<QStringList>("avant"); // name, and days from now of its writing
        QTest::addColumn<QStringList>("apres"); // "*" is the new copy
        QStringList futur, garde;
        for (int i = 1; i <= 10; ++i) {
            const QString nom =
                QStringLiteral("R7Ozire-21000101-0000%1-000.mdb").arg(i, 2, 10, QLatin1Char('0'));
            futur << nom + QStringLiteral("=%1").arg(1000 + i);
            if (i > 1)
                garde << nom;
        }
        QTest::newRow("horloge retardée depuis les copies") << futur << QStringList{"*"} + garde;
        QTest::newRow("copie interrompue")
            << QStringList{"R7Ozire-20260101-000000-000.mdb.tmp=0",
                           "R7Ozire-20260101-000000-000.mdb.tmp-journal=0", "derniere-copie.txt.provisoire=0"}
            << QStringList{"*"};
    }
    void restes() {
        QFETCH(QStringList, avant);
        QFETCH(QStringList, apres);
        DossierTest d;
        const QDir dossier(d.fichier(Sauvegarde::NomDossier));
        QVERIFY(dossier.mkpath(QStringLiteral(".")));
        for (const QString& a : avant) {
            QFile f(dossier.filePath(a.section(QLatin1Char('='), 0, 0)));
            QVERIFY(f.open(QIODevice::WriteOnly) && f.write("copie") == 5);
            QVERIFY(
                f.setFileTime(QDateTime::currentDateTime().addDays(a.section(QLatin1Char('='), 1).toInt()),
                              QFileDevice::FileModificationTime));
        }
        const Sauvegarde::Resultat r = Sauvegarde::sauvegarder(d.chemin());
        QVERIFY2(r.faite, qPrintable(r.erreur));
        QStringList attendus;
        for (const QString& a : apres)
            attendus << (a == QLatin1String("*") ? QFileInfo(r.fichier).fileName() : a);
        attendus << QStringLiteral("derniere-copie.txt");
        attendus.sort();
        QCOMPARE(nomsDansSauvegardes(d), attendus);
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

    // The restore dialog's list: newest first, counts read from each copy, a damaged one said so.
    void lister() {
        DossierTest d;
        d.remplir();
        const QString pleine = Sauvegarde::sauvegarder(d.chemin()).fichier;
        const QString abimee = QFileInfo(pleine).dir().filePath(QStringLiteral("R7Ozire-abimee.mdb"));
        QFile f(abimee);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write("pas une base") > 0);
        QVERIFY(f.setFileTime(QDateTime::currentDateTime().addSecs(60), QFileDevice::FileModificationTime));
        const QList<Sauvegarde::Copie> l = Sauvegarde::lister(d.chemin());
        QCOMPARE(l.size(), 2);
        QCOMPARE(l[0].fichier, abimee);
        QVERIFY(!l[0].lisible);
        QCOMPARE(l[1].fichier, pleine);
        QVERIFY(l[1].lisible);
        QCOMPARE(l[1].films, 8);
        QCOMPARE(l[1].cassettes, 5);
    }

    // Restored, the catalogue holds the copy's rows and nothing of the former file, whatever
    // journal that one left; the former is kept as a copy of its own; the next start copies nothing.
    void restauration_data() {
        QTest::addColumn<QString>("journal");
        QTest::newRow("sans journal") << QString();
        QTest::newRow("journal chaud d'un arrêt brutal") << "chaud";
        QTest::newRow("journal froid") << "froid";
    }
    void restauration() {
        QFETCH(QString, journal);
        DossierTest d;
        d.ajouterCassette(QStringLiteral("03:00:00"));
        d.ajouterCassette(QStringLiteral("03:00:00"));
        const QString copie = Sauvegarde::sauvegarder(d.chemin()).fichier;
        d.ajouterCassette(QStringLiteral("04:00:00"));
        const QString journalCatalogue = d.catalogue() + QStringLiteral("-journal");
        if (journal == QLatin1String("chaud")) {
            QVERIFY(laisserJournalChaud(d.catalogue()));
        } else if (journal == QLatin1String("froid")) {
            QFile f(journalCatalogue);
            QVERIFY(f.open(QIODevice::WriteOnly) && f.write(QByteArray(512, '\0')) == 512);
        }
        Catalogue::fermer();

        const Sauvegarde::Restauration r = Sauvegarde::restaurer(d.chemin(), copie);
        QVERIFY2(r.ok, qPrintable(r.message));
        QVERIFY(!QFileInfo::exists(journalCatalogue));
        QVERIFY(!QFileInfo::exists(d.fichier(Sauvegarde::NomRestauration)));
        QCOMPARE(Catalogue::verifierIntegrite(d.catalogue()), QStringList());
        QCOMPARE(cassettesDe(d.catalogue()), 2);
        QCOMPARE(cassettesDe(r.copieDuCourant), 3);
        QCOMPARE(Sauvegarde::copies(d.chemin()), (QStringList{copie, r.copieDuCourant}));
        Catalogue::fermer();
        QVERIFY(!Sauvegarde::sauvegarder(d.chemin()).faite);
    }

    // A copy that is not a whole catalogue is refused before anything changes.
    void restaurationRefusee_data() {
        QTest::addColumn<QByteArray>("contenu");
        QTest::newRow("pas une base") << QByteArray("bonjour");
        QTest::newRow("base tronquée") << QByteArray("SQLite format 3\0", 16) + QByteArray(200, '\x7f');
    }
    void restaurationRefusee() {
        QFETCH(QByteArray, contenu);
        DossierTest d;
        d.remplir();
        const QString copie = Sauvegarde::sauvegarder(d.chemin()).fichier;
        QFile f(copie);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(contenu) == contenu.size());
        f.close();
        const QStringList avant = d.contenu(QStringLiteral("Film"));
        Catalogue::fermer();
        const Sauvegarde::Restauration r = Sauvegarde::restaurer(d.chemin(), copie);
        QVERIFY(!r.ok);
        QVERIFY(r.message.contains(QStringLiteral("n'a pas été changé")));
        QCOMPARE(Sauvegarde::copies(d.chemin()), QStringList{copie});
        QVERIFY(Catalogue::ouvrir(d.catalogue()).ok());
        QCOMPARE(d.contenu(QStringLiteral("Film")), avant);
    }
};

QTEST_GUILESS_MAIN(TestSauvegarde)
#include "tst_sauvegarde.moc"
