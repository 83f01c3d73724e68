// The files of the application folder as the system may hand them over: a tube where a small file
// should be, a catalogue reached through a link or kept private, a disk that fills up. The start
// never hangs, maintenance keeps what the user set up, and failures say what happened in French.

#include "catalogue/Affiches.h"
#include "catalogue/Catalogue.h"
#include "catalogue/Export.h"
#include "catalogue/Sauvegarde.h"
#include "tests/support/DisquePlein.h"
#include "tests/support/DossierTest.h"
#include "tests/support/Sql.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

#include <sys/stat.h>

namespace {

// What the engine or the system says in English, which must not reach the user.
bool anglais(const QString& texte) {
    for (const char* mot : {"database", "disk", "error", "cannot", "commit", "transaction", "Unknown",
                            "No space", "denied", "such", "large"}) {
        if (texte.contains(QLatin1String(mot)))
            return true;
    }
    return false;
}

mode_t mode(const QString& chemin) {
    struct stat etat {};
    ::stat(QFile::encodeName(chemin).constData(), &etat);
    return etat.st_mode & 07777;
}

QByteArray octets(const QString& chemin) {
    QFile f(chemin);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool ecrire(const QString& chemin, const QByteArray& b) {
    QFile f(chemin);
    return f.open(QIODevice::WriteOnly) && f.write(b) == b.size();
}

// A strict reader of the exported files: BOM, every field quoted, ";" between fields, CRLF
// after each record. Anything else fails the test.
QList<QStringList> lireCsv(const QByteArray& octets) {
    QList<QStringList> lignes;
    if (!octets.startsWith("\xEF\xBB\xBF")) {
        QTest::qFail("pas de BOM", __FILE__, __LINE__);
        return lignes;
    }
    const QString t = QString::fromUtf8(octets.mid(3));
    QStringList ligne;
    for (qsizetype i = 0; i < t.size();) {
        if (t[i] != QLatin1Char('"')) {
            QTest::qFail(qPrintable(QStringLiteral("champ sans guillemets à %1").arg(i)), __FILE__, __LINE__);
            return {};
        }
        QString champ;
        for (++i; i < t.size(); ++i) {
            if (t[i] == QLatin1Char('"') && t.mid(i + 1, 1) != QLatin1String("\""))
                break;
            champ += t[i];
            i += t[i] == QLatin1Char('"');
        }
        ligne << champ;
        if (t.mid(i + 1, 1) == QLatin1String(";")) {
            i += 2;
        } else if (t.mid(i + 1, 2) == QLatin1String("\r\n")) {
            lignes << ligne;
            ligne.clear();
            i += 3;
        } else {
            QTest::qFail(qPrintable(QStringLiteral("fin de champ inattendue à %1").arg(i)), __FILE__,
                         __LINE__);
            return {};
        }
    }
    if (!ligne.isEmpty())
        QTest::qFail("dernier enregistrement sans CRLF", __FILE__, __LINE__);
    return lignes;
}

} // namespace

class TestFichiers : public QObject {
    Q_OBJECT

private slots:
    // A tube in place of a small file read at start is passed over, not waited on.
    void tubesAuDemarrage_data() {
        QTest::addColumn<QString>("fichier");
        QTest::newRow("journal des affiches") << "Affiche/.journal-affiches";
        QTest::newRow("marque de la dernière copie") << "Sauvegardes/derniere-copie.txt";
    }
    void tubesAuDemarrage() {
        QFETCH(QString, fichier);
        DossierTest d;
        d.remplir();
        QVERIFY(QDir(d.chemin()).mkpath(QFileInfo(d.fichier(fichier)).path()));
        QCOMPARE(::mkfifo(QFile::encodeName(d.fichier(fichier)).constData(), 0644), 0);
        // Each would block forever on opening the tube for reading.
        const Catalogue::Affiches::Reprise reprise = Catalogue::Affiches::reprendre(d.chemin());
        QVERIFY2(reprise.erreur.isEmpty(), qPrintable(reprise.erreur));
        const Sauvegarde::Resultat copie = Sauvegarde::sauvegarder(d.chemin());
        QVERIFY2(copie.erreur.isEmpty(), qPrintable(copie.erreur));
        QVERIFY(copie.faite);
    }

