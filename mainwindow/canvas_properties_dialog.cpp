#include "mainwindow/canvas_properties_dialog.h"

#include "core/document.h"
#include "mainwindow/dialog_numbers.h"
#include "mainwindow/file_commands.h"
#include "mainwindow/settings_file.h"
#include "movie/canvas_movie.h"
#include "platform/base/program_folder.h"
#include "platform/forms/message_box.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace mainwindow {
namespace {

using core::Doc;

constexpr int kTwipsPerPixel = 20;
constexpr int kCustomFloodQuality = 4;

struct FloodPreset {
    float accuracy;
    float chink;
    float acute;
};

// The bucket-fill presets "低", "中", "高", "最高"; "カスタム" keeps the boxes' numbers.
constexpr std::array<FloodPreset, 4> kFloodPresets{{{2, 7, 30}, {4, 4, 25}, {6, 2, 20}, {8, 1, 10}}};

const char *const kQualityCaptions[] = {"低", "中", "高", "最高"};
const char *const kFloodCaptions[] = {"低", "中", "高", "最高", "カスタム"};
const char *const kConvertCaptions[] = {"ペン（均一な太さ）", "ブラシ（細）", "ブラシ（太）", "ブラシ（ｽﾄﾛｰｸ）"};
const char *const kColorCaptions[] = {"R", "G", "B"};

QString Utf8(const char *text)
{
    return QString::fromUtf8(text);
}

// A row of a frame's grid: caption, control and an optional unit after it.
// Adds a labelled control below what the grid holds; returns its row.
int AddRow(QGridLayout *grid, const char *caption, QWidget *control, const char *unit = nullptr)
{
    // An empty grid counts one row.
    int row = grid->isEmpty() ? 0 : grid->rowCount();
    grid->addWidget(new QLabel(Utf8(caption)), row, 0);
    grid->addWidget(control, row, 1);
    if (unit) {
        grid->addWidget(new QLabel(Utf8(unit)), row, 2);
    }
    return row;
}

platform::ScrollBar *NewSlider(int16_t max)
{
    auto *slider = new platform::ScrollBar(Qt::Horizontal);
    slider->SetMin(0);
    slider->SetMax(max);
    slider->setMinimumWidth(120);
    return slider;
}

platform::ComboBox *NewList(std::initializer_list<const char *> captions)
{
    auto *combo = new platform::ComboBox();
    combo->setEditable(false);
    for (const char *caption : captions) {
        combo->addItem(Utf8(caption));
    }
    combo->setCurrentIndex(-1);  // chosen when the dialog is filled
    return combo;
}

// Sets a list's index when the value names one of its items; other values leave it as it is.
void SetListIndex(platform::ComboBox *combo, int value)
{
    if (value >= 0 && value < combo->count()) {
        combo->setCurrentIndex(value);
    }
}

// The chosen index, or the field's value when nothing is chosen.
int16_t ListIndexOr(const platform::ComboBox *combo, int16_t current)
{
    return combo->currentIndex() >= 0 ? static_cast<int16_t>(combo->currentIndex()) : current;
}

// A grid spacing: pixels shown, twips stored.
int32_t GridTwipsOf(const QString &text)
{
    return platform::RoundToInt32(NumberOf(text) * kTwipsPerPixel);
}

}  // namespace

CanvasGUI::CanvasGUI(QWidget *owner) : platform::DialogForm(owner)
{
    setWindowTitle(Utf8("キャンバスのプロパティ"));
    BuildControls();
    ConnectHandlers();
    Form_Load();
}

// ---- building ----

