// The files of the application folder as the system may hand them over: the start-up copies and their
// restore, a tube where a small file should be, a catalogue reached through a link or kept private, a disk
// that fills up. Nothing is left half written, and failures are said in French.

#include "catalogue/Affiches.h"
#include "catalogue/Catalogue.h"
#include "catalogue/Disque.h"
#include "catalogue/Export.h"
#include "catalogue/Sauvegarde.h"
#include "catalogue/Sqlite.h"
#include "tests/support/DisquePlein.h"
#include "tests/support/DossierTest.h"
#include "tests/support/Sql.h"

#include <QDir>
#include <QtTest>

#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

int mode(const QString& chemin) {
    struct stat etat {};
    ::stat(QFile::encodeName(chemin).constData(), &etat);
    return int(etat.st_mode & 07777);
}

// A crash in the middle of a write: a child process adds many rows, so that the engine writes pages into the
// file before its commit, and dies. The file is left with a hot journal.
bool laisserJournalChaud(const QString& catalogue) {
    Catalogue::fermer();
    const pid_t pid = fork();
    if (pid == 0) {
        sqlite3* db = nullptr;
        sqlite3_open(QFile::encodeName(catalogue).constData(), &db);
        sqlite3_exec(
            db,
            "PRAGMA cache_size = 10; BEGIN; INSERT INTO K7 (\"Durée\", TempsRestant, NBFilm, Status) WITH "
            "RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 3000) SELECT '01:00:00', "
            "'01:00:00', 0, printf('%.*c', 400, 'x') FROM n;",
            nullptr, nullptr, nullptr);
        _exit(0);
    }
    waitpid(pid, nullptr, 0);
    return DossierTest::octets(catalogue + "-journal").startsWith(QByteArray::fromHex("d9d505f920a163d7"));
}

int cassettesDe(const QString& fichier) {
    Catalogue::fermer();
    if (!Catalogue::ouvrir(fichier).ok())
        return -1;
    return executerSql("SELECT count(*) FROM K7").value(0).toInt();
}

} // namespace

class TestFichiers : public QObject {
    Q_OBJECT

private slots:
    // A state the copies do not hold yet is copied at the next start, with what it holds.
    void changement_data() {
        QTest::addColumn<QString>("cas");
        QTest::newRow("ajout puis compactage") << "compactage";
        QTest::newRow("arrêt brutal pendant une écriture") << "journal";
        QTest::newRow("dernière copie supprimée à la main") << "supprimee";
    }
    void changement() {
        QFETCH(QString, cas);
        DossierTest d;
        d.ajouterCassette(QStringLiteral("03:00:00"));
        // A compacted file restarts the engine's change counter: both states show the same one.
        const auto compacter = [&] {
            Catalogue::fermer();
            QVERIFY(Catalogue::compacter(d.chemin()).ok);
            QVERIFY(Catalogue::ouvrir(d.catalogue()).ok());
        };
        if (cas == "compactage")
            compacter();
        QVERIFY(Sauvegarde::sauvegarder(d.chemin()).faite);
        d.ajouterCassette(QStringLiteral("04:00:00"));
        if (cas == "compactage")
            compacter();
        else if (cas == "journal")
            QVERIFY(laisserJournalChaud(d.catalogue()));
        else
            QVERIFY(QFile::remove(Sauvegarde::sauvegarder(d.chemin()).fichier));
        const Sauvegarde::Resultat r = Sauvegarde::sauvegarder(d.chemin());
        QVERIFY2(r.faite && r.erreur.isEmpty(), qPrintable(r.erreur));
        QCOMPARE(Catalogue::verifierIntegrite(r.fichier), QStringList());
        QCOMPARE(cassettesDe(r.fichier), 2);
        QCOMPARE(cassettesDe(d.catalogue()), 2);
        QVERIFY(!QFileInfo::exists(d.catalogue() + QStringLiteral("-journal")));
    }

