#include "catalogue/Catalogue.h"
#include "catalogue/SourceDonnees.h"
#include "catalogue/Sqlite.h"
#include "tests/support/Abimer.h"
#include "tests/support/DossierTest.h"
#include "tests/support/Sql.h"

#include <atomic>

#include <QTime>
#include <QtTest>

namespace {

bool rafraichir(SourceDonnees& s, const DossierTest& d, const QString& sql) {
    s.setDatabaseName(d.catalogue());
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
    if (!rafraichir(s, d, sql))
        return {s.Erreur()};
    return lignes(s, champs);
}

// N rows of every kind of stored value (text, empty text, bytes, whole and decimal numbers,
// nothing) in the second and third fields; the first, "N" down to "1", sorts them backwards.
bool remplir(const QString& insertion, int n) {
    const QVariantList sortes = {QStringLiteral("Ève, Noël"),
                                 QString(""),
                                 QByteArray("\xc3\xa9t\xc3\xa9"),
                                 QVariant(),
                                 qlonglong(42),
                                 1.5};
    Catalogue::Transaction t(Catalogue::base());
    Sql q;
    if (!q.prepare(insertion))
        return false;
    for (int i = 0; i < n; ++i) {
        q.addBindValue(QStringLiteral("%1").arg(n - i, 5, 10, QLatin1Char('0')));
        q.addBindValue(sortes[i % sortes.size()]);
        q.addBindValue(sortes[(i / sortes.size()) % sortes.size()]);
        if (!q.exec())
            return false;
    }
    return t.valider();
}

QString texteStocke(const QString& sql) {
    Sql q;
    return q.exec(sql) && q.next() ? q.value(0).toString() : QStringLiteral("<absent>");
}

} // namespace

