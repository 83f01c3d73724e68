// Times the catalogue engine (and the CSV export) on generated catalogues of several sizes and
// prints medians.
// Usage: bench_catalogue [menage] [collection] [extreme]   (default: all three)

#include "bench/Generateur.h"
#include "catalogue/Catalogue.h"
#include "catalogue/Export.h"
#include "catalogue/Fonctions.h"
#include "catalogue/Invariants.h"
#include "catalogue/SourceDonnees.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <functional>
#include <sys/resource.h>

namespace {

struct Taille {
    QString nom;
    int films;
    int cassettes;
};

double mediane(int repetitions, const std::function<void()>& action) {
    QVector<double> temps;
    for (int i = 0; i < repetitions; ++i) {
        QElapsedTimer t;
        t.start();
        action();
        temps << t.nsecsElapsed() / 1e6;
    }
    std::sort(temps.begin(), temps.end());
    return temps[temps.size() / 2];
}

long memoireMaxMo() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss / 1024;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    const QList<Taille> toutes = {{QStringLiteral("menage"), 500, 150},
                                  {QStringLiteral("collection"), 20000, 6000},
                                  {QStringLiteral("extreme"), 100000, 30000}};
    QStringList voulues = app.arguments().mid(1);
    if (voulues.isEmpty())
        voulues = {QStringLiteral("menage"), QStringLiteral("collection"), QStringLiteral("extreme")};
    const int repetitions = 9;

    out << QStringLiteral("%1 %2 %3 %4 %5 %6 %7 %8\n")
               .arg(QStringLiteral("taille"), -11)
               .arg(QStringLiteral("films"), 7)
               .arg(QStringLiteral("K7"), 6)
               .arg(QStringLiteral("ouverture ms"), 13)
               .arg(QStringLiteral("liste titre ms"), 15)
               .arg(QStringLiteral("recherche ms"), 13)
               .arg(QStringLiteral("export ms"), 10)
               .arg(QStringLiteral("mém. Mo"), 8);
    for (const Taille& t : toutes) {
        if (!voulues.contains(t.nom))
            continue;
        QTemporaryDir dossier;
        const QString chemin = QDir(dossier.path()).filePath(Catalogue::NomCatalogue);
        const Generation g = genererCatalogue(chemin, t.films, t.cassettes);
        if (!g.erreur.isEmpty()) {
            out << t.nom << ": " << g.erreur << "\n";
            return 1;
        }
        Catalogue::ouvrir(chemin);
        const QStringList problemes = Catalogue::verifierInvariants(Catalogue::base());
        if (!problemes.isEmpty()) {
            out << t.nom << ": catalogue généré incohérent : " << problemes.first() << "\n";
            return 1;
        }

        const double ouverture = mediane(repetitions, [&] {
            Catalogue::fermer();
            Catalogue::ouvrir(chemin);
        });

        SourceDonnees films;
        films.setDatabaseName(chemin);
        films.setRecordSource(QStringLiteral("SELECT * FROM Film ORDER BY Titre"));
        const double liste = mediane(repetitions, [&] { films.Refresh(); });

        SourceDonnees k7;
        k7.setDatabaseName(chemin);
        int trouvees = 0;
        const double recherche = mediane(repetitions, [&] {
            k7.setRecordSource(QStringLiteral("SELECT * from K7 WHERE TempsRestant >= #") +
                               QStringLiteral("01:45:00") + QStringLiteral("# ORDER BY TempsRestant"));
            k7.Refresh();
            trouvees = 0;
            for (; !k7.Eof(); k7.MoveNext()) {
                if (!Fonctions::CherchePlageLibre(QStringLiteral("01:45:00"),
                                                  k7.Texte(QStringLiteral("Status")))
                         .isEmpty())
                    ++trouvees;
            }
        });

        // Both CSV files, from the reading to the files on the disk; fewer runs: it is long.
        QString erreurExport;
        const double exportation = mediane(3, [&] {
            const Catalogue::Export::Resultat r = Catalogue::Export::exporter(dossier.path());
            if (!r.ok)
                erreurExport = r.message;
        });
        if (!erreurExport.isEmpty()) {
            out << t.nom << ": " << erreurExport << "\n";
            return 1;
        }
        Catalogue::fermer();

        out << QStringLiteral("%1 %2 %3 %4 %5 %6 %7 %8   (%9 K7 assez libres, généré en %10 s)\n")
                   .arg(t.nom, -11)
                   .arg(g.films, 7)
                   .arg(g.cassettes, 6)
                   .arg(ouverture, 13, 'f', 2)
                   .arg(liste, 15, 'f', 2)
                   .arg(recherche, 13, 'f', 2)
                   .arg(exportation, 10, 'f', 2)
                   .arg(memoireMaxMo(), 8)
                   .arg(trouvees)
                   .arg(g.secondes, 0, 'f', 1);
        out.flush();
    }
    return 0;
}
