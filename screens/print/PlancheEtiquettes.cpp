#include "screens/print/PlancheEtiquettes.h"

#include "catalogue/Fonctions.h"
#include "catalogue/Outils.h"
#include "screens/common/Unites.h"

#include <QFontMetricsF>
#include <QPageLayout>
#include <QPainter>
#include <QPrinter>

#include <cmath>
#include <memory>

namespace PlancheEtiquettes {

QSizeF taille(Modele m) {
    return m == Modele::Face ? QSizeF(78, 46) : QSizeF(147, 19);
}

QList<Ligne> lignes(const QString& Status) {
    const QStringList champs = Fonctions::Champs(Status);
    const QList<Fonctions::Etendue> etendues = Fonctions::Etendues(Status);
    QList<Ligne> l;
    l.reserve(champs.size());
    for (int i = 0; i < champs.size(); ++i) {
        const bool film = Fonctions::EstFilm(champs[i]);
        l.append({Outils::SecondesEnHeure(etendues[i].debut),
                  film ? champs[i].mid(12) : QStringLiteral("libre"),
                  Outils::SecondesEnHeure(etendues[i].fin - etendues[i].debut), !film, false});
    }
    return l;
}

QList<Ligne> abreger(const QList<Ligne>& tout, int place) {
    if (tout.size() <= place)
        return tout;
    if (place <= 0)
        return {};
    QList<Ligne> l = tout.mid(0, place - 1);
    qsizetype films = 0;
    for (qsizetype i = place - 1; i < tout.size(); ++i)
        films += tout[i].libre ? 0 : 1;
    Ligne suite;
    suite.suite = true;
    suite.titre = films == 0 ? QStringLiteral("…")
                             : QStringLiteral("… et %1 film%2 de plus").arg(films).arg(films > 1 ? "s" : "");
    l.append(suite);
    return l;
}

Gabarit gabarit(Modele m, double hauteurLigne) {
    Gabarit g;
    if (m == Modele::Face) {
        g.numero = QRectF(2.5, 2, 40, 12);
        g.entete = QRectF(44, 3, 31.5, 10);
        g.liste = QRectF(2.5, 15, 73, 28.5);
        g.colonnes = 1;
    } else {
        g.numero = QRectF(2, 1.5, 24, 10);
        g.entete = QRectF(2, 12, 24, 5);
        g.liste = QRectF(28, 2, 117, 15);
        g.colonnes = 2;
    }
    g.lignesParColonne = hauteurLigne > 0 ? int(std::floor(g.liste.height() / hauteurLigne + 1e-9)) : 0;
    return g;
}

QRectF Disposition::place(int n) const {
    const int rang = n % parPage();
    const int c = rang % colonnes;
    const int r = rang / colonnes;
    return QRectF(origine.x() + c * (etiquette.width() + ecart),
                  origine.y() + r * (etiquette.height() + ecart), etiquette.width(), etiquette.height());
}

Disposition disposer(QSizeF page, QSizeF etiquette, double marge, double ecart) {
    Disposition d;
    d.etiquette = etiquette;
    d.ecart = ecart;
    // A label larger than the printable area still gets a place of its own on each sheet.
    auto combien = [&](double dispo, double t) {
        return qMax(1, int(std::floor((dispo - 2 * marge + ecart) / (t + ecart) + 1e-9)));
    };
    d.colonnes = combien(page.width(), etiquette.width());
    d.rangees = combien(page.height(), etiquette.height());
    const double largeur = d.colonnes * etiquette.width() + (d.colonnes - 1) * ecart;
    const double hauteur = d.rangees * etiquette.height() + (d.rangees - 1) * ecart;
    d.origine = QPointF(qMax(0.0, (page.width() - largeur) / 2), qMax(0.0, (page.height() - hauteur) / 2));
    return d;
}

namespace {

constexpr double EcartColonnes = 3;

// Short lines beyond each corner, along the label's edges: where to cut, without a frame that
// would show on the label if the cut strays.
void reperes(QPainter& p, const QRectF& r, double k) {
    const double debut = 0.5 * k, fin = 2.5 * k;
    for (const QPointF& coin : {r.topLeft(), r.topRight(), r.bottomLeft(), r.bottomRight()}) {
        const double sx = coin.x() == r.left() ? -1 : 1;
        const double sy = coin.y() == r.top() ? -1 : 1;
        p.drawLine(QPointF(coin.x() + sx * debut, coin.y()), QPointF(coin.x() + sx * fin, coin.y()));
        p.drawLine(QPointF(coin.x(), coin.y() + sy * debut), QPointF(coin.x(), coin.y() + sy * fin));
    }
}

struct Polices {
    QFont numero, entete, ligne, libre;
};

// Metrics measured once for the run: thousands of labels are drawn with the same few fonts.
struct Mesures {
    Mesures(const Polices& p, QPaintDevice* d)
        : numero(p.numero, d), entete(p.entete, d), ligne(p.ligne, d), libre(p.libre, d) {}
    QFontMetricsF numero, entete, ligne, libre;
};

class Peintre {
public:
    Peintre(QPainter& p, Modele m, double k) : m_p(p), m_modele(m), m_k(k) {
        const bool face = m == Modele::Face;
        m_polices.numero = Unites::police(QStringLiteral("Arial Black"), face ? 30 : 24);
        m_polices.entete = Unites::police(QStringLiteral("Arial"), face ? 8 : 7, true);
        m_polices.ligne = Unites::police(QStringLiteral("Arial"), face ? 7 : 6.5);
        m_polices.libre = Unites::police(QStringLiteral("Arial"), face ? 7 : 6.5, false, true);
        m_mesures = std::make_unique<Mesures>(m_polices, p.device());
        const QFontMetricsF& fm = m_mesures->ligne;
        m_gabarit = gabarit(m, fm.lineSpacing() / k);
        m_largeurDebut = fm.horizontalAdvance(QStringLiteral("00:00:00"));
        m_largeurDuree = fm.horizontalAdvance(QStringLiteral("(00:00:00)"));
    }