class TestSourceDonnees : public QObject {
    Q_OBJECT

private slots:
    // Every text the screens issue, completed as they complete them, on the small catalogue. The
    // expected rows are separated by ";", the fields of a row by ",".
    void requetes_data() {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("champs");
        QTest::addColumn<QString>("attendu");
        const QString parTitre = "alien;Amélie;Brazil;Été;K7 9;K7 10;L'été meurtrier;Zorro";
        const QString parDureeInverse = "L'été meurtrier;alien;Zorro;Amélie;Été;Brazil;K7 9;K7 10";
        const QString k7_3 = "4,3,1;5,3,2;6,3,3;7,3,4";
        auto ligne = [](const char* nom, const QString& sql, const char* champs, const QString& attendu) {
            QTest::newRow(nom) << sql << champs << attendu;
        };
        ligne("K7", "SELECT * FROM K7", "IdK7", "1;2;3;4;5");
        ligne("Film par titre", "SELECT * FROM Film ORDER BY Titre", "Titre", parTitre);
        ligne("FilmK7 par cassette", "SELECT * FROM FilmK7 ORDER BY IdK7", "IdK7", "1;1;2;3;3;3;3;5");
        ligne("FilmK7 d'un film", "SELECT * FROM FilmK7 WHERE IDFilm = 6", "IdFilm,IdK7,Position", "6,3,3");
        ligne("K7 = n", "SELECT * FROM K7 WHERE IDK7 = 3", "IdK7,NBFilm,TempsRestant", "3,4,00:15:00");
        ligne("Film = n", "SELECT * FROM Film WHERE IDFilm = 2", "Titre,Durée", "alien,01:57:00");
        ligne("FilmK7 =n", "SELECT * FROM FilmK7 WHERE IDFilm=8", "IdFilm,IdK7,Position", "8,5,1");
        ligne("K7 =n", "SELECT * FROM K7 WHERE IDK7=5", "IdK7", "5");
        ligne("nombre collé à AND",
              "SELECT * FROM FilmK7 WHERE IDK7=" + QString::number(3) + "AND Position>" + QString::number(2),
              "IdFilm,IdK7,Position", "6,3,3;7,3,4");
        ligne("select minuscule", "select * from Film", "IdFilm", "1;2;3;4;5;6;7;8");
        ligne("where minuscule", "select * from Film where IdFilm =3", "Titre", "Été");
        ligne("heure entre dièses",
              "SELECT * from K7 WHERE TempsRestant >= #01:45:00#  ORDER BY TempsRestant", "TempsRestant",
              "01:45:00;01:45:00;04:00:00");
        ligne("heure juste au-dessus",
              "SELECT * from K7 WHERE TempsRestant >= #01:45:01# ORDER BY TempsRestant", "IdK7", "4");
        ligne("heure courte", "SELECT * from K7 WHERE TempsRestant >= #0:33:0# ORDER BY TempsRestant",
              "TempsRestant", "00:33:00;01:45:00;01:45:00;04:00:00");
        ligne("from minuscule", "SELECT * from K7 WHERE IDK7 = 2", "Status", "FILM01:15:00Été/01:45:00");
        ligne("FilmK7", "SELECT * FROM FilmK7", "IdFilm", "1;2;3;4;5;6;7;8");
        ligne("FILMK7 >=", "Select * FROM FILMK7 WHERE IDK7=3 AND Position >= 2", "IdFilm,IdK7,Position",
              "5,3,2;6,3,3;7,3,4");
        ligne("FilmK7 d'une cassette", "SELECT * FROM FilmK7 WHERE IDK7 = 3", "IdFilm,IdK7,Position", k7_3);
        ligne("Film IdFilm = n", "SELECT * FROM Film WHERE IdFilm = 7", "Titre", "Brazil");
        ligne("K7 IdK7 = n", "SELECT * FROM K7 WHERE IdK7 = 1", "Status",
              "FILM01:30:00Zorro/FILM01:57:00alien/00:33:00");
        ligne("K7 IdK7 =n", "SELECT * FROM K7 WHERE IdK7 =4", "Status,NBFilm", "04:00:00,0");
        ligne("FilmK7 par position", "SELECT * FROM FilmK7 ORDER BY Position", "Position", "1;1;1;1;2;2;3;4");
        ligne("Titre ASC", "SELECT * FROM Film ORDER BY Titre ASC", "Titre", parTitre);
        ligne("Titre DESC", "SELECT * FROM Film ORDER BY Titre DESC", "Titre",
              "Zorro;L'été meurtrier;K7 10;K7 9;Été;Brazil;Amélie;alien");
        ligne("Genre ASC", "SELECT * FROM Film ORDER BY Genre ASC, Titre ASC", "Titre",
              "Zorro;Amélie;K7 9;K7 10;Été;L'été meurtrier;alien;Brazil");
        ligne("Genre DESC", "SELECT * FROM Film ORDER BY Genre DESC, Titre ASC", "Titre",
              "alien;Brazil;Été;L'été meurtrier;K7 9;K7 10;Amélie;Zorro");
        ligne("Durée ASC", "SELECT * FROM Film ORDER BY Durée ASC, Titre ASC", "Titre",
              "K7 10;K7 9;Brazil;Amélie;Été;Zorro;alien;L'été meurtrier");
        ligne("Durée DESC", "SELECT * FROM Film ORDER BY Durée DESC, Titre ASC", "Titre", parDureeInverse);
        ligne("DURÉE en capitales", "SELECT * FROM Film ORDER BY DURÉE DESC, titre ASC", "Titre",
              parDureeInverse);
        ligne("Date ASC", "SELECT * FROM Film ORDER BY Date ASC, Titre ASC", "Titre",
              "Zorro;alien;Été;L'été meurtrier;Brazil;K7 9;Amélie;K7 10");
        ligne("Date DESC", "SELECT * FROM Film ORDER BY Date DESC, Titre ASC", "Titre",
              "Amélie;K7 10;K7 9;Brazil;Été;L'été meurtrier;alien;Zorro");
        ligne("idK7 ASC", "SELECT * FROM K7 ORDER BY idK7 ASC", "IdK7", "1;2;3;4;5");
        ligne("idK7 DESC", "SELECT * FROM K7 ORDER BY idK7 DESC", "IdK7", "5;4;3;2;1");
        ligne("tempsRestant ASC", "SELECT * FROM K7 ORDER BY tempsRestant ASC, IDK7 ASC", "IdK7",
              "3;1;2;5;4");
        ligne("TempsRestant DESC", "SELECT * FROM K7 ORDER BY TempsRestant DESC, IDK7 ASC", "IdK7",
              "4;2;5;1;3");
        ligne("FilmK7 IdFilm=n", "SELECT * FROM FilmK7 WHERE IdFilm=3", "IdFilm,IdK7,Position", "3,2,1");
        ligne("FilmK7 par position d'une cassette", "SELECT * FROM FilmK7 WHERE IdK7=3 ORDER BY Position",
              "IdFilm,IdK7,Position", k7_3);
        // Quoted text is the user's: its doubled quote must reach the engine as it is.
        ligne("texte entre apostrophes", "SELECT * FROM Film WHERE Titre = 'L''été meurtrier'", "IdFilm",
              "6");
    }
    void requetes() {
        QFETCH(QString, sql);
        QFETCH(QString, champs);
        QFETCH(QString, attendu);
        DossierTest d;
        d.remplir();
        SourceDonnees s;
        QVERIFY2(rafraichir(s, d, sql), qPrintable(s.Erreur()));
        const QStringList lignesAttendues = attendu.split(QLatin1Char(';'));
        QCOMPARE(s.RecordCount(), lignesAttendues.size());
        QCOMPARE(lignes(s, champs), lignesAttendues);
    }

