// Film and cassette numbers past what 32 bits hold, on the road a user walks: a film placed on
// such a cassette, the main window sent back to a film by its number, the search and the viewer
// drawing that cassette, then the film and the cassette deleted.

#include "screens/film/ChoixK7.h"
#include "screens/views/ConsultK7.h"
#include "screens/views/ListeFilm.h"
#include "screens/views/VisuK7.h"
#include "tests/support/Banc.h"

#include <QPushButton>
#include <QToolButton>

#include <tuple>

using namespace banc;

namespace {

QString n(qint64 id) {
    return QString::number(id);
}

// First in title order: the main window opens on it, and it heads the film list.
const QString Ancien = QStringLiteral("Ancien");
// The film placed through the screens.
const QString Nouveau = QStringLiteral("Nouveau");

// Cassette 1 holds films 1 and 2, whose numbers a cut to 32 bits would land on; cassette k7
// holds film `film`, two hours free, then film `film` - 1.
void catalogue(qint64 k7, qint64 film) {
    cassette(QStringLiteral("FILM01:00:00Premier/FILM00:50:00Deuxième/00:10:00"));
    executer(QStringLiteral("INSERT INTO K7 (IdK7, \"Durée\", TempsRestant, NBFilm, Status) VALUES (?, "
                            "'03:30:00', '02:00:00', 2, 'FILM01:00:00Ancien/02:00:00/FILM00:30:00Dernier')"),
             {k7});
    for (const auto& [id, titre, duree, position] :
         {std::tuple(film, "Ancien", "01:00:00", 1), std::tuple(film - 1, "Dernier", "00:30:00", 2)}) {
        executer(
            QStringLiteral("INSERT INTO Film (IdFilm, Titre, \"Réalisateur\", Acteurs, \"Durée\", Date, "
                           "Pays, Genre, Description) VALUES (?, ?, 'Néant', 'Néant', ?, '2000', 'France', "
                           "'Drame', 'Résumé')"),
            {id, QString::fromUtf8(titre), QString::fromUtf8(duree)});
        executer(QStringLiteral("INSERT INTO FilmK7 (IdFilm, IdK7, Position) VALUES (?, ?, ?)"),
                 {id, k7, position});
    }
}

QString sequences() {
    QStringList l;
    Sql q = executer(QStringLiteral("SELECT name, seq FROM sqlite_sequence ORDER BY name"));
    while (q.next())
        l << q.value(0).toString() + QLatin1Char('=') + q.value(1).toString();
    return l.join(QLatin1Char(' '));
}

QString ligneK7(qint64 k7) {
    Sql q = executer(QStringLiteral("SELECT Status, TempsRestant, NBFilm FROM K7 WHERE IdK7 = ?"), {k7});
    return q.next() ? QStringList{q.value(0).toString(), q.value(1).toString(), q.value(2).toString()}.join(
                          QLatin1Char('|'))
                    : QString();
}

// The main window's film, cassette and place.
QString montre(const Moniteur& m) {
    return QStringList{m.LblTitre->text(), m.lblNumK7->text(), m.LblPositionFilm->text()}.join(
        QLatin1Char('|'));
}

void montrer(Moniteur& m, const QString& titre) {
    for (int i = 0; i < 6 && m.LblTitre->text() != titre; ++i)
        QTest::mouseClick(m.BtnNextFilm, Qt::LeftButton);
    QCOMPARE(m.LblTitre->text(), titre);
}

// Opens a modal screen with `ouvrir`; `geste` runs while it shows, then `fermer` closes it
// unless the gesture did.
template <typename F>
void pendant(const std::function<void()>& ouvrir, std::function<void(F&)> geste, QPushButton* F::*fermer) {
    puis([geste, fermer] {
        QPointer<F> f = Feuille::chargee<F>();
        QVERIFY(f && f->isVisible());
        geste(*f);
        if (f && f->isVisible())
            QTest::mouseClick((*f).*fermer, Qt::LeftButton);
    });
    ouvrir();
}

} // namespace

class TestGrandsNumeros : public QObject {
    Q_OBJECT

private slots:
    void route_data() {
        QTest::addColumn<qint64>("k7");
        QTest::addColumn<qint64>("film");
        QTest::newRow("cassette 2^31, film 2^32 + 1") << Q_INT64_C(2147483648) << Q_INT64_C(4294967297);
        QTest::newRow("cassette 2^32, film 2^31 - 1") << Q_INT64_C(4294967296) << Q_INT64_C(2147483647);
        QTest::newRow("au-delà de 2^62") << Q_INT64_C(4611686018427387905) << Q_INT64_C(4611686018427387907);
        QTest::newRow("jusqu'au plus grand numéro")
            << Q_INT64_C(9223372036854775807) << Q_INT64_C(9223372036854775806);
    }

