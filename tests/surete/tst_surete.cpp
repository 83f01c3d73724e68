// Crash safety, shown by killing: the scripted run of every writing command is killed with
// SIGKILL at random moments, and the next start must find the catalogue whole, its rules kept,
// and exactly the state before or after the command that was in flight, posters included.
// CASSETRON_TUEURS sets how many kills (30 by default), CASSETRON_GRAINE the random seed.

#include "catalogue/Affiches.h"
#include "tests/support/Banc.h"
#include "tests/support/Sql.h"
#include "tests/surete/Constat.h"

#include <QElapsedTimer>
#include <QMap>
#include <QProcess>
#include <QTemporaryDir>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <random>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

extern char** environ;

using namespace banc;
using surete::maintenant;

namespace {

void attendreJusqua(qint64 micro) {
    const timespec t{time_t(micro / 1000000), long(micro % 1000000) * 1000};
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &t, nullptr) == EINTR) {
    }
}

QStringList lire(const QString& chemin) {
    return QString::fromUtf8(octets(chemin)).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

// The script's last journal line: "debut k" while command k runs, "fin k" once it is done.
QString derniere(const QString& journal) {
    return lire(journal).join(QLatin1Char('\n')).section(QLatin1Char('\n'), -1);
}

// The first line where two states part, for the report.
QString ecart(const QStringList& obtenu, const QStringList& attendu) {
    int i = 0;
    while (i < obtenu.size() && i < attendu.size() && obtenu[i] == attendu[i])
        ++i;
    return QStringLiteral("« %1 » au lieu de « %2 »")
        .arg(obtenu.value(i, QStringLiteral("(rien)")), attendu.value(i, QStringLiteral("(rien)")));
}

qint32 marqueActuelle() {
    qint32 m = -1;
    Catalogue::lireMarque(&m);
    return m;
}

} // namespace

class TestSurete : public QObject {
    Q_OBJECT

    QTemporaryDir m_racine;
    QString m_modele;                        // the application folder every run starts from
    QList<QStringList> m_etats;              // after command k, k from 0
    QList<QPair<qint64, qint64>> m_fenetres; // command k's run, from the start of the program
    qint64 m_duree = 0;

