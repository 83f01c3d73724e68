// Compaction and repair of the catalogue from the main window's menu: what the folder holds
// afterwards, what the user is told, and the end of the program. Each case starts a main window
// of its own: a maintenance command closes the catalogue and ends the program.

#include "catalogue/Sauvegarde.h"
#include "screens/auxiliary/Introduction.h"
#include "screens/main/ChoixCopie.h"
#include "tests/support/Banc.h"

#include <QAction>
#include <QElapsedTimer>
#include <QTimer>
#include <QTreeWidget>
#include <memory>

using namespace banc;

namespace {

const QString Compactage = QStringLiteral("Erreur survenue lors du compactage de la base de donnée !\n\n"
                                          "Vérifier l'intégrité du fichier R7Ozire.mdb présent dans le "
                                          "répertoire de l'application");
const QString Restauration =
    QStringLiteral("Erreur survenue lors de la restauration de la base de donnée !\n\n"
                   "Vérifier l'intégrité du fichier R7Ozire.mdb présent dans le "
                   "répertoire de l'application");

QStringList fichiers(const DossierTest& d) {
    return QDir(d.chemin()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot, QDir::Name);
}

// The program has ended: nothing of it shows any more, the closing notice is gone.
void verifierFin() {
    QVERIFY(Appli::finDemandee());
    for (QWidget* w : QApplication::topLevelWidgets())
        QVERIFY2(!w->isVisible(), w->metaObject()->className());
    QVERIFY(!Feuille::chargee<Fermeture>());
}

// Every row with its key, and the keys given so far (in no particular order).
QStringList lignes(const DossierTest& d) {
    QStringList sequence = d.contenu(QStringLiteral("sqlite_sequence"));
    sequence.sort();
    return d.contenu(QStringLiteral("Film")) + d.contenu(QStringLiteral("K7")) +
           d.contenu(QStringLiteral("FilmK7")) + sequence;
}

// The rows as the next start will find them.
QStringList relire(const DossierTest& d) {
    if (!Catalogue::ouvrir(d.catalogue()).ok())
        return {QStringLiteral("catalogue illisible")};
    return lignes(d);
}

// Overwrites the page holding the films with garbage.
void abimerFilms(const DossierTest& d) {
    Sql q = executer(QStringLiteral("SELECT rootpage FROM sqlite_master WHERE name = 'Film'"));
    QVERIFY(q.next());
    const int page = q.value(0).toInt();
    q.finish();
    Catalogue::fermer();
    QByteArray b = octets(d.catalogue());
    const int taille = (uchar(b[16]) << 8) | uchar(b[17]);
    QVERIFY(page > 1 && b.size() >= page * taille);
    for (int i = (page - 1) * taille; i < page * taille; ++i)
        b[i] = char(0xA5);
    QVERIFY(ecrire(d.catalogue(), b));
}

// What the user could reach while the command runs, seen from the first events it lets through.
std::shared_ptr<QString> surveiller(const Moniteur& m) {
    auto vu = std::make_shared<QString>(QStringLiteral("aucun événement traité"));
    QTimer::singleShot(0, [&m, vu] {
        const QWidget* modale = QApplication::activeModalWidget();
        *vu = QStringLiteral("fenêtre %1, avis %2")
                  .arg(m.isEnabled() ? QStringLiteral("active") : QStringLiteral("inactive"),
                       qobject_cast<const Fermeture*>(modale) ? QStringLiteral("modal")
                                                              : QStringLiteral("non modal"));
    });
    return vu;
}
const QString PendantMaintenance = QStringLiteral("fenêtre inactive, avis modal");

} // namespace