    void route() {
        QFETCH(qint64, k7);
        QFETCH(qint64, film);
        const qint64 nouveau = film + 1;
        Banc b;
        catalogue(k7, film);
        QCOMPARE(sequences(), QStringLiteral("Film=%1 K7=%2").arg(film).arg(k7));
        const QStringList films = b.dossier.contenu(QStringLiteral("Film"));
        const QString k7Un = ligneK7(1);
        Moniteur& m = b.demarrer();
        QCOMPARE(montre(m), Ancien + QStringLiteral("|%1|1").arg(k7));

        // Placement: only cassette k7 has room for an hour and a half.
        bool resume = false;
        puis([&] {
            AjoutFilm* f = AjoutFilm::instance();
            QVERIFY(f);
            remplir(*f, {Nouveau, "Néant", "Néant", "01:30:00", "2001", "France", "Drame", "Résumé"});
            puis([&] {
                ChoixK7* c = ChoixK7::instance();
                QVERIFY(c && c->isVisible());
                QCOMPARE(lignes(*c->TableK7Libre, 4), QStringList{n(k7) + "|03:30:00|2|02:00:00"});
                QCOMPARE(c->lblNumK7->text(), n(k7));
                QCOMPARE(barre(*c), QStringLiteral("R01:00:00 J02:00:00 R00:30:00"));
                puis([&] {
                    auto* infos = Feuille::chargee<InfosK7>();
                    QVERIFY(infos && infos->isVisible());
                    QCOMPARE(infos->lblNumK7->text(), n(k7));
                    QCOMPARE(infos->LblPositionFilm->text(), QStringLiteral("2"));
                    QCOMPARE(infos->LblNbFilm->text(), QStringLiteral("3"));
                    resume = true;
                    QTest::mouseClick(infos->BtnValiderK7, Qt::LeftButton);
                });
                QTest::mouseClick(c->BtnValiderK7, Qt::LeftButton);
            });
            QTest::mouseClick(f->BtnAjouterFilm, Qt::LeftButton);
        });
        m.MenuAjouterFilm->trigger();
        QVERIFY(resume);
        QCOMPARE(b.dossier.contenu(QStringLiteral("Film")),
                 films + QStringList{n(nouveau) + "|Nouveau|Néant|Néant|01:30:00|2001|France|Drame|Résumé"});
        QCOMPARE(
            ligneK7(k7),
            QStringLiteral("FILM01:00:00Ancien/FILM01:30:00Nouveau/00:30:00/FILM00:30:00Dernier|00:30:00|3"));
        QCOMPARE(ligneK7(1), k7Un);
        QCOMPARE(placements(), (QStringList{"1:1:Premier", "1:2:Deuxième", n(k7) + ":1:Ancien",
                                            n(k7) + ":2:Nouveau", n(k7) + ":3:Dernier"}));
        QCOMPARE(sequences(), QStringLiteral("Film=%1 K7=%2").arg(nouveau).arg(k7));
        QCOMPARE(b.dossier.invariants(), QStringList());
        QCOMPARE(montre(m), Nouveau + QStringLiteral("|%1|2").arg(k7));

        // The film list closed on a film: the main window goes back to it by its number.
        m.MenuListeFilm->trigger();
        ListeFilm* l = ListeFilm::instance();
        QVERIFY(l);
        cliquerLigne(*l->TableFilm, 1);
        QCOMPARE(l->TableFilm->TextMatrix(1, 7), n(film));
        l->close();
        QCOMPARE(montre(m), Ancien + QStringLiteral("|%1|1").arg(k7));

        // The search draws the cassette with its last stretch free.
        pendant<ConsultK7>([&] { QTest::mouseClick(m.BtnRechercheK7, Qt::LeftButton); },
                           [&](ConsultK7& c) {
                               QCOMPARE(c.TableK7Libre->TextMatrix(2, 0), n(k7));
                               cliquerLigne(*c.TableK7Libre, 2);
                               QCOMPARE(c.lblNumK7->text(), n(k7));
                               QCOMPARE(barre(c), QStringLiteral("R01:00:00 R01:30:00 J00:30:00 R00:30:00"));
                           },
                           &ConsultK7::BtnValiderK7);

        // The film deleted from the main window gives its tape back; the one after it moves up.
        montrer(m, Nouveau);
        b.repondeur.attendre(Messages::Oui);
        QTest::mouseClick(m.BtnEffacerFilm, Qt::LeftButton);
        QCOMPARE(b.repondeur.textes().size(), 1);
        QCOMPARE(ligneK7(k7), QStringLiteral("FILM01:00:00Ancien/02:00:00/FILM00:30:00Dernier|02:00:00|2"));
        QCOMPARE(b.dossier.contenu(QStringLiteral("Film")), films);
        QCOMPARE(placements(),
                 (QStringList{"1:1:Premier", "1:2:Deuxième", n(k7) + ":1:Ancien", n(k7) + ":2:Dernier"}));
        QCOMPARE(b.dossier.invariants(), QStringList());

        // The viewer shows the cassette, then deletes it with its films.
        pendant<VisuK7>([&] { m.MenuEffacerCassette->trigger(); },
                        [&](VisuK7& v) {
                            v.ComboK7->setCurrentIndex(v.ComboK7->findText(n(k7)));
                            QTRY_COMPARE(v.lblNumK7->text(), n(k7));
                            QCOMPARE(barre(v), QStringLiteral("R01:00:00 B02:00:00 R00:30:00"));
                            b.repondeur.attendre(Messages::Oui);
                            QTest::mouseClick(v.BtnEffacerK7, Qt::LeftButton);
                            QCOMPARE(v.lblNumK7->text(), QStringLiteral("1"));
                        },
                        &VisuK7::BtnValiderK7);
        QCOMPARE(ligneK7(k7), QString());
        QCOMPARE(ligneK7(1), k7Un);
        QCOMPARE(b.dossier.contenu(QStringLiteral("Film")), films.mid(0, 2));
        QCOMPARE(placements(), (QStringList{"1:1:Premier", "1:2:Deuxième"}));
        QCOMPARE(b.dossier.invariants(), QStringList());
        QCOMPARE(montre(m), QStringLiteral("Premier|1|1"));
        QCOMPARE(b.repondeur.restantes(), 0);
    }
};

QTEST_MAIN(TestGrandsNumeros)
#include "tst_grandsnumeros.moc"
