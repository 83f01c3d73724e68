// The catalogue engine: the screens' dialect, the record set, opening, transactions and the maintenance
// commands, on the small catalogue of DossierTest.

#include "catalogue/Catalogue.h"
#include "catalogue/Rangement.h"
#include "catalogue/SourceDonnees.h"
#include "catalogue/Sqlite.h"
#include "tests/support/DossierTest.h"
#include "tests/support/Sql.h"

#include <QDir>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QTime>
#include <QtTest>

#include <atomic>
#include <cstdio>

namespace {

bool rafraichir(SourceDonnees& s, const QString& catalogue, const QString& sql) {
    s.setDatabaseName(catalogue);
    s.setRecordSource(sql);
    return s.Refresh();
}

// Some fields of every row, in record-set order: "IdFilm,Position" gives rows like "6,3".
QStringList lignes(SourceDonnees& s, const QString& champs) {
    QStringList r;
    for (s.MoveFirst(); !s.Eof(); s.MoveNext()) {
        QStringList valeurs;
        for (const QString& c : champs.split(QLatin1Char(',')))
            valeurs << s.Texte(c);
        r << valeurs.join(QLatin1Char(','));
    }
    return r;
}

QStringList lire(const DossierTest& d, const QString& sql, const QString& champs) {
    SourceDonnees s;
    return rafraichir(s, d.catalogue(), sql) ? lignes(s, champs) : QStringList{s.Erreur()};
}

// Replaces bytes [debut, fin) with garbage that is the same on every run.
void abimerOctets(QByteArray& octets, qsizetype debut, qsizetype fin) {
    QRandomGenerator alea(1984);
    for (qsizetype i = debut; i < fin && i < octets.size(); ++i)
        octets[i] = char(alea.bounded(256));
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

// Damages the closed catalogue file as its row of ouverture_data says.
void endommager(const DossierTest& d, const QString& degat) {
    const QString f = d.catalogue();
    const QByteArray octets = DossierTest::octets(f);
    QByteArray entete = octets;
    const QHash<QString, QStringList> sql{
        {"sans table", {"DROP TABLE K7"}},
        {"sans champ", {"ALTER TABLE Film DROP COLUMN Genre"}},
        {"champ renommé", {"ALTER TABLE Film RENAME COLUMN Titre TO Nom"}},
        // Every field still answers, but no row can be written.
        {"vue", {"ALTER TABLE K7 RENAME TO K7_", "CREATE VIEW K7 AS SELECT * FROM K7_"}}};
    abimerOctets(entete, 16, 4096); // the magic text stays, the rest of the header and the schema go
    const QHash<QString, QByteArray> contenus{{"texte", "Titre;Durée\nZorro;01:30:00\n"},
                                              {"vide", ""},
                                              {"entête", entete},
                                              {"tronqué", octets.left(octets.size() / 2)}};
    if (sql.contains(degat)) {
        Catalogue::Sqlite::Connexion c(f, SQLITE_OPEN_READWRITE); // outside the catalogue layer
        for (const QString& s : sql[degat])
            QVERIFY(Sql(c.db()).exec(s));
    } else if (contenus.contains(degat))
        QVERIFY(DossierTest::ecrire(f, contenus[degat]));
    else if (degat == "absent" || degat == "dossier" || degat == "lien cassé")
        QVERIFY(QFile::remove(f) &&
                (degat == "absent" || (degat == "dossier" ? QDir(d.chemin()).mkdir(Catalogue::NomCatalogue)
                                                          : QFile::link(d.fichier("parti.mdb"), f))));
}

// Plays steps separated by "; " on a record set: moves "<<" ">>" "<" ">", "@key" and "@" (to the row last
// written), "r" Refresh, "+" AddNew, "e" Edit, "u" Update, "x" Delete, "c" CancelUpdate, "R" ReprendreAjout,
// "Champ:=valeur" setField, "sql:statement" straight to the engine; checks "Champ=text", "#=count", "eof",
// "bof", "sql:query==first field read", "Champ,Champ==rows" (fields joined by ",", rows by ";", every one). A
// "!" first expects the opposite. Returns the first step that failed.
QString jouer(SourceDonnees& s, const QString& script) {
    const QHash<QString, std::function<bool()>> actions{
        {"<<", [&] { return s.MoveFirst(), true; }},
        {">>", [&] { return s.MoveLast(), true; }},
        {"<", [&] { return s.MovePrevious(), true; }},
        {">", [&] { return s.MoveNext(), true; }},
        {"r", [&] { return s.Refresh(); }},
        {"+", [&] { return s.AddNew(); }},
        {"e", [&] { return s.Edit(); }},
        {"u", [&] { return s.Update(); }},
        {"x", [&] { return s.Delete(); }},
        {"c", [&] { return s.CancelUpdate(), true; }},
        {"R", [&] { return s.ReprendreAjout(s.LastModified()); }},
        {"@", [&] { return s.setBookmark(s.LastModified()); }},
        {"eof", [&] { return s.Eof(); }},
        {"bof", [&] { return s.Bof(); }}};
    for (const QString& pas : script.split(QStringLiteral("; "))) {
        const bool refus = pas.startsWith('!');
        const QString p = pas.mid(refus ? 1 : 0);
        const qsizetype egal = p.indexOf('=');
        const QStringList sql = p.mid(4).split("==");
        Sql q;
        const bool ok =
            actions.contains(p) ? actions[p]()
            : p.startsWith('@') ? s.setBookmark(p.mid(1).toLongLong())
            : p.startsWith("sql:")
                ? q.exec(sql[0]) && (sql.size() < 2 || (q.next() && q.value(0).toString() == sql[1]))
            : p.contains("==") ? lignes(s, p.section("==", 0, 0)).join(';') == p.section("==", 1) &&
                                     s.RecordCount() == p.count(';') + 1
            : p.mid(egal - 1, 2) == ":=" ? s.setField(p.left(egal - 1), p.mid(egal + 1))
            : p.startsWith("#=")         ? s.RecordCount() == p.mid(2).toInt()
                                         : s.Texte(p.left(egal)) == p.mid(egal + 1);
        if (ok == refus)
            return QStringLiteral("%1 (Titre=%2, %3)").arg(pas, s.Texte("Titre"), s.Erreur() + q.lastError());
    }
    return QString();
}

// N rows of every kind of stored value (text, empty text, bytes, whole and decimal numbers, nothing) in the
// second and third fields; the first, "N" down to "1", sorts them backwards.
bool remplirSortes(const QString& insertion, int n) {
    const QVariantList sortes = {"Ève, Noël", QString(""),   QByteArray("\xc3\xa9t\xc3\xa9"),
                                 QVariant(),  qlonglong(42), 1.5};
    Catalogue::Transaction t;
    for (int i = 0; i < n; ++i)
        executerSql(insertion, {QStringLiteral("%1").arg(n - i, 5, 10, QLatin1Char('0')), sortes[i % 6],
                                sortes[(i / 6) % 6]});
    return t.valider();
}

} // namespace

class TestMoteur : public QObject {
    Q_OBJECT

private slots:
    // The screens' dialect rewritten for SQLite, numbers made parameters; again after a text of the same
    // shape (`premier`), whose translation is kept and filled with the other numbers.
    void traduireSql_data() {
        QTest::addColumn<QString>("premier");
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("attendu");
        QTest::addColumn<QVariantList>("valeurs");
        auto cas = [](const char* nom, const char* premier, const char* sql, const char* attendu,
                      const QVariantList& valeurs) {
            QTest::newRow(nom) << QString::fromUtf8(premier) << QString::fromUtf8(sql)
                               << QString::fromUtf8(attendu) << valeurs;
        };
        // A number heading a sort or grouping term is a column: as a parameter it sorts nothing.
        cas("regroupement par rang", "", "SELECT Genre, count(*) FROM Film GROUP BY 1 ORDER BY 2 DESC,1",
            "SELECT Genre, count(*) FROM Film GROUP BY 1 ORDER BY 2 DESC,1", {});
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
    void traduireSql() {
        QFETCH(QString, premier);
        QFETCH(QString, sql);
        QFETCH(QString, attendu);
        QFETCH(QVariantList, valeurs);
        QVariantList parametres;
        Catalogue::traduireSql(premier.isEmpty() ? sql : premier, &parametres);
        parametres.clear();
        QCOMPARE(Catalogue::traduireSql(sql, &parametres), attendu);
        QCOMPARE(parametres, valeurs);
    }

    // Steps on a record set that first read every film; `apres`: the titles the walk then reads, fresh or
    // from the same set.
    void pas_data() {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("pas");
        QTest::addColumn<QString>("apres");
        const QString titres = "alien;Amélie;Brazil;Été;K7 9;K7 10;L'été meurtrier;Zorro",
                      parTitre = "SELECT * FROM Film ORDER BY Titre";
        auto cas = [](const char* nom, const QString& sql, const char* pas, const QString& apres) {
            QTest::newRow(nom) << sql << QString::fromUtf8(pas) << apres;
        };
        cas("déplacements", parTitre,
            "r; #=8; Titre=alien; idfilm=2; DURÉE=01:57:00; Inconnu=; <; Titre=; bof; !eof; >; Titre=alien; "
            ">; "
            "Titre=Amélie; >>; Titre=Zorro; >; Titre=; eof; !bof; >; eof; <; Titre=Zorro",
            titres);
        // Cancelled, an addition or a change leaves the record and the file as they were.
        cas("ajout, modification annulés", parTitre,
            "r; >; +; Titre:=Brouillon; Titre=Brouillon; c; Titre=Amélie; #=8; !u; e; Titre:=Brouillon; c; "
            "Titre=Amélie; !u",
            titres);
        cas("premier supprimé", parTitre,
            "r; x; #=7; >; Titre=Amélie; <; bof; Titre=", titres.section(';', 1));
        cas("milieu supprimé", parTitre, "r; >; >; >; x; #=7; >; Titre=K7 9; <; Titre=Brazil",
            QString(titres).remove("Été;"));
        cas("dernier supprimé", parTitre, "r; >>; x; >; eof; Titre=; <; Titre=L'été meurtrier",
            titres.section(';', 0, 6));
        // No row: every move stays out of the records, nothing to edit; a failed query keeps none of the
        // former rows.
        const char* vide = "#=0; eof; bof; Titre=; <<; >; >>; <; eof; bof; !e; !x";
        cas("aucune ligne choisie", "SELECT * FROM Film WHERE IdFilm = 999",
            qPrintable(QString("r; ") + vide), "-");
        cas("requête fautive", "SELECT * FROM Filmz", qPrintable(QString("!r; ") + vide), "-");
        // Only a plain "SELECT * FROM <table> ..." takes new rows, however it is spaced or spelt.
        cas("étoile, blancs et casse", "  select\t*\n from   k7  WHERE IdK7 > 4",
            "r; +; IdK7=6; u; IdK7=5; #=2", "-");
        cas("colonnes nommées", "SELECT IdK7 FROM K7", "r; !+", "-");
        cas("étoile et plus", "SELECT *, 1 FROM K7", "r; !+", "-");
        cas("sous-requête", "SELECT * FROM (SELECT * FROM K7)", "r; !+", "-");
        // Bookmarks find their rows however far apart the keys, before and after a row is added; the new key
        // is shown at AddNew, and never handed out twice.
        for (const char* cles : {"70000 1000000000", "-4 9223372036854775805"}) {
            const QString a = QString(cles).section(' ', 0, 0), b = QString(cles).section(' ', 1);
            const QString n = QString::number(b.toLongLong() + 1), m = QString::number(b.toLongLong() + 2);
            cas(cles, parTitre,
                qPrintable(
                    QStringLiteral(
                        "sql:INSERT INTO Film (IdFilm, Titre) VALUES (%1, 'A'); sql:INSERT INTO Film "
                        "(IdFilm, Titre) VALUES (%2, 'B'); r; @%2; +; IdFilm=%3; Titre:=C; u; IdFilm=%2; "
                        "#=11; "
                        "@%1; Titre=A; @3; Titre=Été; @%3; Titre=C; !@%4; R; !@%3; c; sql:DELETE FROM Film "
                        "WHERE IdFilm = %3; r; +; IdFilm=%4")
                        .arg(a, b, n, m)),
                "-");
        }
        // What is written is what is stored and read back, added or edited; clock times are stored
        // zero-padded so that comparisons and orderings stay chronological.
        for (const char* t : {"L'été \"Grand\" Bleu", "Jean Gabin\nMichèle\r\nArletty",
                              "#01:45:00# 3AND x';DROP TABLE Film;--", "Ōkami ⅓ 🎬", "  bordé  "})
            cas(t, "select * from Film",
                qPrintable(QStringLiteral(
                               "r; +; Titre:=%1; u; @; Titre=%1; sql:SELECT Titre FROM Film WHERE IdFilm = "
                               "9==%1; <<; e; "
                               "Titre:=%1; u; @; Titre=%1; sql:SELECT Titre FROM Film WHERE IdFilm = 1==%1")
                               .arg(QString::fromUtf8(t))),
                "-");
        cas("heure courte", "select * from Film",
            "r; +; DURÉE:=1:5:3; u; @; Durée=01:05:03; sql:SELECT \"Durée\" FROM Film WHERE IdFilm = "
            "9==01:05:03",
            "-");
        // Texts the screens issue, on the small catalogue.
        const auto requete = [&cas](const char* sql, const char* rangees) {
            cas(sql, sql, qPrintable(QStringLiteral("r; ") + QString::fromUtf8(rangees)), "-");
        };
        requete("SELECT * FROM K7",
                "IdK7,NBFilm,TempsRestant==1,2,00:33:00;2,1,01:45:00;3,4,00:15:00;4,0,04:00:00;5,1,01:45:00");
        requete("SELECT * FROM Film ORDER BY DURÉE DESC, titre ASC",
                "Titre==L'été meurtrier;alien;Zorro;Amélie;Été;Brazil;K7 9;K7 10");
        requete("SELECT * FROM K7 ORDER BY tempsRestant ASC, IDK7 DESC", "IdK7==3;1;5;2;4");
        requete("SELECT IdK7 FROM K7 ORDER BY 1 DESC", "IdK7==5;4;3;2;1");
        requete("Select * FROM FILMK7 WHERE IDK7=3AND Position>2", "IdFilm,IdK7,Position==6,3,3;7,3,4");
        requete("SELECT * from K7 WHERE TempsRestant >= #1:45:1# ORDER BY TempsRestant", "IdK7==4");
        requete("select * from Film where IdFilm =3", "Titre,Durée==Été,01:15:00");
        // Quoted text is the user's: its doubled quote must reach the engine as it is.
        requete("SELECT * FROM Film WHERE Titre = 'L''été meurtrier'", "IdFilm==6");
        cas("heure bordée de blancs", "SELECT * FROM K7",
            "r; >; e; tempsRestant:= 3:0:0 ; u; sql:SELECT TempsRestant FROM K7 WHERE IdK7 = 2==03:00:00",
            "-");
    }
    void pas() {
        QFETCH(QString, sql);
        QFETCH(QString, pas);
        QFETCH(QString, apres);
        DossierTest d;
        d.remplir();
        SourceDonnees s;
        QVERIFY(rafraichir(s, d.catalogue(), "SELECT * FROM Film"));
        s.setRecordSource(sql);
        const QString echec = jouer(s, pas);
        QVERIFY2(echec.isEmpty(), qPrintable(echec));
        if (apres != "-") {
            QCOMPARE(lignes(s, "Titre"), apres.split(';'));
            QCOMPARE(lire(d, sql, "Titre"), apres.split(';'));
        }
    }

    // A walk through a large record set whose title order is the reverse of the table's: every kind of stored
    // value reads as in a record set of its row alone, however the rows are fetched; a row deleted by another
    // statement during the walk reads as empty.
    void parcours_data() {
        QTest::addColumn<QString>("table");
        QTest::addColumn<int>("supprimeApres"); // rows walked before another statement deletes one
        QTest::addColumn<int>("n");
        QTest::newRow("Film") << "Film" << -1 << 21000; // past the size that the list reads with two threads
        QTest::newRow("Film, suppression au début") << "Film" << 10 << 3000;
        QTest::newRow("K7") << "K7" << -1 << 3000;
    }
    void parcours() {
        QFETCH(QString, table);
        QFETCH(int, supprimeApres);
        QFETCH(int, n);
        DossierTest d;
        const bool film = table == "Film";
        QVERIFY(remplirSortes(film ? "INSERT INTO Film (Titre, Acteurs, Pays) VALUES (?, ?, ?)"
                                   : "INSERT INTO K7 (\"Durée\", NBFilm, Status) VALUES (?, ?, ?)",
                              n));
        const QString cle = film ? "IdFilm" : "IdK7";
        QStringList champs = film ? QStringList{"Titre", "Acteurs", "Pays", "Genre"}
                                  : QStringList{"Durée", "NBFilm", "Status"};
        SourceDonnees s;
        QVERIFY(rafraichir(s, d.catalogue(), "SELECT * FROM " + table + " ORDER BY " + champs[0]));
        const int supprime = 2001; // the row walked 2001st
        int r = 0;
        for (; !s.Eof(); s.MoveNext(), ++r) {
            if (r == supprimeApres)
                executerSql(QStringLiteral("DELETE FROM Film WHERE IdFilm = %1").arg(n - supprime));
            QCOMPARE(s.Texte(champs[0]), supprimeApres >= 0 && r == supprime
                                             ? QString()
                                             : QString("%1").arg(r + 1, 5, 10, QChar('0')));
            if (r % 7)
                continue;
            SourceDonnees seule;
            QVERIFY(rafraichir(seule, d.catalogue(),
                               "SELECT * FROM " + table + " WHERE " + cle + " = " + QString::number(n - r)));
            for (const QString& champ : champs) {
                QCOMPARE(s.Fields(champ).typeId(), seule.Fields(champ).typeId());
                QCOMPARE(s.Fields(champ), seule.Fields(champ));
            }
        }
        QCOMPARE(r, n);
        if (supprimeApres >= 0)
            return;
        // The texts handed over for a whole list, read by one thread or by two, are what a walk reads with
        // Texte, rank by rank; a row deleted through the record set does not come.
        s.MoveFirst();
        s.MoveNext();
        QVERIFY(s.Delete());
        champs << cle << "Inconnu";
        const QStringList attendu = lignes(s, champs.join(QLatin1Char(',')));
        QCOMPARE(attendu.size(), n - 1);
        for (const bool deuxFils : {false, true}) {
            QStringList lu(n - 1, QStringLiteral("<absent>"));
            std::atomic<int> recus{0};
            QVERIFY(s.Textes(
                champs, [&](int rang, QStringList& t) { lu[rang] = t.join(QLatin1Char(',')), ++recus; },
                deuxFils));
            QCOMPARE(recus.load(), n - 1);
            QCOMPARE(lu, attendu);
        }
        // And what a walk reads of each row alone, one seek per row, as a printed list does.
        SourceDonnees w;
        QVERIFY(rafraichir(w, d.catalogue(), "SELECT * FROM " + table + " ORDER BY " + champs[0]));
        QStringList lu, t;
        for (; !w.Eof(); w.MoveNext())
            lu << (w.TextesCourants(champs, t) ? t.join(QLatin1Char(',')) : w.Erreur());
        QCOMPARE(lu, attendu);
    }

    // Sorted by two columns, each by its French key or by its own values, each either way, the rows come
    // as the engine orders them: every kind of value, letter case, ties on both columns.
    void deuxCles() {
        DossierTest d;
        QVERIFY(remplirSortes("INSERT INTO Film (Pays, Genre, Titre) VALUES (?, ?, ?)", 300));
        QVERIFY(remplirSortes("INSERT INTO K7 (\"Durée\", NBFilm, Status) VALUES (?, ?, ?)", 300));
        executerSql("UPDATE Film SET \"Durée\" = Titre, Genre = upper(Genre) WHERE IdFilm % 5 = 0");
        executerSql("UPDATE K7 SET NBFilm = -IdK7 / (IdK7 % 2 + 1) WHERE IdK7 % 7 = 0");
        for (const char* ordre : {"Film ORDER BY Genre ASC, Titre ASC", "Film ORDER BY Genre DESC, Titre ASC",
                                  "Film ORDER BY Genre, Titre DESC", "Film ORDER BY Durée DESC, Titre",
                                  "Film ORDER BY Titre, Durée", "K7 ORDER BY NBFilm, Status DESC",
                                  "K7 ORDER BY NBFilm DESC, IdK7"}) {
            const QString sql = Catalogue::traduireSql(QStringLiteral("SELECT rowid FROM ") + ordre);
            QVector<qint64> rangees, moteur;
            QString erreur;
            QCOMPARE(Catalogue::rangerParCle(sql, &rangees, &erreur), Catalogue::Rangement::Fait);
            Sql q;
            QVERIFY(q.exec(sql));
            while (q.next())
                moteur << q.value(0).toLongLong();
            QVERIFY2(rangees == moteur, ordre);
        }
    }

    void ouverture_data() {
        QTest::addColumn<QString>("degat");
        QTest::addColumn<Catalogue::Etat>("etat");
        QTest::addColumn<QString>("mention");
        const auto cas = [](const char* degat, Catalogue::Etat etat, const char* mention) {
            QTest::newRow(degat) << QString::fromUtf8(degat) << etat << QString::fromUtf8(mention);
        };
        cas("intact", Catalogue::Etat::Ouvert, "");
        cas("sans ligne", Catalogue::Etat::Ouvert, "");
        cas("absent", Catalogue::Etat::Absent, "introuvable");
        cas("texte", Catalogue::Etat::PasUnCatalogue, "");
        cas("vide", Catalogue::Etat::PasUnCatalogue, "");
        cas("sans table", Catalogue::Etat::Incomplet, "« K7 »");
        cas("sans champ", Catalogue::Etat::Incomplet, "« Genre »");
        cas("champ renommé", Catalogue::Etat::Incomplet, "« Titre »");
        cas("vue", Catalogue::Etat::Incomplet, "« K7 » n'est pas une table");
        cas("entête", Catalogue::Etat::Endommage, "");
        cas("tronqué", Catalogue::Etat::Endommage, "");
        // Something else under its name is said for what it is, not as a missing file.
        cas("dossier", Catalogue::Etat::PasUnCatalogue, "c'est un dossier");
        cas("lien cassé", Catalogue::Etat::PasUnCatalogue, "lien vers un fichier absent");
    }
    void ouverture() {
        QFETCH(QString, degat);
        QFETCH(Catalogue::Etat, etat);
        QFETCH(QString, mention);
        DossierTest d;
        if (degat != "sans ligne")
            d.remplir();
        Catalogue::fermer();
        endommager(d, degat);
        const QString f = d.catalogue();
        const bool existe = QFileInfo::exists(f);
        const QByteArray avant = DossierTest::octets(f);
        const Catalogue::Ouverture o = Catalogue::ouvrir(f);
        QVERIFY2(o.etat == etat, qPrintable(QStringLiteral("état %1 : %2").arg(int(o.etat)).arg(o.message)));
        QCOMPARE(Catalogue::estOuvert(), o.ok());
        QVERIFY(o.ok() ? Catalogue::verifierIntegrite(f).isEmpty()
                       : o.message.contains(QDir::toNativeSeparators(f)));
        QVERIFY2(o.message.contains(mention), qPrintable(o.message));
        // A data source pointed at the file gives the same reason rather than an empty record set.
        SourceDonnees s;
        QCOMPARE(rafraichir(s, f, "SELECT * FROM Film"), o.ok());
        QCOMPARE(s.RecordCount(), o.ok() && degat != "sans ligne" ? 8 : 0);
        QVERIFY2(s.Erreur().contains(o.message), qPrintable(s.Erreur()));
        Catalogue::fermer();
        // A file with no schema to read cannot be repaired: the repair says so and changes nothing.
        const QStringList dossier = DossierTest::noms(d.chemin());
        if (QStringList{"absent", "texte", "vide", "entête"}.contains(degat)) {
            const Catalogue::Reparation r = Catalogue::reparer(d.chemin());
            QVERIFY(!r.ok && !r.message.isEmpty());
            QCOMPARE(DossierTest::noms(d.chemin()), dossier);
        }
        // Opening never creates, completes or rewrites the file.
        QCOMPARE(QFileInfo::exists(f), existe);
        QCOMPARE(DossierTest::octets(f), avant);
    }

    // Commands nest their guards: only what the outermost one validates reaches the file, whole. A write the
    // engine refuses gives its reason, and the command stops there.
    void transactions_data() {
        QTest::addColumn<int>("interieure"); // 1 validated, 0 destroyed without, -1 its write refused
        QTest::addColumn<bool>("exterieure");
        QTest::addColumn<QStringList>("attendu");
        QTest::newRow("toutes validées") << 1 << true << QStringList{"Le Samouraï", "Pickpocket", "Playtime"};
        QTest::newRow("intérieure annulée") << 0 << true << QStringList{"Le Samouraï", "Playtime"};
        QTest::newRow("extérieure annulée") << 1 << false << QStringList();
        QTest::newRow("écriture refusée") << -1 << false << QStringList();
    }
    void transactions() {
        QFETCH(int, interieure);
        QFETCH(bool, exterieure);
        QFETCH(QStringList, attendu);
        DossierTest d;
        d.ajouterCassette("04:00:00");
        if (interieure < 0)
            executerSql("CREATE TEMP TRIGGER disque_plein BEFORE UPDATE ON K7 BEGIN SELECT RAISE(ABORT, "
                        "'disque plein'); END");
        const QStringList avant = DossierTest::tout();
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
                QVERIFY(interieur.ok() && ajouter("Pickpocket"));
                SourceDonnees k7;
                QVERIFY(rafraichir(k7, d.catalogue(), "SELECT * from K7 WHERE IDK7 = 1") && k7.Edit() &&
                        k7.setField("NBFilm", 1));
                QCOMPARE(k7.Update(), interieure >= 0);
                // The engine's own reason reaches the user.
                QVERIFY2(interieure >= 0 || k7.Erreur().contains("disque plein"), qPrintable(k7.Erreur()));
                if (interieure > 0)
                    QVERIFY(interieur.valider());
            }
            QVERIFY(ajouter("Playtime"));
            QVERIFY(DossierTest::tout() != avant);
            if (exterieure)
                QVERIFY(exterieur.valider());
        }
        // Only what reached the file survives closing it.
        Catalogue::fermer();
        QVERIFY(Catalogue::ouvrir(d.catalogue()).ok());
        QCOMPARE(lire(d, "SELECT * FROM Film", "Titre"), attendu);
        if (!exterieure)
            QCOMPARE(DossierTest::tout(), avant);
    }

