// The path list tool window: one text row per path of the drawing (frontmost on top) mirroring
// the selection, a thumbnail of the selected paths, and a pop-up menu of path commands.
#pragma once

#include "core/path_record.h"
#include "platform/forms/key_preview.h"
#include "platform/forms/picture_box.h"
#include "platform/player/movie_player.h"
#include "toolwindows/path_list_commands.h"
#include "toolwindows/thumbnail_maker.h"
#include "toolwindows/tool_window.h"

#include <QAbstractListModel>
#include <QImage>
#include <QListView>
#include <QListWidget>
#include <QTimer>
#include <QWidget>

#include <cstdint>
#include <vector>

namespace toolwindows {

// The text of the row of path number `index`: number, state glyph, anchors, closed, line, fill,
// group and compound columns, each ended by "|". A compound member's id is starred when it leads
// its compound (the compound's shape is drawn with it).
QString FormatPathRow(int32_t index, const core::PathRecord &path, bool leadsCompound);

// The rows as a model: row k shows path count - k, formatted when the view asks for it, so only
// the rows on screen cost anything.
class PathRowModel : public QAbstractListModel {
public:
    using QAbstractListModel::QAbstractListModel;
    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    // Grows at the end or shrinks from row 1 on to `count` rows; the view repaints the rows shown.
    void SetRowCount(int count);
    void Clear() { SetRowCount(0); }
    // Rows formatted so far: the work the list has done, whatever the number of rows.
    int64_t RowsFormatted() const { return formatted_; }

private:
    int rows_ = 0;
    mutable int64_t formatted_ = 0;
};

// The list of rows, reporting the mouse-up with the button and shift state.
class PathRowList : public QListView {
    Q_OBJECT
public:
    explicit PathRowList(QWidget *parent = nullptr);

signals:
    void MouseUp(int button, int shift, float x, float y);

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
};

class PathGUI : public SplitToolWindow {
    Q_OBJECT
public:
    // A tool window of owner that unchecks viewItem when it unloads.
    PathGUI(QWidget &owner, platform::MenuItem &viewItem);
    ~PathGUI() override;

    // Rewrites the rows from the document, then RefreshSelect.
    void RefreshList();
    // Mirrors the selection onto the rows, the pop-up's enabling and the thumbnail. The thumbnail
    // of a large selection is made once the window has been idle for a moment, on a worker thread
    // (see FlushThumbnail), so that no edit waits for it; a small one is drawn at once.
    void RefreshSelect();
    // Draws the thumbnail of the selected paths into Picture1; that of a large selection is made
    // on a worker and drawn when it is ready, the pane showing the last thumbnail meanwhile.
    void ThumbDisplay();
    // Draws the thumbnail now when one is waiting for the window to go idle or being made.
    void FlushThumbnail();
    // Selected anchors up to which the thumbnail is drawn at once (a negative count: the usual).
    static void SetImmediateThumbnailAnchorsForTest(int64_t anchors);
    static constexpr int64_t kImmediateThumbnailAnchors = 5000;
    // Lays out the panes for a splitter position in pixels (clamped 66 from the top and bottom).
    void SizePanes(int position) override;
    // Enables the pop-up's items for the selection and the current row.
    void UpdateListMenu();

    // The list as the handlers see it: row count, current row (-1 none), selected rows.
    int32_t ListCount() const;
    int32_t ListIndex() const;
    void SetListIndex(int32_t row);
    bool RowSelected(int32_t row) const;
    QString RowText(int32_t row) const;

    // Events.
    void Form_Load();
    void Form_Resize();
    void List1_Click();
    void List1_DblClick();
    void List1_MouseUp(int button, int shift, float x, float y);
    void List2_Click();
    void Form_KeyDown(int keyCode, int shift);
    void Form_KeyUp(int keyCode, int shift);

