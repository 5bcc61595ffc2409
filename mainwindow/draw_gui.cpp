#include "mainwindow/draw_gui.h"

#include "canvastools/canvas_input_state.h"
#include "canvastools/canvas_window.h"
#include "canvastools/selection_overlay.h"
#include "canvastools/shape_tool_windows.h"
#include "canvastools/shape_tools.h"
#include "canvastools/tool_palette.h"
#include "core/backup_file.h"
#include "core/brush_list.h"
#include "core/clipboard.h"
#include "core/document.h"
#include "core/document_lifecycle.h"
#include "core/memory_guard.h"
#include "import/clip_importers.h"
#include "mainwindow/brush_file.h"
#include "mainwindow/canvas_view_bridge.h"
#include "mainwindow/main_host.h"
#include "mainwindow/shape_windows_bridge.h"
#include "mainwindow/splash_window.h"
#include "mainwindow/tool_window_bridge.h"
#include "mainwindow/user_color_file.h"
#include "movie/tag_buffer.h"
#include "movie/canvas_movie.h"
#include "movie/canvas_movie_services.h"
#include "platform/base/atomic_file.h"
#include "platform/base/number_text.h"
#include "platform/base/program_folder.h"
#include "platform/base/rounding.h"
#include "platform/forms/key_codes.h"
#include "platform/forms/message_box.h"
#include "platform/forms/window_placement.h"
#include "toolwindows/folder_gui.h"
#include "toolwindows/path_list_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QStyle>
#include <QTimer>

#include <cmath>
#include <cstdio>
#include <new>
#include <utility>

