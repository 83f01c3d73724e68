// Times every user action on the real screens (offscreen) at three catalogue sizes and prints a
// table, median milliseconds per action and size, with each size's peak memory.
// Usage: bench_actions                  all three sizes, each in a process of its own, three rounds
//        bench_actions menage|collection|extreme [ACTION]   one size, one line per action (used by
//                                                  the above); with ACTION, ends after the action
//                                                  whose name starts so (to profile it)
//        bench_actions menage|collection|extreme listes   the printed lists alone, after the start
//        (a line per action: median milliseconds by the clock, then of processor time)

#include "bench/Generateur.h"
#include "catalogue/Catalogue.h"
#include "catalogue/Outils.h"
#include "catalogue/Sauvegarde.h"
#include "catalogue/Sqlite.h"
#include "screens/common/Appli.h"
#include "screens/common/Controles.h"
#include "screens/common/Dialogues.h"
#include "screens/common/Grille.h"
#include "screens/common/Messages.h"
#include "screens/film/AjoutFilm.h"
#include "screens/film/ChoixK7.h"
#include "screens/main/Moniteur.h"
#include "screens/print/ApercuImpression.h"
#include "screens/print/Impression.h"
#include "screens/print/ImpressionEtiquettes.h"
#include "screens/views/ConsultK7.h"
#include "screens/views/ListeFilm.h"
#include "screens/views/VisuK7.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QHeaderView>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>
#include <QTimer>

#include <algorithm>
#include <ctime>
#include <functional>
#include <sys/resource.h>

namespace {

struct Taille {
    const char* nom;
    int films;
    int cassettes;
    int repetitions;
};
const Taille Tailles[] = {
    {"menage", 500, 150, 9}, {"collection", 20000, 6000, 7}, {"extreme", 100000, 30000, 5}};

QTextStream sortie(stdout);
QString g_derniere;                 // the action the run ends after, if any
bool g_listesSeules = false;        // only the printed lists
QTemporaryDir* g_dossier = nullptr; // the run's catalogue, removed by that early end too

// For the long actions, about half as many runs, always an odd number of them.
int moitie(int n) {
    return qMax(1, n / 2) | 1;
}

// The processor time of every thread of the process, in milliseconds: less swayed by a busy
// machine than the clock.
double tempsProcesseur() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}
double g_processeur = 0; // the last action's, median

// Runs `avant` (not timed), then times `action`, `fois` times.
double mesurer(int fois, const std::function<void()>& action, const std::function<void()>& avant = {}) {
    QVector<double> t, cpu;
    for (int i = 0; i < fois; ++i) {
        if (avant)
            avant();
        const double cpu0 = tempsProcesseur();
        QElapsedTimer c;
        c.start();
        action();
        t << c.nsecsElapsed() / 1e6;
        cpu << tempsProcesseur() - cpu0;
        QCoreApplication::processEvents();
    }
    g_processeur = mediane(cpu);
    return mediane(t);
}

void resultat(const char* action, double ms) {
    sortie << action << '\t' << QString::number(ms, 'f', 2) << '\t' << QString::number(g_processeur, 'f', 2)
           << '\n';
    sortie.flush();
    // To profile one action, the run can end right after it.
    if (!g_derniere.isEmpty() && QString::fromUtf8(action).startsWith(g_derniere)) {
        if (g_dossier)
            g_dossier->remove();
        ::exit(0);
    }
}

// Closes the modal form of type T as soon as it shows.
template <typename T> void fermerDesQueVisible() {
    QTimer::singleShot(0, [] {
        if (T* f = Feuille::chargee<T>())
            f->Unload();
    });
}