    // Compaction and repair replace the catalogue by a new file: the user's link still leads to
    // it, and its permissions stay as the user set them.
    void remplacementDuCatalogue_data() {
        QTest::addColumn<bool>("reparer");
        QTest::addColumn<bool>("lien");
        QTest::addColumn<int>("droits");
        QTest::newRow("compactage, catalogue privé") << false << false << 0600;
        QTest::newRow("réparation, catalogue privé") << true << false << 0600;
        QTest::newRow("compactage par un lien") << false << true << 0640;
        QTest::newRow("réparation par un lien") << true << true << 0640;
    }
    void remplacementDuCatalogue() {
        QFETCH(bool, reparer);
        QFETCH(bool, lien);
        QFETCH(int, droits);
        DossierTest d;
        d.remplir();
        Catalogue::fermer();
        QTemporaryDir ailleurs;
        const QString cible = lien ? ailleurs.filePath(QStringLiteral("cassettes.mdb")) : d.catalogue();
        if (lien) {
            QVERIFY(QFile::rename(d.catalogue(), cible));
            QVERIFY(QFile::link(cible, d.catalogue()));
        }
        QCOMPARE(::chmod(QFile::encodeName(cible).constData(), mode_t(droits)), 0);
        const Catalogue::Resultat r =
            reparer ? Catalogue::Resultat(Catalogue::reparer(d.chemin())) : Catalogue::compacter(d.chemin());
        QVERIFY2(r.ok, qPrintable(r.message));
        QCOMPARE(QFileInfo(d.catalogue()).isSymLink(), lien);
        QCOMPARE(int(mode(cible)), droits);
        // The link's target is the catalogue that was worked on.
        QVERIFY(Catalogue::ouvrir(d.catalogue()).ok());
        QCOMPARE(d.contenu(QStringLiteral("Film")).size(), 8);
        QVERIFY(Catalogue::verifierIntegrite(cible).isEmpty());
        QCOMPARE(QDir(ailleurs.path()).entryList(QDir::Files | QDir::Hidden).size(), lien ? 1 : 0);
    }

    // A poster is an ordinary file of the folder (0666 less the umask), and a disk that fills up
    // during its copy says so, rather than blaming the source or telling nothing.
    void copieDAffiche_data() {
        QTest::addColumn<bool>("plein");
        QTest::newRow("disque libre") << false;
        QTest::newRow("disque plein") << true;
    }
    void copieDAffiche() {
        QFETCH(bool, plein);
        QTemporaryDir d;
        const QString source = d.filePath(QStringLiteral("source.jpg"));
        QVERIFY(ecrire(source, QByteArray(200000, 'j')));
        const QString affiches = d.filePath(QStringLiteral("Affiche"));
        Catalogue::Affiches::Copie copie;
        QString erreur;
        bool ok;
        {
            DisquePlein disque(plein ? 50000 : RLIM_INFINITY);
            ok = copie.preparer(source, affiches, &erreur);
        }
        QCOMPARE(ok, !plein);
        if (plein) {
            QVERIFY2(erreur.contains(QStringLiteral("plein")), qPrintable(erreur));
            QVERIFY2(!anglais(erreur), qPrintable(erreur));
            QCOMPARE(QDir(affiches).entryList(QDir::Files | QDir::Hidden), QStringList());
            return;
        }
        const mode_t masque = ::umask(0);
        ::umask(masque);
        QCOMPARE(int(mode(copie.provisoire())), int(0666 & ~masque));
        QCOMPARE(octets(copie.provisoire()), octets(source));
    }

    // A full disk during a repair or a compaction is what the user hears of.
    void maintenanceSurDisquePlein_data() {
        QTest::addColumn<bool>("reparer");
        QTest::newRow("compactage") << false;
        QTest::newRow("réparation") << true;
    }
    void maintenanceSurDisquePlein() {
        QFETCH(bool, reparer);
        DossierTest d;
        d.remplir();
        Catalogue::Transaction t;
        for (int i = 0; i < 200; ++i)
            d.placerFilm(d.ajouterCassette(QStringLiteral("04:00:00")), QStringLiteral("Film %1").arg(i),
                         QStringLiteral("01:00:00"));
        // A sound catalogue is left as it is: a fault makes the repair write.
        if (reparer)
            executerSql(QStringLiteral("UPDATE K7 SET TempsRestant = '00:00:01' WHERE IdK7 = 1"));
        QVERIFY(t.valider());
        Catalogue::fermer();
        const QByteArray avant = octets(d.catalogue());
        Catalogue::Resultat r;
        {
            DisquePlein disque(rlim_t(avant.size() / 2));
            r = reparer ? Catalogue::Resultat(Catalogue::reparer(d.chemin()))
                        : Catalogue::compacter(d.chemin());
        }
        QVERIFY(!r.ok);
        QVERIFY2(r.message.contains(QStringLiteral("plein")), qPrintable(r.message));
        QVERIFY2(!anglais(r.message), qPrintable(r.message));
        QCOMPARE(octets(d.catalogue()), avant);
    }