class TestMaintenance : public QObject {
    Q_OBJECT

private slots:
    // A copy left by an earlier run goes first, whatever it holds.
    void compactage_data() {
        QTest::addColumn<QString>("reste");
        QTest::newRow("sans copie restante") << QString();
        QTest::newRow("copie restante illisible") << QStringLiteral("à moitié écrite");
        QTest::newRow("copie restante qui est un catalogue") << QStringLiteral("catalogue");
    }
    void compactage() {
        QFETCH(QString, reste);
        // An earlier case ended the program: a fresh event loop lets the notice wait again.
        QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(0); });
        QCoreApplication::exec();
        Banc banc;
        banc.dossier.remplir();
        // Deleted rows leave free pages for the compaction to drop.
        executer(QStringLiteral("DELETE FROM FilmK7 WHERE IdFilm = 8"));
        executer(QStringLiteral("DELETE FROM Film WHERE IdFilm = 8"));
        executer(QStringLiteral("UPDATE K7 SET TempsRestant = '03:00:00', NBFilm = 0, Status = '03:00:00' "
                                "WHERE IdK7 = 5"));
        const QStringList avant = lignes(banc.dossier);
        const QString copie = banc.dossier.fichier(Catalogue::NomCompact);
        if (reste == QLatin1String("catalogue"))
            QVERIFY(Catalogue::creerCatalogueVide(copie));
        else if (!reste.isEmpty())
            QVERIFY(ecrire(copie, reste.toUtf8()));
        Moniteur& m = banc.demarrer(0);
        const auto vu = surveiller(m);
        const QString titre = m.LblTitre->text();
        QElapsedTimer duree;
        duree.start();

        m.MenuCompactDB->trigger();

        QVERIFY(duree.elapsed() >= Moniteur::LectureAvis);
        QVERIFY(!titre.isEmpty());
        QCOMPARE(m.LblTitre->text(), titre); // never blank, as if the catalogue were wiped
        QCOMPARE(*vu, PendantMaintenance);
        QCOMPARE(banc.repondeur.textes(), QStringList());
        verifierFin();
        QCOMPARE(fichiers(banc.dossier), (QStringList{"Affiche", "NoPicture.jpg", "R7Ozire.mdb"}));
        QCOMPARE(relire(banc.dossier), avant);
        QCOMPARE(banc.dossier.invariants(), QStringList());
        Catalogue::fermer();
        QCOMPARE(Catalogue::verifierIntegrite(banc.dossier.catalogue()), QStringList());
    }

    // The copy cannot be written: the user is told, the catalogue stays as it was.
    void compactageImpossible_data() {
        QTest::addColumn<bool>("lectureSeule"); // else a folder in the copy's place
        QTest::newRow("dossier en lecture seule") << true;
        QTest::newRow("dossier à la place de la copie") << false;
    }
    void compactageImpossible() {
        QFETCH(bool, lectureSeule);
        Banc banc;
        banc.dossier.remplir();
        const QStringList avant = lignes(banc.dossier);
        const QString dossier = banc.dossier.chemin();
        if (!lectureSeule)
            QVERIFY(QDir().mkpath(banc.dossier.fichier(Catalogue::NomCompact) + QStringLiteral("/dedans")));
        Moniteur& m = banc.demarrer(0);
        const QStringList fichiersAvant = fichiers(banc.dossier);
        const QByteArray octetsAvant = octets(banc.dossier.catalogue());
        const QFile::Permissions droits = QFileInfo(dossier).permissions();
        auto retablir = qScopeGuard([&] { QFile::setPermissions(dossier, droits); });
        if (lectureSeule) {
            QVERIFY(QFile::setPermissions(dossier, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup |
                                                       QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther));
            QFile essai(banc.dossier.fichier(QStringLiteral("essai")));
            if (essai.open(QIODevice::WriteOnly)) {
                essai.remove();
                QSKIP("Ce compte écrit dans un dossier en lecture seule (root) : rien à vérifier.");
            }
        }
        banc.repondeur.attendre();

        m.MenuCompactDB->trigger();

        QCOMPARE(banc.repondeur.messages().size(), 1);
        QCOMPARE(banc.repondeur.messages().first().second, int(Messages::Critique));
        QVERIFY2(banc.repondeur.dernier().startsWith(Compactage), qPrintable(banc.repondeur.dernier()));
        verifierFin();
        QFile::setPermissions(dossier, droits);
        QCOMPARE(fichiers(banc.dossier), fichiersAvant);
        QCOMPARE(octets(banc.dossier.catalogue()), octetsAvant);
        QCOMPARE(relire(banc.dossier), avant);
    }

    void reparation_data() {
        QTest::addColumn<QString>("etat");
        QTest::addColumn<QStringList>("dit"); // parts of the message
        QTest::newRow("catalogue sain") << "sain" << QStringList{"est sain", "Il a été compacté."};
        // The films' page is lost: their placements go, their cassettes are free tape again.
        QTest::newRow("page des films abîmée")
            << "abime"
            << QStringList{"Le catalogue a été réparé", "zone(s) illisible(s)", "8 placement(s) sans film",
                           "4 cassette(s) ont été remises en accord",
                           "conservé sous le nom R7Ozire.endommage.mdb"};
        QTest::newRow("fichier texte") << "texte" << QStringList{Restauration, "ne peut pas être réparé"};
    }
    void reparation() {
        QFETCH(QString, etat);
        QFETCH(QStringList, dit);
        Banc banc;
        banc.dossier.remplir();
        const QStringList avant = lignes(banc.dossier);
        if (etat == QLatin1String("abime"))
            abimerFilms(banc.dossier);
        Catalogue::fermer();
        if (etat == QLatin1String("texte"))
            QVERIFY(ecrire(banc.dossier.catalogue(), "K7 1 : Zorro, alien\nK7 2 : Été\n"));
        const QByteArray original = octets(banc.dossier.catalogue());
        Moniteur& m = banc.demarrer(etat == QLatin1String("sain") ? 0 : 1);
        banc.repondeur.effacer();
        banc.repondeur.attendre();
        const auto vu = surveiller(m);
        const QString titre = m.LblTitre->text();

        m.MenuRepairDb->trigger();

        QCOMPARE(m.LblTitre->text(), titre);
        QCOMPARE(*vu, PendantMaintenance);
        QCOMPARE(banc.repondeur.messages().size(), 1);
        const QString texte = banc.repondeur.dernier();
        for (const QString& d : dit)
            QVERIFY2(texte.contains(d), qPrintable(texte));
        verifierFin();
        if (etat == QLatin1String("texte")) {
            QCOMPARE(banc.repondeur.messages().first().second, int(Messages::Critique));
            QCOMPARE(fichiers(banc.dossier), (QStringList{"Affiche", "NoPicture.jpg", "R7Ozire.mdb"}));
            QCOMPARE(octets(banc.dossier.catalogue()), original);
            return;
        }
        QCOMPARE(banc.repondeur.messages().first().second, int(Messages::Information));
        if (etat == QLatin1String("sain")) {
            QCOMPARE(fichiers(banc.dossier), (QStringList{"Affiche", "NoPicture.jpg", "R7Ozire.mdb"}));
        } else {
            QCOMPARE(fichiers(banc.dossier),
                     (QStringList{"Affiche", "NoPicture.jpg", "R7Ozire.endommage.mdb", "R7Ozire.mdb"}));
            QCOMPARE(octets(banc.dossier.fichier(QStringLiteral("R7Ozire.endommage.mdb"))), original);
        }
        QCOMPARE(Catalogue::verifierIntegrite(banc.dossier.catalogue()), QStringList());
        const QStringList apres = relire(banc.dossier);
        QCOMPARE(banc.dossier.invariants(), QStringList());
        if (etat == QLatin1String("sain")) {
            QCOMPARE(apres, avant);
        } else {
            QCOMPARE(banc.dossier.contenu(QStringLiteral("Film")), QStringList());
            QCOMPARE(banc.dossier.contenu(QStringLiteral("FilmK7")), QStringList());
            QCOMPARE(banc.dossier.contenu(QStringLiteral("K7")).size(), 5);
        }
    }

    // Restoring from the menu: the list shows every copy, an unreadable one that cannot be
    // chosen; confirmed, the chosen copy takes the catalogue's place, the former one joins the
    // copies, the user is told and the program ends. Declined, nothing changes.
    void restauration_data() {
        QTest::addColumn<bool>("confirmee");
        QTest::newRow("refusée") << false;
        QTest::newRow("confirmée") << true;
    }
    void restauration() {
        QFETCH(bool, confirmee);
        // An earlier case ended the program: a fresh event loop lets forms wait for the user again.
        QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(0); });
        QCoreApplication::exec();
        Banc banc;
        banc.dossier.remplir();
        const QStringList copiees = lignes(banc.dossier);
        const QString copie = Sauvegarde::sauvegarder(banc.dossier.chemin()).fichier;
        const QString abimee = QFileInfo(copie).dir().filePath(QStringLiteral("R7Ozire-abimee.mdb"));
        QFile f(abimee);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write("illisible") > 0);
        QVERIFY(f.setFileTime(QDateTime::currentDateTime().addSecs(60), QFileDevice::FileModificationTime));
        f.close();
        executer(QStringLiteral("DELETE FROM FilmK7"));
        executer(QStringLiteral("DELETE FROM Film"));
        const QStringList avant = lignes(banc.dossier);
        Moniteur& m = banc.demarrer();

        QStringList montrees;
        QString confirmation;
        puis([&] {
            ChoixCopie* c = ChoixCopie::instance();
            QVERIFY(c);
            for (int i = 0; i < c->ListeCopies->topLevelItemCount(); ++i) {
                const QTreeWidgetItem* l = c->ListeCopies->topLevelItem(i);
                montrees
                    << QStringLiteral("%1|%2|%3").arg(l->isDisabled() ? "-" : "+", l->text(1), l->text(2));
            }
            QCOMPARE(c->ListeCopies->currentItem(), c->ListeCopies->topLevelItem(1));
            banc.repondeur.attendre(confirmee ? Messages::Oui : Messages::Non);
            if (confirmee)
                banc.repondeur.attendre();
            QTest::mouseClick(c->BtnRestaurer, Qt::LeftButton);
            confirmation = banc.repondeur.dernier();
            if (!confirmee)
                QTest::mouseClick(c->BtnAnnuler, Qt::LeftButton);
        });
        m.MenuRestaurerDb->trigger();

        QCOMPARE(montrees, (QStringList{"-|illisible|", "+|8|5"}));
        QVERIFY2(confirmation.contains(QStringLiteral("(8 films, 5 cassettes)")) &&
                     confirmation.contains(QStringLiteral("Cassetron se fermera ensuite")),
                 qPrintable(confirmation));
        if (!confirmee) {
            QVERIFY(m.isVisible() && m.isEnabled());
            QCOMPARE(Sauvegarde::copies(banc.dossier.chemin()).size(), 2);
            QCOMPARE(lignes(banc.dossier), avant);
            return;
        }
        verifierFin();
        QCOMPARE(banc.repondeur.messages().last().second, int(Messages::Information));
        QCOMPARE(fichiers(banc.dossier),
                 (QStringList{"Affiche", "NoPicture.jpg", "R7Ozire.mdb", "Sauvegardes"}));
        QCOMPARE(relire(banc.dossier), copiees);
        const QString gardee = Sauvegarde::copies(banc.dossier.chemin()).last();
        QVERIFY(banc.repondeur.dernier().contains(QFileInfo(gardee).fileName()));
        QVERIFY(Catalogue::ouvrir(gardee).ok());
        QCOMPARE(lignes(banc.dossier), avant);
    }
};

QTEST_MAIN(TestMaintenance)
#include "tst_maintenance.moc"
