# Qt's headers are most of what every source file parses: they are compiled once per build
# (precompiled headers) and shared by the targets compiled with the same options.
option(CASSETRON_PCH "Précompiler les en-têtes de Qt" ON)

set(CASSETRON_ENTETES_CORE
    <algorithm> <functional> <memory> <QByteArray> <QDateTime> <QDir> <QFile> <QFileInfo>
    <QHash> <QList> <QLocale> <QObject> <QRegularExpression> <QString> <QStringList> <QVariant>
    <QVector>)
set(CASSETRON_ENTETES_ECRANS ${CASSETRON_ENTETES_CORE}
    <QAction> <QApplication> <QComboBox> <QFrame> <QHeaderView> <QKeyEvent> <QLabel>
    <QLineEdit> <QMenu> <QPainter> <QPixmap> <QPlainTextEdit> <QPointer> <QPrinter>
    <QPushButton> <QScrollBar> <QTextDocument> <QTextEdit> <QTimer> <QToolButton> <QWidget>)

# cassetron_entetes(CIBLE CORE|ECRANS [MODELE]): CIBLE parses the headers of that list once, or
# takes the ones MODELE compiled. A model must be compiled with the same options (Qt gives every
# target -fPIC, programs included); GCC refuses other headers, which -Winvalid-pch makes an error
# under -Werror rather than a silent slowdown.
function(cassetron_entetes cible liste)
    if(NOT CASSETRON_PCH OR NOT TARGET ${cible})
        return()
    endif()
    if(ARGC GREATER 2)
        target_precompile_headers(${cible} REUSE_FROM ${ARGV2})
    else()
        target_precompile_headers(${cible} PRIVATE ${CASSETRON_ENTETES_${liste}})
    endif()
endfunction()
