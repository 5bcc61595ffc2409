// Quillark start-up: the main window brings the program up and takes the command line's file.
#include "mainwindow/draw_gui.h"

#include <QApplication>
#include <QStringList>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    // The whole command-line text after the program's name: at most one drawing file.
    QStringList arguments = QApplication::arguments();
    arguments.removeFirst();
    mainwindow::DrawGUI window;
    window.Form_Load(arguments.join(QLatin1Char(' ')));
    return app.exec();
}
