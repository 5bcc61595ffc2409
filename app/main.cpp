// Quillark start-up: the main window brings the program up and takes the command line's file.
#include "mainwindow/draw_gui.h"
#include "platform/base/idle_memory_release.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QStringList>
#include <QTranslator>

int main(int argc, char **argv)
{
    platform::MapLargeBlocksApart();
    QApplication app(argc, argv);
    // The toolkit's own dialogs (file chooser, colour and message buttons) speak Japanese too.
    QTranslator toolkitTexts;
    if (toolkitTexts.load(QStringLiteral("qtbase_ja"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QApplication::installTranslator(&toolkitTexts);
    }
    // The whole command-line text after the program's name: at most one drawing file.
    QStringList arguments = QApplication::arguments();
    arguments.removeFirst();
    mainwindow::DrawGUI window;
    window.Form_Load(arguments.join(QLatin1Char(' ')));
    return app.exec();
}