    // Only a plain "SELECT * FROM <table> ..." takes new rows, however it is spaced or spelt.
    void ecrivable_data() {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<bool>("ecrivable");
        QTest::newRow("simple") << "SELECT * FROM Film" << true;
        QTest::newRow("blancs et casse") << "  select\t*\n from   filmk7  WHERE IdK7 = 3" << true;
        QTest::newRow("colonnes nommées") << "SELECT IdK7 FROM K7" << false;
        QTest::newRow("étoile collée") << "SELECT *FROM K7" << false;
        QTest::newRow("étoile et plus") << "SELECT *, 1 FROM K7" << false;
        QTest::newRow("sous-requête") << "SELECT * FROM (SELECT * FROM K7)" << false;
    }
    void ecrivable() {
        QFETCH(QString, sql);
        QFETCH(bool, ecrivable);
        DossierTest d;
        d.remplir();
        SourceDonnees s;
        QVERIFY2(rafraichir(s, d, sql), qPrintable(s.Erreur()));
        QCOMPARE(s.AddNew(), ecrivable);
        s.CancelUpdate();
    }

    // First level ignores case and accents, numbers compare as numbers.
    void ordreFrancais_data() {
        QTest::addColumn<QString>("champ");
        QTest::addColumn<QStringList>("valeurs");
        QTest::addColumn<QStringList>("attendu");
        QTest::newRow("casse et accents")
            << "Titre" << QStringList{"Zorro", "Été", "alien"} << QStringList{"alien", "Été", "Zorro"};
        QTest::newRow("numéros") << "Titre" << QStringList{"K7 10", "K7 100", "K7 9", "K7 2"}
                                 << QStringList{"K7 2", "K7 9", "K7 10", "K7 100"};
        QTest::newRow("ligature") << "Titre" << QStringList{"Ordet", "Oeuvre", "Œil"}
                                  << QStringList{"Œil", "Oeuvre", "Ordet"};
        QTest::newRow("genre") << "Genre" << QStringList{"Western", "épouvante", "Action"}
                               << QStringList{"Action", "épouvante", "Western"};
    }
    void ordreFrancais() {
        QFETCH(QString, champ);
        QFETCH(QStringList, valeurs);
        QFETCH(QStringList, attendu);
        DossierTest d;
        SourceDonnees s;
        QVERIFY(rafraichir(s, d, "select * from Film"));
        for (const QString& v : valeurs) {
            QVERIFY(s.AddNew());
            QVERIFY(s.setField("Titre", v));
            QVERIFY(s.setField(champ, v));
            QVERIFY2(s.Update(), qPrintable(s.Erreur()));
        }
        QCOMPARE(lire(d, "SELECT * FROM Film ORDER BY " + champ, champ), attendu);
    }

    // A whole table ordered by one text column is sorted by the record set itself: the same
    // order as the engine's, empty fields first (last when descending), equal texts by key (rowid).
    void ordreDuMoteur_data() {
        QTest::addColumn<QString>("champ");
        QTest::addColumn<QString>("sens");
        QTest::newRow("titre") << "Titre"
                               << "";
        QTest::newRow("titre croissant") << "Titre"
                                         << " ASC";
        QTest::newRow("titre décroissant") << "Titre"
                                           << " DESC";
        QTest::newRow("genre en minuscules") << "genre"
                                             << " desc";
        QTest::newRow("date") << "Date"
                              << "";
    }
    void ordreDuMoteur() {
        QFETCH(QString, champ);
        QFETCH(QString, sens);
        DossierTest d;
        QVERIFY(Catalogue::ouvrir(d.catalogue()).ok());
        const QVariantList valeurs{"Le Retour de la nuit 10",
                                   QVariant(),
                                   "Le Retour de la nuit 2",
                                   "",
                                   "Le Retour de la nuit",
                                   "le retour de la nuit",
                                   "Le Retour de la nuit",
                                   "Œil",
                                   "Oeuvre",
                                   QVariant(),
                                   "à",
                                   "A",
                                   "a",
                                   "Le Retour de la nuit américaine",
                                   "Zèbre",
                                   "zèbre",
                                   "1985",
                                   "Le Retour de la nuit"};
        Sql q;
        for (const QVariant& v : valeurs) {
            q.prepare(QStringLiteral("INSERT INTO Film (\"%1\") VALUES (?)").arg(champ));
            q.addBindValue(v);
            QVERIFY(q.exec());
        }
        QStringList moteur;
        QVERIFY(q.exec(QStringLiteral("SELECT IdFilm FROM Film ORDER BY %1(\"%2\")%3, rowid")
                           .arg(Catalogue::NomCle, champ, sens)));
        while (q.next())
            moteur << q.value(0).toString();
        QCOMPARE(moteur.size(), valeurs.size());
        QCOMPARE(lire(d, "SELECT * FROM Film ORDER BY " + champ + sens, "IdFilm"), moteur);
    }