namespace mainwindow {
namespace {

using canvastools::Input;
using core::Doc;

// Design sizes of the window's parts, in pixels.
constexpr int kSidePanelWidth = 124;      // tool palette and side controls left of the canvas
constexpr int kBottomBandHeight = 72;     // colour indicator, picker and information frames
constexpr int kStatusHeight = 20;
constexpr int kMinimumWidthTwips = 8880;
constexpr int kMinimumHeightTwips = 8490;
constexpr uint32_t kCanvasSurround = 0x808080;  // what the picture box shows around the canvas
constexpr float kMaxTypedZoom = 100.0f;   // 10000 %: keeps the image rectangle in range

const char *const kModifiedPrompt = "ファイルは更新されています。上書き保存しますか？";
const std::string kShutdownWriteFailed = "設定ファイルを保存できませんでした。変更は失われます。\n\n";
const char *const kToolCaptions[] = {"鉛筆", "変形", "選択", "グラデ", "□", "○", "＼", "☆", "文字", "バケツ", "ブラシ"};

std::string ProgramFile(const char *name)
{
    return platform::ProgramFile(name);
}

QString NumberText(double value)
{
    return QString::fromStdString(platform::FormatNumber(value));
}

}  // namespace

QString GetLongPath(const QString &path)
{
    return path;
}

QString ResolveRelativePath(const QString &path, const QString &baseFolder)
{
    if (!path.startsWith(QLatin1Char('.'))) {
        return path;
    }
    QString base = baseFolder.endsWith(QLatin1Char('/')) ? baseFolder : baseFolder + QLatin1Char('/');
    return QDir::cleanPath(base + path);
}

QString CommandLineFile(const QString &commandLine)
{
    QString text = commandLine;
    if (text.size() >= 2 && text.startsWith(QLatin1Char('"')) && text.endsWith(QLatin1Char('"'))) {
        text = text.mid(1, text.size() - 2);
    }
    return text;
}

DrawGUI::DrawGUI(QWidget *parent) : QMainWindow(parent), menus(menuBar())
{
    setWindowTitle(QStringLiteral("(新規) - Quillark"));
    toolWindowLink_ = std::make_unique<ToolWindowBridge>(*this);
    toolwindows::SetMainWindow(toolWindowLink_.get());
    ShockwaveFlash1.ShareGroups(playerGroups);
    idleRelease_.BeforeRelease([this] {
        ShockwaveFlash1.ReleaseSpareRoom();
        canvastools::ReleaseOverlayRoom();
    });
    BuildControls();
    ConnectHandlers();
    ConnectFileCommands();
    ConnectSidePanels();
    ConnectToolWindows();
    ConnectPathCommands();
    ConnectDialogs();
    canvasView_ = std::make_unique<CanvasViewBridge>(*this);
    canvastools::AttachCanvasTools(*canvasView_);
    shapeWindows_ = std::make_unique<ShapeWindowsBridge>(*this);
    canvastools::SetShapeWindows(shapeWindows_.get());
    // The exact canvas picture drawn on a worker thread is shown from the event loop; one that came
    // during a gesture is shown once the tool has handled the mouse event that ends it.
    ShockwaveFlash1.OnExactReady([this] { QMetaObject::invokeMethod(this, &DrawGUI::ShowExactCanvas, Qt::QueuedConnection); });
    connect(Picture1, &platform::PictureBox::MouseUp, this, [this] {
        if (exactWaiting_) {
            ShowExactCanvas();
        }
    });
    connect(Picture1, &platform::PictureBox::MouseMove, this, [this] {
        if (exactWaiting_) {
            ShowExactCanvas();
        }
    });
    toolwindows::ConnectPathList(*this);
    toolwindows::ConnectFolderBrowser(*this);
    canvastools::ConnectShapeTools(*canvasView_);
    host_ = std::make_unique<MainHost>(*this);
    core::SetHost(host_.get());
    movie::InstallCanvasServices();
    importer::InstallPathImporters();
    setMinimumSize(platform::PixelsFromTwips(kMinimumWidthTwips), platform::PixelsFromTwips(kMinimumHeightTwips));
    resize(900, 680);
}

DrawGUI::~DrawGUI()
{
    ShockwaveFlash1.CancelPendingRender();
    canvastools::DetachCanvasTools(*canvasView_);
    canvastools::SetShapeWindows(nullptr);
    toolwindows::SetMainWindow(nullptr);
    core::SetHost(nullptr);
}

void DrawGUI::BuildControls()
{
    auto *client = new QWidget(this);
    setCentralWidget(client);

    Picture1 = new platform::PictureBox(client);
    Picture1->SetBackColor(kCanvasSurround);
    Picture1->SetDrawMode(platform::kDrawInvert);
    int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    HScroll1 = new platform::ScrollBar(Qt::Horizontal, Picture1);
    VScroll1 = new platform::ScrollBar(Qt::Vertical, Picture1);
    HScroll1->setFixedHeight(bar);
    VScroll1->setFixedWidth(bar);
    // The canvas keeps the keyboard (its tool keys) while its scroll bars are used.
    HScroll1->setFocusPolicy(Qt::NoFocus);
    VScroll1->setFocusPolicy(Qt::NoFocus);
    HScroll1->SetSmallChange(8);
    VScroll1->SetSmallChange(8);
    HScroll1->SetLargeChange(64);
    VScroll1->SetLargeChange(64);
    scrollCorner_ = new QWidget(Picture1);
    scrollCorner_->setBackgroundRole(QPalette::Button);
    scrollCorner_->setAutoFillBackground(true);

    for (int i = 0; i < 11; ++i) {
        Option1[static_cast<size_t>(i)] = new platform::OptionButton(QString::fromUtf8(kToolCaptions[i]), client);
        Option1[static_cast<size_t>(i)]->setGeometry(4 + (i % 2) * 60, 4 + (i / 2) * 24, 58, 22);
    }
    int y = 4 + 6 * 24 + 6;
    auto addCheck = [&](const char *caption) {
        auto *check = new platform::CheckBox(QString::fromUtf8(caption), client);
        check->setGeometry(6, y, kSidePanelWidth - 10, 20);
        y += 22;
        return check;
    };
    Check1 = addCheck("ﾘｱﾙﾀｲﾑ");
    Check3 = addCheck("下絵");
    Check4 = addCheck("前");
    Check5 = addCheck("Grid");
    Check6 = addCheck("吸");
    y += 6;
    Combo1 = new platform::ComboBox(client);
    Combo1->addItems({"0.5 pt", "1 pt", "1.5 pt", "2 pt", "2.5 pt", "3 pt", "4 pt", "5 pt", "6 pt", "7 pt", "8 pt",
                      "9 pt", "10 pt", "12 pt", "15 pt", "20 pt", "30 pt"});
    Combo1->setGeometry(4, y, kSidePanelWidth - 8, 24);
    Combo2 = new platform::ComboBox(client);
    Combo2->addItems({"25%", "50%", "75%", "100%", "150%", "200%", "300%", "400%", "500%", "600%", "700%", "800%"});
    Combo2->setGeometry(4, y + 28, kSidePanelWidth - 8, 24);

    Check2 = new platform::CheckBox(QStringLiteral("不透明度"), client);
    Check2->setGeometry(4, 0, kSidePanelWidth - 8, 20);
    PicColor = new platform::PictureBox(client);
    PicColor->setGeometry(kSidePanelWidth, 0, 50, 50);
    Frame2 = new QGroupBox(QStringLiteral("不透明度"), client);
    Frame2->setGeometry(PicColor->geometry().right() + 3, 0, 150, kBottomBandHeight);
    Frame2->setVisible(false);
    // The picker's grid is 337 x 67 pixels; the set scroll bar and the user-colour button stand
    // in a column at its right.
    PicPicker = new platform::PictureBox(client);
    PicPicker->setGeometry(PicColor->geometry().right() + 3, 0, 358, kBottomBandHeight);
    Command1 = new QPushButton(QStringLiteral("▼"), PicPicker);
    Command1->setGeometry(339, 0, 19, 18);
    Frame1 = new QGroupBox(QStringLiteral("色情報"), client);
    Frame1->setGeometry(PicPicker->geometry().right() + 3, 0, 200, kBottomBandHeight);
    PicStatus = new platform::PictureBox(client);
    PicStatus->setGeometry(4, 0, 46, 153);

    // Buttons, boxes and bars leave the keyboard with the canvas, where the shortcuts act.
    for (QWidget *control : std::initializer_list<QWidget *>{HScroll1, VScroll1, Check1, Check2, Check3, Check4,
                                                             Check5, Check6, Command1}) {
        control->setFocusPolicy(Qt::NoFocus);
    }
    for (platform::OptionButton *button : Option1) {
        button->setFocusPolicy(Qt::NoFocus);
    }
    StatusLabel1 = new QLabel(client);
    StatusLabel1->setFrameShape(QFrame::StyledPanel);
    StatusLabel1->setFixedHeight(kStatusHeight);
    keyPreview = new platform::KeyPreview(this);
}

void DrawGUI::ConnectHandlers()
{
    connect(HScroll1, &platform::ScrollBar::Change, this, &DrawGUI::HScroll1_Change);
    connect(VScroll1, &platform::ScrollBar::Change, this, &DrawGUI::VScroll1_Change);
    // Dragging a thumb runs the change handler, so the canvas follows it continuously.
    connect(HScroll1, &platform::ScrollBar::Scroll, this, &DrawGUI::HScroll1_Change);
    connect(VScroll1, &platform::ScrollBar::Scroll, this, &DrawGUI::VScroll1_Change);
    connect(keyPreview, &platform::KeyPreview::KeyUp, this, &DrawGUI::Form_KeyUp);
    connect(keyPreview, &platform::KeyPreview::KeyDown, this, &DrawGUI::Form_KeyDown);
    for (int i = 0; i < 11; ++i) {
        connect(Option1[static_cast<size_t>(i)], &platform::OptionButton::Click, this, [this, i] { Option1_Click(i); });
    }
    connect(Combo2, &platform::ComboBox::Click, this, &DrawGUI::Combo2_Click);
    connect(Combo2, &platform::ComboBox::KeyPress, this, [this](int key) {
        if (key == 13) {
            Combo2_Click();
        }
    });
    for (platform::ComboBox *combo : {Combo1, Combo2}) {
        // While a box takes typed characters the window's shortcuts stay quiet.
        connect(combo, &platform::ComboBox::GotFocus, this, [this] { keyPreview->SetEnabled(false); });
        connect(combo, &platform::ComboBox::LostFocus, this, [this] { keyPreview->SetEnabled(true); });
    }
    connect(menus.mnuQuit, &platform::MenuItem::Click, this, &DrawGUI::mnuQuit_Click);
    connect(menus.mnuSaveFile, &platform::MenuItem::Click, this, [this] { mnuSaveFile_Click(); });
    connect(menus.mnuDispPathGUI, &platform::MenuItem::Click, this, &DrawGUI::mnuDispPathGUI_Click);
    connect(menus.mnuDispPositionGUI, &platform::MenuItem::Click, this, &DrawGUI::mnuDispPositionGUI_Click);
    connect(menus.mnuDispFolderGUI, &platform::MenuItem::Click, this, &DrawGUI::mnuDispFolderGUI_Click);
    connect(menus.mnuDispBrushGUI, &platform::MenuItem::Click, this, &DrawGUI::mnuDispBrushGUI_Click);
    connect(menus.mnuDispGradientGUI, &platform::MenuItem::Click, this, &DrawGUI::mnuDispGradientGUI_Click);
    connect(menus.mnuSelectBrush, &platform::MenuArray::Click, this, &DrawGUI::mnuSelectBrush_Click);
}

// ---- start-up and shut-down ----

void DrawGUI::Form_Load(const QString &commandLine)
{
    splash_ = new SplashWindow(this);
    splash_->show();
    QApplication::processEvents();
    show();
    movie::InitBitMasks();
    // The player shows what the picture box shows around the canvas: 0x00BBGGRR to 0x00RRGGBB.
    uint32_t surround = static_cast<uint32_t>(Picture1->Point(0, 0));
    Doc().PlayerBackColor = ((surround & 0xFF) << 16) | (surround & 0xFF00) | ((surround >> 16) & 0xFF);
    // Pending changes of an earlier run are stale; those of a program still running on this
    // folder are not (nor, when it holds the folder, those another running program owns).
    folderLock_ = std::make_unique<platform::ProgramFolderLock>();
    if (folderLock_->Held()) {
        core::DeleteAllBackups();
    }
    // Saves cut short in the program folder (settings, data files, backups) are settled.
    platform::SettleInterruptedSaves(platform::ProgramFolder());
    // Temporary movies are per program: those of programs that ended without removing them go.
    platform::RemoveStaleInstanceFiles(platform::kCanvasMovieName);
    platform::RemoveStaleInstanceFiles(platform::kPreviewMovieName);
    movie::ClearBackgroundCache();
    movie::ClearGridCache();
    movie::ClearBackColorCache();
    LoadBrushFile(ProgramFile(kBrushFileName));
    LoadSettings();
    std::string defaults = ProgramFile(kDefaultCanvasFileName);
    if (Main().UseDefaultOpen == 1 && QFile::exists(QString::fromStdString(defaults))) {
        LoadPreferenceSub(defaults, Doc().CurrentSettings);
    }
    InitDocumentState();
    Input().PenCurveMode = 0;
    Input().BrushEraseSwap = 0;
    canvastools::ChangeIcons(Main().UseToolIcons);
    QString file = CommandLineFile(commandLine);
    if (!file.isEmpty()) {
        OpenDrawing(GetLongPath(file).toStdString());
    }
    QApplication::processEvents();
    canvastools::EnumTrueTypeFont();
    HookWheelMouse();
    delete splash_;
    splash_ = nullptr;
    QApplication::processEvents();
    movie::MakeCanvasMovie();  // the canvas shows a movie from the first display on
    DispShape(1);
}

void DrawGUI::InitDocumentState()
{
    Doc().SelectedAnchors.assign(1, core::AnchorRef());
    Doc().CanvasTempFile = platform::InstanceFile(platform::kCanvasMovieName);
    std::remove(Doc().CanvasTempFile.c_str());
    Input().DragArmed = false;
    Doc().ZoomRate = 1.0f;
    Input().CurrentLineWidth = 1.0f;
    Input().NewLineMode = 1;
    Input().NewFillType = core::kFillNone;
    Combo1->SetText(NumberText(Input().CurrentLineWidth) + QStringLiteral(" pt"));
    Combo2->SetText(NumberText(Doc().ZoomRate * 100.0) + QStringLiteral("%"));
    Doc().HitPath = Doc().HitAnchor = Doc().HitPath2 = Doc().HitAnchor2 = 0;
    Input().CurrentColors = {0xFF000000u, 0xFFFFFF00u, 0xFFFFFFFFu};
    if (!LoadUserColorFile(ProgramFile(kUserColorFileName), Main().UserColors)) {
        platform::MsgBox(QStringLiteral("ユーザーカラーが多すぎます。最初の%1セットだけを読み込みました。")
                             .arg(kMaxUserColorRows / 6),
                         platform::kMbOkOnly | platform::kMbExclamation, QStringLiteral("Quillark"), this);
    }
    Main().UserColorTop = 0;
    Main().UserColorCol = -1;
    PicPicker_Paint();
    PicColor_Paint();
    PicStatus_Paint();
    Input().RealtimeMode = false;
    Option1[canvastools::kToolSelect]->SetValue(true);
    core::NewDocument();
    core::ClearClip();
    FormResizeSub();
}

int16_t DrawGUI::ConfirmModify()
{
    if (!windowTitle().endsWith(QStringLiteral(" *"))) {
        return 0;
    }
    int answer = platform::MsgBox(QString::fromUtf8(kModifiedPrompt),
                                  platform::kMbYesNoCancel | platform::kMbExclamation, QStringLiteral("Quillark"), this);
    if (answer == platform::kMbCancel) {
        return 1;
    }
    if (answer == platform::kMbYes) {
        // A save that was cancelled or failed keeps the program running: the drawing is not lost.
        return mnuSaveFile_Click() ? 0 : 1;
    }
    return 0;
}

void DrawGUI::Form_Unload(int &cancel)
{
    cancel = ConfirmModify();
    if (cancel == 1) {
        return;
    }
    // Pending changes of the browsed folder would be deleted at the next start: they are applied
    // or discarded now, as the user says, or the program keeps running.
    if (!toolwindows::SettlePendingChangesAtExit(this)) {
        cancel = 1;
        return;
    }
    shuttingDown_ = true;
    UnhookWheelMouse();
    // Every data file is tried; what could not be written is reported before the program ends,
    // so that new brushes or colours are not lost without a word.
    std::string failures;
    std::string reason;
    if (!SaveUserColorFile(ProgramFile(kUserColorFileName), Main().UserColors, &reason)) {
        failures += reason + "\n";
    }
    if (!SaveBrushFile(ProgramFile(kBrushFileName), &reason)) {
        failures += reason + "\n";
    }
    KeepPanelWindowPlacements();
    if (!SaveSettings(&reason)) {
        failures += reason + "\n";
    }
    if (!failures.empty()) {
        platform::MsgBox(QString::fromUtf8(kShutdownWriteFailed + failures), platform::kMbCritical,
                         QStringLiteral("Quillark"), this);
    }
    std::remove(Doc().CanvasTempFile.c_str());
    std::remove(platform::InstanceFile(platform::kPreviewMovieName).c_str());
    QCoreApplication::quit();
}

void DrawGUI::closeEvent(QCloseEvent *event)
{
    int cancel = 0;
    Form_Unload(cancel);
    if (cancel == 1) {
        event->ignore();
    } else {
        event->accept();
    }
}

// ---- settings and data files ----

WindowPlacementTwips DrawGUI::CurrentPlacement() const
{
    QRect frame = platform::WindowRectTwips(this);
    int32_t state = isMinimized() ? 1 : (isMaximized() ? 2 : 0);
    return WindowPlacementTwips{state, static_cast<float>(frame.left()), static_cast<float>(frame.top()),
                                static_cast<float>(frame.width()), static_cast<float>(frame.height())};
}

void DrawGUI::ApplyPlacement(const WindowPlacementTwips &placement)
{
    if (placement.WindowState == 2) {
        showMaximized();
        return;
    }
    if (placement.WindowState == 1) {
        showMinimized();
        return;
    }
    platform::PlaceWindowTwips(this, platform::RoundToInt32(placement.Left), platform::RoundToInt32(placement.Top),
                               platform::RoundToInt32(placement.Width), platform::RoundToInt32(placement.Height));
}

bool DrawGUI::SaveSettings(std::string *error)
{
    platform::ProfileFile file(ProgramFile(kSettingsFileName));
    SettingsExtras extras;
    extras.Window = CurrentPlacement();
    std::copy(core::Lifecycle().RecentFiles.begin() + 1, core::Lifecycle().RecentFiles.end(), extras.RecentFiles.begin());
    std::vector<std::string> unstored = PathsNotStoredAsTheyAre(extras, Main());
    if (!unstored.empty()) {
        QString text = QStringLiteral("次のパスには Shift-JIS で保存できない文字があるため、設定ファイルに正しく保存できません。");
        for (const std::string &path : unstored) {
            text += QStringLiteral("\n") + QString::fromStdString(path);
        }
        platform::MsgBox(text, platform::kMbOkOnly | platform::kMbExclamation, QStringLiteral("Quillark"), this);
    }
    WriteSettings(file, extras, Main(), Doc().CurrentSettings);
    return file.Save(error);
}

void DrawGUI::LoadSettings()
{
    SettingsExtras extras;
    extras.Window = CurrentPlacement();
    ReadSettings(platform::ProfileFile(ProgramFile(kSettingsFileName)), extras, Main(), Doc().CurrentSettings,
                 platform::WorkArea(this));
    ApplyPlacement(extras.Window);
    std::copy(extras.RecentFiles.begin(), extras.RecentFiles.end(), core::Lifecycle().RecentFiles.begin() + 1);
    core::RefreshRecentFileMenu();
    RestoreToolWindow(menus.mnuDispPathGUI, &MainState::PathToolBoxVisible, &DrawGUI::mnuDispPathGUI_Click);
    RestoreToolWindow(menus.mnuDispFolderGUI, &MainState::FolderToolBoxVisible, &DrawGUI::mnuDispFolderGUI_Click);
    RestoreToolWindow(menus.mnuDispPositionGUI, &MainState::PositionToolBoxVisible,
                      &DrawGUI::mnuDispPositionGUI_Click);
    RestoreToolWindow(menus.mnuDispBrushGUI, &MainState::BrushToolBoxVisible, &DrawGUI::mnuDispBrushGUI_Click);
    RestoreToolWindow(menus.mnuDispGradientGUI, &MainState::GradientToolBoxVisible,
                      &DrawGUI::mnuDispGradientGUI_Click);
}

void DrawGUI::LoadBrushFile(const std::string &path)
{
    core::PathArray paths;
    std::vector<std::string> names;
    int32_t skipped = 0;
    if (!ReadBrushFile(path, paths, names, skipped) || !core::ReplaceBrushes(std::move(paths), std::move(names))) {
        core::SetupDefaultBrushes();
        return;
    }
    if (skipped > 0) {
        platform::MsgBox(QStringLiteral("ブラシが多すぎます。最初の%1個を読み込み、残りの%2個は読み込みませんでした。")
                             .arg(core::kMaxBrushes)
                             .arg(skipped),
                         platform::kMbOkOnly | platform::kMbExclamation, QStringLiteral("Quillark"), this);
    }
}

bool DrawGUI::SaveBrushFile(const std::string &path, std::string *error)
{
    return mainwindow::SaveBrushFile(path, core::Brushes(), error);
}

void DrawGUI::RefreshBrushMenu()
{
    menus.mnuSelectBrush->UnloadAboveFirst();
    std::vector<std::string> captions = core::BrushMenuCaptions();
    for (size_t i = 0; i < captions.size(); ++i) {
        menus.mnuSelectBrush->Load(static_cast<int>(i))->SetCaption(QString::fromStdString(captions[i]));
    }
}

void DrawGUI::mnuSelectBrush_Click(int index)
{
    core::Brushes().CurrentBrush = index + 1;
    core::GetHost().SetupBrushList();
}

// ---- tool buttons and tool windows ----

void DrawGUI::Option1_Click(int index)
{
    canvastools::Option1_Click(index);
}

void DrawGUI::RestoreToolWindow(platform::MenuItem *item, int32_t MainState::*visible, void (DrawGUI::*handler)())
{
    item->SetChecked(Main().*visible != 1);
    (this->*handler)();
}

void DrawGUI::ToggleToolWindow(platform::MenuItem *item, int32_t MainState::*visible,
                               const std::function<void(bool)> &openOrClose)
{
    item->SetChecked(!item->Checked());
    Main().*visible = item->Checked() ? 1 : 0;
    if (openOrClose) {
        openOrClose(item->Checked());
    }
    FocusCanvas();
}

void DrawGUI::FocusCanvas()
{
    // The window just shown took the activation: the canvas's window takes it back.
    activateWindow();
    Picture1->setFocus();
}

void DrawGUI::mnuDispPathGUI_Click()
{
    ToggleToolWindow(menus.mnuDispPathGUI, &MainState::PathToolBoxVisible,
                     [this](bool open) { toolwindows::ShowPathGUI(*this, *menus.mnuDispPathGUI, open); });
}

void DrawGUI::mnuDispPositionGUI_Click()
{
    ToggleToolWindow(menus.mnuDispPositionGUI, &MainState::PositionToolBoxVisible,
                     [this](bool) { ShowPanelWindows(); });
}

void DrawGUI::mnuDispFolderGUI_Click()
{
    ToggleToolWindow(menus.mnuDispFolderGUI, &MainState::FolderToolBoxVisible,
                     [this](bool open) { toolwindows::ShowFolderGUI(*this, *menus.mnuDispFolderGUI, open); });
}

void DrawGUI::mnuDispBrushGUI_Click()
{
    ToggleToolWindow(menus.mnuDispBrushGUI, &MainState::BrushToolBoxVisible, [this](bool) { ShowPanelWindows(); });
}

void DrawGUI::mnuDispGradientGUI_Click()
{
    ToggleToolWindow(menus.mnuDispGradientGUI, &MainState::GradientToolBoxVisible,
                     [this](bool) { ShowPanelWindows(); });
}

// ---- layout, scrolling and the wheel ----

void DrawGUI::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    FormResizeSub();
}