    // A page in the middle of the films, overwritten with garbage: the rows it held are lost with their
    // placements, the tape they took is freed, every other row comes back as it was, the damaged file is kept
    // beside, and no number is given twice; whatever the films' numbers.
    void reparation_data() {
        QTest::addColumn<qint64>("premier"); // the first film's number
        QTest::newRow("depuis 1") << Q_INT64_C(1);
        QTest::newRow("au-delà de 2^62") << Q_INT64_C(4611686018427387905);
    }
    void reparation() {
        QFETCH(qint64, premier);
        constexpr int nbFilms = 2000;
        DossierTest d;
        // Freed space is zeroed, so the text that marks the page below is found once only.
        executerSql("PRAGMA secure_delete = ON");
        {
            Catalogue::Transaction t;
            executerSql("INSERT INTO Film (IdFilm, Titre) VALUES (?, 'éphémère')", {premier - 1});
            qint64 k7 = 0;
            for (int i = 1; i <= nbFilms; ++i) {
                k7 = (i - 1) % 24 ? k7 : d.ajouterCassette("04:00:00"); // ten-minute films, four-hour tapes
                QCOMPARE(d.placerFilm(k7, QStringLiteral("Film %1").arg(i), "00:10:00"), premier - 1 + i);
                executerSql(
                    "UPDATE Film SET Description = ? WHERE IdFilm = ?",
                    {QStringLiteral("Résumé %1 : ").arg(i) + QString("une histoire de bandes. ").repeated(50),
                     premier - 1 + i});
            }
            // Films whose numbers were given and then freed: the repair must not give them again.
            for (int i = 0; i < 5; ++i)
                executerSql("INSERT INTO Film (Titre) VALUES ('éphémère')");
            executerSql("DELETE FROM Film WHERE Titre = 'éphémère'");
            QVERIFY(t.valider());
        }
        Catalogue::fermer();
        QByteArray octets = DossierTest::octets(d.catalogue());
        const int taillePage = (uchar(octets[16]) << 8) | uchar(octets[17]);
        const QByteArray marque = QStringLiteral("Résumé 1000 : ").toUtf8();
        const qsizetype page = octets.indexOf(marque) / taillePage;
        QVERIFY(octets.count(marque) == 1 && page > 10 && (page + 10) * taillePage < octets.size());
        abimerOctets(octets, page * taillePage, (page + 1) * taillePage);
        QVERIFY(DossierTest::ecrire(d.catalogue(), octets));

        const Catalogue::Reparation r = Catalogue::reparer(d.chemin());
        QVERIFY2(r.ok && r.zonesIllisibles >= 1, qPrintable(r.message));
        QCOMPARE(DossierTest::octets(r.copieEndommagee), octets);
        QCOMPARE(DossierTest::noms(d.chemin()), QStringList({"R7Ozire.endommage.mdb", "R7Ozire.mdb"}));
        QVERIFY(Catalogue::ouvrir(d.catalogue()).ok());
        QStringList films;
        for (Sql q = executerSql("SELECT IdFilm || '|' || Titre FROM Film"); q.next();)
            films << q.value(0).toString();
        QVERIFY2(films.size() >= nbFilms - 20 && films.size() < nbFilms,
                 qPrintable(QString::number(films.size())));
        QVERIFY(!films.contains(QStringLiteral("%1|Film 1000").arg(premier + 999)));
        for (const QString& f : films)
            QCOMPARE(f.section('|', 1),
                     QStringLiteral("Film %1").arg(f.section('|', 0, 0).toLongLong() - premier + 1));
        QCOMPARE(r.remise.placementsSupprimes, nbFilms - int(films.size()));
        QVERIFY(r.message.contains(QStringLiteral("placement(s) sans film")));
        QCOMPARE(Catalogue::verifierIntegrite(d.catalogue()), QStringList());
        SourceDonnees s;
        QVERIFY(rafraichir(s, d.catalogue(), "SELECT * FROM Film") && s.AddNew());
        QCOMPARE(s.Fields("IdFilm").toLongLong(), premier + nbFilms + 5);
    }

