#include "catalogue/Catalogue.h"
#include "catalogue/SourceDonnees.h"
#include "catalogue/Sqlite.h"
#include "tests/support/DossierTest.h"
#include "tests/support/Sql.h"
#include "tests/support/Verrou.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QtTest>

#include <cstdio>

namespace {

QByteArray octetsDe(const QString& chemin) {
    QFile f(chemin);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void ecrire(const QString& chemin, const QByteArray& octets) {
    QFile f(chemin);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(octets) != octets.size())
        qFatal("%s: %s", qPrintable(chemin), qPrintable(f.errorString()));
}

// Repairs the folder's catalogue: it must succeed, keep every rule and every film it held.
void verifierReparation(DossierTest& d, const QString& cas) {
    const QStringList films = d.contenu(QStringLiteral("Film"));
    Catalogue::fermer();
    const Catalogue::Reparation r = Catalogue::reparer(d.chemin());
    QVERIFY2(r.ok, qPrintable(cas + QLatin1String(" : ") + r.message));
    QVERIFY(Catalogue::ouvrir(d.catalogue()).ok());
    QVERIFY2(d.invariants().isEmpty(), qPrintable(cas + QLatin1String(" : ") + d.invariants().join('\n')));
    QCOMPARE(d.contenu(QStringLiteral("Film")), films);
}

// What the engine or the system says in English, which must not reach the user.
bool anglais(const QString& texte) {
    for (const char* mot : {"database", "malformed", "disk", "error", "readonly", "cannot", "commit",
                            "transaction", "Unknown", "No space", "denied", "such"}) {
        if (texte.contains(QLatin1String(mot)))
            return true;
    }
    return false;
}

// Replaces bytes [debut, fin) with garbage that is the same on every run.
void abimer(QByteArray& octets, qsizetype debut, qsizetype fin) {
    QRandomGenerator alea(1984);
    for (qsizetype i = debut; i < fin && i < octets.size(); ++i)
        octets[i] = char(alea.bounded(256));
}

// Runs statements on a file through a connection of its own, outside the catalogue layer; returns
// the first column of the rows read and any error.
QStringList surFichier(const QString& fichier, const QStringList& instructions) {
    QStringList sortie;
    Catalogue::Sqlite::Connexion c(fichier, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
    if (!c.ouverte())
        sortie << c.erreur();
    for (const QString& sql : instructions) {
        Sql q(c.db());
        if (!q.exec(sql))
            sortie << q.lastError();
        while (q.next())
            sortie << q.value(0).toString();
    }
    return sortie;
}

// Every row of the catalogue, the key sequence included: a whole picture to compare.
QStringList tout(const DossierTest& d) {
    QStringList lignes;
    for (const QString& table : QStringList{"Film", "K7", "FilmK7", "sqlite_sequence"}) {
        for (const QString& l : d.contenu(table))
            lignes << table + QLatin1Char(':') + l;
    }
    return lignes;
}

QStringList fichiers(const DossierTest& d) {
    return QDir(d.chemin()).entryList(QDir::Files | QDir::Hidden);
}

enum Degat {
    Intact,
    SansLigne,
    Absent,
    Texte,
    Vide,
    SansTable,
    SansChamp,
    ChampRenomme,
    TableEnVue,
    PremierePage,
    Tronque
};

// Applies a kind of damage to the closed catalogue file.
void endommager(const DossierTest& d, int degat) {
    const QString f = d.catalogue();
    QByteArray octets = octetsDe(f);
    switch (degat) {
    case Absent:
        QFile::remove(f);
        break;
    case Texte:
        ecrire(f, "Titre;Durée\nZorro;01:30:00\n");
        break;
    case Vide:
        ecrire(f, {});
        break;
    case SansTable:
        QCOMPARE(surFichier(f, {"DROP TABLE K7"}), QStringList());
        break;
    case SansChamp:
        QCOMPARE(surFichier(f, {"ALTER TABLE Film DROP COLUMN Genre"}), QStringList());
        break;
    case ChampRenomme:
        QCOMPARE(surFichier(f, {"ALTER TABLE Film RENAME COLUMN Titre TO Nom"}), QStringList());
        break;
    case TableEnVue: // every field still answers, but no row can be written
        QCOMPARE(surFichier(f, {"ALTER TABLE K7 RENAME TO K7_", "CREATE VIEW K7 AS SELECT * FROM K7_"}),
                 QStringList());
        break;
    case PremierePage:
        abimer(octets, 16, 4096); // the magic text stays, the rest of the header and the schema go
        ecrire(f, octets);
        break;
    case Tronque:
        ecrire(f, octets.left(octets.size() / 2));
        break;
    }
}

bool rafraichir(SourceDonnees& s, const QString& catalogue, const QString& sql) {
    s.setDatabaseName(catalogue);
    s.setRecordSource(sql);
    return s.Refresh();
}

} // namespace

class TestCatalogue : public QObject {
    Q_OBJECT

private slots:
    // The screens' dialect rewritten for SQLite, numbers made parameters.
    void traduireSql_data() {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("attendu");
        QTest::addColumn<QVariantList>("valeurs");
        auto cas = [](const char* nom, const char* sql, const char* attendu, const QVariantList& valeurs) {
            QTest::newRow(nom) << QString::fromUtf8(sql) << QString::fromUtf8(attendu) << valeurs;
        };
        cas("heure courte", "SELECT * from K7 WHERE TempsRestant >= #0:33# ORDER BY TempsRestant",
            "SELECT * from K7 WHERE TempsRestant >= '00:33:00' ORDER BY TempsRestant", {});
        cas("nombre collé à un mot", "SELECT * FROM FilmK7 WHERE IdK7=3AND Position>=1.5",
            "SELECT * FROM FilmK7 WHERE IdK7=? AND Position>=?", {qlonglong(3), 1.5});
        cas("ordre français", "SELECT * FROM Film ORDER BY titre DESC, Genre",
            "SELECT * FROM Film ORDER BY CLE_FR(Titre) DESC, CLE_FR(Genre)", {});
        cas("texte cité", "SELECT * FROM Film WHERE Titre = 'L''été 5'",
            "SELECT * FROM Film WHERE Titre = 'L''été 5'", {});
        cas("nombres d'une expression de tri", "SELECT * FROM K7 WHERE IdK7 > 2 ORDER BY IdK7 + 1 LIMIT 3",
            "SELECT * FROM K7 WHERE IdK7 > ? ORDER BY IdK7 + ? LIMIT ?",
            {qlonglong(2), qlonglong(1), qlonglong(3)});
        // A number heading a sort or grouping term is a column: as a parameter it sorts nothing.
        cas("tri par rang de colonne", "SELECT IdK7, TempsRestant FROM K7 ORDER BY 2 DESC,1",
            "SELECT IdK7, TempsRestant FROM K7 ORDER BY 2 DESC,1", {});
        cas("regroupement par rang de colonne", "SELECT Genre, count(*) FROM Film GROUP BY 1 ORDER BY 2",
            "SELECT Genre, count(*) FROM Film GROUP BY 1 ORDER BY 2", {});
        cas("requête suivante", "SELECT * FROM K7 ORDER BY 1; SELECT 5",
            "SELECT * FROM K7 ORDER BY 1; SELECT ?", {qlonglong(5)});
    }
    void traduireSql() {
        QFETCH(QString, sql);
        QFETCH(QString, attendu);
        QFETCH(QVariantList, valeurs);
        // Twice: the second comes from the translation kept for texts of that shape.
        for (int fois = 0; fois < 2; ++fois) {
            QVariantList parametres;
            QCOMPARE(Catalogue::traduireSql(sql, &parametres), attendu);
            QCOMPARE(parametres, valeurs);
        }
    }

