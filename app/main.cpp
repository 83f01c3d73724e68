#include "screens/auxiliary/Introduction.h"
#include "screens/common/Appli.h"
#include "screens/common/Instance.h"
#include "screens/common/Messages.h"
#include "screens/main/Pictos.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <malloc.h>

int main(int argc, char** argv) {
    // Large blocks from the heap, and the heap kept when they are freed: a large catalogue's
    // sort buffers and lists come and go, and memory given back to the system had to be
    // faulted in afresh, page by page, by the next one.
    mallopt(M_MMAP_THRESHOLD, 64 * 1024 * 1024);
    mallopt(M_TRIM_THRESHOLD, 128 * 1024 * 1024);
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
