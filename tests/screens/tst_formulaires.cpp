// The film form and the cassette form on their own: checks and defaults, typing aids, the
// hour spinner, modify mode, the import of film files and input nobody should type.

#include "screens/film/AjoutK7.h"
#include "screens/film/ChoixK7.h"
#include "tests/support/Banc.h"

#include <QClipboard>
#include <QDate>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

using namespace banc;

namespace {

const QString MessageDuree = QStringLiteral("La durée du film doit être fournie selon le format HH:MM:SS");
const QString MessageTitre = QStringLiteral("Un Titre doit obligatoirement être fourni !!");
const QString MessageDate =
    QStringLiteral("La date du film doit être fournie selon le format AAAA (ex: 1999)");
const QString MessageDureeK7 =
    QStringLiteral("La durée de la cassette doit être fournie selon le format HH:MM:SS");
using Boites = QList<QPair<QString, int>>;
const QStringList Avant{"AVANT", "Réal avant", "Acteurs avant", "02:00:00",
                        "1990",  "Pays avant", "Genre avant",   "Résumé avant"};

// The film form shown beside the main window, in add or modify mode.
AjoutFilm* formulaire(Moniteur& m, bool ajout) {
    m.ModeAjout = ajout;
    m.ModeModif = !ajout;
    auto* f = new AjoutFilm;
    f->Show();
    return f;
}

QStringList film(int idFilm) {
    Sql q = executer(QStringLiteral("SELECT Titre, \"Réalisateur\", Acteurs, \"Durée\", Date, Pays, Genre, "
                                    "Description FROM Film WHERE IdFilm = ?"),
                     {idFilm});
    QStringList l;
    if (q.next()) {
        for (int i = 0; i < 8; ++i)
            l << q.value(i).toString();
    }
    return l;
}

} // namespace

class TestFormulaires : public QObject {
    Q_OBJECT

private slots:
    void verifieDonnees_data() {
        QTest::addColumn<QStringList>("entree");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QStringList>("sortie");
        const QString annee = QString::number(QDate::currentDate().year());
        const QStringList vide(8, QString());
        auto avec = [](QStringList l, int i, const QString& v) {
            l[i] = v;
            return l;
        };
        const QStringList juste = avec(avec(vide, 0, "T"), 3, "01:30:00");
        const QStringList defauts{"T",   "Néant",    "Néant",    "01:30:00",
                                  annee, "Indéfini", "Indéfini", "\tAucun commentaire"};
        // A refusal leaves the later fields as typed, empty ones included.
        QTest::newRow("titre vide") << avec(vide, 3, "25:00:00") << MessageTitre << avec(vide, 3, "25:00:00");
        QTest::newRow("durée vide") << avec(vide, 0, "T") << MessageDuree << avec(vide, 0, "T");
        for (const char* d : {"25:00:00", "12:75:00", "12:30:60", "1:30:00", "ab:cd:ef", "12-30-00"})
            QTest::newRow(qPrintable(QStringLiteral("durée ") + d))
                << avec(juste, 3, d) << MessageDuree << avec(juste, 3, d);
        QTest::newRow("année 99") << avec(juste, 4, "99") << MessageDate << avec(juste, 4, "99");
        QTest::newRow("année 19a9") << avec(juste, 4, "19a9") << MessageDate << avec(juste, 4, "19a9");
        QTest::newRow("tout par défaut") << juste << QString() << defauts;
        QTest::newRow("durée 00:00:00")
            << avec(juste, 3, "00:00:00") << QString() << avec(defauts, 3, "00:00:00");
        QTest::newRow("durée 23:59:59")
            << avec(juste, 3, "23:59:59") << QString() << avec(defauts, 3, "23:59:59");
        // Only the first four characters of the year are looked at.
        QTest::newRow("année 19999") << avec(juste, 4, "19999") << QString() << avec(defauts, 4, "19999");
        QTest::newRow("année 1999a") << avec(juste, 4, "1999a") << QString() << avec(defauts, 4, "1999a");
        const QStringList plein{"Titre", "Réal",   "Acteurs", "01:00:00",
                                "1960",  "Italie", "Western", "Résumé"};
        QTest::newRow("rien à compléter") << plein << QString() << plein;
        // Blanks alone are no title; around a title they stay as typed.
        const QString blancs = QStringLiteral(" \t\u00A0 ");
        QTest::newRow("titre de blancs") << avec(vide, 0, blancs) << MessageTitre << avec(vide, 0, blancs);
        QTest::newRow("titre entre blancs") << avec(juste, 0, " T ") << QString() << avec(defauts, 0, " T ");
        QTest::newRow("genre libre") << avec(juste, 6, "Péplum") << QString() << avec(defauts, 6, "Péplum");
    }