    // A text of a shape already translated, with other numbers, gets its own numbers back.
    void traduireSqlAutresNombres_data() {
        QTest::addColumn<QString>("premier");
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("attendu");
        QTest::addColumn<QVariantList>("valeurs");
        auto cas = [](const char* nom, const char* premier, const char* sql, const char* attendu,
                      const QVariantList& valeurs) {
            QTest::newRow(nom) << QString::fromUtf8(premier) << QString::fromUtf8(sql)
                               << QString::fromUtf8(attendu) << valeurs;
        };
        cas("numéro de film", "SELECT * FROM FilmK7 WHERE IdFilm=12", "SELECT * FROM FilmK7 WHERE IdFilm=345",
            "SELECT * FROM FilmK7 WHERE IdFilm=?", {qlonglong(345)});
        cas("décimal puis entier", "SELECT * FROM FilmK7 WHERE IdK7=3AND Position>=1.5",
            "SELECT * FROM FilmK7 WHERE IdK7=40AND Position>=7",
            "SELECT * FROM FilmK7 WHERE IdK7=? AND Position>=?", {qlonglong(40), qlonglong(7)});
        cas("rang de colonne", "SELECT IdK7, Status FROM K7 WHERE IdK7 > 2 ORDER BY 2",
            "SELECT IdK7, Status FROM K7 WHERE IdK7 > 9 ORDER BY 1",
            "SELECT IdK7, Status FROM K7 WHERE IdK7 > ? ORDER BY 1", {qlonglong(9)});
        cas("chiffres d'un texte cité", "SELECT * FROM Film WHERE Titre = '5' AND IdFilm = 1",
            "SELECT * FROM Film WHERE Titre = '6' AND IdFilm = 2",
            "SELECT * FROM Film WHERE Titre = '6' AND IdFilm = ?", {qlonglong(2)});
        cas("heure", "SELECT * from K7 WHERE TempsRestant >= #1:45# AND IdK7 > 1",
            "SELECT * from K7 WHERE TempsRestant >= #2:05# AND IdK7 > 3",
            "SELECT * from K7 WHERE TempsRestant >= '02:05:00' AND IdK7 > ?", {qlonglong(3)});
    }
    void traduireSqlAutresNombres() {
        QFETCH(QString, premier);
        QFETCH(QString, sql);
        QFETCH(QString, attendu);
        QFETCH(QVariantList, valeurs);
        QVariantList ignores;
        Catalogue::traduireSql(premier, &ignores);
        QVariantList parametres;
        QCOMPARE(Catalogue::traduireSql(sql, &parametres), attendu);
        QCOMPARE(parametres, valeurs);
    }

