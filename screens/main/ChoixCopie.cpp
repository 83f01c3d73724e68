#include "screens/main/ChoixCopie.h"

#include "catalogue/Sauvegarde.h"
#include "screens/common/Controles.h"
#include "screens/common/Etiquettes.h"
#include "screens/common/Messages.h"
#include "screens/common/Unites.h"

#include <QFileInfo>
#include <QHeaderView>
#include <QLocale>
#include <QPushButton>
#include <QTreeWidget>

using Unites::pixels;

namespace {

enum Colonne { Date, Films, Cassettes };

QString moment(const QDateTime& d) {
    return QLocale(QLocale::French).toString(d, QStringLiteral("dd/MM/yyyy 'à' HH:mm:ss"));
}

} // namespace

ChoixCopie::ChoixCopie(QWidget* parent) : Feuille(parent) {
    setWindowTitle(QStringLiteral("Restaurer une copie de sauvegarde"));
    setTailleInterieure(6600, 4500);
    LblExplication = new Etiquette(
        this, QStringLiteral("Choisissez la copie du catalogue à remettre en place. Le catalogue actuel "
                             "sera d'abord gardé parmi les copies."));
    LblExplication->placer(180, 120, 6240, 480);
    LblExplication->setFont(Unites::police(QStringLiteral("Arial"), 9, true));
    LblExplication->setWordWrap(true);

    ListeCopies = new QTreeWidget(this);
    ListeCopies->setGeometry(pixels(180), pixels(720), pixels(6240), pixels(2940));
    ListeCopies->setFont(Unites::police(QStringLiteral("Arial"), 9));
    ListeCopies->setRootIsDecorated(false);
    ListeCopies->setAllColumnsShowFocus(true);
    ListeCopies->setHeaderLabels(
        {QStringLiteral("Copie du"), QStringLiteral("Films"), QStringLiteral("Cassettes")});
    ListeCopies->header()->setSectionResizeMode(Date, QHeaderView::Stretch);
    ListeCopies->header()->setStretchLastSection(false);
    ListeCopies->setColumnWidth(Films, pixels(1300));
    ListeCopies->setColumnWidth(Cassettes, pixels(1300));

    BtnRestaurer = boutonOrange(this, QStringLiteral("Restaurer"));
    BtnRestaurer->setGeometry(pixels(1260), pixels(3840), pixels(1680), pixels(480));
    BtnRestaurer->setDefault(true);
    BtnAnnuler = boutonOrange(this, QStringLiteral("Annuler"));
    BtnAnnuler->setGeometry(pixels(3660), pixels(3840), pixels(1680), pixels(480));
    lettreAcces(BtnRestaurer, 'R');
    lettreAcces(BtnAnnuler, 'A');
    ordreTabulation({ListeCopies, BtnRestaurer, BtnAnnuler});

    connect(BtnRestaurer, &QPushButton::clicked, this, &ChoixCopie::BtnRestaurer_Click);
    connect(BtnAnnuler, &QPushButton::clicked, this, &ChoixCopie::BtnAnnuler_Click);
    connect(ListeCopies, &QTreeWidget::itemDoubleClicked, this, &ChoixCopie::BtnRestaurer_Click);
    connect(ListeCopies, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* i) { BtnRestaurer->setEnabled(i && !i->isDisabled()); });
}

void ChoixCopie::remplir(const QString& dossierAppli) {
    for (const Sauvegarde::Copie& c : Sauvegarde::lister(dossierAppli)) {
        auto* i = new QTreeWidgetItem(ListeCopies);
        i->setText(Date, moment(c.ecrite));
        i->setData(Date, Qt::UserRole, c.fichier);
        if (c.lisible) {
            i->setText(Films, QString::number(c.films));
            i->setText(Cassettes, QString::number(c.cassettes));
        } else {
            // Shown so that the user knows it is there, but it cannot be chosen.
            i->setText(Films, QStringLiteral("illisible"));
            i->setToolTip(Date, QFileInfo(c.fichier).fileName());
            i->setDisabled(true);
        }
        i->setTextAlignment(Films, Qt::AlignCenter);
        i->setTextAlignment(Cassettes, Qt::AlignCenter);
    }
    QTreeWidgetItem* premiere = nullptr;
    for (int n = 0; n < ListeCopies->topLevelItemCount() && !premiere; ++n) {
        if (!ListeCopies->topLevelItem(n)->isDisabled())
            premiere = ListeCopies->topLevelItem(n);
    }
    ListeCopies->setCurrentItem(premiere);
    BtnRestaurer->setEnabled(premiere);
}

QString ChoixCopie::choisir(Feuille* ouvreur, const QString& dossierAppli) {
    if (Sauvegarde::copies(dossierAppli).isEmpty()) {
        Messages::MsgBox(QStringLiteral("Aucune copie de sauvegarde du catalogue n'a encore été faite."),
                         Messages::Information);
        return {};
    }
    QString choisie;
    auto* f = new ChoixCopie;
    f->m_choisie = &choisie;
    f->remplir(dossierAppli);
    f->ShowModal(ouvreur);
    return choisie;
}

void ChoixCopie::BtnRestaurer_Click() {
    const QTreeWidgetItem* i = ListeCopies->currentItem();
    if (!i || i->isDisabled())
        return;
    const QString texte =
        QStringLiteral("Remettre en place la copie du %1 (%2 films, %3 cassettes) ?\n\n"
                       "Le catalogue actuel sera d'abord gardé dans le dossier Sauvegardes, d'où il pourra "
                       "être restauré à son tour. Cassetron se fermera ensuite : relancez-le pour "
                       "retrouver le catalogue restauré.")
            .arg(i->text(Date), i->text(Films), i->text(Cassettes));
    if (Messages::MsgBox(texte, Messages::Question) != Messages::Oui)
        return;
    if (m_choisie)
        *m_choisie = i->data(Date, Qt::UserRole).toString();
    Unload();
}
