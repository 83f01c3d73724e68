// The scripted run the crash test kills: every command that writes, driven through the real
// screens as a user drives them, in one application folder. Before each command it writes
// "debut k" to its journal, after it "fin k", each with one write(2) so that a kill never leaves
// half a line. Asked for references, it also writes after each command the state the next start
// would find; asked for its times, when each command ran.
//
// CASSETRON_SURETE_DOSSIER     the application folder (catalogue, placeholder, sources/*.jpg)
// CASSETRON_SURETE_JOURNAL     the journal file
// CASSETRON_SURETE_REFERENCE   optional (may be empty): folder receiving etat-<k>.txt
// CASSETRON_SURETE_TEMPS       optional (may be empty): file receiving "k start end" per command (monotonic
// µs)

#include "screens/film/AjoutK7.h"
#include "screens/film/ChoixK7.h"
#include "screens/main/ChoixCopie.h"
#include "screens/views/VisuK7.h"
#include "tests/support/Banc.h"
#include "tests/surete/Constat.h"

#include <QComboBox>
#include <QPushButton>
#include <QToolButton>
#include <QTreeWidget>

#include <fcntl.h>
#include <time.h>
#include <unistd.h>

using namespace banc;
using surete::maintenant;

class Executant : public QObject {
    Q_OBJECT

    QString m_dossier;
    QString m_reference;
    int m_journal = -1;
    Repondeur m_repondeur;
    QPointer<Moniteur> m_moniteur;
    QStringList m_temps;
    int m_k = 0;

    void ecrire(const QByteArray& ligne) {
        QVERIFY(::write(m_journal, ligne.constData(), size_t(ligne.size())) == ligne.size());
    }

    void noterEtat(int k) {
        if (m_reference.isEmpty())
            return;
        const surete::Constat c = surete::constater(m_dossier);
        QCOMPARE(c.problemes, QStringList());
        // Between two commands nothing may be left for the next start to put right.
        QVERIFY(!c.reprise.journal);
        QCOMPARE(c.reprise.provisoiresSupprimes, 0);
        QVERIFY(banc::ecrire(QDir(m_reference).filePath(QStringLiteral("etat-%1.txt").arg(k)),
                             c.etat.join(QLatin1Char('\n')).toUtf8()));
    }

    // One command of the script, between its two journal lines.
    void commande(const std::function<void()>& geste) {
        ++m_k;
        const qint64 debut = maintenant();
        ecrire("debut " + QByteArray::number(m_k) + '\n');
        geste();
        ecrire("fin " + QByteArray::number(m_k) + '\n');
        m_temps << QStringLiteral("%1 %2 %3").arg(m_k).arg(debut).arg(maintenant());
        QCOMPARE(m_repondeur.restantes(), 0);
        QVERIFY(!QApplication::activeModalWidget());
        noterEtat(m_k);
    }

    // The poster chosen in the film form, when there is one: a picture of this colour.
    void choisirAffiche(AjoutFilm* f, const QString& couleur) {
        if (couleur.isEmpty())
            return;
        m_repondeur.attendreFichier(QDir(m_dossier).filePath(QStringLiteral("sources/%1.jpg").arg(couleur)));
        QTest::mouseClick(f->OuvrirAffiche, Qt::LeftButton);
    }