    // The record set really comes in the order of the column named by its rank.
    void triParRang() {
        DossierTest d;
        d.remplir();
        SourceDonnees s;
        QVERIFY(rafraichir(s, d.catalogue(), "SELECT IdK7 FROM K7 ORDER BY 1 DESC"));
        QStringList ordre;
        for (s.MoveFirst(); !s.Eof(); s.MoveNext())
            ordre << s.Texte(QStringLiteral("IdK7"));
        QCOMPARE(ordre, (QStringList{"5", "4", "3", "2", "1"}));
    }

    void ouverture_data() {
        QTest::addColumn<int>("degat");
        QTest::addColumn<Catalogue::Etat>("etat");
        QTest::addColumn<QString>("mention");
        QTest::newRow("intact") << int(Intact) << Catalogue::Etat::Ouvert << "";
        QTest::newRow("catalogue sans ligne") << int(SansLigne) << Catalogue::Etat::Ouvert << "";
        QTest::newRow("absent") << int(Absent) << Catalogue::Etat::Absent << "introuvable";
        QTest::newRow("fichier texte") << int(Texte) << Catalogue::Etat::PasUnCatalogue << "";
        QTest::newRow("fichier vide") << int(Vide) << Catalogue::Etat::PasUnCatalogue << "";
        QTest::newRow("table manquante") << int(SansTable) << Catalogue::Etat::Incomplet << "« K7 »";
        QTest::newRow("champ manquant") << int(SansChamp) << Catalogue::Etat::Incomplet << "« Genre »";
        QTest::newRow("champ renommé") << int(ChampRenomme) << Catalogue::Etat::Incomplet << "« Titre »";
        QTest::newRow("table qui est une vue")
            << int(TableEnVue) << Catalogue::Etat::Incomplet << "« K7 » n'est pas une table";
        QTest::newRow("entête abîmée") << int(PremierePage) << Catalogue::Etat::Endommage << "";
        QTest::newRow("tronqué") << int(Tronque) << Catalogue::Etat::Endommage << "";
    }
    void ouverture() {
        QFETCH(int, degat);
        QFETCH(Catalogue::Etat, etat);
        QFETCH(QString, mention);
        DossierTest d;
        if (degat != SansLigne)
            d.remplir();
        Catalogue::fermer();
        endommager(d, degat);
        const QString f = d.catalogue();
        const bool existe = QFileInfo::exists(f);
        const QByteArray avant = octetsDe(f);

        const Catalogue::Ouverture o = Catalogue::ouvrir(f);
        QVERIFY2(o.etat == etat, qPrintable(QStringLiteral("état %1 : %2").arg(int(o.etat)).arg(o.message)));
        QCOMPARE(Catalogue::estOuvert(), o.ok());
        if (o.ok()) {
            QVERIFY(o.message.isEmpty());
            QCOMPARE(Catalogue::verifierIntegrite(f), QStringList());
        } else {
            QVERIFY2(o.message.contains(QDir::toNativeSeparators(f)), qPrintable(o.message));
            QVERIFY2(o.message.contains(mention), qPrintable(o.message));
        }
        // A data source pointed at the file gives the same reason rather than an empty record set.
        SourceDonnees s;
        QCOMPARE(rafraichir(s, f, "SELECT * FROM Film"), o.ok());
        QCOMPARE(s.RecordCount(), o.ok() && degat != SansLigne ? 8 : 0);
        if (!o.ok())
            QVERIFY2(s.Erreur().contains(o.message), qPrintable(s.Erreur()));
        Catalogue::fermer();
        // Opening never creates, completes or rewrites the file.
        QCOMPARE(QFileInfo::exists(f), existe);
        QCOMPARE(octetsDe(f), avant);
    }