    // Bookmarks find their rows whether the keys are close together or far apart, before and
    // after a row is added.
    void signets_data() {
        QTest::addColumn<QList<qint64>>("cles");
        QTest::newRow("serrées") << QList<qint64>{3, 1, 2, 7};
        QTest::newRow("éparses") << QList<qint64>{5, 1000000000, 1, 70000};
        QTest::newRow("négative") << QList<qint64>{-4, 2, 9};
        QTest::newRow("des deux bouts") << QList<qint64>{-4, Q_INT64_C(9223372036854775805), 2};
    }
    void signets() {
        QFETCH(QList<qint64>, cles);
        DossierTest d;
        QVERIFY(Catalogue::ouvrir(d.catalogue()).ok());
        Sql q;
        for (const qint64 c : cles)
            QVERIFY(q.exec(QStringLiteral("INSERT INTO Film (IdFilm, Titre) VALUES (%1, 'F%1')").arg(c)));
        SourceDonnees s;
        QVERIFY(rafraichir(s, d, "SELECT * FROM Film ORDER BY Titre"));
        QVERIFY(s.setBookmark(cles.first()));
        QVERIFY(s.AddNew());
        QVERIFY(s.setField("Titre", "Nouveau"));
        QVERIFY(s.Update());
        const qint64 nouveau = s.LastModified();
        QCOMPARE(nouveau, *std::max_element(cles.begin(), cles.end()) + 1);
        for (const qint64 c : cles) {
            QVERIFY(s.setBookmark(c));
            QCOMPARE(s.Texte("Titre"), QStringLiteral("F%1").arg(c));
        }
        QVERIFY(s.setBookmark(nouveau));
        QCOMPARE(s.Texte("Titre"), QStringLiteral("Nouveau"));
        QVERIFY(!s.setBookmark(nouveau + 1));
        QVERIFY(!s.setBookmark(std::numeric_limits<qint64>::max()));
        QVERIFY(s.ReprendreAjout(nouveau));
        QVERIFY(!s.setBookmark(nouveau));
    }

    void enregistrementVide_data() {
        QTest::addColumn<bool>("remplir");
        QTest::addColumn<QString>("sql");
        QTest::addColumn<bool>("lue");
        QTest::newRow("aucune ligne choisie") << true << "SELECT * FROM Film WHERE IdFilm = 999" << true;
        QTest::newRow("catalogue vide") << false << "SELECT * FROM K7" << true;
        QTest::newRow("requête fautive") << true << "SELECT * FROM Filmz" << false;
    }
    void enregistrementVide() {
        QFETCH(bool, remplir);
        QFETCH(QString, sql);
        QFETCH(bool, lue);
        DossierTest d;
        if (remplir)
            d.remplir();
        SourceDonnees s;
        QVERIFY(rafraichir(s, d, "SELECT * FROM Film"));
        s.setRecordSource(sql);
        QCOMPARE(s.Refresh(), lue);
        QCOMPARE(s.Erreur().isEmpty(), lue);
        QCOMPARE(s.RecordCount(), 0);
        QVERIFY(s.Eof() && s.Bof());
        QVERIFY(!s.Fields("Titre").isValid());
        s.MoveFirst();
        s.MoveNext();
        s.MoveLast();
        s.MovePrevious();
        QVERIFY(s.Eof() && s.Bof());
        QVERIFY(!s.Edit());
        QVERIFY(!s.Delete());
    }

    // Moves, field names in any letter case, and a bound label that follows every move and refresh.
    void deplacementsEtLiaison() {
        DossierTest d;
        d.remplir();
        SourceDonnees s;
        s.setDatabaseName(d.catalogue());
        s.setRecordSource("SELECT * FROM Film ORDER BY Titre");
        QObject etiquette;
        QString vu = "<jamais>";
        s.lier(&etiquette, "TITRE", [&vu](const QString& t) { vu = t; });
        QCOMPARE(vu, ""); // nothing read yet
        QVERIFY(s.Refresh());
        QCOMPARE(s.RecordCount(), 8);
        QVERIFY(!s.Eof() && !s.Bof());
        QCOMPARE(vu, "alien");
        QCOMPARE(s.Fields("idfilm").toInt(), 2);
        QCOMPARE(s.Texte("DURÉE"), "01:57:00");
        QCOMPARE(s.Texte("réalisateur"), "Néant");
        QVERIFY(!s.Fields("Inconnu").isValid());

        const struct {
            void (SourceDonnees::*mouvement)();
            const char* titre; // "" : no current record
            bool eof, bof;
        } etapes[] = {
            {&SourceDonnees::MovePrevious, "", false, true},
            {&SourceDonnees::MoveNext, "alien", false, false},
            {&SourceDonnees::MoveNext, "Amélie", false, false},
            {&SourceDonnees::MoveLast, "Zorro", false, false},
            {&SourceDonnees::MoveNext, "", true, false},
            {&SourceDonnees::MoveNext, "", true, false},
            {&SourceDonnees::MovePrevious, "Zorro", false, false},
            {&SourceDonnees::MoveFirst, "alien", false, false},
        };
        for (const auto& e : etapes) {
            (s.*e.mouvement)();
            QCOMPARE(s.Texte("Titre"), QString::fromUtf8(e.titre));
            QCOMPARE(vu, QString::fromUtf8(e.titre));
            QCOMPARE(s.Eof(), e.eof);
            QCOMPARE(s.Bof(), e.bof);
        }
        s.setRecordSource("SELECT * FROM Film WHERE IdFilm = 6");
        QVERIFY(s.Refresh());
        QCOMPARE(vu, "L'été meurtrier");
        s.setRecordSource("SELECT * FROM Film WHERE IdFilm = 99");
        QVERIFY(s.Refresh());
        QCOMPARE(vu, "");
    }