    // Something else under the catalogue's name is said for what it is, not as a missing file.
    void catalogueQuiNEstPasUnFichier_data() {
        QTest::addColumn<QString>("cas");
        QTest::addColumn<QString>("attendu");
        QTest::newRow("dossier") << "dossier"
                                 << "c'est un dossier";
        QTest::newRow("lien cassé") << "lien"
                                    << "lien vers un fichier absent";
    }
    void catalogueQuiNEstPasUnFichier() {
        QFETCH(QString, cas);
        QFETCH(QString, attendu);
        DossierTest d;
        Catalogue::fermer();
        QVERIFY(QFile::remove(d.catalogue()));
        if (cas == "dossier")
            QVERIFY(QDir(d.chemin()).mkdir(Catalogue::NomCatalogue));
        else
            QVERIFY(QFile::link(d.fichier(QStringLiteral("parti.mdb")), d.catalogue()));
        const Catalogue::Ouverture o = Catalogue::ouvrir(d.catalogue());
        QVERIFY(!o.ok());
        QVERIFY2(o.message.contains(attendu), qPrintable(o.message));
        QVERIFY(o.message.contains(QDir::toNativeSeparators(d.catalogue())));
    }

    // Read back as a spreadsheet would, the export gives every field of the catalogue as it is,
    // whatever a text holds, and where each film starts on its tape.
    void exportAllerRetour() {
        DossierTest d;
        d.remplir();
        const QString acteurs = QStringLiteral("Jean Lefèvre\nAnne « Été »");
        const QString description = QStringLiteral("Il dit \"non\" ; puis\r\n\"oui\"");
        const qint64 piege =
            d.placerFilm(4, QStringLiteral("Le \"Grand\" ; bleu"), QStringLiteral("01:00:00"));
        executerSql(QStringLiteral("UPDATE Film SET Acteurs = ?, Description = ?, Pays = '', Genre = NULL "
                                   "WHERE IdFilm = ?"),
                    {acteurs, description, piege});
        // Nothing ties a film to a placement in the file: a film without one is exported too.
        executerSql(QStringLiteral("INSERT INTO Film (Titre) VALUES ('Égaré')"));
        const Catalogue::Export::Resultat r = Catalogue::Export::exporter(d.chemin());
        QVERIFY2(r.ok, qPrintable(r.message));
        QCOMPARE(r.films, 10);
        QCOMPARE(r.cassettes, 5);

        const QList<QStringList> films = lireCsv(octets(d.fichier(Catalogue::Export::NomFilms)));
        QCOMPARE(films.size(), 11);
        Sql q = executerSql(QStringLiteral("SELECT Film.*, IdK7, Position FROM Film LEFT JOIN FilmK7 "
                                           "USING (IdFilm) ORDER BY IdFilm"));
        for (int ligne = 1; q.next(); ++ligne) {
            QCOMPARE(films[ligne].size(), 12);
            for (int i = 0; i < 11; ++i)
                QCOMPARE(films[ligne][i], q.value(i).toString());
        }
        QCOMPARE(films[7].mid(1, 1), QStringList{QStringLiteral("Brazil")});
        QCOMPARE(films[7][11], QStringLiteral("02:55:00"));
        QCOMPARE(films[9].mid(3),
                 (QStringList{acteurs, "01:00:00", "1999", "", "", description, "4", "1", "00:00:00"}));
        QCOMPARE(films[10].mid(9), (QStringList{"", "", ""}));

        const QList<QStringList> k7 = lireCsv(octets(d.fichier(Catalogue::Export::NomCassettes)));
        QCOMPARE(k7.size(), 6);
        QCOMPARE(k7[3], (QStringList{"3", "04:00:00", "00:15:00", "4", "de 03:45:00 à 04:00:00 (00:15:00)"}));
        QCOMPARE(k7[4][4], QStringLiteral("de 01:00:00 à 04:00:00 (03:00:00)"));
        QCOMPARE(Catalogue::Export::plagesLibres(QStringLiteral("01:00:00/FILM00:30:00A/02:30:00")),
                 QStringLiteral("de 00:00:00 à 01:00:00 (01:00:00); de 01:30:00 à 04:00:00 (02:30:00)"));
    }

    // A file that cannot be written is said in French, and no file is left half written: the
    // former one stays whole, nothing of the attempt remains beside it.
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
        QVERIFY(ecrire(films, "ancien"));
        if (!plein)
            QVERIFY(QDir(sortie.path()).mkdir(Catalogue::Export::NomCassettes));
        Catalogue::Export::Resultat r;
        {
            DisquePlein disque(plein ? 100 : RLIM_INFINITY);
            r = Catalogue::Export::exporter(sortie.path());
        }
        QVERIFY(!r.ok);
        QVERIFY2(r.message.contains(plein ? QStringLiteral("plein") : QStringLiteral("c'est un dossier")),
                 qPrintable(r.message));
        QVERIFY2(!anglais(r.message), qPrintable(r.message));
        QCOMPARE(octets(films) == "ancien", plein);
        QCOMPARE(QDir(sortie.path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{Catalogue::Export::NomFilms});
    }
};

QTEST_GUILESS_MAIN(TestFichiers)

#include "tst_fichiers.moc"