void DrawGUI::changeEvent(QEvent *event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && !shuttingDown_) {
        Form_Activate();
    }
}

void DrawGUI::FormResizeSub()
{
    if (isMinimized()) {
        return;
    }
    QWidget *client = centralWidget();
    int innerWidth = client->width();
    int innerHeight = client->height();
    Picture1->setGeometry(kSidePanelWidth, 0, std::max(1, innerWidth - kSidePanelWidth),
                          std::max(1, innerHeight - PicPicker->height() - kStatusHeight));
    int bandTop = innerHeight - PicPicker->height();
    for (QWidget *part : std::initializer_list<QWidget *>{PicPicker, PicColor, Frame1, Frame2}) {
        part->move(part->x(), bandTop);
    }
    Check2->move(Check2->x(), innerHeight - Check2->height());
    StatusLabel1->setGeometry(Picture1->x(), bandTop - kStatusHeight, Picture1->width(), kStatusHeight);
    int pictureWidth = Picture1->ScaleWidth();
    int pictureHeight = Picture1->ScaleHeight();
    HScroll1->setGeometry(0, pictureHeight - HScroll1->height(), std::max(0, pictureWidth - VScroll1->width()),
                          HScroll1->height());
    VScroll1->setGeometry(pictureWidth - VScroll1->width(), 0, VScroll1->width(),
                          std::max(0, pictureHeight - HScroll1->height()));
    scrollCorner_->setGeometry(VScroll1->x(), HScroll1->y(), VScroll1->width(), HScroll1->height());
    SetScrollRanges();
    DispShape(0);
}