    // A catalogue that refuses writes opens for reading and says so; a write is refused in French
    // and the file stays as it was.
    void lectureSeule_data() {
        QTest::addColumn<bool>("dossier"); // the folder refuses writes, else the file
        QTest::newRow("catalogue en lecture seule") << false;
        QTest::newRow("dossier en lecture seule") << true;
    }
    void lectureSeule() {
        QFETCH(bool, dossier);
        DossierTest d;
        d.remplir();
        Catalogue::fermer();
        const QByteArray avant = octetsDe(d.catalogue());
        Verrou verrou(dossier ? d.chemin() : d.catalogue());
        if (!verrou.actif())
            QSKIP("Rien ici ne fait refuser l'écriture à ce compte (root sans attribut immuable).");

        const Catalogue::Ouverture o = Catalogue::ouvrir(d.catalogue());
        QVERIFY2(o.ok(), qPrintable(o.message));
        QVERIFY(o.lectureSeule);
        QVERIFY2(o.avertissement.contains(QDir::toNativeSeparators(d.catalogue())),
                 qPrintable(o.avertissement));
        QCOMPARE(d.contenu(QStringLiteral("Film")).size(), 8);
        SourceDonnees s;
        QVERIFY(rafraichir(s, d.catalogue(), "SELECT * FROM K7 WHERE IdK7 = 0"));
        QVERIFY(s.AddNew());
        s.setField(QStringLiteral("Durée"), QStringLiteral("03:00:00"));
        QVERIFY(!s.Update());
        QVERIFY2(s.Erreur().contains(QStringLiteral("n'accepte pas d'écriture")), qPrintable(s.Erreur()));
        Catalogue::fermer();
        verrou.lever();
        QCOMPARE(octetsDe(d.catalogue()), avant);
        // Writable again, it says nothing more.
        QVERIFY(!Catalogue::ouvrir(d.catalogue()).lectureSeule);
    }

    // A placement on cassette 4 (film, cassette, placement rows) that does not complete.
    void transactionInterrompue_data() {
        QTest::addColumn<bool>("ecritureRefusee");
        QTest::addColumn<bool>("annulee");
        QTest::newRow("deuxième écriture refusée") << true << false;
        QTest::newRow("garde détruite sans valider") << false << false;
        QTest::newRow("annulée") << false << true;
    }
    void transactionInterrompue() {
        QFETCH(bool, ecritureRefusee);
        QFETCH(bool, annulee);
        DossierTest d;
        d.remplir();
        if (ecritureRefusee) {
            Sql q;
            QVERIFY(q.exec("CREATE TEMP TRIGGER disque_plein BEFORE UPDATE ON K7 "
                           "BEGIN SELECT RAISE(ABORT, 'disque plein'); END"));
        }
        const QStringList avant = tout(d);
        {
            Catalogue::Transaction t;
            QVERIFY2(t.ok(), qPrintable(t.erreur()));
            SourceDonnees film;
            QVERIFY(rafraichir(film, d.catalogue(), "select * from Film"));
            QVERIFY(film.AddNew());
            const int id = film.Fields("IdFilm").toInt();
            QVERIFY(film.setField("Titre", "Le Samouraï"));
            QVERIFY(film.setField("Durée", "01:45:00"));
            QVERIFY(film.Update());

            SourceDonnees k7;
            QVERIFY(rafraichir(k7, d.catalogue(), "SELECT * from K7 WHERE IDK7 = 4"));
            QVERIFY(k7.Edit());
            QVERIFY(k7.setField("Status", "FILM01:45:00Le Samouraï/02:15:00"));
            QVERIFY(k7.setField("TempsRestant", "02:15:00"));
            QVERIFY(k7.setField("NBFilm", 1));
            QCOMPARE(k7.Update(), !ecritureRefusee);
            QVERIFY(tout(d) != avant);
            if (ecritureRefusee) {
                // The engine's own reason reaches the user; the command stops here.
                QVERIFY2(k7.Erreur().contains("disque plein"), qPrintable(k7.Erreur()));
            } else {
                SourceDonnees place;
                QVERIFY(rafraichir(place, d.catalogue(), "SELECT * FROM FilmK7"));
                QVERIFY(place.AddNew());
                QVERIFY(place.setField("IdFilm", id));
                QVERIFY(place.setField("IdK7", 4));
                QVERIFY(place.setField("Position", 1));
                QVERIFY(place.Update());
                QCOMPARE(d.invariants(), QStringList());
                if (annulee)
                    t.annuler();
            }
        }
        QCOMPARE(tout(d), avant);
        QCOMPARE(d.invariants(), QStringList());
    }

    void gardesImbriquees_data() {
        QTest::addColumn<bool>("interieure");
        QTest::addColumn<bool>("exterieure");
        QTest::addColumn<QStringList>("attendu");
        QTest::newRow("toutes validées")
            << true << true << QStringList{"Le Samouraï", "Pickpocket", "Playtime"};
        QTest::newRow("intérieure annulée") << false << true << QStringList{"Le Samouraï", "Playtime"};
        QTest::newRow("extérieure annulée") << true << false << QStringList();
        QTest::newRow("toutes annulées") << false << false << QStringList();
    }
    void gardesImbriquees() {
        QFETCH(bool, interieure);
        QFETCH(bool, exterieure);
        QFETCH(QStringList, attendu);
        DossierTest d;
        auto ajouter = [&d](const QString& titre) {
            SourceDonnees s;
            return rafraichir(s, d.catalogue(), "select * from Film") && s.AddNew() &&
                   s.setField("Titre", titre) && s.Update();
        };
        {
            Catalogue::Transaction exterieur;
            QVERIFY(ajouter("Le Samouraï"));
            {
                Catalogue::Transaction interieur;
                QVERIFY(interieur.ok());
                QVERIFY(ajouter("Pickpocket"));
                if (interieure)
                    QVERIFY(interieur.valider());
            }
            QVERIFY(ajouter("Playtime"));
            if (exterieure)
                QVERIFY(exterieur.valider());
        }
        // Only what reached the file survives closing it.
        Catalogue::fermer();
        QVERIFY(Catalogue::ouvrir(d.catalogue()).ok());
        QStringList titres;
        for (const QString& ligne : d.contenu("Film"))
            titres << ligne.section(QLatin1Char('|'), 1, 1);
        QCOMPARE(titres, attendu);
    }

