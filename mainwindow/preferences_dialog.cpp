#include "mainwindow/preferences_dialog.h"

#include "canvastools/canvas_window.h"
#include "canvastools/tool_palette.h"
#include "mainwindow/dialog_numbers.h"
#include "mainwindow/main_state.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace mainwindow {
namespace {

struct FlagControl {
    const char *caption;
    int16_t MainState::*flag;
};

// The option flags in the order of the check boxes.
constexpr std::array<FlagControl, 9> kFlagControls{{
    {"アンカーマークのサイズを変更しない", &MainState::NotResizeAnchorMark},
    {"マウスカーソルの形状を変更しない", &MainState::NotChangeCursor},
    {"変形ツールのアンカークリックで選択状態にしない", &MainState::NotAnchorSelect},
    {"描画後に選択ツールに戻らない", &MainState::NotReturnSelectMode},
    {"グリッド非表示時には吸着しない", &MainState::NotSnapInvisibleGrid},
    {"文字ツールで縦書きフォントを使用する（再起動後有効）", &MainState::UseVerticalFont},
    {"QLKをキャンバスへドロップ時に追加読込する", &MainState::DropQLKasClip},
    {"起動時にデフォルトのキャンバスを使用する", &MainState::UseDefaultOpen},
    {"ツールパレットのボタンをアイコン化する", &MainState::UseToolIcons},
}};

}  // namespace

PreferenceGUI::PreferenceGUI(QWidget *owner) : platform::DialogForm(owner)
{
    setWindowTitle(QString::fromUtf8("詳細設定"));
    BuildControls();
    connect(Command1, &QPushButton::clicked, this, &PreferenceGUI::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &PreferenceGUI::Command2_Click);
    Form_Load();
}

void PreferenceGUI::BuildControls()
{
    auto *column = new QVBoxLayout(this);
    std::array<platform::CheckBox **, 9> checks{&Check1, &Check2, &Check3, &Check4, &Check5,
                                                &Check6, &Check7, &Check8, &Check9};
    for (size_t i = 0; i < checks.size(); ++i) {
        *checks[i] = new platform::CheckBox(QString::fromUtf8(kFlagControls[i].caption));
        column->addWidget(*checks[i]);
    }
    Frame1 = new QGroupBox(QString::fromUtf8("アニメプレビューの設定"));
    auto *grid = new QGridLayout(Frame1);
    Text1 = new platform::TextBox;
    Text2 = new platform::TextBox;
    grid->addWidget(Text1, 0, 0);
    grid->addWidget(new QLabel(QStringLiteral("FPS")), 0, 1);
    grid->addWidget(Text2, 1, 0);
    grid->addWidget(new QLabel(QString::fromUtf8("モーフィングのコマ数")), 1, 1);
    column->addWidget(Frame1);

    Command1 = new QPushButton(QStringLiteral("&OK"));
    Command2 = new QPushButton(QString::fromUtf8("キャンセル(&C)"));
    Command1->setDefault(true);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Command1);
    buttons->addWidget(Command2);
    column->addLayout(buttons);
}

std::array<platform::CheckBox *, 9> PreferenceGUI::FlagChecks() const
{
    return {Check1, Check2, Check3, Check4, Check5, Check6, Check7, Check8, Check9};
}

void PreferenceGUI::Form_Load()
{
    std::array<platform::CheckBox *, 9> checks = FlagChecks();
    for (size_t i = 0; i < checks.size(); ++i) {
        checks[i]->SetValue(Main().*kFlagControls[i].flag == 1 ? 1 : 0);
    }
    Text1->SetText(SingleText(Main().PreviewFPS));
    Text2->SetText(NumberText(Main().PreviewMorphFrame));
}

void PreferenceGUI::Command1_Click()
{
    std::array<platform::CheckBox *, 9> checks = FlagChecks();
    for (size_t i = 0; i < checks.size(); ++i) {
        Main().*kFlagControls[i].flag = static_cast<int16_t>(checks[i]->Value());
    }
    if (canvastools::HasCanvasWindow()) {
        canvastools::ChangeIcons(Main().UseToolIcons);
    }
    float fps = SingleOf(Text1->Text());
    Main().PreviewFPS = fps == 0.0f ? kFallbackPreviewFps : std::clamp(fps, kMinPreviewFps, kMaxPreviewFps);
    Main().PreviewMorphFrame = std::max(WholeNumberOf(Text2->Text()), kMinPreviewMorphFrames);
    accept();
}

void PreferenceGUI::Command2_Click()
{
    reject();
}

void PreferenceGUI::Form_KeyPress(int keyAscii)
{
    if (keyAscii == platform::kEscapeAscii) {
        Command2_Click();
    }
}

}  // namespace mainwindow