// A cassette of ten short films, for the deletion of a whole cassette.
qint64 cassetteDeDix() {
    using Catalogue::Sqlite::Requete;
    sqlite3* db = Catalogue::base();
    QStringList champs;
    for (int i = 0; i < 10; ++i)
        champs << QStringLiteral("FILM00:20:00Court métrage %1").arg(i + 1);
    champs << QStringLiteral("00:40:00");
    Requete k7(db,
               QStringLiteral("INSERT INTO K7 (\"Durée\", TempsRestant, NBFilm, Status) VALUES ('04:00:00', "
                              "'00:40:00', 10, ?)"));
    k7.lier(1, champs.join(QLatin1Char('/')));
    k7.executer();
    const qint64 idK7 = sqlite3_last_insert_rowid(db);
    Requete film(db, QStringLiteral("INSERT INTO Film (Titre, \"Durée\", Date, Genre) VALUES (?, '00:20:00', "
                                    "'2000', 'Documentaire')"));
    Requete place(db, QStringLiteral("INSERT INTO FilmK7 (IdFilm, IdK7, Position) VALUES (?, ?, ?)"));
    for (int i = 0; i < 10; ++i) {
        film.reinitialiser();
        film.lier(1, QStringLiteral("Court métrage %1").arg(i + 1));
        film.executer();
        place.reinitialiser();
        place.lier(1, qint64(sqlite3_last_insert_rowid(db)));
        place.lier(2, idK7);
        place.lier(3, i + 1);
        place.executer();
    }
    return idK7;
}

// Opens the film form with a new film typed in and the cassette choice on screen, as a user
// has them just before pressing "Ajouter".
ChoixK7* preparerPlacement(Moniteur* m, int n) {
    m->ModeAjout = true;
    auto* film = new AjoutFilm;
    film->charger();
    film->TxtTitre->setPlainText(QStringLiteral("Nouveau film %1").arg(n));
    film->TxtDuree->setText(QStringLiteral("01:05:00"));
    film->VerifieDonnees();
    auto* choix = new ChoixK7;
    choix->charger();
    choix->LblTitre->setText(film->TxtTitre->toPlainText());
    choix->LblDuree->setText(film->TxtDuree->text());
    choix->Form_Activate();
    return choix;
}

