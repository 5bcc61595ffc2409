#include "mainwindow/splash_window.h"

#include "platform/base/atomic_file.h"
#include "platform/base/program_folder.h"

#include <QPainter>
#include <QPixmap>

namespace mainwindow {
namespace {

// The built-in picture: the program's name on a quiet gradient.
QPixmap BuiltInPicture()
{
    QPixmap picture(360, 200);
    QPainter painter(&picture);
    QLinearGradient gradient(0, 0, 0, picture.height());
    gradient.setColorAt(0, QColor(250, 250, 255));
    gradient.setColorAt(1, QColor(200, 215, 240));
    painter.fillRect(picture.rect(), gradient);
    painter.setPen(QColor(40, 60, 110));
    QFont font = painter.font();
    font.setPointSize(32);
    font.setBold(true);
    painter.setFont(font);
    painter.drawText(picture.rect().adjusted(0, 0, 0, -40), Qt::AlignCenter, QStringLiteral("Quillark"));
    return picture;
}

}  // namespace

QPixmap SplashPicture()
{
    std::string custom;
    QPixmap picture;
    if (platform::ReadWholeFile(platform::ProgramFile("quillark_splash.jpg"), custom) &&
        picture.loadFromData(QByteArray::fromStdString(custom)) && !picture.isNull()) {
        return picture;
    }
    return BuiltInPicture();
}

SplashWindow::SplashWindow(QWidget *owner) : QWidget(owner, Qt::SplashScreen | Qt::FramelessWindowHint)
{
    Picture1 = new QLabel(this);
    Picture1->setPixmap(SplashPicture());
    Picture1->adjustSize();
    Label1 = new QLabel(QString::fromUtf8(kVersionText), this);
    Label2 = new QLabel(QString::fromUtf8(kBuildText), this);
    int bottom = Picture1->height();
    Label1->move(12, bottom - 40);
    Label2->move(12, bottom - 22);
    setFixedSize(Picture1->size());
}

}  // namespace mainwindow