    void verifieDonnees() {
        QFETCH(QStringList, entree);
        QFETCH(QString, message);
        QFETCH(QStringList, sortie);
        Banc b;
        cassette(QStringLiteral("03:00:00"));
        const QStringList avant = tout(b.dossier);
        AjoutFilm* f = formulaire(b.demarrer(), true);
        remplir(*f, entree);
        QCOMPARE(champs(*f), entree);

        bool choix = false;
        if (message.isEmpty()) {
            puis([&] {
                ChoixK7* c = ChoixK7::instance();
                QVERIFY(c);
                choix = true;
                QCOMPARE(c->LblTitre->text(), sortie[0]);
                QCOMPARE(c->LblDuree->text(), sortie[3]);
                QTest::mouseClick(c->BtnFermer, Qt::LeftButton);
            });
        } else {
            b.repondeur.attendre();
        }
        QTest::mouseClick(f->BtnAjouterFilm, Qt::LeftButton);
        QCOMPARE(choix, message.isEmpty());
        QCOMPARE(b.repondeur.messages(), message.isEmpty() ? Boites() : (Boites{{message, 48}}));
        QCOMPARE(champs(*f), sortie);
        QVERIFY(f->isVisible());
        QCOMPARE(tout(b.dossier), avant);
    }

    void saisieDuree_data() {
        QTest::addColumn<bool>("cassette");   // the cassette form, else the film form
        QTest::addColumn<QString>("touches"); // "\b" is Backspace
        QTest::addColumn<QString>("texte");
        for (bool k7 : {false, true}) {
            const char* f = k7 ? "cassette" : "film";
            auto cas = [&](const char* nom, const char* touches, const char* texte) {
                QTest::addRow("%s, %s", f, nom) << k7 << QString(touches) << QString(texte);
            };
            cas("123000", "123000", "12:30:00");
            cas("deux-points tapé", "1:", "1::");
            cas("au-delà de huit", "1234567890", "12:34:56");
            cas("retour arrière", "12345\b", "");
            cas("retour arrière puis saisie", "12\b0130", "01:30:");
        }
    }

    void saisieDuree() {
        QFETCH(bool, cassette);
        QFETCH(QString, touches);
        QFETCH(QString, texte);
        Banc b;
        Moniteur& m = b.demarrer();
        QLineEdit* champ = nullptr;
        QString initial;
        if (cassette) {
            auto* k7 = new AjoutK7;
            k7->Show();
            champ = k7->TxtDuree;
            initial = QStringLiteral("03:00:00");
        } else {
            champ = formulaire(m, true)->TxtDuree;
        }
        QCOMPARE(champ->text(), initial);
        // A click selects the whole text, so typing replaces it.
        QTest::mouseClick(champ, Qt::LeftButton);
        QCOMPARE(champ->selectedText(), initial);
        for (const QChar c : touches) {
            if (c == QLatin1Char('\b'))
                QTest::keyClick(champ, Qt::Key_Backspace);
            else
                taper(champ, QString(c));
        }
        QCOMPARE(champ->text(), texte);
    }