void CanvasGUI::BuildControls()
{
    auto *left = new QVBoxLayout;
    left->addWidget(BuildSizeFrame());
    left->addWidget(BuildBackColorFrame());
    left->addWidget(BuildOptimizeFrame());
    left->addStretch();
    auto *middle = new QVBoxLayout;
    Check3 = new platform::CheckBox(Utf8("下絵を表示する"));
    middle->addWidget(Check3);
    middle->addWidget(BuildUnderlayFrame());
    middle->addWidget(BuildConvertFrame());
    middle->addStretch();
    auto *right = new QVBoxLayout;
    right->addWidget(BuildGridFrame());
    right->addWidget(BuildFloodFrame());
    right->addWidget(BuildOperationFrame());
    right->addStretch();

    Command1 = new QPushButton(QStringLiteral("OK"));
    Command2 = new QPushButton(Utf8("キャンセル"));
    Command4 = new QPushButton(Utf8("デフォルトに設定"));
    Command1->setDefault(true);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(Command4);
    buttons->addStretch();
    buttons->addWidget(Command1);
    buttons->addWidget(Command2);

    auto *columns = new QHBoxLayout;
    columns->addLayout(left);
    columns->addLayout(middle);
    columns->addLayout(right);
    auto *whole = new QVBoxLayout(this);
    whole->addLayout(columns);
    whole->addLayout(buttons);
}

QWidget *CanvasGUI::BuildSizeFrame()
{
    Frame1 = new QGroupBox(Utf8("サイズ"));
    auto *grid = new QGridLayout(Frame1);
    Text1 = new platform::TextBox;
    Text2 = new platform::TextBox;
    Combo1 = NewList({kQualityCaptions[0], kQualityCaptions[1], kQualityCaptions[2], kQualityCaptions[3]});
    AddRow(grid, "幅", Text1, "px");
    AddRow(grid, "高さ", Text2, "px");
    AddRow(grid, "画質", Combo1);
    return Frame1;
}

QWidget *CanvasGUI::BuildBackColorFrame()
{
    Frame2 = new QGroupBox(Utf8("背景色"));
    auto *grid = new QGridLayout(Frame2);
    for (size_t i = 0; i < 3; ++i) {
        HScroll2[i] = NewSlider(255);
        Text3[i] = new platform::TextBox;
        Text3[i]->SetText(QStringLiteral("255"));
        Text3[i]->setMaximumWidth(48);
        grid->addWidget(Text3[i], AddRow(grid, kColorCaptions[i], HScroll2[i]), 2);
    }
    PicBackColor = new QFrame;
    PicBackColor->setFrameShape(QFrame::Box);
    PicBackColor->setAutoFillBackground(true);
    PicBackColor->setFixedSize(40, 40);
    grid->addWidget(PicBackColor, 0, 3, 3, 1);
    return Frame2;
}

QWidget *CanvasGUI::BuildOptimizeFrame()
{
    Frame3 = new QGroupBox(Utf8("パスの最適化"));
    auto *column = new QVBoxLayout(Frame3);
    auto buildPart = [&](const char *caption, platform::CheckBox *&check, platform::TextBox *&text) {
        auto *frame = new QGroupBox(Utf8(caption));
        auto *grid = new QGridLayout(frame);
        check = new platform::CheckBox(Utf8("自動で最適化を行う"));
        text = new platform::TextBox;
        grid->addWidget(check, 0, 0, 1, 2);
        AddRow(grid, "既定値", text);
        column->addWidget(frame);
        return frame;
    };
    Frame4 = buildPart("弱い最適化", Check1, Text4);
    Frame5 = buildPart("強い最適化", Check2, Text5);
    return Frame3;
}

QWidget *CanvasGUI::BuildUnderlayFrame()
{
    Frame6 = new QGroupBox;
    auto *grid = new QGridLayout(Frame6);
    Text6 = new platform::TextBox;
    Command3 = new QPushButton(Utf8("…"));
    Command3->setFixedWidth(28);
    auto *file = new QWidget;
    auto *fileRow = new QHBoxLayout(file);
    fileRow->setContentsMargins(0, 0, 0, 0);
    fileRow->addWidget(Text6);
    fileRow->addWidget(Command3);
    Text7 = new platform::TextBox;
    Text8 = new platform::TextBox;
    Text9 = new platform::TextBox;
    HScroll1 = NewSlider(256);
    Label10 = new QLabel;
    AddRow(grid, "画像ﾌｧｲﾙ", file);
    AddRow(grid, "X：", Text7, "px");
    AddRow(grid, "Y：", Text8, "px");
    AddRow(grid, "サイズ", Text9, "1 = 等倍");
    AddRow(grid, "不透明度", HScroll1);
    grid->addWidget(Label10, grid->rowCount() - 1, 2);
    Frame6->setVisible(false);
    return Frame6;
}

