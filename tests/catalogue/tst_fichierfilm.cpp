#include "catalogue/FichierFilm.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

class TestFichierFilm : public QObject {
    Q_OBJECT

private slots:
    void lire_data() {
        QTest::addColumn<QByteArray>("octets");
        QTest::addColumn<QStringList>("lignes");
        const QStringList ete{QStringLiteral("L'été meurtrier"), QStringLiteral("Jean Becker")};
        QTest::newRow("UTF-8, CR LF")
            << QByteArray("L'\xc3\xa9t\xc3\xa9 meurtrier\r\nJean Becker\r\n") << ete;
        QTest::newRow("UTF-8, LF") << QByteArray("L'\xc3\xa9t\xc3\xa9 meurtrier\nJean Becker\n") << ete;
        QTest::newRow("UTF-8 avec BOM")
            << QByteArray("\xef\xbb\xbfL'\xc3\xa9t\xc3\xa9 meurtrier\nJean Becker") << ete;
        QTest::newRow("Windows-1252") << QByteArray("L'\xe9t\xe9 meurtrier\r\nJean Becker\r\n") << ete;
        // 0x80-0x9F are the code page's own characters, not control codes.
        QTest::newRow("Windows-1252, 0x80-0x9F") << QByteArray("\x9cuvre \x80 l\x92\xe9t\xe9\x85\r\n")
                                                 << QStringList{QStringLiteral("œuvre € l’été…")};
        QTest::newRow("fins de ligne mêlées") << QByteArray("a\r\nb\nc\r\n") << QStringList{"a", "b", "c"};
        QTest::newRow("lignes vides gardées") << QByteArray("a\r\n\r\nc\r\n") << QStringList{"a", "", "c"};
        QTest::newRow("sans fin de ligne finale") << QByteArray("a\r\nb") << QStringList{"a", "b"};
        QTest::newRow("au-delà de la huitième") << QByteArray("1\n2\n3\n4\n5\n6\n7\n8\n9\n10\n")
                                                << QStringList{"1", "2", "3", "4", "5", "6", "7", "8"};
        QTest::newRow("blancs et tabulations gardés") << QByteArray(" a\t \r\n") << QStringList{" a\t "};
    }

    void lire() {
        QFETCH(QByteArray, octets);
        QFETCH(QStringList, lignes);
        const FichierFilm::Lecture l = FichierFilm::lire(octets);
        QCOMPARE(l.erreur, QString());
        QCOMPARE(l.lignes, lignes);
    }

    void lireBinaire_data() {
        QTest::addColumn<QByteArray>("octets");
        QTest::newRow("NUL au milieu") << QByteArray("TITRE\r\n\0\0\x01\x02", 11);
        QTest::newRow("UTF-16") << QByteArray("\xff\xfeT\0I\0T\0", 8);
        QByteArray image("\xff\xd8\xff\xe0\0\x10JFIF\0", 11);
        image.append(500, '\0');
        QTest::newRow("image") << image;
    }

    void lireBinaire() {
        QFETCH(QByteArray, octets);
        const FichierFilm::Lecture l = FichierFilm::lire(octets);
        QVERIFY(!l.erreur.isEmpty());
        QVERIFY(l.lignes.isEmpty());
    }

    void duree_data() {
        QTest::addColumn<QString>("ligne");
        QTest::addColumn<QString>("duree");
        auto cas = [](const char* ligne, const char* duree) {
            QTest::newRow(*ligne ? ligne : "vide") << QString(ligne) << QString(duree);
        };
        for (const char* l : {"01:45", "01h45", "1:45", "1h45", "1:45:00", "01:45:00"})
            cas(l, "01:45:00");
        // Anything else goes in as written, for the duration check to refuse.
        for (const char* l : {"", "deux heures", "01145", "01:45 "})
            cas(l, l);
    }

    void duree() {
        QFETCH(QString, ligne);
        QFETCH(QString, duree);
        QCOMPARE(FichierFilm::duree(ligne), duree);
    }

    void acteurs_data() {
        QTest::addColumn<QString>("ligne");
        QTest::addColumn<QString>("acteurs");
        auto cas = [](const char* nom, const char* ligne, const char* acteurs) {
            QTest::newRow(nom) << QString(ligne) << QString(acteurs);
        };
        cas("deux acteurs", "jean RENO;natalie portman", "Jean Reno, Natalie Portman");
        cas("accents", "éric ÉLMOSNINO;ÉMILIE dequenne", "Éric Élmosnino, Émilie Dequenne");
        cas("un seul", "bourvil", "Bourvil");
        cas("deux blancs comptent pour un", "paul  marchand", "Paul Marchand");
        cas("acteur vide sauté", "jean reno;;natalie portman", "Jean Reno, Natalie Portman");
        cas("blancs et tabulations autour, acteur de blancs", " jean \t reno ; ;natalie portman;",
            "Jean Reno, Natalie Portman");
        cas("vide", "", "");
    }

    void acteurs() {
        QFETCH(QString, ligne);
        QFETCH(QString, acteurs);
        QCOMPARE(FichierFilm::acteurs(ligne), acteurs);
    }

    void afficheVoisine_data() {
        QTest::addColumn<QString>("film");
        QTest::addColumn<QString>("present"); // poster file written beside, "" for none
        QTest::addColumn<QString>("affiche");
        auto cas = [](const char* nom, const char* film, const char* present, const char* affiche) {
            QTest::newRow(nom) << QString(film) << QString(present) << QString(affiche);
        };
        cas(".txt", "Alien.txt", "", "Alien.jpg");
        cas(".film", "Alien.film", "", "Alien.jpg");
        cas("points dans le nom", "La.Haine.film", "", "La.Haine.jpg");
        cas("sans extension", "Alien", "", "Alien.jpg");
        cas("affiche en capitales", "Alien.FILM", "Alien.JPG", "Alien.JPG");
    }

    void afficheVoisine() {
        QFETCH(QString, film);
        QFETCH(QString, present);
        QFETCH(QString, affiche);
        QTemporaryDir d;
        const QDir dossier(d.path());
        if (!present.isEmpty()) {
            QFile f(dossier.filePath(present));
            QVERIFY(f.open(QIODevice::WriteOnly));
        }
        QCOMPARE(FichierFilm::afficheVoisine(dossier.filePath(film)), dossier.filePath(affiche));
    }
};

QTEST_GUILESS_MAIN(TestFichierFilm)
#include "tst_fichierfilm.moc"
