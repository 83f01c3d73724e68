#include "screens/common/Etiquettes.h"

#include "screens/common/Unites.h"

#include <QMouseEvent>
#include <QTextLayout>

using Unites::pixels;
using Unites::twips;

// Captions show what they hold: a title that looks like markup is not rendered as markup.
void Etiquette::setCaption(const QString& texte) {
    if (!m_abrege) {
        setText(texte);
        return;
    }
    m_complet = texte;
    abreger();
}

void Etiquette::setAbrege(bool abrege) {
    if (abrege == m_abrege)
        return;
    if (abrege)
        m_complet = text();
    m_abrege = abrege;
    setText(m_complet);
    abreger();
}

void Etiquette::resizeEvent(QResizeEvent* e) {
    QLabel::resizeEvent(e);
    abreger();
}

// Lines are cut where the label would wrap them; a word wider than the label is cut anywhere.
void Etiquette::abreger() {
    if (!m_abrege)
        return;
    const QFontMetrics fm(font());
    // The label keeps half an "x" of indent beside a frame.
    const int largeur = contentsRect().width() - 2 * margin() - fm.horizontalAdvance(QLatin1Char('x'));
    const int places = (contentsRect().height() - 2 * margin()) / qMax(1, fm.lineSpacing());
    if (m_complet.isEmpty() || largeur <= 0 || places <= 0) {
        setText(QString());
        return;
    }
    QTextLayout mise(m_complet, font());
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    mise.setTextOption(option);
    QStringList lignes;
    int suite = 0;
    mise.beginLayout();
    for (QTextLine l = mise.createLine(); l.isValid(); l = mise.createLine()) {
        l.setLineWidth(largeur);
        if (lignes.size() == places - 1)
            break;
        lignes << m_complet.mid(l.textStart(), l.textLength()).trimmed();
        suite = l.textStart() + l.textLength();
    }
    mise.endLayout();
    const QString reste = m_complet.mid(suite).trimmed();
    if (!reste.isEmpty())
        lignes << fm.elidedText(reste, Qt::ElideRight, largeur);
    setText(lignes.join(QLatin1Char('\n')));
}

Etiquette::Etiquette(QWidget* parent, const QString& texte) : QLabel(parent) {
    setTextFormat(Qt::PlainText);
    setText(texte);
}

Etiquette* Etiquette::creer(QWidget* parent, const QString& texte, int gauche, int haut, int largeur,
                            int hauteur, const QFont& police) {
    auto* e = new Etiquette(parent, texte);
    e->placer(gauche, haut, largeur, hauteur);
    e->setFont(police);
    return e;
}

int Etiquette::Left() const {
    return twips(x());
}
int Etiquette::Top() const {
    return twips(y());
}
int Etiquette::Width() const {
    return twips(width());
}
int Etiquette::Height() const {
    return twips(height());
}
void Etiquette::setLeft(double t) {
    move(pixels(t), y());
}
void Etiquette::setTop(double t) {
    move(x(), pixels(t));
}
// A hidden label hears of its new size only when shown: the caption is cut at once.
void Etiquette::setWidth(double t) {
    resize(pixels(t), height());
    abreger();
}
void Etiquette::setHeight(double t) {
    resize(width(), pixels(t));
    abreger();
}

void Etiquette::placer(int gauche, int haut, int largeur, int hauteur) {
    setGeometry(pixels(gauche), pixels(haut), pixels(largeur), pixels(hauteur));
}

void Etiquette::setBackColor(int valeur) {
    m_fond = valeur;
    QPalette p = palette();
    p.setColor(QPalette::Window, Unites::couleur(valeur));
    setPalette(p);
    setAutoFillBackground(true);
}

void Etiquette::setForeColor(int valeur) {
    QPalette p = palette();
    p.setColor(QPalette::WindowText, Unites::couleur(valeur));
    setPalette(p);
}

void Etiquette::mouseReleaseEvent(QMouseEvent* e) {
    QLabel::mouseReleaseEvent(e);
    if (e->button() == Qt::LeftButton && rect().contains(e->position().toPoint()))
        emit Click();
}

TableauEtiquettes::TableauEtiquettes(Etiquette* zero, QObject* parent) : QObject(parent) {
    m_elements.append(zero);
    brancher(zero);
}

Etiquette& TableauEtiquettes::operator()(int index) const {
    Q_ASSERT(index >= 0 && index < m_elements.size() && m_elements[index]);
    return *m_elements[index];
}

void TableauEtiquettes::brancher(Etiquette* e) {
    const int index = int(m_elements.size()) - 1;
    connect(e, &Etiquette::Click, this, [this, index] { emit Click(index); });
}

Etiquette& TableauEtiquettes::Load() {
    const Etiquette& modele = (*this)(0);
    auto* e = new Etiquette(modele.parentWidget());
    e->setFont(modele.font());
    e->setPalette(modele.palette());
    e->setAutoFillBackground(modele.autoFillBackground());
    e->setAlignment(modele.alignment());
    e->setWordWrap(modele.wordWrap());
    e->setAbrege(modele.abrege());
    e->setFrameStyle(modele.frameStyle());
    e->setToolTip(modele.toolTip());
    e->setCursor(modele.cursor());
    e->setGeometry(modele.geometry());
    if (modele.BackColor() >= 0)
        e->setBackColor(modele.BackColor());
    e->hide();
    m_elements.append(e);
    brancher(e);
    return *e;
}

void TableauEtiquettes::UnloadDernier() {
    if (m_elements.size() <= 1)
        return;
    delete m_elements.takeLast().data();
}

void TableauEtiquettes::UnloadAuDela(int index) {
    while (UBound() > qMax(index, 0))
        UnloadDernier();
}