QWidget *CanvasGUI::BuildConvertFrame()
{
    Frame7 = new QGroupBox(Utf8("線→塗り変換"));
    auto *column = new QVBoxLayout(Frame7);
    Check4 = new platform::CheckBox(Utf8("自動で変換する"));
    column->addWidget(Check4);
    for (size_t i = 0; i < Option1.size(); ++i) {
        Option1[i] = new platform::OptionButton(Utf8(kConvertCaptions[i]));
        Option1[i]->setEnabled(false);
        column->addWidget(Option1[i]);
    }
    return Frame7;
}

QWidget *CanvasGUI::BuildGridFrame()
{
    Frame8 = new QGroupBox(Utf8("グリッド"));
    auto *grid = new QGridLayout(Frame8);
    Text10 = new platform::TextBox;
    Text11 = new platform::TextBox;
    HScroll3 = NewSlider(100);
    Label11 = new QLabel;
    AddRow(grid, "幅", Text10, "px");
    AddRow(grid, "高さ", Text11, "px");
    AddRow(grid, "吸着力", HScroll3);
    grid->addWidget(Label11, grid->rowCount() - 1, 2);
    return Frame8;
}

QWidget *CanvasGUI::BuildFloodFrame()
{
    Frame9 = new QGroupBox(Utf8("バケツ塗り"));
    auto *grid = new QGridLayout(Frame9);
    Combo2 = NewList({kFloodCaptions[0], kFloodCaptions[1], kFloodCaptions[2], kFloodCaptions[3], kFloodCaptions[4]});
    Text12 = new platform::TextBox;
    Text13 = new platform::TextBox;
    Text14 = new platform::TextBox;
    AddRow(grid, "品質", Combo2);
    AddRow(grid, "精度", Text12);
    AddRow(grid, "隙間", Text13);
    AddRow(grid, "鋭角", Text14);
    return Frame9;
}

QWidget *CanvasGUI::BuildOperationFrame()
{
    Frame10 = new QGroupBox(Utf8("操作"));
    auto *grid = new QGridLayout(Frame10);
    Check5 = new platform::CheckBox(Utf8("キャンバス外描画"));
    Text15 = new platform::TextBox;
    grid->addWidget(Check5, 0, 0, 1, 3);
    AddRow(grid, "スクロールマージン", Text15, "ﾋﾟｸｾﾙ");
    return Frame10;
}

void CanvasGUI::ConnectHandlers()
{
    connect(Command1, &QPushButton::clicked, this, &CanvasGUI::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &CanvasGUI::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &CanvasGUI::Command3_Click);
    connect(Command4, &QPushButton::clicked, this, &CanvasGUI::Command4_Click);
    connect(Check3, &platform::CheckBox::Click, this, &CanvasGUI::Check3_Click);
    connect(Check4, &platform::CheckBox::Click, this, &CanvasGUI::Check4_Click);
    connect(Combo2, &platform::ComboBox::Click, this, &CanvasGUI::Combo2_Click);
    for (platform::ScrollBar *slider : {HScroll1, HScroll3}) {
        auto handler = slider == HScroll1 ? &CanvasGUI::HScroll1_Change : &CanvasGUI::HScroll3_Change;
        connect(slider, &platform::ScrollBar::Change, this, handler);
        connect(slider, &platform::ScrollBar::Scroll, this, handler);
    }
    for (int i = 0; i < 3; ++i) {
        auto index = static_cast<size_t>(i);
        connect(HScroll2[index], &platform::ScrollBar::Change, this, [this, i] { HScroll2_Change(i); });
        connect(HScroll2[index], &platform::ScrollBar::Scroll, this, [this, i] { HScroll2_Change(i); });
        connect(Text3[index], &platform::TextBox::Change, this, [this, i] { Text3_Change(i); });
    }
}

// ---- filling and applying ----

