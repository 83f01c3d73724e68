#include "screens/common/Feuille.h"

#include "screens/common/Unites.h"

#include <QCloseEvent>

namespace {
// The window of this program that was active last; activation from it counts, activation
// after the user came back from another program does not.
QPointer<Feuille> g_derniereActive;
} // namespace

QHash<const QMetaObject*, QPointer<Feuille>>& Feuille::registre() {
    static QHash<const QMetaObject*, QPointer<Feuille>> r;
    return r;
}

Feuille::Feuille(QWidget* parent) : QDialog(parent) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Cassetron"));
}

Feuille::~Feuille() {
    for (auto it = registre().begin(); it != registre().end();) {
        if (it.value() == this || it.value().isNull())
            it = registre().erase(it);
        else
            ++it;
    }
}

void Feuille::charger() {
    if (m_charge)
        return;
    m_charge = true;
    registre().insert(metaObject(), this);
    Form_Load();
}

void Feuille::Show() {
    charger();
    if (m_dechargee)
        return;
    show();
    raise();
    activateWindow();
    activer();
}

void Feuille::ShowModal(Feuille* ouvreur) {
    charger();
    if (m_dechargee)
        return; // Form_Load closed it already
    setModal(true);
    activer();
    QPointer<Feuille> garde(ouvreur);
    exec();
    if (garde)
        garde->activer();
}

bool Feuille::Unload() {
    return close();
}

void Feuille::activer() {
    if (g_derniereActive == this || m_dechargee)
        return;
    g_derniereActive = this;
    Form_Activate();
}

bool Feuille::event(QEvent* e) {
    if (e->type() == QEvent::WindowActivate && isVisible())
        activer();
    return QDialog::event(e);
}

void Feuille::closeEvent(QCloseEvent* e) {
    if (m_dechargee) {
        e->accept();
        return;
    }
    if (!Form_QueryUnload()) {
        e->ignore();
        return;
    }
    m_dechargee = true;
    Form_Unload();
    registre().remove(metaObject());
    if (g_derniereActive == this)
        g_derniereActive = nullptr;
    // Accepting hides the form, which also ends a modal form's wait; QDialog's own handler
    // would route the close through reject() again.
    e->accept();
}

// Escape closes the form the way its close box does, through Form_QueryUnload.
void Feuille::reject() {
    close();
}

void Feuille::setTailleInterieure(int largeurTwips, int hauteurTwips) {
    setFixedSize(Unites::pixels(largeurTwips), Unites::pixels(hauteurTwips));
}