ViewMetrics DrawGUI::CurrentViewMetrics() const
{
    ViewMetrics view;
    view.scaleWidth = Picture1->ScaleWidth();
    view.scaleHeight = Picture1->ScaleHeight();
    view.vScrollWidth = VScroll1->width();
    view.hScrollHeight = HScroll1->height();
    view.hScrollValue = HScroll1->Value();
    view.vScrollValue = VScroll1->Value();
    view.zoom = Doc().ZoomRate;
    view.canvasWidth = Doc().CurrentSettings.Width;
    view.canvasHeight = Doc().CurrentSettings.Height;
    return view;
}

namespace {

// What the last canvas movie shows; before the first one, the canvas itself.
core::Rect32 ShownExtent()
{
    const core::Rect32 &extent = Doc().ViewExtent;
    if (extent.Right > extent.Left && extent.Bottom > extent.Top) {
        return extent;
    }
    return core::Rect32{0, 0, Doc().CurrentSettings.Width, Doc().CurrentSettings.Height};
}

void ApplyScrollRange(platform::ScrollBar *bar, const ScrollRange &range)
{
    bar->setEnabled(false);
    if (range.max) {
        bar->SetMax(*range.max);
    }
    if (range.min) {
        bar->SetMin(*range.min);
    }
    bar->setEnabled(range.enabled);
}

}  // namespace