    // The checker names each broken rule in one line, as the integrity check does; the repair puts it back in
    // order without losing a film.
    void catalogueCasse_data() {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QStringList>("mots"); // all in one line of the report
        QTest::newRow("NBFilm faux") << "UPDATE K7 SET NBFilm = 3 WHERE IdK7 = 1"
                                     << QStringList{"Cassette 1 :", "NBFilm vaut 3"};
        QTest::newRow("TempsRestant faux") << "UPDATE K7 SET TempsRestant = '00:34:00' WHERE IdK7 = 1"
                                           << QStringList{"Cassette 1 :", "TempsRestant vaut « 00:34:00 »"};
        QTest::newRow("trou dans les positions")
            << "UPDATE FilmK7 SET Position = 5 WHERE IdFilm = 7" << QStringList{"Cassette 3 :", "positions"};
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
        executerSql(sql);
        QStringList rapport = d.invariants(), lignes = rapport,
                    integrite = Catalogue::verifierIntegrite(d.catalogue());
        for (const QString& m : mots)
            lignes = lignes.filter(m);
        QVERIFY2(lignes.size() == 1, qPrintable(rapport.join('\n')));
        integrite.sort();
        rapport.sort();
        QCOMPARE(integrite, rapport);
        verifierReparation(d, sql);
    }