    // The key is shown as soon as the form opens, names the poster, and is never handed out twice.
    void cleAvantUpdate_data() {
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("cle");
        QTest::addColumn<QString>("champ");
        QTest::addColumn<int>("suivante");
        QTest::newRow("film") << QString("Film") << QString("IdFilm") << QString("Titre") << 9;
        QTest::newRow("cassette") << QString("K7") << QString("IdK7") << QString("Status") << 6;
    }
    void cleAvantUpdate() {
        QFETCH(QString, table);
        QFETCH(QString, cle);
        QFETCH(QString, champ);
        QFETCH(int, suivante);
        DossierTest d;
        d.remplir();
        SourceDonnees s;
        QVERIFY(rafraichir(s, d, "SELECT * FROM " + table));
        const int lignesAvant = s.RecordCount();
        s.MoveLast();
        const QString derniere = s.Texte(cle);

        QVERIFY(s.AddNew());
        QCOMPARE(s.Fields(cle).toInt(), suivante);
        QVERIFY(s.setField(champ, "nouveau"));
        QVERIFY2(s.Update(), qPrintable(s.Erreur()));
        QCOMPARE(s.Texte(cle), derniere); // back on the row current before AddNew
        QCOMPARE(s.RecordCount(), lignesAvant + 1);
        QVERIFY(s.setBookmark(s.LastModified()));
        QCOMPARE(s.Fields(cle).toInt(), suivante);
        auto parCle = [&](int n) {
            return QStringLiteral("SELECT * FROM %1 WHERE %2 = %3").arg(table, cle).arg(n);
        };
        QCOMPARE(lire(d, parCle(suivante), champ), QStringList{"nouveau"});

        QVERIFY(s.Delete());
        QCOMPARE(lire(d, parCle(suivante), champ), QStringList());
        QVERIFY(s.AddNew());
        QCOMPARE(s.Fields(cle).toInt(), suivante + 1);
        QVERIFY(s.setField(champ, "encore"));
        QVERIFY(s.Update());
        QCOMPARE(lire(d, parCle(suivante + 1), champ), QStringList{"encore"});
    }

    void textesExacts_data() {
        QTest::addColumn<QString>("texte");
        QTest::newRow("apostrophe") << "L'été meurtrier";
        QTest::newRow("guillemets") << "Le \"Grand\" Bleu";
        QTest::newRow("lignes") << "Jean Gabin\nMichèle Morgan\r\nArletty";
        QTest::newRow("allure de SQL") << "#01:45:00# 3AND x'; DROP TABLE Film; --";
        QTest::newRow("hors latin") << "Ōkami ⅓ 🎬";
        QTest::newRow("espaces") << "  bordé d'espaces  ";
    }
    void textesExacts() {
        QFETCH(QString, texte);
        DossierTest d;
        d.remplir();
        SourceDonnees s;
        QVERIFY(rafraichir(s, d, "select * from Film"));
        QVERIFY(s.AddNew());
        const QString cle = s.Texte("IdFilm");
        QVERIFY(s.setField("Titre", texte));
        QVERIFY(s.setField("Acteurs", texte));
        QVERIFY(s.Update());
        const QString parCle = "SELECT * FROM Film WHERE IdFilm = " + cle;
        QCOMPARE(lire(d, parCle, "Titre"), QStringList{texte});
        QCOMPARE(lire(d, parCle, "Acteurs"), QStringList{texte});

        QVERIFY(s.setBookmark(s.LastModified()));
        QVERIFY(s.Edit());
        QVERIFY(s.setField("Description", texte + texte));
        QVERIFY(s.Update());
        QCOMPARE(lire(d, parCle, "Description"), QStringList{texte + texte});
        QCOMPARE(texteStocke("SELECT Titre FROM Film WHERE IdFilm = " + cle), texte);
    }

    void annulation_data() {
        QTest::addColumn<bool>("ajout");
        QTest::newRow("ajout") << true;
        QTest::newRow("modification") << false;
    }
    void annulation() {
        QFETCH(bool, ajout);
        DossierTest d;
        d.remplir();
        const QStringList avant = d.contenu("Film");
        SourceDonnees s;
        QVERIFY(rafraichir(s, d, "SELECT * FROM Film ORDER BY Titre"));
        s.MoveNext();
        QVERIFY(ajout ? s.AddNew() : s.Edit());
        QVERIFY(s.setField("Titre", "Brouillon"));
        QVERIFY(s.setField("Durée", "00:01:00"));
        QCOMPARE(s.Texte("Titre"), "Brouillon");
        s.CancelUpdate();
        QCOMPARE(s.Texte("Titre"), "Amélie");
        QCOMPARE(s.RecordCount(), 8);
        QVERIFY(!s.Update()); // nothing is pending any more
        QCOMPARE(d.contenu("Film"), avant);
    }

