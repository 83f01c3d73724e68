#include "screens/print/ImpressionEtiquettes.h"

#include "catalogue/Catalogue.h"
#include "screens/common/Appli.h"
#include "screens/common/Controles.h"
#include "screens/common/Messages.h"
#include "screens/common/Unites.h"
#include "screens/main/Moniteur.h"

#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>

using Unites::pixels;
using Unites::police;

namespace {
const QString Objet = QStringLiteral("les étiquettes");
}

ImpressionEtiquettes::ImpressionEtiquettes(QWidget* parent) : Feuille(parent) {
    setWindowTitle(QStringLiteral("Imprimer les étiquettes"));
    setTailleInterieure(6840, 3390);
    const QFont texte = police(QStringLiteral("Arial"), 10);
    auto* quelles = new QGroupBox(QStringLiteral("Cassettes"), this);
    quelles->setFont(police(QStringLiteral("Arial"), 10, true));
    quelles->setGeometry(pixels(240), pixels(120), pixels(3120), pixels(1560));
    CaseUne = new QRadioButton(QStringLiteral("&Une cassette :"), quelles);
    CaseUne->setGeometry(pixels(180), pixels(420), pixels(1680), pixels(390));
    ComboK7 = new QComboBox(quelles);
    ComboK7->setGeometry(pixels(1860), pixels(400), pixels(1080), pixels(420));
    CaseToutes = new QRadioButton(QStringLiteral("&Toutes les cassettes"), quelles);
    CaseToutes->setGeometry(pixels(180), pixels(960), pixels(2820), pixels(390));
    auto* forme = new QGroupBox(QStringLiteral("Étiquette"), this);
    forme->setFont(police(QStringLiteral("Arial"), 10, true));
    forme->setGeometry(pixels(3480), pixels(120), pixels(3120), pixels(1560));
    CaseFace = new QRadioButton(QStringLiteral("&Face (78 × 46 mm)"), forme);
    CaseFace->setGeometry(pixels(180), pixels(420), pixels(2820), pixels(390));
    CaseTranche = new QRadioButton(QStringLiteral("T&ranche (147 × 19 mm)"), forme);
    CaseTranche->setGeometry(pixels(180), pixels(960), pixels(2820), pixels(390));
    for (QWidget* w :
         {static_cast<QWidget*>(CaseUne), static_cast<QWidget*>(ComboK7), static_cast<QWidget*>(CaseToutes),
          static_cast<QWidget*>(CaseFace), static_cast<QWidget*>(CaseTranche)})
        w->setFont(texte);
    CaseUne->setChecked(true);
    CaseFace->setChecked(true);
    // Choosing a number means that cassette.
    connect(ComboK7, &QComboBox::activated, this, [this] { CaseUne->setChecked(true); });

    BtnApercu = boutonOrange(this, QStringLiteral("Aperçu"));
    BtnApercu->setGeometry(pixels(240), pixels(2040), pixels(3120), pixels(450));
    BtnApercu->setDefault(true);
    BtnImprimer = boutonOrange(this, QStringLiteral("Imprimer"));
    BtnImprimer->setGeometry(pixels(3480), pixels(2040), pixels(3120), pixels(450));
    BtnPdf = boutonOrange(this, QStringLiteral("Enregistrer en PDF…"));
    BtnPdf->setGeometry(pixels(240), pixels(2700), pixels(3120), pixels(450));
    BtnFermer = boutonOrange(this, QStringLiteral("Fermer"));
    BtnFermer->setGeometry(pixels(3480), pixels(2700), pixels(3120), pixels(450));
    lettreAcces(BtnApercu, 'A');
    lettreAcces(BtnImprimer, 'I');
    lettreAcces(BtnPdf, 'P');
    lettreAcces(BtnFermer, 'M');
    ordreTabulation(
        {CaseUne, ComboK7, CaseToutes, CaseFace, CaseTranche, BtnApercu, BtnImprimer, BtnPdf, BtnFermer});
    connect(BtnApercu, &QPushButton::clicked, this, &ImpressionEtiquettes::BtnApercu_Click);
    connect(BtnImprimer, &QPushButton::clicked, this, &ImpressionEtiquettes::BtnImprimer_Click);
    connect(BtnPdf, &QPushButton::clicked, this, &ImpressionEtiquettes::BtnPdf_Click);
    connect(BtnFermer, &QPushButton::clicked, this, &ImpressionEtiquettes::BtnFermer_Click);
}

