// Draws the program's icon resources/cassetron.png (the cassette the program draws on its toolbar).
// Usage: QT_QPA_PLATFORM=offscreen CreerIcone resources/cassetron.png

#include "screens/main/Pictos.h"

#include <QApplication>
#include <QPixmap>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (app.arguments().size() != 2)
        return 2;
    return Pictos::image(Pictos::VisuK7, 256).save(app.arguments().at(1)) ? 0 : 1;
}
