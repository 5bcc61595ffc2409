#include "mainwindow/about_box.h"

#include "mainwindow/splash_window.h"

#include <QDesktopServices>
#include <QHBoxLayout>
#include <QUrl>
#include <QVBoxLayout>

namespace mainwindow {
namespace {

void SetTextColor(QLabel *label, const QColor &colour)
{
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
}

}  // namespace

VersionInfo::VersionInfo(QWidget *owner) : platform::DialogForm(owner)
{
    setWindowTitle(QString::fromUtf8("Quillark バージョン情報"));
    Picture1 = new QLabel;
    Label1 = new QLabel;
    Label2 = new QLabel;
    Label3 = new QLabel(QString::fromUtf8("ベクターお絵かきエディタ Quillark"));
    Label4 = new platform::Label(QString::fromUtf8(kHomePageAddress));
    Label4->setCursor(Qt::PointingHandCursor);
    SetTextColor(Label4, Qt::blue);
    Command1 = new QPushButton(QStringLiteral("OK"));
    Command1->setDefault(true);

    auto *texts = new QVBoxLayout;
    for (QLabel *label : {Label1, Label2, Label3, static_cast<QLabel *>(Label4)}) {
        texts->addWidget(label);
    }
    texts->addStretch();
    texts->addWidget(Command1, 0, Qt::AlignRight);
    auto *row = new QHBoxLayout(this);
    row->addWidget(Picture1);
    row->addLayout(texts);

    connect(Command1, &QPushButton::clicked, this, &VersionInfo::Command1_Click);
    connect(Label4, &platform::Label::Click, this, &VersionInfo::Label4_Click);
    Form_Load();
}

void VersionInfo::Form_Load()
{
    Label1->setText(QString::fromUtf8(kVersionText));
    Label2->setText(QString::fromUtf8(kBuildText));
    Picture1->setPixmap(SplashPicture());  // quillark_splash.jpg in the program folder when there is one
}

void VersionInfo::Command1_Click()
{
    accept();
}

void VersionInfo::Form_KeyPress(int keyAscii)
{
    if (keyAscii == platform::kEscapeAscii) {
        Command1_Click();
    }
}

void VersionInfo::Label4_Click()
{
    SetTextColor(Label4, Qt::red);
    if (!QDesktopServices::openUrl(QUrl(QString::fromUtf8(kHomePageAddress)))) {
        return;  // no browser: the link stays red and the box stays open
    }
    SetTextColor(Label4, Qt::blue);
}

}  // namespace mainwindow