    void compactage_data() {
        QTest::addColumn<QByteArray>("reste"); // what R7OzireCompact.mdb holds before; null: absent
        QTest::newRow("sans reste") << QByteArray();
        QTest::newRow("reste illisible") << QByteArray("copie interrompue");
        QTest::newRow("reste qui est un catalogue") << QByteArray("catalogue");
    }
    void compactage() {
        QFETCH(QByteArray, reste);
        DossierTest d;
        d.remplir();
        {
            // A cassette added then deleted: its number stays used after the compaction.
            SourceDonnees s;
            QVERIFY(rafraichir(s, d.catalogue(), "SELECT * FROM K7"));
            QVERIFY(s.AddNew());
            QVERIFY(s.Update());
            QVERIFY(s.setBookmark(s.LastModified()));
            QVERIFY(s.Delete());
        }
        const QStringList avant = tout(d);
        Catalogue::fermer();
        const QString copie = d.fichier(Catalogue::NomCompact);
        if (reste == "catalogue")
            QVERIFY(Catalogue::creerCatalogueVide(copie));
        else if (!reste.isNull())
            ecrire(copie, reste);

        const Catalogue::Resultat r = Catalogue::compacter(d.chemin());
        QVERIFY2(r.ok, qPrintable(r.message));
        QCOMPARE(fichiers(d), QStringList{"R7Ozire.mdb"});
        QVERIFY(Catalogue::ouvrir(d.catalogue()).ok());
        QCOMPARE(tout(d), avant);
        QCOMPARE(Catalogue::verifierIntegrite(d.catalogue()), QStringList());
    }

    void compactageDossierEnLectureSeule() {
        DossierTest d;
        d.remplir();
        const QStringList avant = tout(d);
        Catalogue::fermer();
        const QByteArray octets = octetsDe(d.catalogue());
        const QFile::Permissions droits = QFileInfo(d.chemin()).permissions();
        QVERIFY(QFile::setPermissions(d.chemin(), QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup |
                                                      QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther));
        auto retablir = qScopeGuard([&] { QFile::setPermissions(d.chemin(), droits); });
        {
            QFile essai(d.fichier("essai"));
            if (essai.open(QIODevice::WriteOnly)) {
                essai.remove();
                QSKIP("Ce compte écrit dans un dossier en lecture seule (root) : rien à vérifier.");
            }
        }
        const Catalogue::Resultat r = Catalogue::compacter(d.chemin());
        QVERIFY(!r.ok);
        QVERIFY(!r.message.isEmpty());
        QCOMPARE(fichiers(d), QStringList{"R7Ozire.mdb"});
        QCOMPARE(octetsDe(d.catalogue()), octets);
        retablir.dismiss();
        QFile::setPermissions(d.chemin(), droits);
        QVERIFY(Catalogue::ouvrir(d.catalogue()).ok());
        QCOMPARE(tout(d), avant);
    }