    void fleches_data() {
        QTest::addColumn<QString>("avant");
        QTest::addColumn<bool>("haut");
        QTest::addColumn<QString>("apres");
        QTest::newRow("vide, haut") << "" << true << "01:00:00";
        QTest::newRow("vide, bas") << "" << false << "01:00:00";
        QTest::newRow("03:00:00, haut") << "03:00:00" << true << "04:00:00";
        QTest::newRow("9:15:00, haut") << "9:15:00" << true << "10:15:00";
        QTest::newRow("00:45:00, bas") << "00:45:00" << false << "00:45:00";
        QTest::newRow("01:45:00, bas") << "01:45:00" << false << "00:45:00";
        QTest::newRow("23:30:00, haut") << "23:30:00" << true << "24:30:00";
        QTest::newRow("99:00:00, haut") << "99:00:00" << true << "100:00:0";
        QTest::newRow("sans deux-points") << "0300" << true << "0300";
    }

    void fleches() {
        QFETCH(QString, avant);
        QFETCH(bool, haut);
        QFETCH(QString, apres);
        Banc b;
        b.demarrer();
        auto* k7 = new AjoutK7;
        k7->Show();
        k7->TxtDuree->setText(avant);
        const QList<QToolButton*> fleches = k7->UpDownDuree->findChildren<QToolButton*>();
        QCOMPARE(fleches.size(), 2);
        QToolButton* fleche =
            fleches[0]->arrowType() == (haut ? Qt::UpArrow : Qt::DownArrow) ? fleches[0] : fleches[1];
        const bool refus = !avant.isEmpty() && !avant.contains(QLatin1Char(':'));
        if (refus)
            b.repondeur.attendre();
        QTest::mouseClick(fleche, Qt::LeftButton);
        QCOMPARE(k7->TxtDuree->text(), apres);
        QCOMPARE(b.repondeur.messages(),
                 refus ? (Boites{{"Le format de l'heure doit être de la forme : HH:MM:SS", 64}}) : Boites());
    }

    void creationK7_data() {
        QTest::addColumn<QString>("duree");
        QTest::addColumn<bool>("acceptee");
        for (const char* d : {"03:00:00", "00:00:00", "23:59:59"})
            QTest::newRow(d) << d << true;
        for (const char* d : {"24:00:00", "100:00:0", "12:60:00", "3:00:00", ""})
            QTest::newRow(*d ? d : "vide") << d << false;
    }

    // The cassette is saved before its number is told, and the number told is the one kept:
    // cassette 2 was deleted, so the new one is 3.
    void creationK7() {
        QFETCH(QString, duree);
        QFETCH(bool, acceptee);
        Banc b;
        b.dossier.ajouterCassette(QStringLiteral("04:00:00"));
        b.dossier.ajouterCassette(QStringLiteral("02:00:00"));
        executer(QStringLiteral("DELETE FROM K7 WHERE IdK7 = 2"));
        const QStringList avant = tout(b.dossier);
        Moniteur& m = b.demarrer();
        m.K7Presente = false;

        QStringList vuAuMessage;
        puis([&] {
            auto* k7 = Feuille::chargee<AjoutK7>();
            QVERIFY(k7);
            QCOMPARE(k7->windowTitle(), QStringLiteral("Ajout de Cassette"));
            k7->TxtDuree->setText(duree);
            if (!acceptee) {
                b.repondeur.attendre();
                QTest::mouseClick(k7->BtnAjouterK7, Qt::LeftButton);
                QCOMPARE(b.repondeur.messages(), (Boites{{MessageDureeK7, 48}}));
                QVERIFY(k7->isVisible());
                QTest::mouseClick(k7->BtnAnnuler, Qt::LeftButton);
                return;
            }
            Messages::setRepondeur([&](const QString& texte, int style) {
                vuAuMessage << texte << QString::number(style) << b.dossier.contenu(QStringLiteral("K7"));
                return Messages::Ok;
            });
            QTest::mouseClick(k7->BtnAjouterK7, Qt::LeftButton);
        });
        m.MenuAjouterCassette->trigger();

        QVERIFY(!Feuille::chargee<AjoutK7>());
        if (!acceptee) {
            QCOMPARE(tout(b.dossier), avant);
            QVERIFY(!m.K7Presente);
            return;
        }
        const QStringList k7 = b.dossier.contenu(QStringLiteral("K7"));
        QCOMPARE(k7.last(), QStringLiteral("3|%1|%1|0|%1").arg(duree));
        QCOMPARE(vuAuMessage,
                 (QStringList{"Une nouvelle cassette à été ajoutée :\n\nSon numéro est le 3", "0"} + k7));
        QVERIFY(m.K7Presente);
        QCOMPARE(b.dossier.invariants(), QStringList());
    }