    // Pop-up commands (path_list_commands.cpp).
    void mnuPathCopy_Click();
    void mnuPathCut_Click();
    void mnuPathPaste_Click();
    void mnuPathDelete_Click();
    void SetVisibleLock(int16_t code);
    void mnuFragmentOP_Click(int32_t operation);
    void mnuFormline_Click(int16_t code);
    void ChangeOrder(int16_t code);
    void mnuPathGroupMake_Click();
    void mnuPathGroupClear_Click();
    void mnuPathGroupAgain_Click();
    void mnuPathCompoundMake_Click();
    void mnuPathCompoundClear_Click();
    void mnuPathCompoundAgain_Click();
    void mnuPathSelectAll_Click();

    platform::PictureBox *Picture1;
    QListWidget *List2;
    PathRowList *List1;
    // Renders the thumbnail movie; it is never shown.
    platform::MoviePlayer ShockwaveFlash2;
    PathListMenus menus;
    platform::KeyPreview *keyPreview;

    int32_t ListUpdating = 0;
    int32_t AltAtMouseUp = 0;

protected:
    void resizeEvent(QResizeEvent *event) override;
    void Forget() override;
    void SplitterMoved() override;

private:
    void BuildControls();
    void ConnectHandlers();
    void ConnectCommands();
    // The path of the current row, 0 when no row is current.
    int32_t CurrentRowPath() const;
    // Ends a command that changed the drawing: the canvas movie (when asked), the display and
    // one undo step.
    void FinishEdit(bool remakeMovie);
    // Shows the pop-up at the pointer.
    void ShowListMenu();
    // Renders the thumbnail movie of the copies (of the document paths sources) at the draw
    // size, or reuses the last image when the same paths look the same. A new image keeps the
    // copies (moved from, their units dropped) as what it shows.
    const QImage &ThumbnailImage(core::PathArray &copies, const std::vector<size_t> &sources,
                                 const core::Rect32 &bounds, int drawWidth, int drawHeight);
    // Whether the kept image shows the selected paths (document indices sources) as they are now,
    // in the same pane: the same look, or all moved alike.
    bool KeptThumbnailFits(const std::vector<size_t> &sources);
    void DrawThumbnail(const QRect &rect, const QImage &image);
    // Compares the copies with the paths last drawn; a copy whose path changed since then does
    // not trust the unit it carries. Returns whether all are the same.
    bool CheckLastDrawn(core::PathArray &copies, const std::vector<size_t> &sources);
    // The thumbnail drawn when the window has been idle for kThumbnailIdleMs: the wait starts
    // anew after each refresh, once the events that caused it have been handled.
    void ThumbnailWhenIdle();
    static constexpr int kThumbnailIdleMs = 150;
    QTimer thumbTimer_;
    // Clears Picture1 and forgets the thumbnail made last.
    void ClearThumbnail();
    // Has the worker make the thumbnail of the selected paths (document indices sources).
    void StartThumbnail(std::vector<size_t> sources);
    void ShowMadeThumbnail(std::shared_ptr<const MadeThumbnail> made);

    PathRowModel *rows_ = nullptr;  // owned by List1

    // The last thumbnail and what it shows.
    struct ThumbnailCache {
        core::PathArray paths;        // without their units
        std::vector<size_t> sources;  // the document index of each
        int width = 0;
        int height = 0;
        int32_t background = -1;
        int16_t quality = -1;
        QImage image;
        int paneWidth = -1;  // the pane it was drawn into, at rect
        int paneHeight = -1;
        QRect rect;
    } thumbCache_;
    // The thumbnail the worker made last, while the pane shows it.
    std::shared_ptr<const MadeThumbnail> lastMade_;
    ThumbnailMaker thumbMaker_;
};

// The open path list window, or nullptr.
PathGUI *PathListWindow();

// The view command: opens the window at its stored placement (made for owner and the View-menu
// item on first use), or unloads it.
void ShowPathGUI(QWidget &owner, platform::MenuItem &viewItem, bool show);

// Connects the path list to the main window: when the main window is about to close, the open
// window stores its placement and stays marked open for the next start.
void ConnectPathList(QWidget &owner);

}  // namespace toolwindows
