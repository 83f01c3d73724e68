#include "screens/auxiliary/Introduction.h"
#include "screens/common/Appli.h"
#include "screens/common/Instance.h"
#include "screens/common/Messages.h"
#include "screens/main/Pictos.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Cassetron"));
    // No display name: Qt would append it to every window title. The desktop still knows the
    // program by its class (WM_CLASS, from the application name) and its desktop entry.
    QGuiApplication::setDesktopFileName(QStringLiteral("cassetron"));
    QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
    // The standard dialogs (file choice, printing) speak French too when Qt's translations are there.
    QTranslator traduction;
    if (traduction.load(QLocale(QLocale::French), QStringLiteral("qtbase"), QStringLiteral("_"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&traduction);
    QApplication::setWindowIcon(Pictos::icone(Pictos::VisuK7));

    // Before anything reads or installs the catalogue.
    const InstanceUnique instance(Appli::dossier());
    if (!instance.acquise()) {
        Messages::MsgBox(instance.refus(), Messages::Exclamation);
        return 1;
    }

    auto* introduction = new Introduction;
    introduction->Show();
    return QApplication::exec();
}
