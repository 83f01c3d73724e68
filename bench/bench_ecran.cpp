// Times what the user sees: the real program, started on a private X server (Xvfb) on generated
// catalogues and driven from outside with xdotool, each step timed until the program and the X
// server are both idle. Prints a table of medians in milliseconds, with the peak memory.
// Usage: bench_ecran [--tours N] [--programme CHEMIN] [--pause ÉTAPE] [--captures DOSSIER] [--trace]
//                    [500|20000|100000]
//   --tours N           rounds (5 by default; 1 with --pause)
//   --programme CHEMIN  another build of Cassetron to time (an older one, to compare)
//   --pause ÉTAPE       stops before the step and after it until Enter, printing the program's pid
//                       and display, to attach a profiler (perf record -p PID): principale, liste,
//                       tri, effacement, or fin (the program left running at the end)
//   --captures DOSSIER  a screenshot of the screen after each step of the first round
//   --trace             each moment a step used the processor (program, X server)
//   500|20000|100000    that size only

#include "bench/Generateur.h"
#include "catalogue/Catalogue.h"
#include "catalogue/Invariants.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <dirent.h>
#include <functional>
#include <memory>
#include <optional>
#include <sqlite3.h>
#include <thread>

namespace {

struct Taille {
    const char* nom;
    int films;
    int cassettes;
};
// About 0.7 cassettes per film, as a collection of short recordings grows.
const Taille Tailles[] = {{"500", 500, 350}, {"20000", 20000, 14000}, {"100000", 100000, 70000}};
constexpr int NbTailles = int(sizeof(Tailles) / sizeof(Tailles[0]));
constexpr int LongueurDescription = 200;

constexpr qint64 Calme = 150'000'000;              // ns without processor use that make the program idle
constexpr auto Pas = std::chrono::milliseconds(3); // between two looks at the processor times
constexpr qint64 Delai = 60'000'000'000;           // ns any wait may last before the run is given up
constexpr int DelaiCommande = 10'000;              // ms for an xdotool or import command

QTextStream sortie(stdout);
QTextStream erreurs(stderr);
QElapsedTimer horloge;
QProcessEnvironment g_env;                                 // the children's, with the private display
qint64 g_xvfb = 0;                                         // the X server's pid
QString g_pause;                                           // the step to stop around
QString g_programme = QStringLiteral(CASSETRON_PROGRAMME); // the build timed
QString g_captures;                                        // where the screenshots go
bool g_trace = false; // each moment a step used the processor, on the error output

// A run that cannot go on, with the French reason.
struct Echec {
    QString raison;
};

qint64 maintenant() {
    return horloge.nsecsElapsed();
}

// Processor time of every thread of the process, in ns: finer than /proc/PID/stat's ticks.
qint64 tempsProcesseur(qint64 pid) {
    char dossier[64];
    std::snprintf(dossier, sizeof dossier, "/proc/%lld/task", static_cast<long long>(pid));
    DIR* d = opendir(dossier);
    if (!d)
        return -1;
    qint64 total = 0;
    while (const dirent* e = readdir(d)) {
        if (e->d_name[0] == '.')
            continue;
        char chemin[sizeof dossier + sizeof e->d_name + 16];
        std::snprintf(chemin, sizeof chemin, "%s/%s/schedstat", dossier, e->d_name);
        if (FILE* f = std::fopen(chemin, "r")) { // a thread may have ended meanwhile
            long long ns = 0;
            if (std::fscanf(f, "%lld", &ns) == 1)
                total += ns;
            std::fclose(f);
        }
    }
    closedir(d);
    return total;
}

// False once the process has ended (gone, or a zombie not yet waited for).
bool vivant(qint64 pid) {
    QFile f(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!f.open(QIODevice::ReadOnly))
        return false;
    const QByteArray s = f.readAll();
    const qsizetype fin = s.lastIndexOf(')');
    return fin >= 0 && s.size() > fin + 2 && s[fin + 2] != 'Z' && s[fin + 2] != 'X';
}

// Peak resident memory so far, in Mo.
double memoireMax(qint64 pid) {
    QFile f(QStringLiteral("/proc/%1/status").arg(pid));
    if (f.open(QIODevice::ReadOnly)) {
        for (const QByteArray& l : f.readAll().split('\n')) {
            if (l.startsWith("VmHWM:"))
                return l.mid(6).trimmed().split(' ').value(0).toDouble() / 1024;
        }
    }
    throw Echec{QStringLiteral("mémoire du processus %1 illisible").arg(pid)};
}

QString commande(const QString& programme, const QStringList& args, bool echecPermis = false) {
    QProcess p;
    p.setProcessEnvironment(g_env);
    p.start(programme, args);
    if (!p.waitForFinished(DelaiCommande)) {
        p.kill();
        p.waitForFinished();
        throw Echec{QStringLiteral("« %1 %2 » ne répond pas").arg(programme, args.join(QLatin1Char(' ')))};
    }
    if (!echecPermis && (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0))
        throw Echec{QStringLiteral("« %1 %2 » a échoué : %3")
                        .arg(programme, args.join(QLatin1Char(' ')),
                             QString::fromLocal8Bit(p.readAllStandardError()).trimmed())};
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

QString xdotool(const QStringList& args, bool echecPermis = false) {
    return commande(QStringLiteral("xdotool"), args, echecPermis);
}

// A program under measure.
struct Programme {
    explicit Programme(QString n) : nom(std::move(n)) {}
    Programme(const Programme&) = delete;
    Programme& operator=(const Programme&) = delete;

    QString nom;
    std::unique_ptr<QProcess> p;
    qint64 pid = 0;

    QString journal; // its output, told when it stops by itself

    void demarrer(const QString& chemin, const QString& dossier) {
        journal = QDir(dossier).filePath(QStringLiteral("journal-%1.txt").arg(nom));
        p = std::make_unique<QProcess>();
        p->setProcessEnvironment(g_env);
        p->setWorkingDirectory(dossier);
        p->setProcessChannelMode(QProcess::MergedChannels);
        p->setStandardOutputFile(journal);
        p->start(chemin, {});
        if (!p->waitForStarted(DelaiCommande))
            throw Echec{QStringLiteral("%1 ne démarre pas : %2").arg(chemin, p->errorString())};
        pid = p->processId();
    }
    // How it ended, with the end of what it wrote.
    QString fin() const {
        p->waitForFinished(DelaiCommande);
        QString r = p->exitStatus() == QProcess::CrashExit
                        ? QStringLiteral("arrêté par le signal %1").arg(p->exitCode())
                        : QStringLiteral("sorti avec le code %1").arg(p->exitCode());
        // A core file (when the shell allows them, ulimit -c) would go with the temporary folder.
        const QDir dossier = QFileInfo(journal).dir();
        for (const QString& c : dossier.entryList({QStringLiteral("core*")}, QDir::Files)) {
            const QString garde = QDir::temp().filePath(QStringLiteral("bench_ecran-%1-%2").arg(nom, c));
            if (QFile::rename(dossier.filePath(c), garde))
                r += QStringLiteral(" ; image mémoire : ") + garde;
        }
        QFile f(journal);
        if (f.open(QIODevice::ReadOnly)) {
            const QStringList lignes =
                QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
            r += QStringLiteral(" ; sa sortie finit par :\n    ") +
                 lignes.mid(std::max<qsizetype>(0, lignes.size() - 15)).join(QStringLiteral("\n    "));
        }
        return r;
    }
    void arreter() {
        if (p && p->state() != QProcess::NotRunning) {
            p->kill();
            p->waitForFinished(DelaiCommande);
        }
        p.reset();
    }
    ~Programme() { arreter(); }
};

// The keys or the click of a step, sent while the step's clock runs; waited for after the step.
std::unique_ptr<QProcess> g_envoi;

void envoyer(const QStringList& args) {
    g_envoi = std::make_unique<QProcess>();
    g_envoi->setProcessEnvironment(g_env);
    g_envoi->start(QStringLiteral("xdotool"), args);
}

void finirEnvoi() {
    if (!g_envoi)
        return;
    const bool fini = g_envoi->waitForFinished(DelaiCommande);
    const bool ok = fini && g_envoi->exitStatus() == QProcess::NormalExit && g_envoi->exitCode() == 0;
    const QStringList args = g_envoi->arguments();
    g_envoi.reset();
    if (!ok)
        throw Echec{QStringLiteral("« xdotool %1 » a échoué").arg(args.join(QLatin1Char(' ')))};
}

// Without xdotool's pauses between keys and after a click: it would still be connected, and its
// leaving would wake the server, after the step.
void touche(const QString& touches) {
    envoyer({QStringLiteral("key"), QStringLiteral("--delay"), QStringLiteral("0"), touches});
}

void clic() {
    envoyer(
        {QStringLiteral("mousedown"), QStringLiteral("1"), QStringLiteral("mouseup"), QStringLiteral("1")});
}

// Waits until neither the program nor the X server has used the processor for Calme; returns the
// last moment either did. Our own xdotool commands wake the server too: none runs meanwhile.
qint64 attendreCalme(const Programme& prog, const QString& etape) {
    const qint64 debut = maintenant();
    qint64 dernier = debut;
    qint64 p0 = tempsProcesseur(prog.pid);
    qint64 x0 = tempsProcesseur(g_xvfb);
    for (int n = 1;; ++n) {
        std::this_thread::sleep_for(Pas);
        const qint64 t = maintenant();
        const qint64 p = tempsProcesseur(prog.pid);
        const qint64 x = tempsProcesseur(g_xvfb);
        if (p != p0 || x != x0) {
            if (g_trace)
                erreurs << QStringLiteral("  %1 +%2 ms : programme %3 ms, serveur X %4 ms\n")
                               .arg(etape)
                               .arg((t - debut) / 1e6, 0, 'f', 1)
                               .arg((p - p0) / 1e6, 0, 'f', 2)
                               .arg((x - x0) / 1e6, 0, 'f', 2);
            dernier = t;
            p0 = p;
            x0 = x;
        } else if (t - dernier >= Calme) {
            return dernier;
        }
        if (t - debut > Delai)
            throw Echec{QStringLiteral("%1 : %2 ne devient pas inactif en %3 s")
                            .arg(etape, prog.nom)
                            .arg(Delai / 1'000'000'000)};
        if (n % 16 == 0 && !vivant(prog.pid))
            throw Echec{QStringLiteral("%1 : %2 s'est arrêté, %3").arg(etape, prog.nom, prog.fin())};
        if (!vivant(g_xvfb))
            throw Echec{QStringLiteral("%1 : le serveur X s'est arrêté").arg(etape)};
    }
}

// The program's windows in sight, by X identifier.
QStringList visibles(qint64 pid) {
    return xdotool({QStringLiteral("search"), QStringLiteral("--all"), QStringLiteral("--onlyvisible"),
                    QStringLiteral("--pid"), QString::number(pid), QStringLiteral("--name"),
                    QStringLiteral("")},
                   true)
        .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

// A window of the program in sight that is none of `connues` and whose title matches; empty if none.
QString nouvelleFenetre(qint64 pid, const QStringList& connues, const QString& titre) {
    const QRegularExpression re(titre);
    for (const QString& f : visibles(pid)) {
        if (!connues.contains(f) && re.match(xdotool({QStringLiteral("getwindowname"), f}, true)).hasMatch())
            return f;
    }
    return {};
}

// One step: `declencher` sets it off; it ends at the last processor use before the program is
// idle with `atteint` true. Returns its length in ms.
double etape(const Programme& prog, const QString& nom, const std::function<void()>& declencher,
             const std::function<bool()>& atteint) {
    const qint64 t0 = maintenant();
    declencher();
    for (;;) {
        const qint64 fin = attendreCalme(prog, nom);
        if (atteint()) {
            finirEnvoi();
            return (fin - t0) / 1e6;
        }
        if (maintenant() - t0 > Delai)
            throw Echec{QStringLiteral("%1 : la fenêtre attendue n'apparaît pas en %2 s")
                            .arg(nom)
                            .arg(Delai / 1'000'000'000)};
    }
}

// The step `nom` opens a window titled `titre`: waits for it, returns its identifier.
QString attendreFenetre(const Programme& prog, const QString& nom, const QStringList& connues,
                        const QString& titre, double* ms, const std::function<void()>& declencher) {
    QString fenetre;
    *ms = etape(prog, nom, declencher, [&] {
        fenetre = nouvelleFenetre(prog.pid, connues, titre);
        return !fenetre.isEmpty();
    });
    return fenetre;
}

// Without a window manager nothing gives the keyboard to a window but the program itself.
void attendreFocus(const QString& fenetre, const QString& quoi) {
    const qint64 debut = maintenant();
    while (xdotool({QStringLiteral("getwindowfocus")}, true) != fenetre) {
        if (maintenant() - debut > 10'000'000'000)
            throw Echec{QStringLiteral("%1 : la fenêtre ne prend pas le clavier").arg(quoi)};
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

void capture(const QString& taille, const QString& etape, int tour) {
    if (g_captures.isEmpty() || tour != 0)
        return;
    commande(QStringLiteral("import"),
             {QStringLiteral("-window"), QStringLiteral("root"),
              QDir(g_captures).filePath(QStringLiteral("%1-%2.png").arg(taille, etape))});
}

// Around the step chosen for profiling, the run waits for Enter.
void pause(const Programme& prog, const QString& nomEtape, bool apres) {
    if (g_pause != nomEtape)
        return;
    erreurs << (apres ? QStringLiteral("Étape « %1 » finie") : QStringLiteral("Avant l'étape « %1 »"))
                   .arg(nomEtape)
            << QStringLiteral(" : %1 (pid %2) sur DISPLAY=%3. Entrée pour continuer.\n")
                   .arg(prog.nom)
                   .arg(prog.pid)
                   .arg(g_env.value(QStringLiteral("DISPLAY")));
    erreurs.flush();
    QTextStream(stdin).readLine();
}

struct Mesure {
    double plancher = 0, accueil = 0, principale = 0, liste = 0, tri = 0, effacement = 0;
    double memoireListe = 0, memoireFin = 0;
};

const QString Verrou = QStringLiteral("R7Ozire.verrou"); // the program's own lock, left by a kill

// Puts the pristine catalogue back, so that each start finds the catalogue its last copy holds.
void remettreCatalogue(const QString& dossier, const QString& vierge) {
    const QDir d(dossier);
    const QString catalogue = d.filePath(Catalogue::NomCatalogue);
    for (const QString& f : {catalogue, catalogue + QStringLiteral("-journal"), d.filePath(Verrou)})
        QFile::remove(f);
    if (!QFile::copy(vierge, catalogue))
        throw Echec{QStringLiteral("copie du catalogue impossible vers %1").arg(catalogue)};
}

qint64 nombreDeFilms(const QString& catalogue) {
    sqlite3* db = nullptr;
    qint64 n = -1;
    if (sqlite3_open_v2(QFile::encodeName(catalogue).constData(), &db, SQLITE_OPEN_READONLY, nullptr) ==
        SQLITE_OK) {
        sqlite3_stmt* r = nullptr;
        if (sqlite3_prepare_v2(db, "SELECT COUNT(*) FROM Film", -1, &r, nullptr) == SQLITE_OK &&
            sqlite3_step(r) == SQLITE_ROW)
            n = sqlite3_column_int64(r, 0);
        sqlite3_finalize(r);
    }
    sqlite3_close(db);
    return n;
}

const QString TitrePrincipal = QStringLiteral("^Cassetron$");

// Start → the start-up screen, then Ok → the main window, each step timed. Returns the main window.
QString jusquAPrincipale(Programme& prog, const QString& dossier, double* accueil, double* principale) {
    const QString intro =
        attendreFenetre(prog, QStringLiteral("écran d'accueil"), {}, TitrePrincipal, accueil,
                        [&] { prog.demarrer(QDir(dossier).filePath(QStringLiteral("Cassetron")), dossier); });
    attendreFocus(intro, QStringLiteral("écran d'accueil"));
    pause(prog, QStringLiteral("principale"), false);
    QString moniteur;
    *principale = etape(
        prog, QStringLiteral("fenêtre principale"), [] { touche(QStringLiteral("Return")); },
        [&] {
            const QStringList v = visibles(prog.pid);
            if (v.contains(intro))
                return false;
            moniteur = nouvelleFenetre(prog.pid, {intro}, TitrePrincipal);
            return !moniteur.isEmpty();
        });
    pause(prog, QStringLiteral("principale"), true);
    return moniteur;
}

// Where the pointer rests between steps: over no window, so that no hint or highlight wakes them.
void pointeurAuCoin() {
    xdotool({QStringLiteral("mousemove"), QStringLiteral("1279"), QStringLiteral("1023")});
}

Mesure executer(const Taille& t, const QString& dossier, const QString& vierge, int tour) {
    Mesure m;
    const QString taille = QString::fromUtf8(t.nom);
    remettreCatalogue(dossier, vierge);
    pointeurAuCoin();

    {
        Programme plancher(QStringLiteral("plancher"));
        attendreFenetre(plancher, QStringLiteral("plancher"), {}, QStringLiteral("^Plancher$"), &m.plancher,
                        [&] { plancher.demarrer(QStringLiteral(CASSETRON_PLANCHER), dossier); });
    }

    Programme prog(QStringLiteral("Cassetron"));
    const QString moniteur = jusquAPrincipale(prog, dossier, &m.accueil, &m.principale);
    capture(taille, QStringLiteral("principale"), tour);

    // Film › Liste des films, by the keyboard: the menu, then its entry.
    attendreFocus(moniteur, QStringLiteral("fenêtre principale"));
    pause(prog, QStringLiteral("liste"), false);
    const QStringList avantMenu = visibles(prog.pid);
    const double menu = etape(
        prog, QStringLiteral("menu Film"), [] { touche(QStringLiteral("alt+i")); },
        [&] { return visibles(prog.pid).size() > avantMenu.size(); });
    double ouverture = 0;
    const QString liste =
        attendreFenetre(prog, QStringLiteral("liste des films"), {moniteur},
                        QStringLiteral("^Liste des films"), &ouverture, [] { touche(QStringLiteral("l")); });
    m.liste = menu + ouverture;
    m.memoireListe = memoireMax(prog.pid);
    pause(prog, QStringLiteral("liste"), true);
    capture(taille, QStringLiteral("liste"), tour);

    // The first click on the heading "Titre": the grid lies under the search band, its first
    // column is the title's.
    const QString geometrie =
        xdotool({QStringLiteral("getwindowgeometry"), QStringLiteral("--shell"), liste});
    const QRegularExpression xy(QStringLiteral("X=(\\d+)\\s+Y=(\\d+)"));
    const QRegularExpressionMatch g = xy.match(geometrie);
    if (!g.hasMatch())
        throw Echec{QStringLiteral("position de la liste illisible : %1").arg(geometrie)};
    xdotool({QStringLiteral("mousemove"), QString::number(g.captured(1).toInt() + 60),
             QString::number(g.captured(2).toInt() + 40)});
    attendreCalme(prog, QStringLiteral("pointeur sur « Titre »"));
    pause(prog, QStringLiteral("tri"), false);
    m.tri = etape(prog, QStringLiteral("tri par titre"), clic, [] { return true; });
    pause(prog, QStringLiteral("tri"), true);
    capture(taille, QStringLiteral("tri"), tour);
    pointeurAuCoin();

    // Film › Effacer le film courant from the main window, then "Oui" (the default button).
    xdotool({QStringLiteral("windowfocus"), moniteur});
    attendreFocus(moniteur, QStringLiteral("fenêtre principale, liste ouverte"));
    etape(
        prog, QStringLiteral("menu Film (effacement)"), [] { touche(QStringLiteral("alt+i")); },
        [] { return true; });
    double ignore = 0;
    const QString question =
        attendreFenetre(prog, QStringLiteral("confirmation de l'effacement"), {moniteur, liste},
                        TitrePrincipal, &ignore, [] { touche(QStringLiteral("e")); });
    attendreFocus(question, QStringLiteral("confirmation de l'effacement"));
    pause(prog, QStringLiteral("effacement"), false);
    // From "Oui" to idle. Without a window manager nothing gives the keyboard back to the main
    // window when the question closes, and Qt waits 100 ms for it before it wakes once more: a
    // deletion lighter than that still counts about 100 ms (--trace shows where its work ends).
    m.effacement = etape(
        prog, QStringLiteral("effacement d'un film"), [] { touche(QStringLiteral("Return")); },
        [&] { return !visibles(prog.pid).contains(question); });
    pause(prog, QStringLiteral("effacement"), true);
    capture(taille, QStringLiteral("effacement"), tour);
    m.memoireFin = memoireMax(prog.pid);
    pause(prog, QStringLiteral("fin"), false);
    prog.arreter();

    // Each timed start must have found its catalogue already copied.
    if (QDir(QDir(dossier).filePath(QStringLiteral("Sauvegardes")))
            .entryList({QStringLiteral("R7Ozire-*.mdb")}, QDir::Files)
            .size() != 1)
        throw Echec{QStringLiteral("le démarrage a copié le catalogue : il n'était pas celui de la copie")};
    const qint64 restants = nombreDeFilms(QDir(dossier).filePath(Catalogue::NomCatalogue));
    if (restants != t.films - 1)
        throw Echec{QStringLiteral("le film n'a pas été effacé (%1 films au lieu de %2)")
                        .arg(restants)
                        .arg(t.films - 1)};
    return m;
}

// The catalogue of a size, checked, and its application folder with the copy made at start
// already in Sauvegardes, so that each timed start is an ordinary one.
bool preparer(const Taille& t, const QString& racine, QString* dossier, QString* vierge) {
    const QDir r(racine);
    *vierge = r.filePath(QStringLiteral("catalogue-%1.mdb").arg(QString::fromUtf8(t.nom)));
    const Generation g = genererCatalogue(*vierge, t.films, t.cassettes, 1999, LongueurDescription);
    if (!g.erreur.isEmpty() || g.films != t.films || g.cassettes != t.cassettes) {
        erreurs << t.nom << " : catalogue non généré (" << g.films << " films, " << g.cassettes
                << " cassettes) " << g.erreur << '\n';
        return false;
    }
    if (const Catalogue::Ouverture o = Catalogue::ouvrir(*vierge); !o.ok()) {
        erreurs << t.nom << " : catalogue généré illisible : " << o.message << '\n';
        return false;
    }
    const QStringList problemes = Catalogue::verifierInvariants(Catalogue::base());
    Catalogue::fermer();
    if (!problemes.isEmpty()) {
        erreurs << t.nom << " : catalogue généré incohérent : " << problemes.first() << '\n';
        return false;
    }
    erreurs << QStringLiteral("%1 films sur %2 cassettes générés en %3 s\n")
                   .arg(g.films)
                   .arg(g.cassettes)
                   .arg(g.secondes, 0, 'f', 1);
    erreurs.flush();

    *dossier = r.filePath(QString::fromUtf8(t.nom));
    const QDir d(*dossier);
    if (!r.mkpath(*dossier) || !QFile::copy(g_programme, d.filePath(QStringLiteral("Cassetron"))) ||
        !QFile::copy(QStringLiteral(CASSETRON_RESSOURCES "/NoPicture.jpg"),
                     d.filePath(QStringLiteral("NoPicture.jpg")))) {
        erreurs << t.nom << " : dossier de l'application non préparé dans " << *dossier << '\n';
        return false;
    }
    try {
        remettreCatalogue(*dossier, *vierge);
        Programme prog(QStringLiteral("Cassetron"));
        double ignore = 0;
        jusquAPrincipale(prog, *dossier, &ignore, &ignore);
        prog.arreter();
    } catch (const Echec& e) {
        erreurs << t.nom << " : premier démarrage : " << e.raison << '\n';
        return false;
    }
    if (QDir(d.filePath(QStringLiteral("Sauvegardes")))
            .entryList({QStringLiteral("R7Ozire-*.mdb")}, QDir::Files)
            .isEmpty()) {
        erreurs << t.nom << " : le premier démarrage n'a pas copié le catalogue\n";
        return false;
    }
    return true;
}

// The private X server, without a window manager; its display number comes back on its output.
std::optional<QString> demarrerXvfb(QProcess& x) {
    x.start(QStringLiteral("Xvfb"),
            {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
             QStringLiteral("0"), QStringLiteral("1280x1024x24"), QStringLiteral("-nolisten"),
             QStringLiteral("tcp")});
    QByteArray lu;
    while (!lu.contains('\n') && x.waitForReadyRead(DelaiCommande))
        lu += x.readAllStandardOutput();
    bool ok = false;
    const int numero = lu.trimmed().toInt(&ok);
    if (!ok)
        return std::nullopt;
    g_xvfb = x.processId();
    return QStringLiteral(":%1").arg(numero);
}

QString colonne(const QVector<double>& tours, bool maximum) {
    if (tours.isEmpty()) // that size's runs all failed
        return QStringLiteral("-");
    return QString::number(maximum ? *std::max_element(tours.begin(), tours.end()) : mediane(tours), 'f', 1);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    horloge.start();
    QStringList args = app.arguments().mid(1);
    int tours = -1;
    QStringList voulues;
    QString pauseVoulue; // not around the untimed first starts
    while (!args.isEmpty()) {
        const QString a = args.takeFirst();
        if (a == QLatin1String("--tours") && !args.isEmpty())
            tours = args.takeFirst().toInt();
        else if (a == QLatin1String("--pause") && !args.isEmpty())
            pauseVoulue = args.takeFirst();
        else if (a == QLatin1String("--programme") && !args.isEmpty())
            g_programme = QFileInfo(args.takeFirst()).absoluteFilePath();
        else if (a == QLatin1String("--trace"))
            g_trace = true;
        else if (a == QLatin1String("--captures") && !args.isEmpty())
            g_captures = QDir(args.takeFirst()).absolutePath();
        else if (std::any_of(std::begin(Tailles), std::end(Tailles),
                             [&](const Taille& t) { return a == QLatin1String(t.nom); }))
            voulues << a;
        else {
            erreurs << "usage : bench_ecran [--tours N] [--programme CHEMIN] "
                       "[--pause principale|liste|tri|effacement|fin] "
                       "[--captures DOSSIER] [--trace] [500|20000|100000]\n";
            return 2;
        }
    }
    if (tours < 0)
        tours = pauseVoulue.isEmpty() ? 5 : 1;
    for (const char* outil : {"Xvfb", "xdotool"}) {
        if (QStandardPaths::findExecutable(QString::fromUtf8(outil)).isEmpty()) {
            erreurs << outil << " introuvable : scripts/bench_ecran.sh l'installe.\n";
            return 1;
        }
    }
    if (!g_captures.isEmpty())
        QDir().mkpath(g_captures);

    QTemporaryDir racine;
    QProcess x;
    const std::optional<QString> ecran = demarrerXvfb(x);
    if (!ecran) {
        erreurs << "Xvfb ne démarre pas : " << x.readAllStandardError() << '\n';
        return 1;
    }
    g_env = QProcessEnvironment::systemEnvironment();
    g_env.insert(QStringLiteral("DISPLAY"), *ecran);
    for (const char* v : {"QT_QPA_PLATFORM", "QT_SCALE_FACTOR", "WAYLAND_DISPLAY", "XAUTHORITY"})
        g_env.remove(QString::fromUtf8(v));

    QVector<int> tailles;
    QVector<QString> dossiers(NbTailles), vierges(NbTailles);
    for (int i = 0; i < NbTailles; ++i) {
        if ((voulues.isEmpty() || voulues.contains(QString::fromUtf8(Tailles[i].nom))) &&
            preparer(Tailles[i], racine.path(), &dossiers[i], &vierges[i]))
            tailles << i;
    }

    g_pause = pauseVoulue;
    // The sizes in turn, round after round, so that a slow spell of the machine falls on each alike.
    QVector<Mesure> mesures[NbTailles];
    for (int tour = 0; tour < tours; ++tour) {
        for (const int i : std::as_const(tailles)) {
            try {
                mesures[i] << executer(Tailles[i], dossiers[i], vierges[i], tour);
                const Mesure& m = mesures[i].last();
                erreurs << QStringLiteral(
                               "tour %1, %2 : plancher %3, démarrage → liste %4, tri %5, effacement %6 ms\n")
                               .arg(tour + 1)
                               .arg(QString::fromUtf8(Tailles[i].nom))
                               .arg(m.plancher, 0, 'f', 0)
                               .arg(m.accueil + m.principale + m.liste, 0, 'f', 0)
                               .arg(m.tri, 0, 'f', 0)
                               .arg(m.effacement, 0, 'f', 0);
            } catch (const Echec& e) {
                erreurs << QStringLiteral("tour %1, %2 : %3\n")
                               .arg(tour + 1)
                               .arg(QString::fromUtf8(Tailles[i].nom), e.raison);
                if (g_envoi) {
                    g_envoi->kill();
                    g_envoi->waitForFinished(DelaiCommande);
                    g_envoi.reset();
                }
            }
            erreurs.flush();
        }
    }

    struct Ligne {
        const char* nom;
        std::function<double(const Mesure&)> valeur;
        bool memoire;
    };
    const Ligne lignes[] = {
        {"plancher : fenêtre Qt minimale affichée", [](const Mesure& m) { return m.plancher; }, false},
        {"écran d'accueil affiché", [](const Mesure& m) { return m.accueil; }, false},
        {"fenêtre principale prête (après Ok)", [](const Mesure& m) { return m.principale; }, false},
        {"liste des films affichée (par le menu)", [](const Mesure& m) { return m.liste; }, false},
        {"démarrage → fenêtre principale prête", [](const Mesure& m) { return m.accueil + m.principale; },
         false},
        {"démarrage → liste affichée", [](const Mesure& m) { return m.accueil + m.principale + m.liste; },
         false},
        {"démarrage → liste affichée, moins le plancher",
         [](const Mesure& m) { return m.accueil + m.principale + m.liste - m.plancher; }, false},
        {"premier tri par titre", [](const Mesure& m) { return m.tri; }, false},
        {"premier effacement d'un film (liste ouverte)", [](const Mesure& m) { return m.effacement; }, false},
        {"mémoire maximale, liste ouverte (Mo)", [](const Mesure& m) { return m.memoireListe; }, true},
        {"mémoire maximale en fin (Mo)", [](const Mesure& m) { return m.memoireFin; }, true},
    };
    sortie << QStringLiteral("%1 %2 %3 %4\n")
                  .arg(QStringLiteral("étape (médiane, ms)"), -55)
                  .arg(QStringLiteral("500/350"), 10)
                  .arg(QStringLiteral("20000/14000"), 12)
                  .arg(QStringLiteral("100000/70000"), 14);
    for (const Ligne& l : lignes) {
        QStringList v;
        for (const QVector<Mesure>& parTour : mesures) {
            QVector<double> x1;
            for (const Mesure& m : parTour)
                x1 << l.valeur(m);
            v << colonne(x1, l.memoire);
        }
        sortie << QStringLiteral("%1 %2 %3 %4\n")
                      .arg(QString::fromUtf8(l.nom), -55)
                      .arg(v.value(0), 10)
                      .arg(v.value(1), 12)
                      .arg(v.value(2), 14);
    }
    sortie
        << QStringLiteral("(%1 tours, %2 s en tout)\n").arg(tours).arg(horloge.elapsed() / 1000.0, 0, 'f', 0);
    sortie.flush();
    x.terminate();
    x.waitForFinished(DelaiCommande);
    bool complet = true;
    for (const int i : std::as_const(tailles))
        complet = complet && mesures[i].size() == tours;
    return complet && tailles.size() == (voulues.isEmpty() ? NbTailles : voulues.size()) ? 0 : 1;
}
