#include "mainwindow/draw_gui_menus.h"

#include "toolwindows/path_submenus.h"

namespace mainwindow {
namespace {

MenuItem *Item(QMenu *menu, const char *caption)
{
    return new MenuItem(menu, QString::fromUtf8(caption));
}

Menu *BarMenu(QMenuBar *bar, const char *caption)
{
    auto *menu = new Menu(QString::fromUtf8(caption), bar);
    bar->addMenu(menu);
    return menu;
}

// A menu of the bar that is never shown there, only as a pop-up.
Menu *HiddenMenu(QMenuBar *bar, const char *caption)
{
    Menu *menu = BarMenu(bar, caption);
    menu->SetVisible(false);
    return menu;
}

Menu *SubMenu(Menu *parent, const char *caption)
{
    return parent->AddMenu(QString::fromUtf8(caption));
}

// Gives an array's items from firstIndex on their captions, loading those not there yet.
void LoadCaptions(MenuArray *array, int firstIndex, std::initializer_list<const char *> captions)
{
    int index = firstIndex;
    for (const char *caption : captions) {
        array->Load(index++)->SetCaption(QString::fromUtf8(caption));
    }
}

}  // namespace

DrawGuiMenus::DrawGuiMenus(QMenuBar *bar)
{
    mnuFile = BarMenu(bar, "ファイル(&F)");
    mnuNewCanvas = Item(mnuFile, "新規作成(&N)");
    mnuOpenFile = Item(mnuFile, "ファイルを開く(&O)...");
    mnuSaveFile = Item(mnuFile, "上書き保存(&S)");
    mnuSaveFileAs = Item(mnuFile, "名前を付けて保存(&A)...");
    mnuFile->AddSeparator();
    mnuSaveFilePicture = Item(mnuFile, "別の形式で画像を保存(&E)...");
    mnuClipWrite = Item(mnuFile, "クリップを書き出す(&C)...");
    mnuClipRead = Item(mnuFile, "クリップを読み込む(&R)...");
    mnuFile->AddSeparator();
    mnuPropertyCanvasFile = Item(mnuFile, "キャンバスのプロパティ(&P)...");
    mnuPreference = Item(mnuFile, "詳細設定(&D)...");
    mnuFile->AddSeparator();
    mnuMostRecent = new MenuArray(mnuFile, QStringLiteral("(なし)"));
    mnuMostRecent->Item(0)->SetEnabled(false);
    mnuFile->AddSeparator();
    mnuQuit = Item(mnuFile, "終了(&Q)");

    mnuEdit = BarMenu(bar, "編集(&E)");
    mnuUnDo = Item(mnuEdit, "元に戻す(&U)");
    mnuReDo = Item(mnuEdit, "やり直す(&R)");
    mnuMinus = Item(mnuEdit, "-");
    mnuCopyPathEdit = Item(mnuEdit, "コピー(&C)");
    mnuCutPathEdit = Item(mnuEdit, "切り取り(&T)");
    mnuDeletePathEdit = Item(mnuEdit, "削除(&D)");
    mnuPastePathEdit = Item(mnuEdit, "貼り付け(&P)");
    mnuSelectAllEdit = Item(mnuEdit, "全て選択(&A)");
    mnuUnDo->Action()->setShortcut(QKeySequence(QStringLiteral("Ctrl+Z")));
    mnuReDo->Action()->setShortcut(QKeySequence(QStringLiteral("Ctrl+Y")));
    mnuCopyPathEdit->Action()->setShortcut(QKeySequence(QStringLiteral("Ctrl+C")));
    mnuCutPathEdit->Action()->setShortcut(QKeySequence(QStringLiteral("Ctrl+X")));
    mnuDeletePathEdit->Action()->setShortcut(QKeySequence(QStringLiteral("Del")));
    mnuPastePathEdit->Action()->setShortcut(QKeySequence(QStringLiteral("Ctrl+V")));
    mnuSelectAllEdit->Action()->setShortcut(QKeySequence(QStringLiteral("Ctrl+A")));

    mnuDisplay = BarMenu(bar, "表示(&V)");
    mnuDispPathGUI = Item(mnuDisplay, "パス管理ツール(&P)");
    mnuDispPositionGUI = Item(mnuDisplay, "数値入力ツール(&E)");
    mnuDispFolderGUI = Item(mnuDisplay, "フォルダ管理ツール(&F)");
    mnuDispBrushGUI = Item(mnuDisplay, "ブラシ/消しゴム管理ツール(&H)");
    mnuDispGradientGUI = Item(mnuDisplay, "グラデーション制御(&T)");

    mnuHelp = BarMenu(bar, "ヘルプ(&H)");
    mnuVersion = Item(mnuHelp, "バージョン情報(&V)...");

    mnuModifyMode = HiddenMenu(bar, "変形モード");
    mnuAnchorAdd = Item(mnuModifyMode, "アンカーを追加(&A)");
    mnuAnchorDelete = Item(mnuModifyMode, "アンカーを削除(&D)");
    mnuModifyMode->AddSeparator();
    mnuAnchorLine = Item(mnuModifyMode, "直線にする(&I)");
    mnuAnchorCurve = Item(mnuModifyMode, "曲線にする(&C)");
    mnuAnchorKeen = Item(mnuModifyMode, "尖らせる(&K)");
    mnuAnchorRound = Item(mnuModifyMode, "角を丸める(&R)");
    mnuModifyMode->AddSeparator();
    mnuOptimizeAnchor = Item(mnuModifyMode, "パスを最適化(&O)");
    mnuOpenPathSel = Item(mnuModifyMode, "パスを開く(&P)");
    mnuClosePathSel = Item(mnuModifyMode, "パスを閉じる(&L)");
    mnuDevidePath = Item(mnuModifyMode, "パスを分割(&V)");
    mnuJointPath = Item(mnuModifyMode, "パスを結合(&J)");

    mnuSelectMode2 = HiddenMenu(bar, "セレクトモード(キャンバス)");
    mnuPastePath = Item(mnuSelectMode2, "貼り付け(&P)");
    mnuSelectAll = Item(mnuSelectMode2, "全て選択(&A)");
    mnuSelectMode2->AddSeparator();
    mnuClipout = Item(mnuSelectMode2, "選択範囲でパスを切り取る(&C)");
    mnuRectCanvas = Item(mnuSelectMode2, "選択範囲をキャンバスにする(&S)");
    mnuPropertyCanvas = Item(mnuSelectMode2, "キャンバスのプロパティ(&C)");

    mnuSelectMode = HiddenMenu(bar, "セレクトモード(パス)");
    mnuCopyPath = Item(mnuSelectMode, "コピー(&C)");
    mnuCutPath = Item(mnuSelectMode, "切り取り(&T)");
    mnuDeletePath = Item(mnuSelectMode, "削除(&D)");
    mnuSelectMode->AddSeparator();
    mnuOpenPath = Item(mnuSelectMode, "パスを閉じない(&O)");
    mnuClosePath = Item(mnuSelectMode, "パスを閉じる(&L)");
    mnuSelectMode->AddSeparator();
    mnuOptimizePath = Item(mnuSelectMode, "パスを最適化(&P)");
    mnuTransform = Item(mnuSelectMode, "パース変形(&T)");
    mnuConvertPathFill = SubMenu(mnuSelectMode, "線を塗りに変換(&V)");
    mnuConvertPathPen = Item(mnuConvertPathFill, "ペン(&1)");
    mnuConvertPathBrush1 = Item(mnuConvertPathFill, "ブラシ(細)(&2)");
    mnuConvertPathBrush2 = Item(mnuConvertPathFill, "ブラシ(太)(&3)");
    mnuConvertPathBrush3 = Item(mnuConvertPathFill, "ブラシ(ストローク)(&4)");
    // The path operations and the alignment are the submenus the path list's pop-up shows too.
    toolwindows::AddPathOperationMenu(mnuSelectMode, *this);
    toolwindows::AddAlignmentMenu(mnuSelectMode, *this);
    mnuSelectMode->AddSeparator();
    mnuFrontPath = Item(mnuSelectMode, "最前面へ移動(&F)");
    mnuBackPath = Item(mnuSelectMode, "最背面へ移動(&B)");
    mnuFrontPathOne = Item(mnuSelectMode, "ひとつ前面(&N)");
    mnuBackPathOne = Item(mnuSelectMode, "ひとつ背面(&P)");
    mnuSelectMode->AddSeparator();
    mnuGroupMake = Item(mnuSelectMode, "グループ化する(&G)");
    mnuGroupClear = Item(mnuSelectMode, "グループ化解除(&U)");
    mnuGroupAgain = Item(mnuSelectMode, "再グループ化(&R)");
    mnuCompound = SubMenu(mnuSelectMode, "複合パス(&M)");
    mnuCompoundMake = Item(mnuCompound, "複合パス化する(&C)");
    mnuCompoundClear = Item(mnuCompound, "複合パス解除(&U)");
    mnuCompoundAgain = Item(mnuCompound, "再複合パス化(&R)");

    mnuBrush = HiddenMenu(bar, "ブラシ");
    mnuSelectBrush = new MenuArray(mnuBrush, QStringLiteral("&1 パターン1"));
    mnuCircle = HiddenMenu(bar, "円ツール");
    mnuSelectCircle = new MenuArray(mnuCircle, QStringLiteral("&1 8アンカー"));
    mnuRectangle = HiddenMenu(bar, "矩形ツール");
    mnuRectMode = new MenuArray(mnuRectangle, QStringLiteral("通常(&N)"));
    LoadCaptions(mnuRectMode, 0, {"通常(&N)", "角丸(&R)", "凹丸(&F)", "凹角(&S)", "ベベル(&B)"});
    mnuRectangle->AddSeparator();
    mnuRectOption = Item(mnuRectangle, "矩形の設定(&O)...");

    mnuUserColor = HiddenMenu(bar, "ユーザーカラー");
    mnuUserColorAdd = Item(mnuUserColor, "追加(&A)");
    mnuUserColorCopy = Item(mnuUserColor, "複製(&C)");
    mnuUserColorDelete = Item(mnuUserColor, "削除(&D)");
    mnuUserColorMove = SubMenu(mnuUserColor, "移動(&M)");
    mnuUserColorMoveUp = Item(mnuUserColorMove, "一つ上に(&U)");
    mnuUserColorMoveDown = Item(mnuUserColorMove, "一つ下に(&D)");
    mnuUserColorMoveTop = Item(mnuUserColorMove, "トップへ(&T)");
    mnuUserColorMoveBottom = Item(mnuUserColorMove, "ボトムへ(&B)");
    mnuUserColor->AddSeparator();
    mnuUserColorSet = new MenuArray(mnuUserColor, QStringLiteral("&1 セット1"));
}

}  // namespace mainwindow
