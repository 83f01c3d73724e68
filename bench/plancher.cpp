// The floor of the screen benchmark: the least a Qt Widgets program takes to show a window.
#include <QApplication>
#include <QLabel>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QLabel etiquette(QStringLiteral("Plancher"));
    etiquette.setWindowTitle(QStringLiteral("Plancher"));
    etiquette.resize(300, 100);
    etiquette.show();
    return QApplication::exec();
}
