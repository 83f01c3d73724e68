#include "tests/support/Ecrans.h"

#include "screens/common/Dialogues.h"

#include <QApplication>
#include <QTest>

Repondeur::Repondeur() {
    Messages::setRepondeur([this](const QString& texte, int style) {
        m_messages.append({texte, style});
        // Every suite checks it: a box under the hourglass looks as if it could not be answered.
        if (QApplication::overrideCursor())
            QTest::qFail(qPrintable(QStringLiteral("sablier sous le message : ") + texte), __FILE__,
                         __LINE__);
        if (m_reponses.isEmpty()) {
            QTest::qFail(qPrintable(QStringLiteral("message inattendu : ") + texte), __FILE__, __LINE__);
            return (style & 0x0F) == Messages::OuiNon ? Messages::Non : Messages::Ok;
        }
        return m_reponses.takeFirst();
    });
    Dialogues::setRepondeurFichier([this](const QString& filtre) {
        if (m_fichiers.isEmpty()) {
            QTest::qFail(qPrintable(QStringLiteral("choix de fichier inattendu : ") + filtre), __FILE__,
                         __LINE__);
            return QString();
        }
        return m_fichiers.takeFirst();
    });
}

Repondeur::~Repondeur() {
    Messages::setRepondeur({});
    Dialogues::setRepondeurFichier({});
}

QStringList Repondeur::textes() const {
    QStringList t;
    for (const auto& m : m_messages)
        t << m.first;
    return t;
}