    // What Sauvegardes holds after a start: the copy just made always stays, whatever the clock said before;
    // what an earlier start left unfinished goes; an obstacle to a whole copy and its marker is said, and
    // leaves no copy, no partial marker, and the catalogue as it was.
    void restes_data() {
        QTest::addColumn<QStringList>("avant"); // name=days from now of its writing; "name/": a folder
        QTest::addColumn<QStringList>("apres"); // what remains; "*" is the new copy
        QStringList futur, garde;
        for (int i = 1; i <= 10; ++i) {
            const QString nom =
                QStringLiteral("R7Ozire-21000101-0000%1-000.mdb").arg(i, 2, 10, QLatin1Char('0'));
            futur << nom + QStringLiteral("=%1").arg(1000 + i);
            garde << nom;
        }
        QTest::newRow("horloge retardée depuis les copies")
            << futur << QStringList{"*", "derniere-copie.txt"} + garde.mid(1);
        QTest::newRow("copie interrompue")
            << QStringList{"R7Ozire-20260101-000000-000.mdb.tmp=0",
                           "R7Ozire-20260101-000000-000.mdb.tmp-journal=0", "derniere-copie.txt.provisoire=0"}
            << QStringList{"*", "derniere-copie.txt"};
        QTest::newRow("dossier à la place du repère")
            << QStringList{"derniere-copie.txt/"} << QStringList{"derniere-copie.txt"};
    }
    void restes() {
        QFETCH(QStringList, avant);
        QFETCH(QStringList, apres);
        DossierTest d;
        const QDir dossier(d.fichier(Sauvegarde::NomDossier));
        QVERIFY(dossier.mkpath(QStringLiteral(".")));
        for (const QString& a : avant) {
            QFile f(dossier.filePath(a.section('=', 0, 0)));
            if (a.endsWith('/'))
                QVERIFY(dossier.mkdir(a));
            else
                QVERIFY(f.open(QIODevice::WriteOnly) && f.write("copie") == 5 &&
                        f.setFileTime(QDateTime::currentDateTime().addDays(a.section('=', 1).toInt()),
                                      QFileDevice::FileModificationTime));
        }
        const QStringList cassettes = d.contenu(QStringLiteral("K7"));
        const Sauvegarde::Resultat r = Sauvegarde::sauvegarder(d.chemin());
        QCOMPARE(r.faite, apres.contains("*"));
        QCOMPARE(r.erreur.isEmpty(), r.faite);
        apres.replaceInStrings("*", QFileInfo(r.fichier).fileName()).sort(Qt::CaseInsensitive);
        QCOMPARE(DossierTest::noms(dossier.path()), apres);
        QCOMPARE(d.contenu(QStringLiteral("K7")), cassettes);
    }

    // The restore dialog's list: newest first, counts read from each copy, a damaged one said so. Restored,
    // the catalogue holds the copy's rows and nothing of the former file, whatever journal that one left; the
    // former is kept as a copy of its own; the next start copies nothing.
    void restauration_data() {
        QTest::addColumn<QString>("journal");
        QTest::addColumn<QByteArray>("contenu"); // written over the copy; null: the copy stays whole
        QTest::newRow("sans journal") << QString() << QByteArray();
        QTest::newRow("journal chaud d'un arrêt brutal") << "chaud" << QByteArray();
        QTest::newRow("journal froid") << "froid" << QByteArray();
        // A copy that is not a whole catalogue is refused before anything changes.
        QTest::newRow("copie qui n'est pas une base") << QString() << QByteArray("bonjour");
        QTest::newRow("copie tronquée")
            << QString() << QByteArray("SQLite format 3\0", 16) + QByteArray(200, '\x7f');
    }
    void restauration() {
        QFETCH(QString, journal);
        QFETCH(QByteArray, contenu);
        DossierTest d;
        d.remplir();
        const QString copie = Sauvegarde::sauvegarder(d.chemin()).fichier;
        const QString abimee = QFileInfo(copie).dir().filePath(QStringLiteral("R7Ozire-abimee.mdb"));
        QFile f(abimee);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write("pas une base") > 0);
        QVERIFY(f.setFileTime(QDateTime::currentDateTime().addSecs(60), QFileDevice::FileModificationTime));
        const QList<Sauvegarde::Copie> l = Sauvegarde::lister(d.chemin());
        QCOMPARE(l.size(), 2);
        QVERIFY(l[0].fichier == abimee && !l[0].lisible);
        QVERIFY(l[1].fichier == copie && l[1].lisible && l[1].films == 8 && l[1].cassettes == 5);
        QVERIFY(f.remove());