    // A title never holds a line break: Enter moves on; pasted, composed or imported breaks
    // become blanks.
    void titreSurUneLigne_data() {
        QTest::addColumn<QString>("voie");
        QTest::addColumn<QString>("texte");
        QTest::addColumn<QString>("titre");
        const QString sauts = QStringLiteral("a\nb\r\nc\rd\u2028e\u2029f");
        QTest::newRow("Entrée") << "touches"
                                << "Cléo"
                                << "Cléo";
        QTest::newRow("collage") << "collage" << sauts << "a b c d e f";
        QTest::newRow("méthode de saisie") << "composition" << sauts << "a b c d e f";
        QTest::newRow("fichier de film") << "import" << QStringLiteral("a\rb\u2028c\u2029d") << "A B C D";
    }

    void titreSurUneLigne() {
        QFETCH(QString, voie);
        QFETCH(QString, texte);
        QFETCH(QString, titre);
        Banc b;
        AjoutFilm* f = formulaire(b.demarrer(), true);
        if (voie == "touches") {
            taper(f->TxtTitre, texte);
            for (const auto& [k, mod] : {std::pair{Qt::Key_Return, Qt::NoModifier},
                                         {Qt::Key_Return, Qt::ShiftModifier},
                                         {Qt::Key_Enter, Qt::KeypadModifier}}) {
                f->TxtTitre->setFocus();
                QTest::keyClick(f->TxtTitre, k, mod);
                QCOMPARE(f->focusWidget(), static_cast<QWidget*>(f->TxtRealisateur));
            }
        } else if (voie == "collage") {
            QApplication::clipboard()->setText(texte);
            f->TxtTitre->paste();
        } else if (voie == "composition") {
            QInputMethodEvent e;
            e.setCommitString(texte);
            QApplication::sendEvent(f->TxtTitre, &e);
        } else {
            const QString chemin = b.dossier.fichier(QStringLiteral("Titre.film"));
            QVERIFY(ecrire(chemin, texte.toUtf8() + "\r\n"));
            b.repondeur.attendreFichier(chemin);
            QTest::mouseClick(f->ImporterFilm, Qt::LeftButton);
        }
        QCOMPARE(f->TxtTitre->texte(), titre);
    }

    void modification_data() {
        QTest::addColumn<QString>("fin"); // how the form is left
        QTest::addColumn<QString>("annee");
        QTest::newRow("Modifier") << QString("Modifier") << QString("1979");
        QTest::newRow("Annuler") << QString("Annuler") << QString("1979");
        QTest::newRow("case de fermeture") << QString("fermer") << QString("1979");
        QTest::newRow("année refusée, puis Annuler") << QString("Annuler") << QString("79");
    }