    // A page in the middle of the films, overwritten with garbage: the rows it held are lost, every
    // other row comes back as it was, and the file is sound again; whatever the films' numbers.
    void reparation_data() {
        QTest::addColumn<qint64>("premier"); // the first film's number
        QTest::newRow("depuis 1") << Q_INT64_C(1);
        QTest::newRow("au-delà de 2^40") << Q_INT64_C(1099511627777);
        QTest::newRow("au-delà de 2^62") << Q_INT64_C(4611686018427387905);
    }
    void reparation() {
        QFETCH(qint64, premier);
        constexpr int nbFilms = 2000;
        constexpr int parCassette = 24; // ten-minute films on four-hour tapes
        constexpr int nbCassettes = (nbFilms + parCassette - 1) / parCassette;
        DossierTest d;
        {
            Sql q;
            // Freed space is zeroed, so the text that marks the page below is found once only.
            QVERIFY(q.exec("PRAGMA secure_delete = ON"));
            Catalogue::Transaction t;
            if (premier > 1)
                QVERIFY(q.exec(QStringLiteral("INSERT INTO Film (IdFilm, Titre) VALUES (%1, 'éphémère')")
                                   .arg(premier - 1)));
            QVERIFY(q.prepare("UPDATE Film SET Description = ? WHERE IdFilm = ?"));
            qint64 k7 = 0;
            for (int i = 1; i <= nbFilms; ++i) {
                if ((i - 1) % parCassette == 0)
                    k7 = d.ajouterCassette("04:00:00");
                const qint64 id = d.placerFilm(k7, QStringLiteral("Film %1").arg(i), "00:10:00");
                QCOMPARE(id, premier - 1 + i);
                q.addBindValue(QStringLiteral("Résumé %1 : ").arg(i) +
                               QStringLiteral("une histoire de cassettes et de bandes. ").repeated(30));
                q.addBindValue(id);
                QVERIFY(q.exec());
            }
            // Films whose numbers were given and then freed: the repair must not give them again.
            for (int i = 0; i < 5; ++i)
                QVERIFY(q.exec("INSERT INTO Film (Titre) VALUES ('éphémère')"));
            QVERIFY(q.exec("DELETE FROM Film WHERE Titre = 'éphémère'"));
            QVERIFY(t.valider());
        }
        Catalogue::fermer();

        QByteArray octets = octetsDe(d.catalogue());
        const int taillePage = (uchar(octets[16]) << 8) | uchar(octets[17]);
        const QByteArray marque = QStringLiteral("Résumé 1000 : ").toUtf8();
        const qsizetype ou = octets.indexOf(marque);
        QVERIFY(ou > 0);
        QCOMPARE(octets.indexOf(marque, ou + 1), qsizetype(-1));
        const qsizetype page = ou / taillePage;
        QVERIFY(page > 10 && (page + 10) * taillePage < octets.size()); // in the middle
        abimer(octets, page * taillePage, (page + 1) * taillePage);
        ecrire(d.catalogue(), octets);
        QVERIFY(!Catalogue::verifierIntegrite(d.catalogue()).isEmpty());

        const Catalogue::Reparation r = Catalogue::reparer(d.chemin());
        QVERIFY2(r.ok, qPrintable(r.message));
        QVERIFY(r.zonesIllisibles >= 1);
        QCOMPARE(surFichier(d.catalogue(), {"PRAGMA integrity_check"}), QStringList{"ok"});
        QCOMPARE(QFileInfo(r.copieEndommagee).absolutePath(), QFileInfo(d.catalogue()).absolutePath());
        QCOMPARE(octetsDe(r.copieEndommagee), octets);
        QCOMPARE(fichiers(d), QStringList({"R7Ozire.endommage.mdb", "R7Ozire.mdb"}));

        const QStringList films = surFichier(d.catalogue(), {"SELECT IdFilm || '|' || Titre FROM Film"});
        QVERIFY2(films.size() >= nbFilms - 20 && films.size() < nbFilms,
                 qPrintable(QString::number(films.size())));
        QVERIFY(!films.contains(QStringLiteral("%1|Film 1000").arg(premier + 999)));
        for (const QString& f : films) {
            const qint64 id = f.section(QLatin1Char('|'), 0, 0).toLongLong();
            QCOMPARE(f, QStringLiteral("%1|Film %2").arg(id).arg(id - premier + 1));
        }
        // The placements of the lost films went with them, and their tape was freed.
        QCOMPARE(surFichier(d.catalogue(), {"SELECT count(*) FROM K7", "SELECT count(*) FROM FilmK7"}),
                 QStringList({QString::number(nbCassettes), QString::number(films.size())}));
        QCOMPARE(r.lignesSauvees, int(films.size()) + nbCassettes + nbFilms);
        QCOMPARE(r.remise.placementsSupprimes, nbFilms - int(films.size()));
        QVERIFY(r.message.contains(QStringLiteral("placement(s) sans film")));
        QCOMPARE(Catalogue::verifierIntegrite(d.catalogue()), QStringList());

        QVERIFY(Catalogue::ouvrir(d.catalogue()).ok());
        SourceDonnees s;
        QVERIFY(rafraichir(s, d.catalogue(), "SELECT * FROM Film"));
        QVERIFY(s.AddNew());
        QCOMPARE(s.Fields("IdFilm").toLongLong(), premier + nbFilms + 5);
    }

    void reparationImpossible_data() {
        QTest::addColumn<int>("degat");
        QTest::newRow("absent") << int(Absent);
        QTest::newRow("fichier texte") << int(Texte);
        QTest::newRow("fichier vide") << int(Vide);
        QTest::newRow("schéma illisible") << int(PremierePage);
    }
    void reparationImpossible() {
        QFETCH(int, degat);
        DossierTest d;
        d.remplir();
        Catalogue::fermer();
        endommager(d, degat);
        const QStringList avant = fichiers(d);
        const QByteArray octets = octetsDe(d.catalogue());

        const Catalogue::Reparation r = Catalogue::reparer(d.chemin());
        QVERIFY(!r.ok);
        QVERIFY(!r.message.isEmpty());
        QCOMPARE(fichiers(d), avant);
        QCOMPARE(octetsDe(d.catalogue()), octets);
    }