    // A command as the user gives it: its verb, then its fields (the film's, the poster's colour).
    void jouer(const QString& verbe, const QStringList& a) {
        if (verbe == "modifier" || verbe == "effacer")
            banc::montrer(*m_moniteur, a[0]);
        commande([&] {
            if (verbe == "cassette") {
                puis([&] {
                    auto* k = Feuille::chargee<AjoutK7>();
                    QVERIFY(k);
                    k->TxtDuree->setText(a[0]);
                    m_repondeur.attendre(); // its number
                    QTest::mouseClick(k->BtnAjouterK7, Qt::LeftButton);
                });
                m_moniteur->MenuAjouterCassette->trigger();
            } else if (verbe == "placer") { // the first cassette offered, the summary
                bool place = false;
                puis([&] {
                    AjoutFilm* f = AjoutFilm::instance();
                    QVERIFY(f);
                    remplir(*f, {a[0], "Jacques Demy", "Anouk Aimée; Marc Michel", a[1], "1961", "France",
                                 "Drame", a[2]});
                    choisirAffiche(f, a[3]);
                    puis([&] {
                        ChoixK7* c = ChoixK7::instance();
                        QVERIFY(c && c->BtnValiderK7->isEnabled());
                        puis([&] {
                            auto* infos = Feuille::chargee<InfosK7>();
                            QVERIFY(infos);
                            place = true;
                            QTest::mouseClick(infos->BtnValiderK7, Qt::LeftButton);
                        });
                        QTest::mouseClick(c->BtnValiderK7, Qt::LeftButton);
                    });
                    QTest::mouseClick(f->BtnAjouterFilm, Qt::LeftButton);
                });
                m_moniteur->MenuAjouterFilm->trigger();
                QVERIFY(place);
            } else if (verbe == "modifier") {
                puis([&] {
                    AjoutFilm* f = AjoutFilm::instance();
                    QVERIFY(f);
                    f->TxtDescription->setPlainText(a[1]);
                    choisirAffiche(f, a[2]);
                    m_repondeur.attendre(); // modified
                    QTest::mouseClick(f->BtnAjouterFilm, Qt::LeftButton);
                });
                m_moniteur->MenuModifFilm->trigger();
            } else if (verbe == "effacer") {
                m_repondeur.attendre(Messages::Oui);
                QTest::mouseClick(m_moniteur->BtnEffacerFilm, Qt::LeftButton);
            } else if (verbe == "effacerK7") {
                puis([&] {
                    QPointer<VisuK7> v = Feuille::chargee<VisuK7>();
                    QVERIFY(v);
                    v->ComboK7->setCurrentIndex(v->ComboK7->findText(a[0]));
                    QTRY_COMPARE(v->lblNumK7->text(), a[0]);
                    m_repondeur.attendre(Messages::Oui);
                    QTest::mouseClick(v->BtnEffacerK7, Qt::LeftButton);
                    if (v)
                        QTest::mouseClick(v->BtnValiderK7, Qt::LeftButton);
                });
                m_moniteur->MenuEffacerCassette->trigger();
            } else if (verbe == "compacter") { // the catalogue closed, compacted, the program ends
                m_moniteur->MenuCompactDB->trigger();
                QVERIFY(Appli::finDemandee());
            } else if (verbe == "sauvegarder") { // as each start does: a copy when the catalogue changed
                const Sauvegarde::Resultat r = Sauvegarde::sauvegarder(m_dossier);
                QVERIFY2(r.faite, qPrintable(r.erreur));
            } else if (verbe == "restaurer") { // the oldest copy put back; the program ends
                puis([&] {
                    ChoixCopie* c = ChoixCopie::instance();
                    QVERIFY(c);
                    c->ListeCopies->setCurrentItem(
                        c->ListeCopies->topLevelItem(c->ListeCopies->topLevelItemCount() - 1));
                    m_repondeur.attendre(Messages::Oui);
                    m_repondeur.attendre(); // restored
                    QTest::mouseClick(c->BtnRestaurer, Qt::LeftButton);
                });
                m_moniteur->MenuRestaurerDb->trigger();
                QVERIFY(Appli::finDemandee());
            } else {
                QFAIL(qPrintable(verbe));
            }
        });
    }

private slots:
    void script() {
        m_dossier = qEnvironmentVariable("CASSETRON_SURETE_DOSSIER");
        m_reference = qEnvironmentVariable("CASSETRON_SURETE_REFERENCE");
        QVERIFY(!m_dossier.isEmpty());
        m_journal = ::open(qPrintable(qEnvironmentVariable("CASSETRON_SURETE_JOURNAL")),
                           O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
        QVERIFY(m_journal >= 0);
        Appli::setDossier(m_dossier);
        // The kills are spread over the run's writes, not over a pause for the eye.
        Moniteur::LectureAvis = 0;
        noterEtat(0);

        // A command a line, its fields separated by "|"; a long summary spills over pages of its own, which
        // its deletion frees for compaction. After the compaction, the next start: the catalogue copied
        // before it is open, as at a real start; later, copied on the open catalogue, then the oldest copy
        // put back (the current catalogue is the newest copy already: only the rows change).
        for (const QString& ligne : QStringList{
                 "demarrer vide", "cassette 03:00:00", "cassette 04:00:00",
                 "placer Alphaville|01:00:00|Lemmy Caution.|rouge",
                 "placer Baisers volés|00:45:00|Antoine.|verte", "placer Cléo de 5 à 7|01:30:00|Paris.|bleue",
                 "placer Domicile conjugal|00:30:00|Encore.|jaune",
                 "modifier Alphaville|" + QString("Une étrange aventure. ").repeated(500) + "|cyan",
                 "effacer Baisers volés", "effacerK7 1", // Alphaville and Domicile conjugal with it
                 "compacter", "nouvelle boucle", "sauvegarder", "demarrer",
                 "placer Élise|01:00:00|Une lettre.|magenta", "modifier Élise|Une lettre, enfin.|",
                 "effacer Élise", "sauvegarder", "restaurer"}) {
            const QString verbe = ligne.section(' ', 0, 0);
            if (verbe == "nouvelle") { // the program ended, its event loop with it: a fresh one for the forms
                QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(0); });
                QCoreApplication::exec();
            } else if (verbe == "demarrer") { // the main window, as at the program's start
                delete m_moniteur;
                Catalogue::fermer();
                if (ligne.endsWith("vide")) // an empty catalogue says so
                    m_repondeur.attendre();
                m_moniteur = new Moniteur;
                m_moniteur->Show();
                m_moniteur->show();
            } else {
                jouer(verbe, ligne.section(' ', 1).split('|'));
            }
        }

        if (!qEnvironmentVariable("CASSETRON_SURETE_TEMPS").isEmpty())
            QVERIFY(banc::ecrire(qEnvironmentVariable("CASSETRON_SURETE_TEMPS"),
                                 m_temps.join(QLatin1Char('\n')).toUtf8()));
        delete m_moniteur;
        ::close(m_journal);
    }
};

QTEST_MAIN(Executant)
#include "executant.moc"