void listesImprimees(int n) {
    auto* impression = new Impression;
    impression->charger();
    const char* const listes[6] = {"liste imprimée par titre",  "liste imprimée par genre",
                                   "liste imprimée par durée",  "liste imprimée par date",
                                   "liste imprimée par numéro", "liste imprimée par temps restant"};
    for (int i = 0; i < 6; ++i) {
        impression->CaseTri[i]->setChecked(true);
        resultat(listes[i], mesurer(moitie(n), [&] {
                     fermerDesQueVisible<ApercuImpression>();
                     impression->BtnAjouterFilm_Click();
                 }));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    delete impression;
}

int executerTaille(const Taille& t) {
    QTemporaryDir dossier;
    g_dossier = &dossier;
    const QDir d(dossier.path());
    const Generation g = genererCatalogue(d.filePath(Catalogue::NomCatalogue), t.films, t.cassettes);
    if (!g.erreur.isEmpty()) {
        QTextStream(stderr) << g.erreur << '\n';
        return 1;
    }
    QFile::copy(QStringLiteral(CASSETRON_RESSOURCES "/NoPicture.jpg"),
                d.filePath(QStringLiteral("NoPicture.jpg")));
    Appli::setDossier(d.path());
    Messages::setRepondeur([](const QString&, int style) {
        return (style & 0x0F) == Messages::OuiNon ? Messages::Oui : Messages::Ok;
    });
    Dialogues::setImprimantes([] { return QStringList(); }, [] { return QString(); });
    const int n = t.repetitions;

    // The copy made at start when the catalogue changed since the last one.
    resultat("sauvegarde au démarrage",
             mesurer(
                 moitie(n), [&] { Sauvegarde::sauvegarder(d.path()); },
                 [&] {
                     Catalogue::ouvrir(d.filePath(Catalogue::NomCatalogue));
                     Catalogue::Sqlite::executer(
                         Catalogue::base(),
                         QStringLiteral("INSERT INTO K7 (\"Durée\") VALUES ('01:00:00');"
                                        "DELETE FROM K7 WHERE IdK7 = last_insert_rowid();"));
                     Catalogue::fermer();
                 }));

    Moniteur* m = nullptr;
    if (g_listesSeules) {
        m = new Moniteur;
        m->Show();
        listesImprimees(n);
        delete m;
        return 0;
    }
    // Start: the main window up and showing its first film.
    resultat("démarrage", mesurer(
                              n,
                              [&] {
                                  m = new Moniteur;
                                  m->Show();
                              },
                              [&] {
                                  if (m)
                                      delete m;
                                  Catalogue::fermer();
                              }));
    resultat("film suivant", mesurer(n * 3, [&] { m->BtnNextFilm_Click(); }));

    resultat("ouverture de la liste", mesurer(
                                          n, [&] { m->MenuListeFilm_Click(); },
                                          [&] {
                                              if (ListeFilm* l = ListeFilm::instance()) {
                                                  l->Unload();
                                                  QCoreApplication::sendPostedEvents(nullptr,
                                                                                     QEvent::DeferredDelete);
                                              }
                                          }));
    Grille* grille = ListeFilm::instance()->TableFilm;
    QWidget* entete = grille->horizontalHeader()->viewport();
    const QPoint date(grille->columnViewportPosition(4) + 5, 5);
    resultat("tri de la liste", mesurer(n, [&] { QTest::mouseClick(entete, Qt::LeftButton, {}, date); }));
    // A first letter typed in the search field: every film is looked at (a longer text only looks
    // among the films still in sight).
    QLineEdit* recherche = ListeFilm::instance()->TxtRecherche;
    resultat("filtrage d'une frappe",
             mesurer(
                 n * 3, [&] { QTest::keyClick(recherche, Qt::Key_E); }, [&] { recherche->clear(); }));
    recherche->clear();
    // The first one after the list opens also folds every film's searched fields.
    resultat("première frappe (clés de recherche)",
             mesurer(
                 n, [&] { QTest::keyClick(ListeFilm::instance()->TxtRecherche, Qt::Key_E); },
                 [&] {
                     ListeFilm::instance()->Unload();
                     QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
                     m->MenuListeFilm_Click();
                 }));
    ListeFilm::instance()->Unload();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    {
        auto* choix = new ChoixK7;
        choix->charger();
        choix->LblTitre->setText(QStringLiteral("Recherche"));
        choix->LblDuree->setText(QStringLiteral("01:45:00"));
        resultat("recherche (ajout d'un film)", mesurer(n, [&] { choix->Form_Activate(); }));
        delete choix;
    }
    {
        auto* consult = new ConsultK7;
        consult->charger();
        consult->LblHH->setText(QStringLiteral("01"));
        int i = 0;
        resultat("recherche (cassette libre)", mesurer(n, [&] {
                     consult->LblMM->setText(i++ % 2 ? QStringLiteral("45") : QStringLiteral("30"));
                 }));
        delete consult;
    }

    // Placements and deletions, list closed then open.
    int numero = 0;
    for (const bool liste : {false, true}) {
        if (liste)
            m->MenuListeFilm_Click();
        ChoixK7* choix = nullptr;
        resultat(liste ? "placement (liste ouverte)" : "placement (liste fermée)",
                 mesurer(
                     n,
                     [&] {
                         fermerDesQueVisible<InfosK7>();
                         choix->BtnValiderK7_Click();
                     },
                     [&] {
                         QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
                         choix = preparerPlacement(m, ++numero);
                     }));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        resultat(liste ? "effacement d'un film (liste ouverte)" : "effacement d'un film (liste fermée)",
                 mesurer(n, [&] { m->BtnEffacerFilm_Click(); }));
        if (liste) {
            auto* visu = new VisuK7;
            resultat("effacement d'une cassette de 10 films (liste ouverte)",
                     mesurer(
                         n, [&] { visu->EffaceK7(); },
                         [&] {
                             const QString k7 = QString::number(cassetteDeDix());
                             if (!visu->isVisible()) {
                                 visu->charger();
                                 visu->show();
                             }
                             visu->ComboK7->addItem(k7);
                             visu->ComboK7->setCurrentIndex(visu->ComboK7->count() - 1);
                         }));
            visu->Unload();
            ListeFilm::instance()->Unload();
        }
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    listesImprimees(n);

    // Every cassette's face labels kept as PDF: the screen's one reading and every sheet drawn.
    const QString pdf = d.filePath(QStringLiteral("etiquettes.pdf"));
    Dialogues::setRepondeurEnregistrement([&](const QString&, const QString&) { return pdf; });
    const auto etiquettes = [] {
        ImpressionEtiquettes e;
        e.charger();
        e.CaseToutes->setChecked(true);
        e.BtnPdf_Click();
    };
    resultat("étiquettes de toutes les cassettes en PDF",
             mesurer(moitie(n), etiquettes, [&] { QFile::remove(pdf); }));
    delete m;
    Catalogue::fermer();
    resultat("compactage", mesurer(moitie(n), [&] { Catalogue::compacter(d.path()); }));

    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    g_processeur = 0;
    resultat("mémoire maximale (Mo)", u.ru_maxrss / 1024.0);
    return 0;
}

// Each size in a process of its own, so that each peak memory is its own; the sizes in turn,
// several rounds, so that a slow spell of the machine falls on every size alike. Each figure
// is the median of the rounds' medians (the peak memory, the largest).
int tableau(const QString& programme) {
    constexpr int Tours = 5;
    constexpr int NbTailles = int(sizeof(Tailles) / sizeof(Tailles[0]));
    QStringList actions;
    QHash<QString, QVector<QVector<double>>> valeurs; // action -> size -> one per round
    for (int tour = 0; tour < Tours; ++tour) {
        for (int i = 0; i < NbTailles; ++i) {
            QProcess p;
            p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
            p.start(programme, {QString::fromUtf8(Tailles[i].nom)});
            p.waitForFinished(-1);
            const QStringList lignes =
                QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
            for (const QString& l : lignes) {
                const QString action = l.section(QLatin1Char('\t'), 0, 0);
                if (!actions.contains(action))
                    actions << action;
                QVector<QVector<double>>& v = valeurs[action];
                v.resize(NbTailles);
                v[i] << l.section(QLatin1Char('\t'), 1, 1).toDouble();
            }
        }
    }
    sortie << QStringLiteral("%1 %2 %3 %4\n")
                  .arg(QStringLiteral("action (médiane, ms)"), -55)
                  .arg(QStringLiteral("500/150"), 10)
                  .arg(QStringLiteral("20000/6000"), 12)
                  .arg(QStringLiteral("100000/30000"), 14);
    for (const QString& a : std::as_const(actions)) {
        const bool memoire = a.startsWith(QLatin1String("mémoire"));
        QStringList v;
        for (const QVector<double>& tours : valeurs.value(a)) {
            if (tours.isEmpty()) { // that size's run failed
                v << QStringLiteral("-");
                continue;
            }
            const double x = memoire ? *std::max_element(tours.begin(), tours.end()) : mediane(tours);
            v << QString::number(x, 'f', 2);
        }
        sortie << QStringLiteral("%1 %2 %3 %4\n")
                      .arg(a, -55)
                      .arg(v.value(0), 10)
                      .arg(v.value(1), 12)
                      .arg(v.value(2), 14);
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 2 || args.size() == 3) {
        g_listesSeules = args.value(2) == QLatin1String("listes");
        if (!g_listesSeules)
            g_derniere = args.value(2);
        for (const Taille& t : Tailles) {
            if (args[1] == QLatin1String(t.nom))
                return executerTaille(t);
        }
        QTextStream(stderr) << "taille inconnue : " << args[1] << '\n';
        return 2;
    }
    return tableau(app.applicationFilePath());
}
