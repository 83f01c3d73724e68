#include "tests/support/DossierTest.h"

#include "catalogue/Catalogue.h"
#include "catalogue/Fonctions.h"
#include "catalogue/Invariants.h"
#include "catalogue/Outils.h"
#include "tests/support/Sql.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTest>

DossierTest::DossierTest() {
    QString erreur;
    if (!Catalogue::creerCatalogueVide(catalogue(), &erreur))
        qFatal("catalogue de test: %s", qPrintable(erreur));
    const Catalogue::Ouverture o = Catalogue::ouvrir(catalogue());
    if (!o.ok())
        qFatal("catalogue de test: %s", qPrintable(o.message));
}

DossierTest::~DossierTest() {
    Catalogue::fermer();
}

QString DossierTest::fichier(const QString& nom) const {
    return QDir(m_dossier.path()).filePath(nom);
}

QByteArray DossierTest::octets(const QString& chemin) {
    QFile f(chemin);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool DossierTest::ecrire(const QString& chemin, const QByteArray& octets) {
    QFile f(chemin);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(octets) == octets.size();
}

qint64 DossierTest::ajouterCassette(const QString& duree) {
    const Sql q = executerSql(
        QStringLiteral("INSERT INTO K7 (\"Durée\", TempsRestant, NBFilm, Status) VALUES (?, ?, 0, ?)"),
        {duree, duree, duree});
    return q.lastInsertId().toLongLong();
}

qint64 DossierTest::placerFilm(qint64 idK7, const QString& titre, const QString& duree, const QString& genre,
                               const QString& date) {
    Sql k7 =
        executerSql(QStringLiteral("SELECT Status, TempsRestant, NBFilm FROM K7 WHERE IdK7 = ?"), {idK7});
    if (!k7.next())
        return 0;
    const QString status = k7.value(0).toString();
    const QString plage = Fonctions::CherchePlageLibre(duree, status);
    if (plage.isEmpty())
        return 0;
    const QString nouveau = Fonctions::InsereFilm(status, plage, duree, titre);
    const int p =
        Fonctions::PositionAuChamp(nouveau, Outils::ChercheElement(status, plage, QStringLiteral("/")));
    const QString restant = Outils::SecondesEnHeure(Outils::HeureEnSecondes(k7.value(1).toString()) -
                                                    Outils::HeureEnSecondes(duree));
    const int nb = k7.value(2).toInt() + 1;
    k7.finish();

    const qint64 id =
        executerSql(
            QStringLiteral("INSERT INTO Film (Titre, \"Réalisateur\", Acteurs, \"Durée\", Date, Pays, Genre, "
                           "Description) VALUES (?, 'Néant', 'Néant', ?, ?, 'France', ?, 'Résumé')"),
            {titre, duree, date, genre.isEmpty() ? QStringLiteral("Drame") : genre})
            .lastInsertId()
            .toLongLong();
    executerSql(QStringLiteral("UPDATE FilmK7 SET Position = Position + 1 WHERE IdK7 = ? AND Position >= ?"),
                {idK7, p});
    executerSql(QStringLiteral("INSERT INTO FilmK7 (IdFilm, IdK7, Position) VALUES (?, ?, ?)"),
                {id, idK7, p});
    executerSql(QStringLiteral("UPDATE K7 SET Status = ?, TempsRestant = ?, NBFilm = ? WHERE IdK7 = ?"),
                {nouveau, restant, nb, idK7});
    return id;
}

void DossierTest::remplir() {
    qint64 k[6] = {};
    for (int i = 1; i <= 5; ++i)
        k[i] = ajouterCassette(QStringLiteral("0%1:00:00").arg(i == 2 || i == 5 ? 3 : 4));
    // Ties on genre, duration and year, so that the second sort key shows.
    for (const char* film : {"1|Zorro|01:30:00|Aventure|1975", "1|alien|01:57:00|Science-fiction|1979",
                             "2|Été|01:15:00|Drame|1983", "3|K7 10|00:20:00|Documentaire|2001",
                             "3|K7 9|00:25:00|Documentaire|2000", "3|L'été meurtrier|02:10:00|Drame|1983",
                             "3|Brazil|00:50:00|Science-fiction|1985", "5|Amélie|01:15:00|Comédie|2001"}) {
        const QStringList f = QString::fromUtf8(film).split(QLatin1Char('|'));
        placerFilm(k[f[0].toInt()], f[1], f[2], f[3], f[4]);
    }
}

QStringList DossierTest::contenu(const QString& table, sqlite3* db) {
    QStringList lignes;
    Sql q(db ? db : Catalogue::base());
    // The key counters' rows are told by name: a rebuilt file may list them in another order.
    if (!q.exec(QStringLiteral("SELECT * FROM %1 ORDER BY %2")
                    .arg(table, table == "sqlite_sequence" ? "name" : "rowid")))
        qFatal("%s: %s", qPrintable(table), qPrintable(q.lastError()));
    while (q.next()) {
        QStringList champs;
        for (int i = 0; i < q.columnCount(); ++i)
            champs << q.value(i).toString();
        lignes << champs.join(QLatin1Char('|'));
    }
    return lignes;
}

QStringList DossierTest::invariants() const {
    return Catalogue::verifierInvariants(Catalogue::base());
}

QStringList DossierTest::tout(sqlite3* db) {
    QStringList lignes;
    for (const QString table : {"Film", "K7", "FilmK7", "sqlite_sequence"})
        lignes << contenu(table, db).replaceInStrings(QRegularExpression("^"), table + ':');
    return lignes;
}

QStringList DossierTest::noms(const QString& dossier) {
    return QDir(dossier).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

bool DossierTest::anglais(const QString& texte) {
    return texte.contains(QRegularExpression("database|malformed|disk|error|readonly|cannot|commit|"
                                             "transaction|Unknown|No space|denied|such|large"));
}
