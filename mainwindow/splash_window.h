// The splash window shown while the program starts: the program's picture (our own, or
// quillark_splash.jpg from the program folder), the version and the build.
#pragma once

#include <QLabel>
#include <QWidget>

namespace mainwindow {

inline constexpr const char *kVersionText = "Ver 0.3a5";
inline constexpr const char *kBuildText = "Build: 20110109";

// The picture of the splash window and the about box.
QPixmap SplashPicture();

class SplashWindow : public QWidget {
    Q_OBJECT
public:
    explicit SplashWindow(QWidget *owner);

    QLabel *Picture1;
    QLabel *Label1;
    QLabel *Label2;
};

}  // namespace mainwindow