    void suppression_data() {
        QTest::addColumn<int>("rang");
        QTest::addColumn<QString>("suivant");   // "" : past the end
        QTest::addColumn<QString>("precedent"); // "" : before the start
        QTest::newRow("premier") << 0 << QString("Amélie") << QString();
        QTest::newRow("milieu") << 3 << QString("K7 9") << QString("Brazil");
        QTest::newRow("dernier") << 7 << QString() << QString("L'été meurtrier");
    }
    void suppression() {
        QFETCH(int, rang);
        QFETCH(QString, suivant);
        QFETCH(QString, precedent);
        DossierTest d;
        d.remplir();
        const QString sql = "SELECT * FROM Film ORDER BY Titre";
        QStringList restants = lire(d, sql, "Titre");
        SourceDonnees s;
        QVERIFY(rafraichir(s, d, sql));
        for (int i = 0; i < rang; ++i)
            s.MoveNext();
        QVERIFY(s.Delete());
        restants.removeAt(rang);
        QCOMPARE(s.RecordCount(), 7);
        s.MoveNext();
        QCOMPARE(s.Eof(), suivant.isEmpty());
        QCOMPARE(s.Texte("Titre"), suivant);
        s.MovePrevious();
        QCOMPARE(s.Bof(), precedent.isEmpty());
        QCOMPARE(s.Texte("Titre"), precedent);
        QCOMPARE(lignes(s, "Titre"), restants);
        QCOMPARE(lire(d, sql, "Titre"), restants);
    }

    // A walk through a large record set, whose title order is the reverse of the table's: every
    // row reads its own fields, however they are fetched; a row deleted by another statement
    // during the walk reads as empty, the others as stored.
    void parcoursComplet_data() {
        QTest::addColumn<int>("supprimeApres"); // rows walked before another statement deletes one
        QTest::newRow("sans suppression") << -1;
        QTest::newRow("suppression au début") << 10;
    }
    void parcoursComplet() {
        QFETCH(int, supprimeApres);
        DossierTest d;
        constexpr int N = 3000;
        {
            Catalogue::Transaction t(Catalogue::base());
            Sql q;
            QVERIFY(q.prepare("INSERT INTO Film (Titre, \"Durée\") VALUES (?, ?)"));
            for (int i = 0; i < N; ++i) {
                q.addBindValue(QStringLiteral("Film %1").arg(N - i, 5, 10, QLatin1Char('0')));
                q.addBindValue(QTime(0, 0).addSecs(i).toString("hh:mm:ss"));
                QVERIFY(q.exec());
            }
            QVERIFY(t.valider());
        }
        SourceDonnees s;
        QVERIFY(rafraichir(s, d, "SELECT * FROM Film ORDER BY Titre"));
        const int supprime = N - 1 - 2000; // the row walked 2001st
        int r = 0;
        for (; !s.Eof(); s.MoveNext(), ++r) {
            if (r == supprimeApres)
                QVERIFY(Sql().exec(QString("DELETE FROM Film WHERE \"Durée\" = '%1'")
                                       .arg(QTime(0, 0).addSecs(supprime).toString("hh:mm:ss"))));
            const int i = N - 1 - r;
            if (supprimeApres >= 0 && i == supprime) {
                QCOMPARE(s.Texte("Titre"), QString());
                continue;
            }
            QCOMPARE(s.Texte("Titre"), QStringLiteral("Film %1").arg(r + 1, 5, 10, QLatin1Char('0')));
            QCOMPARE(s.Texte("Durée"), QTime(0, 0).addSecs(i).toString("hh:mm:ss"));
        }
        QCOMPARE(r, N);
    }

    // Every kind of stored value reads the same in a walk through a large record set, read in one pass over
    // the table, as in a record set of its row alone.
    void valeursDuParcours_data() {
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("insertion");
        QTest::newRow("Film") << "Film"
                              << "INSERT INTO Film (Titre, Acteurs, Pays) VALUES (?, ?, ?)";
        QTest::newRow("K7") << "K7"
                            << "INSERT INTO K7 (\"Durée\", NBFilm, Status) VALUES (?, ?, ?)";
    }
    void valeursDuParcours() {
        QFETCH(QString, table);
        QFETCH(QString, insertion);
        DossierTest d;
        constexpr int N = 3000;
        QVERIFY(remplir(insertion, N));
        const QString premier = table == "Film" ? "Titre" : "Durée";
        SourceDonnees s;
        QVERIFY(rafraichir(s, d, "SELECT * FROM " + table + " ORDER BY " + premier));
        int r = 0;
        for (; !s.Eof(); s.MoveNext(), ++r) {
            const QString cle = table == "Film" ? "IdFilm" : "IdK7";
            SourceDonnees seule;
            QVERIFY(rafraichir(seule, d, "SELECT * FROM " + table + " WHERE " + cle + " = " + s.Texte(cle)));
            for (const QString& champ : table == "Film" ? QStringList{"Titre", "Acteurs", "Pays", "Genre"}
                                                        : QStringList{"Durée", "NBFilm", "Status"}) {
                const QVariant lu = s.Fields(champ), attendu = seule.Fields(champ);
                QCOMPARE(lu.typeId(), attendu.typeId());
                QCOMPARE(lu.isNull(), attendu.isNull());
                QCOMPARE(lu, attendu);
            }
        }
        QCOMPARE(r, N);
    }