void DrawGUI::SetScrollRanges()
{
    ViewMetrics view = CurrentViewMetrics();
    core::Rect32 extent = ShownExtent();
    int32_t margin = Doc().CurrentSettings.ScrollMargin;
    ApplyScrollRange(HScroll1, HorizontalScrollRange(view, extent, margin));
    ApplyScrollRange(VScroll1, VerticalScrollRange(view, extent, margin));
}

void DrawGUI::HookWheelMouse()
{
    if (!wheelHooked_) {
        connect(Picture1, &platform::PictureBox::WheelStep, this, &DrawGUI::WheelWindowProc);
        wheelHooked_ = true;
    }
}

void DrawGUI::UnhookWheelMouse()
{
    if (wheelHooked_) {
        disconnect(Picture1, &platform::PictureBox::WheelStep, this, &DrawGUI::WheelWindowProc);
        wheelHooked_ = false;
    }
}

void DrawGUI::WheelWindowProc(int direction)
{
    // A notch that arrives while the previous zoom step still runs is only passed on.
    if (wheelBusy_) {
        return;
    }
    wheelBusy_ = true;
    Form_KeyUp(direction < 0 ? platform::kVkPageDown : platform::kVkPageUp, 0);
    wheelBusy_ = false;
}

// ---- zoom ----

