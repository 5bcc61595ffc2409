// The File menu: new, open, the recent files, reading and writing clips, save and save as; files
// dropped on the canvas. The commands are members of DrawGUI; these are the dialogs' shared parts.
#pragma once

#include "platform/forms/file_dialogs.h"

#include <QString>

class QWidget;

namespace mainwindow {

// The folder the Open and Save As dialogs of drawings start in: the open drawing's folder; else
// the file browser's folder while it exists; else the program folder.
QString DrawingDialogFolder();
// The folder the clip and export dialogs start in: the open drawing's folder, else the program
// folder.
QString CurrentOrProgramFolder();

// A dialog record owned by the window with the filter, default extension, initial folder and
// proposed name.
platform::OpenFileName FileDialogRecord(QWidget *owner, const QString &filter, const QString &defaultExtension,
                                        const QString &folder, const QString &proposedName = QString());

}  // namespace mainwindow