    // What the file's condition makes the engine say reaches the user in French, with what to do.
    void messagesDuMoteur_data() {
        QTest::addColumn<bool>("tronque");
        QTest::addColumn<QString>("attendu");
        QTest::newRow("catalogue tronqué") << true << "Réparer la base de donnée";
        QTest::newRow("catalogue remplacé pendant l'usage") << false << "remplacé";
    }
    void messagesDuMoteur() {
        QFETCH(bool, tronque);
        QFETCH(QString, attendu);
        DossierTest d;
        d.remplir();
        // Cut short while open, as a copy interrupted behind the program's back leaves it.
        QVERIFY(!tronque || (Catalogue::fermer(), Catalogue::ouvrir(d.catalogue()).ok()));
        QVERIFY(tronque ? QFile::resize(d.catalogue(), 4096 * 2)
                        : QFile::copy(d.catalogue(), d.fichier("autre.mdb")));
        QVERIFY(tronque || std::rename(QFile::encodeName(d.fichier("autre.mdb")).constData(),
                                       QFile::encodeName(d.catalogue()).constData()) == 0);
        Catalogue::Transaction t;
        QString erreur = t.erreur();
        Catalogue::Sqlite::Requete q(Catalogue::base(),
                                     "INSERT INTO FilmK7 (IdFilm, IdK7, Position) VALUES (8, 4, 1)");
        if (t.ok())
            erreur = !q.executer() ? q.erreur() : !t.valider() ? t.erreur() : QString();
        QVERIFY2(erreur.contains(attendu) && !DossierTest::anglais(erreur), qPrintable(erreur));
    }

