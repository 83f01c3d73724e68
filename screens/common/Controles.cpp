#include "screens/common/Controles.h"

#include "catalogue/Outils.h"
#include "screens/common/Liaisons.h"
#include "screens/common/Unites.h"

#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QShortcut>
#include <QToolButton>
#include <QVBoxLayout>

ChampDuree::ChampDuree(QWidget* parent) : QLineEdit(parent) {
    connect(this, &QLineEdit::textChanged, this, &ChampDuree::TxtDuree_Change);
}

void ChampDuree::TxtDuree_Change() {
    if (m_garde)
        return;
    const QString t = text();
    if (t.size() == 2 || t.size() == 5) {
        m_garde = true;
        setText(t + QLatin1Char(':'));
        setCursorPosition(int(text().size()));
        m_garde = false;
    } else if (t.size() > 8) {
        m_garde = true;
        setText(t.left(8));
        setCursorPosition(8);
        m_garde = false;
    }
}

void ChampDuree::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_Backspace) {
        clear();
        return;
    }
    QLineEdit::keyPressEvent(e);
}

void ChampDuree::mouseReleaseEvent(QMouseEvent* e) {
    QLineEdit::mouseReleaseEvent(e);
    selectAll();
}

ChampTitre::ChampTitre(QWidget* parent) : QPlainTextEdit(parent) {
    setTabChangesFocus(true);
}

QString ChampTitre::texte() const {
    return Liaisons::texteExact(document());
}

void ChampTitre::keyPressEvent(QKeyEvent* e) {
    // Shift+Enter would put a line separator in; with any modifier, Enter goes to the next field.
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
        focusNextChild();
        e->accept();
        return;
    }
    QPlainTextEdit::keyPressEvent(e);
}

void ChampTitre::inputMethodEvent(QInputMethodEvent* e) {
    const QString texte = Outils::SurUneLigne(e->commitString());
    if (texte == e->commitString()) {
        QPlainTextEdit::inputMethodEvent(e);
        return;
    }
    QInputMethodEvent propre(e->preeditString(), e->attributes());
    propre.setCommitString(texte, e->replacementStart(), e->replacementLength());
    QPlainTextEdit::inputMethodEvent(&propre);
}

void ChampTitre::insertFromMimeData(const QMimeData* source) {
    if (source && source->hasText()) {
        insertPlainText(Outils::SurUneLigne(source->text()));
        ensureCursorVisible();
    }
}

UpDown::UpDown(QWidget* parent) : QWidget(parent) {
    auto* pile = new QVBoxLayout(this);
    pile->setContentsMargins(0, 0, 0, 0);
    pile->setSpacing(0);
    auto* haut = new QToolButton(this);
    auto* bas = new QToolButton(this);
    haut->setArrowType(Qt::UpArrow);
    bas->setArrowType(Qt::DownArrow);
    for (QToolButton* b : {haut, bas}) {
        b->setAutoRepeat(true);
        b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        b->setFocusPolicy(Qt::NoFocus);
        pile->addWidget(b);
    }
    connect(haut, &QToolButton::clicked, this, &UpDown::UpClick);
    connect(bas, &QToolButton::clicked, this, &UpDown::DownClick);
}

QPushButton* boutonOrange(QWidget* parent, const QString& texte, int couleur) {
    auto* b = new QPushButton(texte, parent);
    const QColor fond = Unites::couleur(couleur);
    b->setStyleSheet(
        QStringLiteral("QPushButton { background: %1; border: 1px solid #804000; border-radius: 2px; "
                       "padding: 2px 8px; }"
                       "QPushButton:pressed { background: %2; }"
                       "QPushButton:focus { border: 2px solid #402000; }"
                       "QPushButton:disabled { background: #ead8c4; color: #a08868; }")
            .arg(fond.name(), fond.darker(125).name()));
    b->setFont(Unites::police(QStringLiteral("Arial Black"), 9));
    return b;
}

void lettreAcces(QAbstractButton* bouton, char lettre) {
    const auto touche = Qt::Key(Qt::Key_A + (lettre - 'A'));
    auto* raccourci = new QShortcut(QKeySequence(Qt::ALT | touche), bouton);
    raccourci->setContext(Qt::WindowShortcut);
    QObject::connect(raccourci, &QShortcut::activated, bouton, [bouton] {
        if (bouton->isVisible() && bouton->isEnabled())
            bouton->click();
    });
    if (bouton->toolTip().isEmpty())
        bouton->setToolTip(QStringLiteral("Alt+%1").arg(QLatin1Char(lettre)));
}

void ordreTabulation(std::initializer_list<QWidget*> ordre) {
    QWidget* precedent = nullptr;
    for (QWidget* w : ordre) {
        if (precedent)
            QWidget::setTabOrder(precedent, w);
        precedent = w;
    }
}