void DrawGUI::Combo2_Click()
{
    float zoom = static_cast<float>(platform::Val(Combo2->Text().toStdString()) / 100.0);
    if (!(zoom > 0.0f)) {
        zoom = 1.0f;
    }
    zoom = std::min(zoom, kMaxTypedZoom);
    Doc().ZoomRate = zoom;
    Combo2->SetText(QString::number(static_cast<int64_t>(std::floor(zoom * 100.0f))) + QStringLiteral("%"));
    FormResizeSub();
    DispShape(0);
    Picture1->setFocus();
}

// ---- the canvas display ----

void DrawGUI::PosScrToTwip(float xs, float ys, int32_t &xt, int32_t &yt) const
{
    mainwindow::PosScrToTwip(CurrentViewMetrics(), xs, ys, xt, yt);
}

void DrawGUI::PosTwipToScr(int32_t &xs, int32_t &ys, int32_t xt, int32_t yt) const
{
    mainwindow::PosTwipToScr(CurrentViewMetrics(), xs, ys, xt, yt);
}

void DrawGUI::DispShape(int16_t flag)
{
    ImageRect rect = CanvasImageRect(CurrentViewMetrics(), ShownExtent());
    LoadCanvasMovie();
    if (flag == 0) {
        Picture1->Cls();
        SetScrollRanges();
    }
    DrawCanvasImage(rect);
    if (flag > 0) {
        // Clear what an earlier, larger or differently placed image left around this one.
        Picture1->SetDrawMode(platform::kDrawCopyPen);
        int w = Picture1->ScaleWidth();
        int h = Picture1->ScaleHeight();
        uint32_t back = Picture1->BackColor();
        Picture1->Box(-1, -1, w, rect.y0 - 1, back, true);
        Picture1->Box(-1, rect.y0, rect.x0 - 1, rect.y1, back, true);
        Picture1->Box(rect.x1, rect.y0, w, rect.y1, back, true);
        Picture1->Box(-1, rect.y1, w, h, back, true);
        Picture1->SetDrawMode(platform::kDrawInvert);
    }
    DrawToolOverlay(flag);
    canvasOverlayFlag_ = flag;
    Picture1->Refresh();
}