    // The texts handed over for a whole list, read by one thread or by two, are what a walk
    // reads with Texte, rank by rank; a row deleted through the record set does not come.
    void textes() {
        DossierTest d;
        constexpr int N = 21000; // past the size that the list reads with two threads
        QVERIFY(remplir("INSERT INTO Film (Titre, Acteurs, Pays) VALUES (?, ?, ?)", N));
        SourceDonnees s;
        QVERIFY(rafraichir(s, d, "SELECT * FROM Film ORDER BY Titre"));
        s.MoveNext();
        QVERIFY(s.Delete());
        const QStringList champs{"Titre", "Acteurs", "Pays", "IdFilm", "Inconnu"};
        const QStringList attendu = lignes(s, champs.join(QLatin1Char(',')));
        QCOMPARE(attendu.size(), N - 1);
        for (const bool deuxFils : {false, true}) {
            QStringList lu(N - 1, QStringLiteral("<absent>"));
            std::atomic<int> recus{0};
            QVERIFY(s.Textes(
                champs,
                [&](int rang, QStringList& t) {
                    lu[rang] = t.join(QLatin1Char(','));
                    ++recus;
                },
                deuxFils));
            QCOMPARE(recus.load(), N - 1);
            QCOMPARE(lu, attendu);
        }
    }

    // A row whose page is damaged, however the walk comes to read it: the record set fails when it
    // is the current row at Refresh, refuses to edit or delete it, and says why; every other row
    // reads as stored.
    void ligneIllisible_data() {
        QTest::addColumn<int>("films");
        QTest::addColumn<int>("illisible"); // in title order, from 0
        QTest::newRow("première") << 20 << 0;
        QTest::newRow("lue avec la première") << 20 << 7;
        QTest::newRow("lue avec toute la table") << 3000 << 2500;
    }
    void ligneIllisible() {
        QFETCH(int, films);
        QFETCH(int, illisible);
        DossierTest d;
        // Title order is the reverse of the table's.
        const auto titre = [](int r) {
            return QStringLiteral("Film %1").arg(r + 1, 5, 10, QLatin1Char('0'));
        };
        {
            Catalogue::Transaction t;
            Catalogue::Sqlite::Requete q(Catalogue::base(),
                                         "INSERT INTO Film (Titre, Description) VALUES (?, ?)");
            for (int r = films - 1; r >= 0; --r) {
                q.reinitialiser();
                q.lier(1, titre(r));
                q.lier(2, r == illisible ? abimer::valeurLongue() : QStringLiteral("Résumé"));
                QVERIFY(q.executer());
            }
            QVERIFY(t.valider());
        }
        QVERIFY(abimer::valeur(d.catalogue()));
        SourceDonnees s;
        const bool premiere = illisible == 0;
        QCOMPARE(rafraichir(s, d, "SELECT * FROM Film ORDER BY Titre"), !premiere);
        if (premiere) {
            QVERIFY2(s.Erreur().contains("illisible"), qPrintable(s.Erreur()));
            QVERIFY(s.Eof());
            return;
        }
        int r = 0;
        for (; !s.Eof(); s.MoveNext(), ++r) {
            if (r == illisible) {
                QVERIFY(!s.Edit());
                QVERIFY2(s.Erreur().contains("illisible"), qPrintable(s.Erreur()));
                QVERIFY(!s.Delete());
                QVERIFY2(s.Erreur().contains("illisible"), qPrintable(s.Erreur()));
                continue;
            }
            QCOMPARE(s.Texte("Titre"), titre(r));
        }
        QCOMPARE(r, films);
    }

    // The placement and the film deletion shift the positions that follow, one row after the other,
    // coming back to each row through LastModified: every row is visited exactly once.
    void decalageDesPositions_data() {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<int>("ecart");
        QTest::addColumn<QStringList>("attendu");
        QTest::newRow("insertion en 2") << "Select * FROM FILMK7 WHERE IDK7=3 AND Position >= 2" << 1
                                        << QStringList{"4,1", "5,3", "6,4", "7,5"};
        QTest::newRow("retrait en 2") << "SELECT * FROM FilmK7 WHERE IDK7=3AND Position>2" << -1
                                      << QStringList{"4,1", "5,2", "6,2", "7,3"};
    }
    void decalageDesPositions() {
        QFETCH(QString, sql);
        QFETCH(int, ecart);
        QFETCH(QStringList, attendu);
        DossierTest d;
        d.remplir();
        SourceDonnees s;
        QVERIFY(rafraichir(s, d, sql));
        const int lignesLues = s.RecordCount();
        int tours = 0;
        while (!s.Eof() && tours <= lignesLues) {
            QVERIFY(s.Edit());
            QVERIFY(s.setField("Position", s.Fields("Position").toInt() + ecart));
            QVERIFY(s.Update());
            s.setBookmark(s.LastModified());
            s.MoveNext();
            ++tours;
        }
        QCOMPARE(tours, lignesLues);
        QCOMPARE(lire(d, "SELECT * FROM FilmK7 WHERE IdK7 = 3 ORDER BY IdFilm", "IdFilm,Position"), attendu);
    }