    void etiquette(const QRectF& r, const Cassette& k7) {
        const QPointF o = r.topLeft();
        reperes(m_p, r, m_k);
        // The number as large as its place allows: a long one gets a smaller type.
        const QRectF zone = mm(o, m_gabarit.numero);
        const QString texte = QString::number(k7.numero);
        const double large = m_mesures->numero.horizontalAdvance(texte);
        const double base =
            zone.center().y() + (m_mesures->numero.ascent() - m_mesures->numero.descent()) / 2;
        if (large > zone.width()) {
            QFont petite = m_polices.numero;
            petite.setPointSizeF(petite.pointSizeF() * zone.width() / large);
            m_p.setFont(petite);
        } else {
            m_p.setFont(m_polices.numero);
        }
        m_p.drawText(QPointF(zone.left(), base), texte);

        const QList<Ligne> tout = lignes(k7.status);
        m_p.setFont(m_polices.entete);
        const QFontMetricsF& fe = m_mesures->entete;
        const QRectF entete = mm(o, m_gabarit.entete);
        QPointF b(entete.left(), entete.top() + fe.ascent());
        m_p.drawText(b,
                     QStringLiteral("Durée ") + Outils::SecondesEnHeure(Outils::HeureEnSecondes(k7.duree)));
        if (m_modele == Modele::Face) {
            int libre = 0;
            for (const Ligne& l : tout)
                libre += l.libre ? Outils::HeureEnSecondes(l.duree) : 0;
            b.ry() += fe.lineSpacing();
            m_p.drawText(b, QStringLiteral("Libre ") + Outils::SecondesEnHeure(libre));
        }

        const QList<Ligne> montrees = abreger(tout, m_gabarit.place());
        const QRectF liste = mm(o, m_gabarit.liste);
        const double largeurColonne =
            (liste.width() - (m_gabarit.colonnes - 1) * EcartColonnes * m_k) / m_gabarit.colonnes;
        const QFontMetricsF& fm = m_mesures->ligne;
        for (int i = 0; i < montrees.size(); ++i) {
            const int c = i / m_gabarit.lignesParColonne;
            const int rang = i % m_gabarit.lignesParColonne;
            const double x = liste.left() + c * (largeurColonne + EcartColonnes * m_k);
            const double y = liste.top() + rang * fm.lineSpacing() + fm.ascent();
            ligne(montrees[i], x, y, largeurColonne, fm);
        }
    }

private:
    QRectF mm(const QPointF& o, const QRectF& r) const {
        return QRectF(o.x() + r.x() * m_k, o.y() + r.y() * m_k, r.width() * m_k, r.height() * m_k);
    }

    // Start, title and length in columns that line up from one line to the next.
    void ligne(const Ligne& l, double x, double y, double largeur, const QFontMetricsF& fm) {
        if (l.suite) {
            m_p.setFont(m_polices.ligne);
            m_p.drawText(QPointF(x, y), l.titre);
            return;
        }
        const double blanc = 1.5 * m_k;
        m_p.setFont(m_polices.ligne);
        m_p.drawText(QPointF(x, y), l.debut);
        // Drawn in reading order, so that the text taken from the PDF reads as the line does.
        const double place = largeur - m_largeurDebut - m_largeurDuree - 2 * blanc;
        if (l.libre)
            m_p.setFont(m_polices.libre);
        const QFontMetricsF& ft = l.libre ? m_mesures->libre : fm;
        // Most titles fit: measuring is cheaper than eliding.
        const QString titre =
            ft.horizontalAdvance(l.titre) <= place ? l.titre : ft.elidedText(l.titre, Qt::ElideRight, place);
        m_p.drawText(QPointF(x + m_largeurDebut + blanc, y), titre);
        m_p.setFont(m_polices.ligne);
        const QString duree = QLatin1Char('(') + l.duree + QLatin1Char(')');
        m_p.drawText(QPointF(x + largeur - fm.horizontalAdvance(duree), y), duree);
    }

    QPainter& m_p;
    Modele m_modele;
    double m_k; // device pixels in a millimetre
    Polices m_polices;
    std::unique_ptr<Mesures> m_mesures;
    Gabarit m_gabarit;
    double m_largeurDebut = 0;
    double m_largeurDuree = 0;
};

} // namespace

bool dessiner(QPrinter& imprimante, Modele m, const QList<Cassette>& cassettes) {
    imprimante.setFullPage(true);
    const Disposition d =
        disposer(imprimante.pageLayout().fullRect(QPageLayout::Millimeter).size(), taille(m));
    QPainter p;
    if (!p.begin(&imprimante))
        return false;
    const double k = imprimante.resolution() / 25.4;
    QPen trait(Qt::black);
    trait.setWidthF(0.15 * k);
    p.setPen(trait);
    Peintre peintre(p, m, k);
    for (int n = 0; n < cassettes.size(); ++n) {
        if (n > 0 && n % d.parPage() == 0 && !imprimante.newPage())
            return false;
        const QRectF r = d.place(n);
        peintre.etiquette(QRectF(r.x() * k, r.y() * k, r.width() * k, r.height() * k), cassettes[n]);
    }
    return p.end() && imprimante.printerState() != QPrinter::Error;
}

} // namespace PlancheEtiquettes