void DrawGUI::RemakeCanvasSoon()
{
    if (!canvasRemakePending_) {
        canvasRemakePending_ = true;
        QTimer::singleShot(0, this, &DrawGUI::RemakePendingCanvas);
    }
}

void DrawGUI::RemakePendingCanvas()
{
    if (std::exchange(canvasRemakePending_, false)) {
        movie::MakeCanvasMovie();
        DispShape(1);
    }
}

void DrawGUI::FinishPendingRender()
{
    RemakePendingCanvas();
    // The exact picture can come in steps: the strips a scroll uncovered, then the pixels it
    // brought along.
    constexpr int kMostSteps = 3;
    for (int step = 0; step < kMostSteps && ShockwaveFlash1.RenderPending(); ++step) {
        ShockwaveFlash1.FinishPendingRender();
        ShowExactCanvas();
    }
}

void DrawGUI::ShowExactCanvas()
{
    TellRefusedRender();
    if (canvasExact_ || !ShockwaveFlash1.ExactReady()) {
        return;  // shown already, or a newer render replaced the one that was drawn
    }
    // Tools draw their marks in invert mode and wipe them by drawing them again: the picture
    // under marks still shown must stay until the gesture that drew them ends.
    canvastools::CanvasInputState &input = canvastools::Input();
    exactWaiting_ = input.DragArmed || input.InMouseDown || input.PanActive;
    if (exactWaiting_) {
        return;
    }
    DrawCanvasImage(CanvasImageRect(CurrentViewMetrics(), ShownExtent()));
    DrawToolOverlay(canvasOverlayFlag_);
    input.HighlightShown = false;  // a hover highlight goes with the whole redraw, as when it is wiped
    Picture1->Refresh();
}