    // Zero-padded text keeps comparisons and orderings chronological.
    void heuresNormalisees_data() {
        QTest::addColumn<QString>("champ");
        QTest::addColumn<QVariant>("valeur");
        QTest::addColumn<QString>("attendu");
        QTest::newRow("texte court") << "Durée" << QVariant("1:5:3") << "01:05:03";
        QTest::newRow("QTime") << "DURÉE" << QVariant(QTime(1, 5, 3)) << "01:05:03";
        QTest::newRow("déjà complète") << "TempsRestant" << QVariant("02:10:00") << "02:10:00";
        QTest::newRow("minuit") << "tempsRestant" << QVariant(QTime(0, 0)) << "00:00:00";
        QTest::newRow("espaces") << "TempsRestant" << QVariant(" 3:0:0 ") << "03:00:00";
    }
    void heuresNormalisees() {
        QFETCH(QString, champ);
        QFETCH(QVariant, valeur);
        QFETCH(QString, attendu);
        DossierTest d;
        d.remplir();
        SourceDonnees s;
        QVERIFY(rafraichir(s, d, "SELECT * FROM K7"));
        QVERIFY(s.AddNew());
        QVERIFY(s.setField(champ, valeur));
        QVERIFY(s.Update());
        QVERIFY(s.setBookmark(s.LastModified()));
        QCOMPARE(s.Texte(champ), attendu);
        const QString colonne =
            champ.compare("durée", Qt::CaseInsensitive) == 0 ? "\"Durée\"" : "TempsRestant";
        QCOMPARE(texteStocke("SELECT " + colonne + " FROM K7 WHERE IdK7 = 6"), attendu);

        s.MoveFirst();
        QVERIFY(s.Edit());
        QVERIFY(s.setField(champ, valeur));
        QVERIFY(s.Update());
        QCOMPARE(texteStocke("SELECT " + colonne + " FROM K7 WHERE IdK7 = 1"), attendu);
    }

    void liaisonSaisie_data() {
        QTest::addColumn<bool>("ajout");
        QTest::newRow("ajout") << true;
        QTest::newRow("modification") << false;
    }
    void liaisonSaisie() {
        QFETCH(bool, ajout);
        DossierTest d;
        d.remplir();
        SourceDonnees s;
        QVERIFY(rafraichir(s, d, "SELECT * FROM Film WHERE IdFilm = 3"));
        // A text field: shows the field, and what the user typed is what Update writes.
        QObject champ;
        QString saisie;
        s.lier(
            &champ, "Titre", [&saisie](const QString& t) { saisie = t; }, [&saisie] { return saisie; });
        QObject numero;
        QString cle;
        s.lier(&numero, "IdFilm", [&cle](const QString& t) { cle = t; });
        QCOMPARE(saisie, "Été");

        QVERIFY(ajout ? s.AddNew() : s.Edit());
        QCOMPARE(saisie, ajout ? "" : "Été");
        QCOMPARE(cle, ajout ? "9" : "3");
        const QString ecrit = cle;
        saisie = "Le Cercle rouge";
        QVERIFY(s.Update());
        QCOMPARE(lire(d, "SELECT * FROM Film WHERE IdFilm = " + ecrit, "Titre"),
                 QStringList{"Le Cercle rouge"});
        QCOMPARE(d.contenu("Film").size(), ajout ? 9 : 8);
    }

    void liaisonFinitAvecLeControle() {
        DossierTest d;
        d.remplir();
        SourceDonnees s;
        QVERIFY(rafraichir(s, d, "SELECT * FROM Film ORDER BY Titre"));
        int affichages = 0;
        int lectures = 0;
        auto* etiquette = new QObject;
        s.lier(
            etiquette, "Titre", [&affichages](const QString&) { ++affichages; },
            [&lectures] {
                ++lectures;
                return QStringLiteral("jamais écrit");
            });
        const int apresLiaison = affichages;
        QVERIFY(apresLiaison > 0);
        delete etiquette;
        s.MoveNext();
        QVERIFY(s.Refresh());
        QVERIFY(s.Edit());
        QVERIFY(s.Update());
        QCOMPARE(affichages, apresLiaison);
        QCOMPARE(lectures, 0);
        QCOMPARE(lire(d, "SELECT * FROM Film WHERE IdFilm = 2", "Titre"), QStringList{"alien"});
    }
};

QTEST_GUILESS_MAIN(TestSourceDonnees)
#include "tst_sourcedonnees.moc"