void CanvasGUI::Form_Load()
{
    const core::CanvasSettings &settings = Doc().CurrentSettings;
    Text1->SetText(NumberText(settings.Width));
    Text2->SetText(NumberText(settings.Height));
    HScroll2[0]->SetValue(settings.BackColorR);
    HScroll2[1]->SetValue(settings.BackColorG);
    HScroll2[2]->SetValue(settings.BackColorB);
    HScroll2_Change(0);  // the sample shows the colour even when no slider moved
    Text4->SetText(NumberText(settings.OptimizePoint));
    Text5->SetText(NumberText(settings.OptimizeLine));
    Check1->SetValue((settings.OptimizeFlag & 1) != 0 ? 1 : 0);
    Check2->SetValue((settings.OptimizeFlag & 2) != 0 ? 1 : 0);
    SetListIndex(Combo1, settings.Quality);
    Check4->SetValue(settings.AutoConvertFlag);
    Check4_Click();
    if (settings.AutoConvertValue >= 0 && settings.AutoConvertValue < static_cast<int32_t>(Option1.size())) {
        Option1[static_cast<size_t>(settings.AutoConvertValue)]->SetValue(true);
    }
    Check3->SetValue(settings.BackgroundFlag);
    Check3_Click();
    Text6->SetText(QString::fromStdString(settings.BackgroundFile));
    Text7->SetText(NumberText(settings.BackgroundX));
    Text8->SetText(NumberText(settings.BackgroundY));
    Text9->SetText(SingleText(settings.BackgroundScale));
    HScroll1->SetValue(settings.BackgroundOpacity);
    HScroll1_Change();
    Text10->SetText(NumberText(settings.GridWidth / static_cast<double>(kTwipsPerPixel)));
    Text11->SetText(NumberText(settings.GridHeight / static_cast<double>(kTwipsPerPixel)));
    HScroll3->SetValue(settings.GridPower);
    HScroll3_Change();
    Text12->SetText(SingleText(settings.FloodAccuracy));
    Text13->SetText(SingleText(settings.FloodChink));
    Text14->SetText(SingleText(settings.FloodAcute));
    SetListIndex(Combo2, settings.FloodQuality);
    Combo2_Click();
    Check5->SetValue(settings.DrawOutsideFlag);
    Text15->SetText(NumberText(settings.ScrollMargin));
}

void CanvasGUI::ApplyCanvasSettings()
{
    core::CanvasSettings &settings = Doc().CurrentSettings;
    settings.Width = WholeNumberOf(Text1->Text(), core::kMinCanvasPixels, core::kMaxCanvasPixels);
    settings.Height = WholeNumberOf(Text2->Text(), core::kMinCanvasPixels, core::kMaxCanvasPixels);
    settings.BackColorR = static_cast<uint8_t>(HScroll2[0]->Value());
    settings.BackColorG = static_cast<uint8_t>(HScroll2[1]->Value());
    settings.BackColorB = static_cast<uint8_t>(HScroll2[2]->Value());
    settings.OptimizePoint = WholeNumberOf(Text4->Text(), 0, 400);
    settings.OptimizeLine = WholeNumberOf(Text5->Text(), 0, 200);
    settings.OptimizeFlag = static_cast<int16_t>(Check2->Value() * 2 + Check1->Value());
    settings.Quality = ListIndexOr(Combo1, settings.Quality);
    settings.AutoConvertFlag = static_cast<int16_t>(Check4->Value());
    for (size_t i = 0; i < Option1.size(); ++i) {
        if (Option1[i]->Value()) {
            settings.AutoConvertValue = static_cast<int32_t>(i);
        }
    }
    settings.BackgroundFlag = static_cast<int16_t>(Check3->Value());
    settings.BackgroundFile = Text6->Text().toStdString();
    settings.BackgroundX = WholeNumberOf(Text7->Text());
    settings.BackgroundY = WholeNumberOf(Text8->Text());
    settings.BackgroundScale = SingleOf(Text9->Text());
    settings.BackgroundOpacity = HScroll1->Value();
    movie::ClearBackgroundCache();
    settings.GridWidth = GridTwipsOf(Text10->Text());
    settings.GridHeight = GridTwipsOf(Text11->Text());
    settings.GridPower = HScroll3->Value();
    movie::ClearGridCache();
    movie::ClearBackColorCache();
    settings.FloodQuality = ListIndexOr(Combo2, settings.FloodQuality);
    settings.FloodAccuracy = SingleOf(Text12->Text());
    settings.FloodChink = SingleOf(Text13->Text());
    settings.FloodAcute = SingleOf(Text14->Text());
    settings.DrawOutsideFlag = static_cast<int16_t>(Check5->Value());
    settings.ScrollMargin = WholeNumberOf(Text15->Text());
}

