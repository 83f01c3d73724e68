#pragma once

#include <QDialog>
#include <QHash>
#include <QPointer>

// A form: created when opened (Form_Load runs once), destroyed when closed, so the next opening
// starts afresh. The loaded instance of each form class is reachable through chargee<T>().
class Feuille : public QDialog {
    Q_OBJECT
public:
    explicit Feuille(QWidget* parent = nullptr);
    ~Feuille() override;

    // Runs Form_Load once; Show and ShowModal do it themselves.
    void charger();
    // Beside the opener; an already shown form comes to the front.
    void Show();
    // The opener waits until this form is closed; the opener's Form_Activate then runs again.
    void ShowModal(Feuille* ouvreur = nullptr);
    // Closes the form as its close box would (Form_QueryUnload may refuse).
    bool Unload();

    template <typename T> static T* chargee() {
        return qobject_cast<T*>(registre().value(&T::staticMetaObject).data());
    }

    // Positions and sizes in twips.
    void setTailleInterieure(int largeurTwips, int hauteurTwips);

protected:
    virtual void Form_Load() {}
    // First showing, return from a modal form opened here, or coming from another window of
    // this program (not from another program: that would redo work and lose the user's place).
    virtual void Form_Activate() {}
    // False keeps the form open.
    virtual bool Form_QueryUnload() { return true; }
    virtual void Form_Unload() {}

    void closeEvent(QCloseEvent* e) override;
    bool event(QEvent* e) override;
    void reject() override;

private:
    friend class Activation;
    void activer();
    static QHash<const QMetaObject*, QPointer<Feuille>>& registre();

    bool m_charge = false;
    bool m_dechargee = false;
};
