// Writes the empty catalogue delivered with the program: the three tables, no rows.
// Usage: CreerCatalogueVide <file>   (an existing file is replaced)

#include "catalogue/Catalogue.h"

#include <QCoreApplication>
#include <QFile>
#include <QTextStream>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 2) {
        QTextStream(stderr) << "usage: CreerCatalogueVide <fichier>\n";
        return 2;
    }
    const QString cible = args.at(1);
    const QString provisoire = cible + QStringLiteral(".tmp");
    QFile::remove(provisoire);
    QString erreur;
    if (!Catalogue::creerCatalogueVide(provisoire, &erreur)) {
        QTextStream(stderr) << "CreerCatalogueVide: " << erreur << "\n";
        return 1;
    }
    QFile::remove(cible);
    if (!QFile::rename(provisoire, cible)) {
        QTextStream(stderr) << "CreerCatalogueVide: impossible d'écrire " << cible << "\n";
        return 1;
    }
    return 0;
}
