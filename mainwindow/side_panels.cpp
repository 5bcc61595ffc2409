#include "mainwindow/side_panels.h"

#include "canvastools/canvas_input_state.h"
#include "canvastools/status_line.h"
#include "canvastools/tool_palette.h"
#include "core/path_attributes.h"
#include "mainwindow/draw_gui.h"
#include "mainwindow/main_state.h"
#include "movie/canvas_movie.h"
#include "platform/base/number_text.h"

#include <QEvent>

#include <cmath>
#include <functional>

namespace mainwindow {
namespace {

using canvastools::Input;

// Writes a control's hint into the status line whenever the mouse enters or moves over it.
class HoverHint : public QObject {
public:
    HoverHint(QWidget *control, std::function<QString()> hint) : QObject(control), hint_(std::move(hint))
    {
        control->setMouseTracking(true);
        control->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject * /*watched*/, QEvent *event) override
    {
        if (event->type() == QEvent::Enter || event->type() == QEvent::MouseMove) {
            canvastools::SetStatusText(hint_());
        }
        return false;
    }

private:
    std::function<QString()> hint_;
};

void AddHint(QWidget *control, const char *text)
{
    QString hint = QString::fromUtf8(text);
    new HoverHint(control, [hint] { return hint; });
}

}  // namespace

float LineWidthFromText(const QString &text)
{
    float width = static_cast<float>(platform::Val(text.toStdString()));
    if (std::isnan(width)) {
        return 0.0f;
    }
    if (width < 0.0f) {
        return 1.0f;
    }
    return std::min(width, kMaxLineWidth);
}

QString SingleText(float value)
{
    QString text = QString::fromStdString(platform::FormatSingle(value));
    if (text.startsWith(QLatin1Char('.'))) {
        text.prepend(QLatin1Char('0'));
    } else if (text.startsWith(QStringLiteral("-."))) {
        text.insert(1, QLatin1Char('0'));
    }
    return text;
}

QString GridSnapHint(bool onlyWithVisibleGrid)
{
    return QStringLiteral("[グリッド吸着]　") + (onlyWithVisibleGrid ? QStringLiteral("ｸﾞﾘｯﾄﾞ表示中のみ") : QString()) +
           QStringLiteral("ｸﾞﾘｯﾄﾞに吸着する　(G)");
}

void DrawGUI::ConnectSidePanels()
{
    BuildColorFrames();
    connect(Check1, &platform::CheckBox::Click, this, &DrawGUI::Check1_Click);
    connect(Check2, &platform::CheckBox::Click, this, &DrawGUI::Check2_Click);
    connect(Check3, &platform::CheckBox::Click, this, &DrawGUI::Check3_Click);
    connect(Check4, &platform::CheckBox::Click, this, &DrawGUI::Check4_Click);
    connect(Check5, &platform::CheckBox::Click, this, &DrawGUI::Check5_Click);
    connect(Check6, &platform::CheckBox::Click, this, &DrawGUI::Check6_Click);
    AddHint(Check1, "[リアルタイム描画]　描画をﾘｱﾙﾀｲﾑに行う　(R)");
    AddHint(Check3, "[下絵を表示]　ｷｬﾝﾊﾞｽのﾌﾟﾛﾊﾟﾃｨで設定した下絵を表示する　(B)");
    AddHint(Check4, "[下絵を前面に表示]　下絵を全てのパスより前面に表示する　(F)");
    AddHint(Check5, "[グリッドを表示]　ｷｬﾝﾊﾞｽのﾌﾟﾛﾊﾟﾃｨで設定したｸﾞﾘｯﾄﾞを表示　(Ctrl+G)");
    new HoverHint(Check6, [] { return GridSnapHint(Main().NotSnapInvisibleGrid == 1); });
    connect(Combo1, &platform::ComboBox::Click, this, &DrawGUI::Combo1_Click);
    connect(Combo1, &platform::ComboBox::KeyPress, this, [this](int key) {
        if (key == 13) {
            Combo1_Click();
        }
    });

    connect(PicColor, &platform::PictureBox::MouseDown, this, &DrawGUI::PicColor_MouseDown);
    connect(PicColor, &platform::PictureBox::MouseMove, this, [this] {
        canvastools::SetStatusText(
            QStringLiteral("[ｶﾗｰｲﾝｼﾞｹｰﾀ]　左ｸﾘｯｸ：選択ﾊﾟｽ全ての色を変更　右ｸﾘｯｸ：色をﾕｰｻﾞｰｶﾗｰにｺﾋﾟｰ"));
        for (QLabel *label : {static_cast<QLabel *>(Label3), static_cast<QLabel *>(Label4)}) {
            label->setForegroundRole(QPalette::PlaceholderText);
        }
    });
    connect(Label3, &platform::Label::Click, this, &DrawGUI::Label3_Click);
    connect(Label4, &platform::Label::Click, this, &DrawGUI::Label4_Click);
    connect(Label5, &platform::Label::Click, this, &DrawGUI::Label5_Click);
    auto lightUp = [](platform::Label *label, const char *hint) {
        QString text = QString::fromUtf8(hint);
        connect(label, &platform::Label::MouseMove, label, [label, text] {
            canvastools::SetStatusText(text);
            label->setForegroundRole(QPalette::ButtonText);
        });
    };
    lightUp(Label3, "[ｶﾗｰｲﾝｼﾞｹｰﾀ]　左クリックで線色と塗潰色を入れ替える");
    lightUp(Label4, "[ｶﾗｰｲﾝｼﾞｹｰﾀ]　左クリックで選択パスの色を抽出する");
    connect(Label5, &platform::Label::MouseMove, this,
            [] { canvastools::SetStatusText(QStringLiteral("[ｶﾗｰｲﾝｼﾞｹｰﾀ]　左クリックで塗潰色とグラデ色を入れ替える")); });
    for (int i = 0; i < 3; ++i) {
        size_t k = static_cast<size_t>(i);
        connect(HScroll3[k], &platform::ScrollBar::Change, this, [this, i] { HScroll3_Change(i); });
        connect(HScroll3[k], &platform::ScrollBar::Scroll, this, [this, i] { HScroll3_Scroll(i); });
        connect(HScroll2[k], &platform::ScrollBar::Change, this, [this, i] { HScroll2_Change(i); });
        connect(HScroll2[k], &platform::ScrollBar::Scroll, this, [this, i] { HScroll2_Change(i); });
        connect(Text1[k], &platform::TextBox::Change, this, [this, i] { Text1_Change(i); });
        connect(Text2[k], &platform::TextBox::Change, this, [this, i] { Text2_Change(i); });
        for (platform::TextBox *box : {Text1[k], Text2[k]}) {
            connect(box, &platform::TextBox::GotFocus, &sidePanelFocus_, [this, box] {
                box->selectAll();
                keyPreview->SetEnabled(false);
            });
            connect(box, &platform::TextBox::LostFocus, &sidePanelFocus_, [this] {
                keyPreview->SetEnabled(true);
                Picture1->setFocus();
            });
        }
    }

    connect(PicPicker, &platform::PictureBox::MouseDown, this, &DrawGUI::PicPicker_MouseDown);
    connect(PicPicker, &platform::PictureBox::MouseMove, this, &DrawGUI::PicPicker_MouseMove);
    connect(PicPicker, &platform::PictureBox::MouseUp, this, &DrawGUI::PicPicker_MouseUp);
    connect(PicPicker, &platform::PictureBox::OLEDragDrop, this,
            [this](const QStringList &files) { PicPicker_OLEDragDrop(files); });
    connect(PicUserColor, &platform::PictureBox::MouseDown, this, &DrawGUI::PicUserColor_MouseDown);
    connect(Text3, &platform::TextBox::KeyPress, this, &DrawGUI::Text3_KeyPress);
    connect(Text3, &platform::TextBox::GotFocus, &sidePanelFocus_, [this] { keyPreview->SetEnabled(false); });
    connect(Text3, &platform::TextBox::LostFocus, &sidePanelFocus_, [this] {
        Text3->hide();
        keyPreview->SetEnabled(true);
    });
    connect(VScroll2, &platform::ScrollBar::Change, this, &DrawGUI::VScroll2_Change);
    connect(VScroll2, &platform::ScrollBar::Scroll, this, &DrawGUI::VScroll2_Change);
    connect(Command1, &QPushButton::clicked, this, &DrawGUI::Command1_Click);
    connect(menus.mnuUserColorAdd, &platform::MenuItem::Click, this, &DrawGUI::mnuUserColorAdd_Click);
    connect(menus.mnuUserColorCopy, &platform::MenuItem::Click, this, &DrawGUI::mnuUserColorCopy_Click);
    connect(menus.mnuUserColorDelete, &platform::MenuItem::Click, this, &DrawGUI::mnuUserColorDelete_Click);
    connect(menus.mnuUserColorMoveUp, &platform::MenuItem::Click, this, &DrawGUI::mnuUserColorMoveUp_Click);
    connect(menus.mnuUserColorMoveDown, &platform::MenuItem::Click, this, &DrawGUI::mnuUserColorMoveDown_Click);
    connect(menus.mnuUserColorMoveTop, &platform::MenuItem::Click, this, &DrawGUI::mnuUserColorMoveTop_Click);
    connect(menus.mnuUserColorMoveBottom, &platform::MenuItem::Click, this, &DrawGUI::mnuUserColorMoveBottom_Click);
    connect(menus.mnuUserColorSet, &platform::MenuArray::Click, this, &DrawGUI::mnuUserColorSet_Click);

    connect(PicStatus, &platform::PictureBox::MouseDown, this, &DrawGUI::PicStatus_MouseDown);
    connect(PicStatus, &platform::PictureBox::MouseMove, this, &DrawGUI::PicStatus_MouseMove);
}

void DrawGUI::BuildColorFrames()
{
    const char *const opacityCaptions[] = {"線", "塗潰し", "グラデ"};
    const char *const channelCaptions[] = {"R", "G", "B"};
    auto slider = [](QWidget *parent, int x, int y, int width) {
        auto *bar = new platform::ScrollBar(Qt::Horizontal, parent);
        bar->setGeometry(x, y, width, 17);
        bar->SetMax(255);
        bar->SetSmallChange(1);
        bar->SetLargeChange(51);
        bar->setFocusPolicy(Qt::NoFocus);
        return bar;
    };
    auto textBox = [](QWidget *parent, int x, int y) {
        auto *box = new platform::TextBox(parent);
        box->setGeometry(x, y, 32, 17);
        return box;
    };
    for (size_t i = 0; i < 3; ++i) {
        int y = 16 + 18 * static_cast<int>(i);
        Label2[i] = new QLabel(QString::fromUtf8(opacityCaptions[i]), Frame2);
        Label2[i]->setGeometry(4, y, 44, 17);
        Label2[i]->setAlignment(Qt::AlignCenter);
        Label2[i]->setAutoFillBackground(true);
        HScroll3[i] = slider(Frame2, 50, y, 62);
        HScroll3[i]->SetValue(255);  // the opacities of the initial colours
        Text2[i] = textBox(Frame2, 114, y);
        Text2[i]->SetText(QStringLiteral("255"));
        Label1[i] = new QLabel(QString::fromUtf8(channelCaptions[i]), Frame1);
        Label1[i]->setGeometry(4, y, 12, 17);
        HScroll2[i] = slider(Frame1, 18, y, 110);
        HScroll2[i]->SetValue(255);
        HScroll2[i]->setEnabled(false);
        Text1[i] = textBox(Frame1, 130, y);
        Text1[i]->SetText(QStringLiteral("255"));
        Text1[i]->setEnabled(false);
    }
    PicUserColor = new platform::PictureBox(Frame1);
    PicUserColor->setGeometry(170, 18, 22, 44);
    Text3 = new platform::TextBox(Frame1);
    Text3->setGeometry(96, 30, 72, 20);
    Text3->hide();

    PicColor->SetBackColor(platform::BgrFromRgb(PicColor->palette().color(QPalette::Window).rgb()));
    Label3 = new platform::Label(QStringLiteral("┗"), PicColor);
    Label3->setGeometry(2, 24, 12, 14);
    Label4 = new platform::Label(QStringLiteral("▼"), PicColor);
    Label4->setGeometry(35, 1, 12, 12);
    Label5 = new platform::Label(QString(), PicColor);
    Label5->setGeometry(15, 40, 33, 8);
    for (QLabel *label : {static_cast<QLabel *>(Label3), static_cast<QLabel *>(Label4)}) {
        label->setForegroundRole(QPalette::PlaceholderText);
    }

    VScroll2 = new platform::ScrollBar(Qt::Vertical, PicPicker);
    VScroll2->setGeometry(339, 19, 19, 50);
    VScroll2->setFocusPolicy(Qt::NoFocus);
    VScroll2->setEnabled(false);
}

// ---- the display toggles ----

void DrawGUI::Check1_Click()
{
    Picture1->setFocus();
    Input().RealtimeMode = Check1->Value() == 1;
}

void DrawGUI::Check2_Click()
{
    Picture1->setFocus();
    QWidget *before = PicColor;
    if (Check2->Value() == 1) {
        Frame2->setVisible(true);
        before = Frame2;
    } else {
        Frame2->setVisible(false);
    }
    PicPicker->move(before->x() + before->width() + 2, PicPicker->y());
    Frame1->move(PicPicker->x() + PicPicker->width() + 2, Frame1->y());
}

void DrawGUI::Check3_Click()
{
    Picture1->setFocus();
    movie::MakeCanvasMovie();
    DispShape(1);
}

void DrawGUI::Check4_Click()
{
    canvastools::SetToolButtonFace(Main().UseToolIcons, 1);
    Check3_Click();
}

void DrawGUI::Check5_Click()
{
    Check3_Click();
}

void DrawGUI::Check6_Click()
{
    Picture1->setFocus();  // the canvas tools read the box when they snap
}

void DrawGUI::Combo1_Click()
{
    float width = LineWidthFromText(Combo1->Text());
    Input().CurrentLineWidth = width;
    Combo1->SetText(SingleText(width) + QStringLiteral(" pt"));
    core::SetSelectedLineWidth(width);
    movie::MakeCanvasMovie();
    DispShape(1);
    Picture1->setFocus();
}

}  // namespace mainwindow