    void modification() {
        QFETCH(QString, fin);
        QFETCH(QString, annee);
        Banc b;
        const qint64 k7 = b.dossier.ajouterCassette(QStringLiteral("04:00:00"));
        const qint64 alien = b.dossier.placerFilm(k7, QStringLiteral("Alien"), QStringLiteral("01:57:00"));
        b.dossier.placerFilm(k7, QStringLiteral("Brazil"), QStringLiteral("02:00:00"));
        QDir(b.dossier.chemin()).mkpath(QStringLiteral("Affiche"));
        const QByteArray ancienne = image(b.affiche(alien), Qt::red);
        const QString nouvelle = b.dossier.fichier(QStringLiteral("nouvelle.gif"));
        const QByteArray octetsNouvelle = image(nouvelle, Qt::blue);
        const QStringList avant = tout(b.dossier);
        Moniteur& m = b.demarrer();
        QCOMPARE(m.LblTitre->text(), QStringLiteral("Alien"));
        const bool modifie = fin == QLatin1String("Modifier");
        const QStringList voulu{
            "Alien", "RIDLEY SCOTT", "Sigourney Weaver", "01:57:00",
            annee,   "Royaume-Uni",  "Science Fiction",  "Dans l'espace, on ne vous entend pas crier."};

        puis([&] {
            AjoutFilm* f = AjoutFilm::instance();
            QVERIFY(f);
            QCOMPARE(f->windowTitle(), QStringLiteral("Modification d'un film"));
            QCOMPARE(f->BtnAjouterFilm->text(), QStringLiteral("Modifier"));
            QVERIFY(!f->TxtTitre->isEnabled() && !f->TxtDuree->isEnabled());
            QCOMPARE(champs(*f), film(alien));
            QCOMPARE(f->Affiche->pixmap().toImage().pixelColor(5, 5).red() > 200, true);
            f->TxtRealisateur->setText(voulu[1]);
            f->TxtActeurs->setPlainText(voulu[2]);
            f->TxtDate->setText(voulu[4]);
            f->TxtPays->setText(voulu[5]);
            f->ComboGenre->setCurrentIndex(f->ComboGenre->findText(voulu[6]));
            f->TxtDescription->setPlainText(voulu[7]);
            b.repondeur.attendreFichier(nouvelle);
            QTest::mouseClick(f->OuvrirAffiche, Qt::LeftButton);
            if (annee.size() != 4) {
                b.repondeur.attendre();
                QTest::mouseClick(f->BtnAjouterFilm, Qt::LeftButton);
                QCOMPARE(b.repondeur.dernier(), MessageDate);
            }
            if (modifie) {
                b.repondeur.attendre();
                QTest::mouseClick(f->BtnAjouterFilm, Qt::LeftButton);
            } else if (fin == QLatin1String("Annuler")) {
                QTest::mouseClick(f->BtnAnnuler, Qt::LeftButton);
            } else {
                f->close();
            }
        });
        m.MenuModifFilm->trigger();

        QVERIFY(!AjoutFilm::instance());
        if (modifie) {
            QCOMPARE(film(alien), voulu);
            QCOMPARE(octets(b.affiche(alien)), octetsNouvelle);
            QCOMPARE(b.repondeur.messages().last(),
                     (QPair<QString, int>{"Le film : \n\nAlien\n\na été modifié !", 64}));
            QCOMPARE(m.LblRealisateur->text(), voulu[1]);
            QCOMPARE(tout(b.dossier).mid(2), avant.mid(2)); // the cassettes and placements
        } else {
            QCOMPARE(tout(b.dossier), avant);
            QCOMPARE(octets(b.affiche(alien)), ancienne);
        }
        QCOMPARE(b.affiches(), QStringList{QStringLiteral("%1.jpg").arg(alien)});
        QCOMPARE(b.dossier.invariants(), QStringList());
    }

    void modificationSansFilm() {
        Banc b;
        Moniteur& m = b.demarrer();
        b.repondeur.attendre();
        m.MenuModifFilm->trigger();
        QCOMPARE(b.repondeur.messages(), (Boites{{"Il n'y a aucun film à modifier !", 64}}));
        QVERIFY(!AjoutFilm::instance());
    }