    void catalogueCasse_data() {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QStringList>("mots"); // all in one line of the report
        QTest::newRow("NBFilm faux") << "UPDATE K7 SET NBFilm = 3 WHERE IdK7 = 1"
                                     << QStringList{"Cassette 1 :", "NBFilm vaut 3"};
        QTest::newRow("TempsRestant faux") << "UPDATE K7 SET TempsRestant = '00:34:00' WHERE IdK7 = 1"
                                           << QStringList{"Cassette 1 :", "TempsRestant vaut « 00:34:00 »"};
        QTest::newRow("trou dans les positions")
            << "UPDATE FilmK7 SET Position = 5 WHERE IdFilm = 7" << QStringList{"Cassette 3 :", "positions"};
        QTest::newRow("film sans placement")
            << "DELETE FROM FilmK7 WHERE IdFilm = 8" << QStringList{"Le film 8", "0 placement"};
        QTest::newRow("placement d'un film absent")
            << "DELETE FROM Film WHERE IdFilm = 3" << QStringList{"film 3", "absent"};
        QTest::newRow("plages libres voisines") << "UPDATE K7 SET Status = '03:00:00/01:00:00' WHERE IdK7 = 4"
                                                << QStringList{"Cassette 4 :", "voisines"};
        QTest::newRow("bande illisible") << "UPDATE K7 SET Status = 'FILMxx/zz' WHERE IdK7 = 1"
                                         << QStringList{"Cassette 1 :", "« FILMxx » n'a pas"};
    }
    void catalogueCasse() {
        QFETCH(QString, sql);
        QFETCH(QStringList, mots);
        DossierTest d;
        d.remplir();
        Sql q;
        QVERIFY(q.exec(sql));
        QStringList rapport = d.invariants();
        QStringList lignes = rapport;
        for (const QString& m : mots)
            lignes = lignes.filter(m);
        QVERIFY2(lignes.size() == 1, qPrintable(rapport.join('\n')));
        QStringList integrite = Catalogue::verifierIntegrite(d.catalogue());
        integrite.sort();
        rapport.sort();
        QCOMPARE(integrite, rapport);

        // The repair puts it back in order without losing a film.
        const int films = int(d.contenu(QStringLiteral("Film")).size());
        Catalogue::fermer();
        const Catalogue::Reparation r = Catalogue::reparer(d.chemin());
        QVERIFY2(r.ok, qPrintable(r.message));
        QVERIFY(Catalogue::ouvrir(d.catalogue()).ok());
        QCOMPARE(d.invariants(), QStringList());
        QCOMPARE(d.contenu(QStringLiteral("Film")).size(), films);
    }

    // What the file's condition makes the engine say reaches the user in French, with what to do.
    void messagesDuMoteur_data() {
        QTest::addColumn<QString>("cas");
        QTest::addColumn<QString>("attendu");
        QTest::newRow("catalogue tronqué") << "tronqué"
                                           << "Réparer la base de donnée";
        QTest::newRow("catalogue remplacé pendant l'usage") << "remplacé"
                                                            << "remplacé";
        QTest::newRow("catalogue supprimé pendant l'usage") << "supprimé"
                                                            << "remplacé";
    }
    void messagesDuMoteur() {
        QFETCH(QString, cas);
        QFETCH(QString, attendu);
        DossierTest d;
        d.remplir();
        if (cas == "tronqué") {
            // Cut short while open, as a copy interrupted behind the program's back leaves it.
            Catalogue::fermer();
            QVERIFY(Catalogue::ouvrir(d.catalogue()).ok());
            QVERIFY(QFile::resize(d.catalogue(), 4096 * 2));
        } else if (cas == "remplacé") {
            QVERIFY(QFile::copy(d.catalogue(), d.fichier("autre.mdb")));
            QCOMPARE(std::rename(QFile::encodeName(d.fichier("autre.mdb")).constData(),
                                 QFile::encodeName(d.catalogue()).constData()),
                     0);
        } else {
            QVERIFY(QFile::remove(d.catalogue()));
        }
        Catalogue::Transaction t;
        QString erreur = t.erreur();
        if (t.ok()) {
            Catalogue::Sqlite::Requete q(Catalogue::base(),
                                         "INSERT INTO FilmK7 (IdFilm, IdK7, Position) VALUES (8, 4, 1)");
            if (!q.executer())
                erreur = q.erreur();
            else if (!t.valider())
                erreur = t.erreur();
        }
        QVERIFY2(erreur.contains(attendu), qPrintable(erreur));
        QVERIFY2(!anglais(erreur), qPrintable(erreur));
    }