void ImpressionEtiquettes::Form_Load() {
    Appli::Sablier sablier;
    DataK7.setDatabaseName(QDir(Moniteur::cheminAppli()).filePath(Catalogue::NomCatalogue));
    // Every cassette's record holds its films' titles and lengths: one reading gives all labels.
    DataK7.setRecordSource(QStringLiteral("SELECT IdK7, Durée, Status FROM K7 ORDER BY IdK7"));
    bool lu = DataK7.Refresh();
    for (; lu && !DataK7.Eof(); DataK7.MoveNext()) {
        lu = DataK7.Lisible();
        if (lu)
            m_cassettes.append({DataK7.Fields(QStringLiteral("IdK7")).toInt(),
                                DataK7.Texte(QStringLiteral("Durée")),
                                DataK7.Texte(QStringLiteral("Status"))});
    }
    // Labels from a catalogue read in part would pass for complete.
    if (!lu) {
        m_cassettes.clear();
        Appli::defaut();
        Messages::lectureImpossible(DataK7);
    }
    for (const PlancheEtiquettes::Cassette& k : std::as_const(m_cassettes))
        ComboK7->addItem(QString::number(k.numero), k.numero);
    // The cassette of the film the main window shows.
    const Moniteur* m = Moniteur::instance();
    const int courante = m && m->FilmPresent ? m->DataK7.Fields(QStringLiteral("IdK7")).toInt() : 0;
    const int i = ComboK7->findData(courante);
    ComboK7->setCurrentIndex(i >= 0 ? i : 0);
    CaseToutes->setText(QStringLiteral("&Toutes les cassettes (%1)").arg(m_cassettes.size()));
    for (QPushButton* b : {BtnApercu, BtnImprimer, BtnPdf})
        b->setEnabled(!m_cassettes.isEmpty());
}

QList<PlancheEtiquettes::Cassette> ImpressionEtiquettes::choisies() const {
    if (CaseToutes->isChecked())
        return m_cassettes;
    const int numero = ComboK7->currentData().toInt();
    for (const PlancheEtiquettes::Cassette& k : m_cassettes)
        if (k.numero == numero)
            return {k};
    return {};
}

PlancheEtiquettes::Modele ImpressionEtiquettes::modele() const {
    return CaseTranche->isChecked() ? PlancheEtiquettes::Modele::Tranche : PlancheEtiquettes::Modele::Face;
}

QString ImpressionEtiquettes::nom() const {
    const QString forme = modele() == PlancheEtiquettes::Modele::Face ? QStringLiteral("de face")
                                                                      : QStringLiteral("de tranche");
    return CaseToutes->isChecked() ? QStringLiteral("Étiquettes ") + forme
                                   : QStringLiteral("Étiquette %1 K7 %2").arg(forme, ComboK7->currentText());
}

ApercuImpression::Dessin ImpressionEtiquettes::dessin() const {
    return [k7 = choisies(), m = modele()](QPrinter& p) { return PlancheEtiquettes::dessiner(p, m, k7); };
}

void ImpressionEtiquettes::BtnApercu_Click() {
    if (choisies().isEmpty())
        return;
    Appli::Sablier sablier;
    auto* apercu = new ApercuImpression;
    apercu->charger();
    apercu->NomListe = nom();
    apercu->setDessin(dessin(), Objet);
    m_apercu = apercu;
    Appli::defaut();
    apercu->ShowModal(this);
    m_apercu = nullptr;
}

void ImpressionEtiquettes::BtnImprimer_Click() {
    if (!choisies().isEmpty())
        ApercuImpression::imprimer(this, Objet, dessin());
}

void ImpressionEtiquettes::BtnPdf_Click() {
    if (!choisies().isEmpty())
        ApercuImpression::enregistrerPdf(this, nom(), Objet, dessin());
}

void ImpressionEtiquettes::BtnFermer_Click() {
    Unload();
}