void DrawGUI::TellRefusedRender()
{
    if (!refusedRenderTold_ && ShockwaveFlash1.RenderRefusedMemory()) {
        refusedRenderTold_ = true;
        StatusLabel1->setText(QStringLiteral("メモリが足りないため、キャンバスの表示を更新できません。"));
    }
}

bool DrawGUI::CanvasBusy() const
{
    const canvastools::CanvasInputState &input = canvastools::Input();
    return ShockwaveFlash1.RenderPending() || input.DragArmed || input.InMouseDown || input.PanActive;
}

void DrawGUI::DrawToolOverlay(int16_t flag)
{
    // The canvas tools draw their overlay here in invert mode: the selected anchors (tool 1), the
    // selected paths with their frame (tool 2, given the flag) or the gradient controls (tool 3).
    canvastools::DrawToolOverlay(flag);
}

void DrawGUI::LoadCanvasMovie()
{
    // The player keeps the movie until the next canvas movie releases it: load only a new one.
    if (ShockwaveFlash1.Movie() != Doc().CanvasTempFile) {
        // The groups the path list's thumbnail has built already are taken from the shared cache.
        // The movie just made is played from the writer's memory, not copied; the file is read
        // only when no movie was made for it.
        movie::LoadCanvasMovieInto(ShockwaveFlash1, Doc().CanvasTempFile);
        if (ShockwaveFlash1.OutOfMemory()) {
            if (core::RunningWithinMemory()) {
                throw std::bad_alloc();  // the command that brought the figures in is taken back
            }
            StatusLabel1->setText(QStringLiteral("メモリが足りないため、キャンバスに図形を表示できません。"));
        }
    }
}

void DrawGUI::DrawCanvasImage(const ImageRect &rect)
{
    canvasExact_ = ShockwaveFlash1.RenderSoon(
        Picture1->Image(), QRect(rect.x0, rect.y0, rect.x1 - rect.x0, rect.y1 - rect.y0),
        movie::CanvasMovieArea(ShownExtent()));
    exactWaiting_ = exactWaiting_ && !canvasExact_;
    refusedRenderTold_ = refusedRenderTold_ && !canvasExact_;
    // Freed memory goes back once the canvas stays as it is now (the release waits for a render
    // still running).
    idleRelease_.Restart();
}

}  // namespace mainwindow