// ---- buttons and keys ----

void CanvasGUI::Command1_Click()
{
    ApplyCanvasSettings();
    accept();
}

void CanvasGUI::Command2_Click()
{
    reject();
}

void CanvasGUI::Form_KeyPress(int keyAscii)
{
    if (keyAscii == platform::kEscapeAscii) {
        Command2_Click();
    }
}

void CanvasGUI::Command4_Click()
{
    const core::CanvasSettings kept = Doc().CurrentSettings;
    ApplyCanvasSettings();
    bool saved = SavePreferenceSub(platform::ProgramFile(kDefaultCanvasFileName), Doc().CurrentSettings);
    Doc().CurrentSettings = kept;
    if (!saved) {
        platform::MsgBox(Utf8("デフォルトのキャンバスを保存できませんでした。"),
                         platform::kMbOkOnly | platform::kMbExclamation, QStringLiteral("Quillark"), this);
        return;
    }
    platform::MsgBox(Utf8(kDefaultCanvasSetMessage), platform::kMbOkOnly | platform::kMbInformation,
                     QStringLiteral("Quillark"), this);
}

void CanvasGUI::Command3_Click()
{
    QString folder = Text6->Text().isEmpty() ? QString::fromStdString(platform::ProgramFolder()) : Text6->Text();
    platform::OpenFileName record = FileDialogRecord(
        this,
        platform::MakeFilterString(
            {{Utf8("画像ﾌｧｲﾙ (*.qlk;*.jpg;*.bmp;*.png)"), QStringLiteral("*.qlk;*.jpg;*.jpeg;*.bmp;*.png")}}),
        QStringLiteral("qlk"), folder);
    if (platform::ShowOpenDialog(record) != 0 && !record.lpstrFile.isEmpty()) {
        Text6->SetText(record.lpstrFile);
    }
}

// ---- controls ----

void CanvasGUI::Check3_Click()
{
    Frame6->setVisible(Check3->Value() == 1);
}

void CanvasGUI::Check4_Click()
{
    for (platform::OptionButton *option : Option1) {
        option->setEnabled(Check4->Value() == 1);
    }
}

void CanvasGUI::Combo2_Click()
{
    int index = Combo2->currentIndex();
    bool preset = index >= 0 && index < kCustomFloodQuality;
    if (preset) {
        const FloodPreset &preset = kFloodPresets[static_cast<size_t>(index)];
        Text12->SetText(SingleText(preset.accuracy));
        Text13->SetText(SingleText(preset.chink));
        Text14->SetText(SingleText(preset.acute));
    }
    for (platform::TextBox *box : {Text12, Text13, Text14}) {
        box->setEnabled(!preset);
    }
}

void CanvasGUI::HScroll1_Change()
{
    Label10->setText(QString::number(HScroll1->Value()));
}

void CanvasGUI::HScroll3_Change()
{
    Label11->setText(QString::number(HScroll3->Value()));
}

void CanvasGUI::HScroll2_Change(int index)
{
    Text3[static_cast<size_t>(index)]->SetText(QString::number(HScroll2[static_cast<size_t>(index)]->Value()));
    QPalette palette = PicBackColor->palette();
    palette.setColor(QPalette::Window, QColor(HScroll2[0]->Value(), HScroll2[1]->Value(), HScroll2[2]->Value()));
    PicBackColor->setPalette(palette);
}

void CanvasGUI::Text3_Change(int index)
{
    auto i = static_cast<size_t>(index);
    int32_t value = WholeNumberOf(Text3[i]->Text(), 0, 255);
    Text3[i]->SetText(QString::number(value));
    HScroll2[i]->SetValue(value);
}

}  // namespace mainwindow