    void importation_data() {
        QTest::addColumn<bool>("ajout");
        QTest::addColumn<QString>("nom");
        QTest::addColumn<QByteArray>("contenu");
        QTest::addColumn<bool>("affiche"); // a poster with the same name beside the file
        QTest::addColumn<QStringList>("champs");
        const QStringList ete = QStringLiteral("L'ÉTÉ MEURTRIER|JEAN BECKER|Isabelle Adjani, Alain Souchon|"
                                               "02:10:00|1983|France|Drame|Un été en Provence.")
                                    .split(QLatin1Char('|'));
        const QByteArray utf8(
            "l'\xc3\xa9t\xc3\xa9 meurtrier\r\njean becker\r\n1983\r\nFrance\r\nDrame\r\n2:10\r\n"
            "isabelle ADJANI;alain SOUCHON\r\nUn \xc3\xa9t\xc3\xa9 en Provence.\r\n");
        const QByteArray cp1252("l'\xe9t\xe9 meurtrier\njean becker\n1983\nFrance\nDrame\n2:10\n"
                                "isabelle ADJANI;alain SOUCHON\nUn \xe9t\xe9 en Provence.\n");
        QTest::newRow("UTF-8, CR LF, affiche voisine") << true << "Ete.film" << utf8 << true << ete;
        QTest::newRow("Windows-1252, LF, sans affiche") << true << "Ete.film" << cp1252 << false << ete;
        QTest::newRow("fichier .txt, affiche .jpg") << true << "Alien.txt" << utf8 << true << ete;
        auto duree = [&](const char* ligne, const char* attendue) {
            QByteArray c = utf8;
            c.replace("\r\n2:10\r\n", QByteArray("\r\n") + ligne + "\r\n");
            QStringList l = ete;
            l[3] = attendue;
            QTest::addRow("durée %s", ligne) << true << "Ete.film" << c << false << l;
        };
        // The other spellings are the file reader's; here, the field's eight characters.
        duree("deux heures", "deux heu");
        QTest::newRow("modification : titre et durée gardés")
            << false << "Ete.film" << utf8 << true
            << (QStringList{Avant[0]} + ete.mid(1, 2) + Avant.mid(3, 1) + ete.mid(4));
        QTest::newRow("trois lignes")
            << true << "Court.film" << QByteArray("court\nréal\n2001\n") << false
            << (QStringList{"COURT", "RÉAL", Avant[2], Avant[3], "2001"} + Avant.mid(5));
        QTest::newRow("lignes vides") << true << "Vide.film" << QByteArray("\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n")
                                      << false << QStringList(8, QString());
    }

    void importation() {
        QFETCH(bool, ajout);
        QFETCH(QString, nom);
        QFETCH(QByteArray, contenu);
        QFETCH(bool, affiche);
        QFETCH(QStringList, champs);
        Banc b;
        b.dossier.placerFilm(b.dossier.ajouterCassette(QStringLiteral("03:00:00")), "Existant", "01:10:00");
        AjoutFilm* f = formulaire(b.demarrer(), ajout);
        remplir(*f, Avant);
        const QString chemin = b.dossier.fichier(nom);
        QVERIFY(ecrire(chemin, contenu));
        const QString jpg = b.dossier.fichier(QFileInfo(nom).completeBaseName() + QStringLiteral(".jpg"));
        if (affiche)
            image(jpg, Qt::yellow);

        b.repondeur.attendreFichier(chemin);
        QTest::mouseClick(f->ImporterFilm, Qt::LeftButton);
        QCOMPARE(::champs(*f), champs);
        QCOMPARE(f->AfficheModifiee, affiche);
        QCOMPARE(f->CheminAffiche, affiche ? jpg : QString());
        QCOMPARE(f->Affiche->pixmap().isNull(), !affiche);
        QVERIFY(b.repondeur.messages().isEmpty());
    }