    // Whatever a damage left in the rows and the tapes' records, the repair gives back a catalogue
    // that keeps every rule, with every film it could read.
    void reparationRemetLesRegles_data() {
        QTest::addColumn<QStringList>("sql");
        QTest::newRow("cassette de plus de 24 heures")
            << QStringList{"UPDATE K7 SET \"Durée\" = '29:00:00', TempsRestant = '29:00:00', Status = "
                           "'29:00:00', NBFilm = 0 WHERE IdK7 = 4"};
        QTest::newRow("cassette de plus de 24 heures avec ses films")
            << QStringList{"UPDATE K7 SET \"Durée\" = '30:00:00', TempsRestant = '26:30:00', Status = "
                           "replace(Status, '00:33:00', '27:03:00') WHERE IdK7 = 1"};
    }
    void reparationRemetLesRegles() {
        QFETCH(QStringList, sql);
        DossierTest d;
        d.remplir();
        for (const QString& s : sql)
            QVERIFY(Catalogue::Sqlite::executer(Catalogue::base(), s));
        verifierReparation(d, QStringLiteral("cas écrit"));
    }

    void reparationAleatoire() {
        // Each repair writes its catalogue to the disk for good; in memory, hundreds take seconds.
        const QByteArray tmp = qgetenv("TMPDIR");
        if (QFileInfo(QStringLiteral("/dev/shm")).isWritable())
            qputenv("TMPDIR", "/dev/shm");
        const auto retablir = qScopeGuard([&] {
            if (tmp.isNull())
                qunsetenv("TMPDIR");
            else
                qputenv("TMPDIR", tmp);
        });
        for (quint32 graine = 1; graine <= 200; ++graine) {
            DossierTest d;
            d.remplir();
            QRandomGenerator alea(graine);
            const auto heure = [&] {
                // Mostly clock times, some past a day, some not times at all.
                switch (alea.bounded(6)) {
                case 0:
                    return QStringLiteral("%1:00:00").arg(24 + alea.bounded(20));
                case 1:
                    return QStringList{"", "abc", "1:5", "-01:00:00", "99:99:99"}[alea.bounded(5)];
                default:
                    return QStringLiteral("%1:%2:00")
                        .arg(alea.bounded(6), 2, 10, QLatin1Char('0'))
                        .arg(alea.bounded(60), 2, 10, QLatin1Char('0'));
                }
            };
            const int degats = 1 + alea.bounded(4);
            for (int i = 0; i < degats; ++i) {
                const int k7 = 1 + alea.bounded(6); // 6: a cassette that does not exist
                const int film = 1 + alea.bounded(9);
                QString sql;
                switch (alea.bounded(9)) {
                case 0:
                    sql =
                        QStringLiteral("UPDATE K7 SET \"Durée\" = '%1' WHERE IdK7 = %2").arg(heure()).arg(k7);
                    break;
                case 1:
                    sql = QStringLiteral("UPDATE K7 SET TempsRestant = '%1', NBFilm = %2 WHERE IdK7 = %3")
                              .arg(heure())
                              .arg(alea.bounded(5) - 1)
                              .arg(k7);
                    break;
                case 2: { // a field of the tape changed, dropped or doubled
                    const QString champ =
                        QStringList{"FILM01:00:00ZORRO", "'||'x'||'", heure(), ""}[alea.bounded(4)];
                    sql =
                        QStringList{
                            "UPDATE K7 SET Status = Status || '/%1' WHERE IdK7 = %2",
                            "UPDATE K7 SET Status = '%1' || '/' || Status WHERE IdK7 = %2",
                            "UPDATE K7 SET Status = '%1' WHERE IdK7 = %2",
                            "UPDATE K7 SET Status = substr(Status, 1 + instr(Status, '/')) || '%1' WHERE "
                            "IdK7 = %2",
                        }[alea.bounded(4)]
                            .arg(champ)
                            .arg(k7);
                    break;
                }
                case 3:
                    sql = QStringLiteral("DELETE FROM FilmK7 WHERE IdFilm = %1").arg(film);
                    break;
                case 4:
                    sql = QStringLiteral("INSERT INTO FilmK7 (IdFilm, IdK7, Position) VALUES (%1, %2, %3)")
                              .arg(film)
                              .arg(k7)
                              .arg(alea.bounded(5));
                    break;
                case 5:
                    sql = QStringLiteral("UPDATE FilmK7 SET Position = %1 WHERE IdFilm = %2")
                              .arg(alea.bounded(6) - 1)
                              .arg(film);
                    break;
                case 6:
                    sql = QStringLiteral("UPDATE FilmK7 SET IdK7 = %1 WHERE IdFilm = %2").arg(k7).arg(film);
                    break;
                case 7:
                    sql = QStringLiteral("DELETE FROM K7 WHERE IdK7 = %1").arg(k7);
                    break;
                default:
                    sql = QStringLiteral("DELETE FROM Film WHERE IdFilm = %1").arg(film);
                }
                QVERIFY2(Catalogue::Sqlite::executer(Catalogue::base(), sql), qPrintable(sql));
            }
            verifierReparation(d, QStringLiteral("graine %1").arg(graine));
            if (QTest::currentTestFailed())
                return;
        }
    }
};

QTEST_GUILESS_MAIN(TestCatalogue)
#include "tst_catalogue.moc"
