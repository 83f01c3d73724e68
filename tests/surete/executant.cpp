// The scripted run the crash test kills: every command that writes, driven through the real
// screens as a user drives them, in one application folder. Before each command it writes
// "debut k" to its journal, after it "fin k", each with one write(2) so that a kill never leaves
// half a line. Asked for references, it also writes after each command the state the next start
// would find; asked for its times, when each command ran.
//
// CASSETRON_SURETE_DOSSIER     the application folder (catalogue, placeholder, sources/*.jpg)
// CASSETRON_SURETE_JOURNAL     the journal file
// CASSETRON_SURETE_REFERENCE   optional: folder receiving etat-<k>.txt
// CASSETRON_SURETE_TEMPS       optional: file receiving "k start end" per command (monotonic µs)

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

namespace {

QString source(const char* couleur) {
    return QDir(qEnvironmentVariable("CASSETRON_SURETE_DOSSIER"))
        .filePath(QStringLiteral("sources/%1.jpg").arg(QLatin1String(couleur)));
}

QStringList film(const QString& titre, const QString& duree, const QString& resume) {
    return QStringList{titre,   "Jacques Demy", "Anouk Aimée; Marc Michel", duree, "1961", "France",
                       "Drame", resume};
}

} // namespace

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

    // The main window, as at the program's start: an empty catalogue says so.
    void demarrer(bool vide) {
        delete m_moniteur;
        Catalogue::fermer();
        if (vide)
            m_repondeur.attendre();
        m_moniteur = new Moniteur;
        m_moniteur->Show();
        m_moniteur->show();
    }

    void ajouterCassette(const QString& duree) {
        commande([&] {
            puis([&] {
                auto* k = Feuille::chargee<AjoutK7>();
                QVERIFY(k);
                k->TxtDuree->setText(duree);
                m_repondeur.attendre(); // its number
                QTest::mouseClick(k->BtnAjouterK7, Qt::LeftButton);
            });
            m_moniteur->MenuAjouterCassette->trigger();
        });
    }

    // The film form, its poster, the first cassette offered, the summary.
    void placer(const QStringList& champs, const char* affiche) {
        commande([&] {
            bool place = false;
            puis([&] {
                AjoutFilm* f = AjoutFilm::instance();
                QVERIFY(f);
                remplir(*f, champs);
                if (affiche) {
                    m_repondeur.attendreFichier(source(affiche));
                    QTest::mouseClick(f->OuvrirAffiche, Qt::LeftButton);
                }
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
        });
    }

    void modifier(const QString& titre, const QString& resume, const char* affiche) {
        banc::montrer(*m_moniteur, titre);
        commande([&] {
            puis([&] {
                AjoutFilm* f = AjoutFilm::instance();
                QVERIFY(f);
                f->TxtDescription->setPlainText(resume);
                if (affiche) {
                    m_repondeur.attendreFichier(source(affiche));
                    QTest::mouseClick(f->OuvrirAffiche, Qt::LeftButton);
                }
                m_repondeur.attendre(); // modified
                QTest::mouseClick(f->BtnAjouterFilm, Qt::LeftButton);
            });
            m_moniteur->MenuModifFilm->trigger();
        });
    }

    void effacerFilm(const QString& titre) {
        banc::montrer(*m_moniteur, titre);
        commande([&] {
            m_repondeur.attendre(Messages::Oui);
            QTest::mouseClick(m_moniteur->BtnEffacerFilm, Qt::LeftButton);
        });
    }

    void effacerCassette(const QString& numero) {
        commande([&] {
            puis([&] {
                QPointer<VisuK7> v = Feuille::chargee<VisuK7>();
                QVERIFY(v);
                v->ComboK7->setCurrentIndex(v->ComboK7->findText(numero));
                QTRY_COMPARE(v->lblNumK7->text(), numero);
                m_repondeur.attendre(Messages::Oui);
                QTest::mouseClick(v->BtnEffacerK7, Qt::LeftButton);
                if (v)
                    QTest::mouseClick(v->BtnValiderK7, Qt::LeftButton);
            });
            m_moniteur->MenuEffacerCassette->trigger();
        });
    }

    // As the maintenance menu does: the catalogue closed, compacted, the program ends.
    void compacter() {
        commande([&] {
            m_moniteur->MenuCompactDB->trigger();
            QVERIFY(Appli::finDemandee());
        });
    }

    // As each start does before the main window opens: a copy when the catalogue changed.
    void sauvegarder() {
        commande([&] {
            const Sauvegarde::Resultat r = Sauvegarde::sauvegarder(m_dossier);
            QVERIFY2(r.faite, qPrintable(r.erreur));
        });
    }

    // The oldest copy put back from the maintenance menu; the program ends.
    void restaurer() {
        commande([&] {
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
        });
    }

    // The program ended, its event loop with it: a fresh one lets the forms wait for the user again.
    static void nouvelleBoucle() {
        QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(0); });
        QCoreApplication::exec();
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

        demarrer(true);
        ajouterCassette("03:00:00");
        ajouterCassette("04:00:00");
        placer(film("Alphaville", "01:00:00", "Lemmy Caution."), "rouge");
        placer(film("Baisers volés", "00:45:00", "Antoine."), "verte");
        placer(film("Cléo de 5 à 7", "01:30:00", "Paris."), "bleue");
        placer(film("Domicile conjugal", "00:30:00", "Encore."), "jaune");
        // A long summary spills over pages of its own, which its deletion frees for compaction.
        modifier("Alphaville", QString("Une étrange aventure. ").repeated(500), "cyan");
        effacerFilm("Baisers volés");
        effacerCassette("1"); // Alphaville and Domicile conjugal with it
        compacter();

        // The next start, on the compacted catalogue. The program ended, its event loop with it:
        // a fresh one lets the forms wait for the user again.
        nouvelleBoucle();
        sauvegarder(); // the catalogue not yet open, as at a real start
        demarrer(false);
        placer(film("Élise", "01:00:00", "Une lettre."), "magenta");
        modifier("Élise", "Une lettre, enfin.", nullptr);
        effacerFilm("Élise");
        sauvegarder(); // on the open catalogue
        // The current catalogue is the newest copy already: only the rows change.
        restaurer();

        if (qEnvironmentVariableIsSet("CASSETRON_SURETE_TEMPS"))
            QVERIFY(banc::ecrire(qEnvironmentVariable("CASSETRON_SURETE_TEMPS"),
                                 m_temps.join(QLatin1Char('\n')).toUtf8()));
        delete m_moniteur;
        ::close(m_journal);
    }
};

QTEST_MAIN(Executant)
#include "executant.moc"