    // A file that cannot be a film file is said so; the form keeps what it had.
    void importationRefusee_data() {
        QTest::addColumn<QString>("nom");
        QTest::addColumn<QByteArray>("contenu"); // null: no such file
        QTest::addColumn<bool>("message");
        QByteArray binaire("TITRE\r\nREAL\r\n\0\x01\x02\xff\xfe", 17);
        binaire.append(300, '\0');
        QTest::newRow("binaire") << "Alien.film" << binaire << true;
        QTest::newRow("absent") << "Alien.film" << QByteArray() << true;
        QTest::newRow("choix annulé") << "" << QByteArray() << false;
    }

    void importationRefusee() {
        QFETCH(QString, nom);
        QFETCH(QByteArray, contenu);
        QFETCH(bool, message);
        Banc b;
        AjoutFilm* f = formulaire(b.demarrer(), true);
        remplir(*f, Avant);
        const QString chemin = nom.isEmpty() ? QString() : b.dossier.fichier(nom);
        if (!contenu.isNull())
            QVERIFY(ecrire(chemin, contenu));
        image(b.dossier.fichier(QStringLiteral("Alien.jpg")), Qt::yellow);

        b.repondeur.attendreFichier(chemin);
        if (message)
            b.repondeur.attendre();
        QTest::mouseClick(f->ImporterFilm, Qt::LeftButton);
        QCOMPARE(b.repondeur.messages().size(), message ? 1 : 0);
        if (message) {
            QCOMPARE(b.repondeur.messages().first().second, 48);
            QVERIFY(b.repondeur.dernier().contains(QDir::toNativeSeparators(chemin)));
        }
        QCOMPARE(champs(*f), Avant);
        QVERIFY(!f->AfficheModifiee);
        QVERIFY(f->Affiche->pixmap().isNull());
    }

    // Whatever is typed lands in the catalogue exactly, through the whole placement.
    void saisiesExtremes_data() {
        QTest::addColumn<QStringList>("valeurs");
        const QString x(10000, QLatin1Char('x'));
        QTest::newRow("10 000 caractères") << QStringList{
            "T" + x, "R" + x, "A" + x, "01:00:00", "1999" + QString(9996, '9'), "P" + x, "G" + x, "D" + x};
        QTest::newRow("guillemets") << QStringLiteral(
                                           "L'\"Odyssée\" d'Ulysse|O'Brien \"Bob\"|'; DROP TABLE Film; "
                                           "--|01:00:00|1999|\"France\"|''|Il dit : \"non\" ; 'oui'")
                                           .split(QLatin1Char('|'));
        QTest::newRow("caractères de contrôle")
            << QStringLiteral(
                   "Tab\tBip\x07 Esc\x1b|Del\x7f Nul\x01|Ligne 1\nLigne 2|01:00:00|1999|\x02 Pays|Genre\x1f|"
                   "\tRésumé\n\x03 fin")
                   .split(QLatin1Char('|'));
    }

    void saisiesExtremes() {
        QFETCH(QStringList, valeurs);
        Banc b;
        cassette(QStringLiteral("23:00:00"));
        Moniteur& m = b.demarrer();
        bool place = false;
        puis([&] {
            AjoutFilm* f = AjoutFilm::instance();
            QVERIFY(f);
            remplir(*f, valeurs);
            QCOMPARE(champs(*f), valeurs);
            puis([&] {
                puis([&] {
                    place = true;
                    QTest::mouseClick(Feuille::chargee<InfosK7>()->BtnValiderK7, Qt::LeftButton);
                });
                QTest::mouseClick(ChoixK7::instance()->BtnValiderK7, Qt::LeftButton);
            });
            QTest::mouseClick(f->BtnAjouterFilm, Qt::LeftButton);
        });
        m.MenuAjouterFilm->trigger();
        QVERIFY(place);
        QCOMPARE(film(1), valeurs);
        QCOMPARE(::placements(), QStringList{"1:1:" + valeurs[0]});
        QCOMPARE(b.dossier.invariants(), QStringList());
    }
};

QTEST_MAIN(TestFormulaires)
#include "tst_formulaires.moc"