    // Whatever random damage left in the rows and the tapes' records, the repair gives back a catalogue that
    // keeps every rule, with every film it could read.
    void reparationAleatoire() {
        // Each repair writes its catalogue to the disk for good; in memory, hundreds take seconds.
        const QByteArray tmp = qgetenv("TMPDIR");
        if (QFileInfo(QStringLiteral("/dev/shm")).isWritable())
            qputenv("TMPDIR", "/dev/shm");
        const auto retablir =
            qScopeGuard([&] { tmp.isNull() ? qunsetenv("TMPDIR") : qputenv("TMPDIR", tmp); });
        for (quint32 graine = 1; graine <= 200; ++graine) {
            DossierTest d;
            d.remplir();
            QRandomGenerator alea(graine);
            const auto heure = [&] { // mostly clock times, some past a day, some not times at all
                const int sorte = alea.bounded(6);
                return sorte == 0   ? QStringLiteral("%1:00:00").arg(24 + alea.bounded(20))
                       : sorte == 1 ? QStringList{"", "abc", "1:5", "-01:00:00", "99:99:99"}[alea.bounded(5)]
                                    : QStringLiteral("%1:%2:00")
                                          .arg(alea.bounded(6), 2, 10, QLatin1Char('0'))
                                          .arg(alea.bounded(60), 2, 10, QLatin1Char('0'));
            };
            for (int i = 1 + alea.bounded(4); i > 0; --i) {
                const int k7 = 1 + alea.bounded(6); // 6: a cassette that does not exist
                const int film = 1 + alea.bounded(9);
                // A field of the tape changed, dropped or doubled.
                const QString champ =
                    QStringList{"FILM01:00:00ZORRO", "'||'x'||'", heure(), ""}[alea.bounded(4)];
                QString sql = QStringList{"UPDATE K7 SET \"Durée\" = '%1' WHERE IdK7 = %2",
                                          "UPDATE K7 SET TempsRestant = '%1', NBFilm = %3 WHERE IdK7 = %2",
                                          "UPDATE K7 SET Status = Status || '/%4' WHERE IdK7 = %2",
                                          "UPDATE K7 SET Status = '%4' || '/' || Status WHERE IdK7 = %2",
                                          "UPDATE K7 SET Status = '%4' WHERE IdK7 = %2",
                                          "UPDATE K7 SET Status = substr(Status, 1 + instr(Status, '/')) || "
                                          "'%4' WHERE IdK7 = %2",
                                          "DELETE FROM FilmK7 WHERE IdFilm = %5",
                                          "INSERT INTO FilmK7 (IdFilm, IdK7, Position) VALUES (%5, %2, %3)",
                                          "UPDATE FilmK7 SET Position = %3 WHERE IdFilm = %5",
                                          "UPDATE FilmK7 SET IdK7 = %2 WHERE IdFilm = %5",
                                          "DELETE FROM K7 WHERE IdK7 = %2",
                                          "DELETE FROM Film WHERE IdFilm = %5"}[alea.bounded(12)];
                sql.replace("%1", heure()).replace("%2", QString::number(k7)).replace("%4", champ);
                sql.replace("%3", QString::number(alea.bounded(6) - 1)).replace("%5", QString::number(film));
                QVERIFY2(Catalogue::Sqlite::executer(Catalogue::base(), sql), qPrintable(sql));
            }
            verifierReparation(d, QStringLiteral("graine %1").arg(graine));
            if (QTest::currentTestFailed())
                return;
        }
    }
};

QTEST_GUILESS_MAIN(TestMoteur)
#include "tst_moteur.moc"