        d.ajouterCassette(QStringLiteral("04:00:00"));
        const QStringList avant = d.contenu(QStringLiteral("K7"));
        const QString journalCatalogue = d.catalogue() + QStringLiteral("-journal");
        if (journal == "chaud")
            QVERIFY(laisserJournalChaud(d.catalogue()));
        else if (journal == "froid")
            QVERIFY(DossierTest::ecrire(journalCatalogue, QByteArray(512, '\0')));
        QVERIFY(contenu.isNull() || DossierTest::ecrire(copie, contenu));
        Catalogue::fermer();
        const Sauvegarde::Restauration r = Sauvegarde::restaurer(d.chemin(), copie);
        QCOMPARE(r.ok, contenu.isNull());
        if (!r.ok) {
            QVERIFY2(r.message.contains(QStringLiteral("n'a pas été changé")), qPrintable(r.message));
            QCOMPARE(Sauvegarde::copies(d.chemin()), QStringList{copie});
            QVERIFY(Catalogue::ouvrir(d.catalogue()).ok());
            QCOMPARE(d.contenu(QStringLiteral("K7")), avant);
            return;
        }
        QVERIFY(!QFileInfo::exists(journalCatalogue));
        QVERIFY(!QFileInfo::exists(d.fichier(Sauvegarde::NomRestauration)));
        QCOMPARE(Catalogue::verifierIntegrite(d.catalogue()), QStringList());
        QCOMPARE(cassettesDe(d.catalogue()), 5);
        QCOMPARE(cassettesDe(r.copieDuCourant), 6);
        QCOMPARE(Sauvegarde::copies(d.chemin()), (QStringList{copie, r.copieDuCourant}));
        Catalogue::fermer();
        QVERIFY(!Sauvegarde::sauvegarder(d.chemin()).faite);
    }

    // A tube in place of a small file read at start is passed over, not waited on.
    void tubesAuDemarrage() {
        DossierTest d;
        for (const char* fichier : {"Affiche/.journal-affiches", "Sauvegardes/derniere-copie.txt"}) {
            QVERIFY(QDir(d.chemin()).mkpath(QFileInfo(d.fichier(fichier)).path()));
            QCOMPARE(::mkfifo(QFile::encodeName(d.fichier(fichier)).constData(), 0644), 0);
        }
        const Catalogue::Affiches::Reprise reprise = Catalogue::Affiches::reprendre(d.chemin());
        QVERIFY2(reprise.erreur.isEmpty(), qPrintable(reprise.erreur));
        const Sauvegarde::Resultat copie = Sauvegarde::sauvegarder(d.chemin());
        QVERIFY2(copie.faite, qPrintable(copie.erreur));
    }

    // Compaction and repair replace the catalogue by a new file, whatever an interrupted one left: the user's
    // link still leads to it, its permissions stay as the user set them, every row and the key sequence stay.
    // A full disk on the way is what the user hears of; the catalogue stays as it was.
    void remplacementDuCatalogue_data() {
        QTest::addColumn<bool>("reparer");
        QTest::addColumn<bool>("lien");
        QTest::addColumn<bool>("plein");
        QTest::newRow("compactage, catalogue privé") << false << false << false;
        QTest::newRow("réparation par un lien") << true << true << false;
        QTest::newRow("compactage par un lien") << false << true << false;
        QTest::newRow("compactage sur disque plein") << false << false << true;
        QTest::newRow("réparation sur disque plein") << true << false << true;
    }
    void remplacementDuCatalogue() {
        QFETCH(bool, reparer);
        QFETCH(bool, lien);
        QFETCH(bool, plein);
        DossierTest d;
        d.remplir();
        {
            Catalogue::Transaction t;
            for (int i = 0; plein && i < 200; ++i)
                d.placerFilm(d.ajouterCassette("04:00:00"), QStringLiteral("Film %1").arg(i), "01:00:00");
            // A cassette added then deleted: its number stays used.
            executerSql("DELETE FROM K7 WHERE IdK7 = ?", {d.ajouterCassette("01:00:00")});
            // A sound catalogue is left as it is: a fault makes the repair write.
            if (reparer)
                executerSql(QStringLiteral("UPDATE K7 SET TempsRestant = '00:34:00' WHERE IdK7 = 1"));
            QVERIFY(t.valider());
        }
        QStringList avant = DossierTest::tout();
        Catalogue::fermer();
        QVERIFY(lien || DossierTest::ecrire(d.fichier(Catalogue::NomCompact), "copie interrompue"));
        QTemporaryDir ailleurs;
        const QString cible = lien ? ailleurs.filePath(QStringLiteral("cassettes.mdb")) : d.catalogue();
        QVERIFY(!lien || (QFile::rename(d.catalogue(), cible) && QFile::link(cible, d.catalogue())));
        const int droits = lien ? 0640 : 0600;
        QCOMPARE(::chmod(QFile::encodeName(cible).constData(), mode_t(droits)), 0);
        const QByteArray octets = DossierTest::octets(cible);
        Catalogue::Resultat r;
        {
            DisquePlein disque(plein ? rlim_t(octets.size() / 2) : RLIM_INFINITY);
            r = reparer ? Catalogue::Resultat(Catalogue::reparer(d.chemin()))
                        : Catalogue::compacter(d.chemin());
        }
        QCOMPARE(r.ok, !plein);
        QVERIFY2(!plein || (r.message.contains(QStringLiteral("plein")) && !DossierTest::anglais(r.message)),
                 qPrintable(r.message));
        QCOMPARE(QFileInfo(d.catalogue()).isSymLink(), lien);
        QCOMPARE(mode(cible), droits);
        QCOMPARE(DossierTest::noms(ailleurs.path()).size(), lien ? 1 : 0);
        if (plein) {
            QCOMPARE(DossierTest::octets(cible), octets);
            return;
        }
        QVERIFY2(reparer || DossierTest::noms(d.chemin()) == QStringList{Catalogue::NomCatalogue},
                 qPrintable(DossierTest::noms(d.chemin()).join(' ')));
        QCOMPARE(Catalogue::verifierIntegrite(cible), QStringList());
        QVERIFY(Catalogue::ouvrir(d.catalogue()).ok());
        QCOMPARE(DossierTest::tout(), avant.replaceInStrings("|00:34:00|", "|00:33:00|"));
    }

    // A poster is an ordinary file of the folder (0666 less the umask), and a disk that fills up during its
    // copy says so, rather than blaming the source or telling nothing.
    void copieDAffiche_data() {
        QTest::addColumn<bool>("plein");
        QTest::newRow("disque libre") << false;
        QTest::newRow("disque plein") << true;
    }
    void copieDAffiche() {
        QFETCH(bool, plein);
        QTemporaryDir d;
        const QString source = d.filePath(QStringLiteral("source.jpg"));
        QVERIFY(DossierTest::ecrire(source, QByteArray(200000, 'j')));
        Catalogue::Affiches::Copie copie;
        QString erreur;
        bool ok;
        {
            DisquePlein disque(plein ? 50000 : RLIM_INFINITY);
            ok = copie.preparer(source, d.filePath(QStringLiteral("Affiche")), &erreur);
        }
        QCOMPARE(ok, !plein);
        QVERIFY2(!plein || (erreur.contains(QStringLiteral("plein")) && !DossierTest::anglais(erreur)),
                 qPrintable(erreur));
        QVERIFY(!plein || DossierTest::noms(d.filePath(QStringLiteral("Affiche"))).isEmpty());
        const mode_t masque = ::umask(0);
        ::umask(masque);
        QVERIFY(plein || (mode(copie.provisoire()) == int(0666 & ~masque) &&
                          DossierTest::octets(copie.provisoire()) == DossierTest::octets(source)));
    }

    // The export gives every field as it is, whatever a text holds, and where each film starts on its tape,
    // in files a spreadsheet reads: BOM, fields quoted, ";" between them, CRLF after each record.
    void exportation() {
        DossierTest d;
        const qint64 k7 = d.ajouterCassette("02:00:00");
        const qint64 piege = d.placerFilm(k7, "Le \"Grand\" ; bleu", "01:00:00");
        d.placerFilm(k7, "B", "00:30:00");
        executerSql("UPDATE Film SET Acteurs = ?, Description = ?, Pays = '', Genre = NULL WHERE IdFilm = ?",
                    {"Jean\nAnne « Été »", "Il dit \"non\" ; puis\r\n\"oui\"", piege});
        // Nothing ties a film to a placement in the file: a film without one is exported too.
        executerSql("INSERT INTO Film (Titre) VALUES ('Égaré')");
        const Catalogue::Export::Resultat r = Catalogue::Export::exporter(d.chemin());
        QVERIFY2(r.ok && r.films == 3 && r.cassettes == 1, qPrintable(r.message));
        const auto enregistrements = [&d](const QString& nom) {
            const QByteArray octets = DossierTest::octets(d.fichier(nom));
            return octets.startsWith("\xEF\xBB\xBF") ? octets.mid(octets.indexOf("\r\n") + 2)
                                                     : QByteArray("sans BOM");
        };
        QCOMPARE(enregistrements(Catalogue::Export::NomFilms),
                 QStringLiteral(
                     "\"1\";\"Le \"\"Grand\"\" ; bleu\";\"Néant\";\"Jean\nAnne « Été "
                     "»\";\"01:00:00\";\"1999\";\"\";\"\";"
                     "\"Il dit \"\"non\"\" ; puis\r\n\"\"oui\"\"\";\"1\";\"1\";\"00:00:00\"\r\n"
                     "\"2\";\"B\";\"Néant\";\"Néant\";\"00:30:00\";\"1999\";\"France\";\"Drame\";\"Résumé\";"
                     "\"1\";\"2\";"
                     "\"01:00:00\"\r\n\"3\";\"Égaré\";\"\";\"\";\"\";\"\";\"\";\"\";\"\";\"\";\"\";\"\"\r\n")
                     .toUtf8());
        QCOMPARE(
            enregistrements(Catalogue::Export::NomCassettes),
            QStringLiteral("\"1\";\"02:00:00\";\"00:30:00\";\"2\";\"de 01:30:00 à 02:00:00 (00:30:00)\"\r\n")
                .toUtf8());
    }

    // A file that cannot be written is said in French, and no file is left half written: the former one stays
    // whole, nothing of the attempt remains beside it.
    void exportImpossible_data() {
        QTest::addColumn<bool>("plein");
        QTest::newRow("disque plein") << true;
        QTest::newRow("dossier à la place des cassettes") << false;
    }
    void exportImpossible() {
        QFETCH(bool, plein);
        DossierTest d;
        d.remplir();
        QTemporaryDir sortie;
        const QString films = sortie.filePath(Catalogue::Export::NomFilms);
        QVERIFY(DossierTest::ecrire(films, "ancien"));
        QVERIFY(plein || QDir(sortie.path()).mkdir(Catalogue::Export::NomCassettes));
        Catalogue::Export::Resultat r;
        {
            DisquePlein disque(plein ? 100 : RLIM_INFINITY);
            r = Catalogue::Export::exporter(sortie.path());
        }
        QVERIFY(!r.ok && !DossierTest::anglais(r.message));
        QVERIFY2(r.message.contains(plein ? "plein" : "c'est un dossier"), qPrintable(r.message));
        QCOMPARE(DossierTest::octets(films) == "ancien", plein);
        QCOMPARE(QDir(sortie.path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{Catalogue::Export::NomFilms});
    }
};

QTEST_GUILESS_MAIN(TestFichiers)
#include "tst_fichiers.moc"
