#include "toolwindows/text_window.h"

#include "platform/forms/controls.h"
#include "toolwindows/dialog_support.h"

#include <QEvent>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

#include <algorithm>
#include <cmath>

namespace toolwindows {
namespace {

const char *const kDefaultFontName = "ＭＳ ゴシック";
const char *const kPlainFontName = "ＭＳ Ｐゴシック";
constexpr int kPlainPointSize = 9;
constexpr int kPreviewPointSize = 16;
constexpr float kCanvasPointSize = 64.0f;
constexpr int kWindowWidth = 330;
constexpr int kFrameHeight = 120;
constexpr double kMaxTypedAngle = 1.0e9;
constexpr double kMaxSpacing = 10000.0;

QLabel *AddLabel(const char *caption, QWidget *parent, int x, int y, int width)
{
    auto *label = new QLabel(QString::fromUtf8(caption), parent);
    label->setGeometry(x, y, width, 20);
    return label;
}

platform::TextBox *AddNumberBox(const char *text, QWidget *parent, int x, int y)
{
    auto *box = new platform::TextBox(parent);
    box->setGeometry(x, y, 50, 22);
    box->SetText(QString::fromUtf8(text));
    return box;
}

}  // namespace

std::vector<std::string> OutlineFontNames(std::vector<std::string> names, bool useVerticalFont)
{
    if (!useVerticalFont) {
        std::erase_if(names, [](const std::string &name) { return !name.empty() && name.front() == '@'; });
    }
    std::sort(names.begin(), names.end());
    return names;
}

TextFontGUI::TextFontGUI(QWidget *owner) : QDialog(owner)
{
    setWindowTitle(QStringLiteral("テキストの描画"));
    BuildControls();
    ConnectHandlers();
    CollapsedHeight = height();
}

void TextFontGUI::BuildControls()
{
    AddLabel("フォント", this, 8, 10, 60);
    Combo1 = new platform::ComboBox(this);
    Combo1->setGeometry(70, 8, 250, 22);
    Combo1->SetText(QString::fromUtf8(kDefaultFontName));
    AddLabel("テキスト", this, 8, 36, 60);
    Text1 = new QPlainTextEdit(this);
    Text1->setGeometry(8, 56, 312, 90);
    Text1->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    Text1->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    Text1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Text1->installEventFilter(this);
    Check1 = new platform::CheckBox(QStringLiteral("太字"), this);
    Check1->setGeometry(8, 152, 60, 20);
    Check2 = new platform::CheckBox(QStringLiteral("斜体"), this);
    Check2->setGeometry(70, 152, 60, 20);
    Check3 = new platform::CheckBox(QStringLiteral("ﾌﾟﾚﾋﾞｭｰ"), this);
    Check3->setGeometry(132, 152, 80, 20);
    Check4 = new platform::CheckBox(QStringLiteral("▽"), this);
    Check4->setGeometry(8, 180, 40, 24);
    Check4->SetGraphical(true);
    Command1 = new QPushButton(QStringLiteral("OK"), this);
    Command1->setGeometry(150, 180, 80, 24);
    Command1->setDefault(true);
    Command2 = new QPushButton(QStringLiteral("キャンセル"), this);
    Command2->setGeometry(238, 180, 80, 24);
    BuildLayoutFrame();
    resize(kWindowWidth, 212);
    setFixedHeight(212);
}

void TextFontGUI::BuildLayoutFrame()
{
    Frame1 = new QGroupBox(this);
    Frame1->setGeometry(8, 212, 312, kFrameHeight - 8);
    Frame1->hide();  // the window opens folded
    Check5 = new platform::CheckBox(QStringLiteral("円形に配置"), Frame1);
    Check5->setGeometry(8, 4, 150, 20);
    AddLabel("1文字目の角度", Frame1, 8, 28, 90);
    Text2 = AddNumberBox("0", Frame1, 100, 26);
    AddLabel("°12時方向から時計回り", Frame1, 154, 28, 150);
    AddLabel("円弧の角度", Frame1, 8, 52, 90);
    Text3 = AddNumberBox("360", Frame1, 100, 50);
    AddLabel("°360=円　180=半円", Frame1, 154, 52, 150);
    AddLabel("文字の間隔", Frame1, 8, 76, 90);
    Text4 = AddNumberBox("100", Frame1, 100, 74);
    AddLabel("%", Frame1, 154, 76, 20);
    Check6 = new platform::CheckBox(QStringLiteral("文字を回転しない"), Frame1);
    Check6->setGeometry(176, 76, 130, 20);
}

void TextFontGUI::ConnectHandlers()
{
    connect(Check1, &platform::CheckBox::Click, this, &TextFontGUI::Check3_Click);
    connect(Check2, &platform::CheckBox::Click, this, &TextFontGUI::Check3_Click);
    connect(Check3, &platform::CheckBox::Click, this, &TextFontGUI::Check3_Click);
    connect(Check4, &platform::CheckBox::Click, this, &TextFontGUI::Check4_Click);
    connect(Combo1, &platform::ComboBox::Click, this, &TextFontGUI::Check3_Click);
    connect(Combo1, &QComboBox::editTextChanged, this, &TextFontGUI::Check3_Click);
    connect(Command1, &QPushButton::clicked, this, &TextFontGUI::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &TextFontGUI::Command2_Click);
}

void TextFontGUI::EnumTrueTypeFont(bool useVerticalFont)
{
    SetFontNames(OutlineFontNames(platform::ListOutlineFontFamilies(), useVerticalFont));
}

void TextFontGUI::SetFontNames(const std::vector<std::string> &names)
{
    fontNames_ = names;
    QSignalBlocker quiet(Combo1);
    Combo1->clear();
    for (const std::string &name : fontNames_) {
        Combo1->addItem(QString::fromStdString(name));
    }
    Combo1->SetText(QString::fromUtf8(kDefaultFontName));
}

core::TextToolValues TextFontGUI::Values() const
{
    core::TextToolValues values;
    values.Text = Text1->toPlainText().toStdString();
    values.ArcLayout = Check5->Value() == 1;
    values.KeepUpright = Check6->Value() == 1;
    // Angles repeat every turn; only the first character's place within the turn matters.
    values.FirstAngle = std::fmod(TypedNumber(Text2->Text(), -kMaxTypedAngle, kMaxTypedAngle), 360.0);
    values.ArcAngle = TypedNumber(Text3->Text(), -360.0, 360.0);
    values.Spacing = TypedNumber(Text4->Text(), -kMaxSpacing, kMaxSpacing);
    return values;
}

void TextFontGUI::ShowPlainText()
{
    QFont plain(QString::fromUtf8(kPlainFontName), kPlainPointSize);
    plain.setBold(false);
    plain.setItalic(false);
    Text1->setFont(plain);
    Text1->document()->setDefaultTextOption(QTextOption(Qt::AlignLeft));
}

// The preview shows the text in the chosen font; a font that is not installed gives the plain text.
void TextFontGUI::Check3_Click()
{
    QString family = Combo1->Text();
    if (Check3->Value() != 1 || family.isEmpty()) {
        ShowPlainText();
        return;
    }
    QFont font(family, kPreviewPointSize);
    font.setBold(Check1->Value() == 1);
    font.setItalic(Check2->Value() == 1);
    if (QFontInfo(font).family().compare(family, Qt::CaseInsensitive) != 0) {
        ShowPlainText();
        return;
    }
    Text1->setFont(font);
}

void TextFontGUI::Check4_Click()
{
    bool unfolded = Check4->Value() == 1;
    setFixedHeight(unfolded ? CollapsedHeight + kFrameHeight : CollapsedHeight);
    // Folded away, nothing of the frame shows whatever height the window manager leaves the
    // window, and the keyboard does not go into it.
    Frame1->setVisible(unfolded);
    Check4->setText(unfolded ? QStringLiteral("△") : QStringLiteral("▽"));
    Command1->setFocus();
}

void TextFontGUI::Command1_Click()
{
    if (!Combo1->Text().isEmpty()) {
        canvasFont_.Family = Combo1->Text().toStdString();
    }
    canvasFont_.Bold = Check1->Value() == 1;
    canvasFont_.Italic = Check2->Value() == 1;
    canvasFont_.PointSize = kCanvasPointSize;
    done(QDialog::Accepted);
}

void TextFontGUI::Command2_Click()
{
    Text1->clear();
    done(QDialog::Rejected);
}

// While the text has the focus, Enter starts a new line instead of pressing "OK".
void TextFontGUI::Text1_GotFocus()
{
    Command1->setDefault(false);
    Command1->setAutoDefault(false);
}

void TextFontGUI::Text1_LostFocus()
{
    Command1->setDefault(true);
}

bool TextFontGUI::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == Text1) {
        if (event->type() == QEvent::FocusIn) {
            Text1_GotFocus();
        } else if (event->type() == QEvent::FocusOut) {
            Text1_LostFocus();
        }
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace toolwindows