    // Starts the script on a copy of the model; gives its process and when it started.
    pid_t lancer(const QString& dossier, const QString& reference, const QString& temps, qint64* depart) {
        QProcess::execute(QStringLiteral("cp"), {QStringLiteral("-a"), m_modele, dossier});
        QList<QByteArray> env;
        for (char** e = environ; *e; ++e)
            if (!QByteArray(*e).startsWith("CASSETRON_SURETE_") &&
                !QByteArray(*e).startsWith("QT_QPA_PLATFORM="))
                env << QByteArray(*e);
        env << "QT_QPA_PLATFORM=offscreen"
            << "CASSETRON_SURETE_DOSSIER=" + QFile::encodeName(dossier)
            << "CASSETRON_SURETE_JOURNAL=" + QFile::encodeName(dossier + QStringLiteral("/journal"))
            << "CASSETRON_SURETE_REFERENCE=" + QFile::encodeName(reference)
            << "CASSETRON_SURETE_TEMPS=" + QFile::encodeName(temps);
        QList<char*> envp;
        for (QByteArray& e : env)
            envp << e.data();
        envp << nullptr;
        char programme[] = CASSETRON_EXECUTANT, silence[] = "-silent";
        char* argv[] = {programme, silence, nullptr};
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        const QByteArray sortie = QFile::encodeName(dossier + QStringLiteral("/sortie"));
        posix_spawn_file_actions_addopen(&actions, 1, sortie.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_adddup2(&actions, 1, 2);
        pid_t pid = 0;
        *depart = maintenant();
        const int rc = posix_spawn(&pid, programme, &actions, nullptr, argv, envp.data());
        posix_spawn_file_actions_destroy(&actions);
        return rc == 0 ? pid : -1;
    }

    // A whole run of the script; its duration.
    qint64 derouler(const QString& dossier, const QString& reference, const QString& temps, qint64* depart) {
        const pid_t pid = lancer(dossier, reference, temps, depart);
        if (pid <= 0)
            return -1;
        int statut = 0;
        pid_t fini = 0;
        while ((fini = waitpid(pid, &statut, WNOHANG)) == 0 && maintenant() - *depart < 120 * 1000000)
            QTest::qSleep(2);
        const qint64 duree = maintenant() - *depart;
        if (fini == 0) {
            kill(pid, SIGKILL);
            waitpid(pid, &statut, 0);
        }
        if (!WIFEXITED(statut) || WEXITSTATUS(statut) != 0) {
            qWarning("le script a échoué :\n%s", octets(dossier + QStringLiteral("/sortie")).constData());
            return -1;
        }
        return duree;
    }

private slots:
    // The model folder, one whole run of the script that records the reference states, then one
    // that times its commands as the killed runs will run them (without the states).
    void initTestCase() {
        QVERIFY(m_racine.isValid());
        m_modele = m_racine.filePath(QStringLiteral("modele"));
        QVERIFY(QDir().mkpath(m_modele + QStringLiteral("/Affiche")));
        QVERIFY(QDir().mkpath(m_modele + QStringLiteral("/sources")));
        QVERIFY(Catalogue::creerCatalogueVide(m_modele + QStringLiteral("/R7Ozire.mdb")));
        QVERIFY(QFile::copy(QStringLiteral(CASSETRON_RESSOURCES "/NoPicture.jpg"),
                            m_modele + QStringLiteral("/NoPicture.jpg")));
        const QMap<QString, Qt::GlobalColor> couleurs = {{"rouge", Qt::red},  {"verte", Qt::green},
                                                         {"bleue", Qt::blue}, {"jaune", Qt::yellow},
                                                         {"cyan", Qt::cyan},  {"magenta", Qt::magenta}};
        for (auto c = couleurs.cbegin(); c != couleurs.cend(); ++c)
            QVERIFY(!image(m_modele + QStringLiteral("/sources/%1.jpg").arg(c.key()), c.value()).isEmpty());

        const QString reference = m_racine.filePath(QStringLiteral("etats"));
        QVERIFY(QDir().mkpath(reference));
        qint64 depart = 0;
        QVERIFY(derouler(m_racine.filePath(QStringLiteral("reference")), reference, QString(), &depart) > 0);
        const QString dossier = m_racine.filePath(QStringLiteral("chronometre"));
        const QString temps = m_racine.filePath(QStringLiteral("temps.txt"));
        m_duree = derouler(dossier, QString(), temps, &depart);
        QVERIFY(m_duree > 0);

        for (const QString& ligne : lire(temps)) {
            const QStringList t = ligne.split(QLatin1Char(' '));
            QCOMPARE(t[0].toInt(), m_fenetres.size() + 1);
            m_fenetres.append({t[1].toLongLong() - depart, t[2].toLongLong() - depart});
        }
        QCOMPARE(derniere(dossier + QStringLiteral("/journal")),
                 QStringLiteral("fin %1").arg(m_fenetres.size()));
        for (int k = 0; k <= m_fenetres.size(); ++k)
            m_etats << lire(reference + QStringLiteral("/etat-%1.txt").arg(k));
        // Every command changed something: a kill at any one of them has two states to tell apart.
        for (int k = 1; k < m_etats.size(); ++k)
            QVERIFY2(m_etats[k] != m_etats[k - 1], qPrintable(QString::number(k)));
        qInfo("script : %d commandes en %lld ms", int(m_fenetres.size()), m_duree / 1000);
    }

    // What a start finds in the poster folder: a journal whose command committed (the catalogue
    // holds its mark) is finished, one whose command did not is undone, copies no journal names go,
    // and no other file is touched. The main window then shows the film's poster as it now is.
    // Unfinished copies of the catalogue beside it go too.
    void reprise_data() {
        QTest::addColumn<bool>("validee"); // the catalogue holds the journal's mark
        QTest::addColumn<QString>("journal");
        QTest::addColumn<QStringList>("avant"); // files of Affiche/, "name=content"
        QTest::addColumn<QStringList>("apres");
        // Its name, validated or not, the journal's line, the files before, after; $c is a copy the program
        // made, $R the poster of film 1, $U the user's own files.
        for (const char* cas :
             {"placement validé|1|installer $c 1.jpg|$c=bleue|1.jpg=bleue",
              "placement non validé|0|installer $c 1.jpg|$c=bleue|",
              "affiche remplacée, validé|1|installer $c 1.jpg|$R,$c=bleue|1.jpg=bleue",
              "affiche remplacée, non validé|0|installer $c 1.jpg|$R,$c=bleue|$R",
              "remplacement déjà fait|1|installer $c 1.jpg|$R|$R",
              "effacement validé|1|supprimer 7.jpg|$R,7.jpg=x|$R",
              "effacement non validé|0|supprimer 7.jpg|$R,7.jpg=x|$R,7.jpg=x",
              "copies sans journal, fichiers de l'utilisateur|1||$R,$c=bleue,.nouvelle-0a1B2c.jpg=?,"
              ".journal-affiches.provisoire=?,$U|$R,$U",
              // Not written by the program: nothing it names is acted upon.
              "journal étranger|1|supprimer notes.txt|$R,$U|$R,$U"}) {
            const QStringList c =
                QString::fromUtf8(cas)
                    .replace("$c", ".nouvelle-Ab3xYz.jpg")
                    .replace("$R", "1.jpg=rouge")
                    .replace("$U", "7.jpg=sans film,notes.txt=à moi,.nouvelle-photo.jpg=à moi aussi")
                    .split('|');
            QTest::newRow(qPrintable(c[0]))
                << (c[1] == "1") << (c[2].isEmpty() ? c[2] : c[2] + '\n')
                << c[3].split(',', Qt::SkipEmptyParts) << c[4].split(',', Qt::SkipEmptyParts);
        }
    }

    void reprise() {
        QFETCH(bool, validee);
        QFETCH(QString, journal);
        QFETCH(QStringList, avant);
        QFETCH(QStringList, apres);
        Banc b;
        cassette(QStringLiteral("FILM01:00:00Un/02:00:00"));
        {
            Catalogue::Transaction t;
            qint32 m = 0;
            QVERIFY(Catalogue::avancerMarque(&m) && t.valider());
        }
        const QDir d(b.dossier.fichier(QStringLiteral("Affiche")));
        QVERIFY(d.mkpath(QStringLiteral(".")));
        // Posters are told apart by colour, the other files by their text.
        const QMap<QString, QByteArray> couleurs{{"rouge", image(d.filePath("r"), Qt::red)},
                                                 {"bleue", image(d.filePath("b"), Qt::blue)}};
        const auto fichiers = [&](const QStringList& l) {
            QMap<QString, QByteArray> m;
            for (const QString& f : l) {
                const QString texte = f.section(QLatin1Char('='), 1);
                m.insert(f.section(QLatin1Char('='), 0, 0), couleurs.value(texte, texte.toUtf8()));
            }
            return m;
        };
        const QMap<QString, QByteArray> aPoser = fichiers(avant);
        for (auto f = aPoser.cbegin(); f != aPoser.cend(); ++f)
            QVERIFY(ecrire(d.filePath(f.key()), f.value()));
        QVERIFY(QFile::remove(d.filePath("r")) && QFile::remove(d.filePath("b")));
        if (!journal.isEmpty())
            QVERIFY(ecrire(d.filePath(QStringLiteral(".journal-affiches")),
                           QStringLiteral("Cassetron affiches 1\nmarque %1\n%2fin\n")
                               .arg(validee ? marqueActuelle() : marqueActuelle() + 1)
                               .arg(journal)
                               .toUtf8()));

        // A compaction and a repair cut short left their copies; the catalogue is whole beside them.
        const QStringList copies = {Catalogue::NomCompact, Catalogue::NomCompact + QStringLiteral("-journal"),
                                    QStringLiteral("R7Ozire.reparation.mdb")};
        for (const QString& c : copies)
            QVERIFY(ecrire(b.dossier.fichier(c), "à moitié écrite"));

        Moniteur& m = b.demarrer();

        for (const QString& c : copies)
            QVERIFY2(!QFile::exists(b.dossier.fichier(c)), qPrintable(c));
        const QMap<QString, QByteArray> attendu = fichiers(apres);
        QCOMPARE(contenuAffiches(b), attendu);
        const QImage montree = attendu.contains(QStringLiteral("1.jpg"))
                                   ? QImage(d.filePath(QStringLiteral("1.jpg")))
                                   : QImage(b.placeholder());
        QCOMPARE(b.montree(), montree.convertToFormat(QImage::Format_RGB32));
        QCOMPARE(m.LblTitre->text(), QStringLiteral("Un"));
    }

    // The mark moves with the transaction that moves it, and survives compaction and repair. The
    // engine keeps a commit through a crash: a rollback journal, synced at each commit.
    void marque() {
        DossierTest d;
        Sql reglages = executer(QStringLiteral("SELECT journal_mode || synchronous FROM pragma_journal_mode, "
                                               "pragma_synchronous"));
        QVERIFY(reglages.next() && reglages.value(0).toString() == QLatin1String("delete2")); // 2: FULL
        reglages.finish();
        const qint32 depart = marqueActuelle();
        qint32 m = 0;
        {
            Catalogue::Transaction t;
            QVERIFY(Catalogue::avancerMarque(&m));
            QCOMPARE(m, depart + 1);
            t.annuler();
        }
        QCOMPARE(marqueActuelle(), depart);
        {
            Catalogue::Transaction t;
            QVERIFY(Catalogue::avancerMarque(&m) && t.valider());
        }
        QCOMPARE(marqueActuelle(), depart + 1);
        Catalogue::fermer();
        QVERIFY(Catalogue::compacter(d.chemin()).ok);
        QVERIFY(Catalogue::reparer(d.chemin()).ok);
        QVERIFY(Catalogue::ouvrir(d.catalogue()).ok());
        QCOMPARE(marqueActuelle(), depart + 1);
    }

    // Half the kills fall anywhere in the run; half inside a command drawn at random, once the
    // journal shows it started, so that the short commands and the late ones get their share too
    // however fast this run goes.
    void tuer() {
        const int tueurs = qEnvironmentVariable("CASSETRON_TUEURS", "30").toInt();
        const quint64 graine = qEnvironmentVariable("CASSETRON_GRAINE", "20240611").toULongLong();
        std::mt19937_64 hasard(graine);
        QMap<QString, int> parCommande;
        QStringList echecs;
        int faits = 0;
        int finis = 0;
        // Runs that end before their shot are checked too, but only real kills count.
        for (int i = 0; faits - finis < tueurs && i < 3 * tueurs + 10; ++i) {
            int cible = 0; // the command the shot waits for, 0 for none
            qint64 delai;
            if (i % 2 == 0) {
                delai = std::uniform_int_distribution<qint64>(0, m_duree)(hasard);
            } else {
                cible = std::uniform_int_distribution<int>(1, int(m_fenetres.size()))(hasard);
                const auto& f = m_fenetres[cible - 1];
                delai = std::uniform_int_distribution<qint64>(0, f.second - f.first)(hasard);
            }
            const QString dossier = m_racine.filePath(QStringLiteral("tue-%1").arg(i));
            qint64 depart = 0;
            const pid_t pid = lancer(dossier, QString(), QString(), &depart);
            QVERIFY(pid > 0);
            int statut = 0;
            bool vivant = true;
            if (cible) {
                const QByteArray debut = "debut " + QByteArray::number(cible) + '\n';
                const QString journal = dossier + QStringLiteral("/journal");
                while (!octets(journal).contains(debut) && (vivant = waitpid(pid, &statut, WNOHANG) == 0))
                    attendreJusqua(maintenant() + 20);
                depart = maintenant();
            }
            attendreJusqua(depart + delai);
            if (vivant && waitpid(pid, &statut, WNOHANG) == 0) {
                kill(pid, SIGKILL);
                waitpid(pid, &statut, 0);
            }
            const bool tue = WIFSIGNALED(statut) && WTERMSIG(statut) == SIGKILL;
            if (!tue) {
                ++finis;
                QVERIFY2(WIFEXITED(statut) && WEXITSTATUS(statut) == 0,
                         qPrintable(octets(dossier + "/sortie")));
            }
            ++faits;

            const QString etape = derniere(dossier + QStringLiteral("/journal"));
            const int k = etape.section(QLatin1Char(' '), 1).toInt();
            const bool enCours = etape.startsWith(QLatin1String("debut "));
            const QString commande = QStringLiteral("%1 %2").arg(k, 2).arg(enCours ? "en cours" : "finie");
            ++parCommande[commande];
            const QString cas =
                QStringLiteral("tir %1 à %2 µs%3, commande %4")
                    .arg(i)
                    .arg(delai)
                    .arg(cible ? QStringLiteral(" du début de %1").arg(cible) : QString(), commande);
            const surete::Constat c = surete::constater(dossier);
            Catalogue::fermer();
            QList<int> admis{k};
            if (enCours)
                admis.prepend(k - 1);
            QString raison = c.problemes.join(QLatin1String("; "));
            if (raison.isEmpty() &&
                !(c.etat == m_etats.value(admis.first()) || c.etat == m_etats.value(admis.last()))) {
                QStringList ecarts;
                for (int e : admis)
                    ecarts << QStringLiteral("état %1 : %2").arg(e).arg(ecart(c.etat, m_etats.value(e)));
                raison = ecarts.join(QLatin1String(", "));
            }
            if (raison.isEmpty())
                QDir(dossier).removeRecursively();
            else
                echecs << cas + QStringLiteral(" : ") + raison + QStringLiteral(" (dossier ") + dossier + ')';
        }
        qInfo("%d tirs survécus sur %d (%d tués, %d finis avant le tir), graine %llu",
              faits - int(echecs.size()), faits, faits - finis, finis, graine);
        QCOMPARE(faits - finis, tueurs);
        for (auto p = parCommande.cbegin(); p != parCommande.cend(); ++p)
            qInfo("  commande %s : %d", qPrintable(p.key()), p.value());
        for (const QString& e : std::as_const(echecs))
            qWarning("%s", qPrintable(e));
        if (!echecs.isEmpty())
            m_racine.setAutoRemove(false);
        QVERIFY2(echecs.isEmpty(),
                 qPrintable(
                     QStringLiteral("%1 tirs sur %2 ont laissé un état faux").arg(echecs.size()).arg(faits)));
    }
};

QTEST_MAIN(TestSurete)
#include "tst_surete.moc"
