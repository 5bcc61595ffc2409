#include "toolwindows/path_list_window.h"

#include "toolwindows/main_window_link.h"
#include "toolwindows/thumbnail_maker.h"
#include "toolwindows/thumbnail_movies.h"

#include "core/canvas_settings.h"
#include "core/document.h"
#include "core/groups.h"
#include "core/history.h"
#include "core/host.h"
#include "core/path_attributes.h"
#include "movie/canvas_movie.h"
#include "movie/movie_writer.h"
#include "movie/shape_encoder.h"
#include "platform/base/program_folder.h"
#include "platform/base/rounding.h"
#include "platform/forms/key_codes.h"
#include "platform/forms/window_placement.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFont>
#include <QItemSelection>
#include <QMouseEvent>
#include <QPainter>
#include <QRandomGenerator>

#include <algorithm>
#include <cstdio>

namespace toolwindows {
namespace {

using core::Doc;

constexpr int kClientWidth = 182;
constexpr int kClientHeight = 386;
constexpr int kGripHeight = 10;
constexpr int kHeaderGap = 3;       // the header list starts this far below the grip's top
constexpr uint32_t kHeaderBack = 0xE0E0E0;
const char *const kHeaderRow = "    |  |ｱﾝｶｰ|閉|線|塗|ｸﾞﾙｰﾌﾟ|複合ID|";
const char *const kStateGlyphs = "■□◆◇";
const char *const kFillColumns[] = {"  ", "F ", "L1", "L2", "R "};

// The window's one piece of module state: the open window.
struct PathListState {
    PathGUI *window = nullptr;
    // Selected anchors up to which the thumbnail is drawn at once; more are drawn on a worker.
    int64_t immediateThumbnailAnchors = PathGUI::kImmediateThumbnailAnchors;
};

PathListState &PathList()
{
    static PathListState state;
    return state;
}

// Both lists use a fixed-pitch font so that the columns line up.
QFont ListFont()
{
    QFont font;
    font.setFamilies({QStringLiteral("ＭＳ ゴシック"), QStringLiteral("IPAGothic"), QStringLiteral("monospace")});
    font.setStyleHint(QFont::Monospace);
    font.setPointSize(9);
    return font;
}

QString RightAligned(const QString &text, int width)
{
    return (QString(width, QLatin1Char(' ')) + text).right(width);
}

SplitPlacement Placement()
{
    ToolWindowSettings &m = MainWindow().Settings();
    return {m.PathToolBoxLeft,   m.PathToolBoxTop,      m.PathToolBoxWidth,
            m.PathToolBoxHeight, m.PathToolBoxSplitter, m.PathToolBoxVisible};
}

bool IsDocumentPath(int32_t index)
{
    return index >= 1 && index <= Doc().DocPathCount();
}

}  // namespace

QString FormatPathRow(int32_t index, const core::PathRecord &path, bool leadsCompound)
{
    QString row = RightAligned(QStringLiteral(" ") + QString::number(index), 4) + QLatin1Char('|');
    row += QString::fromUtf8(kStateGlyphs).at(path.DispFlags & (core::kDispHidden | core::kDispLocked));
    row += QLatin1Char('|');
    row += (QString::number(path.AnchorMax() + 1) + QStringLiteral("    ")).left(4) + QLatin1Char('|');
    row += path.blClosed ? QStringLiteral("Y |") : QStringLiteral("  |");
    row += path.LineMode == 1 ? QStringLiteral("Y |") : QStringLiteral("  |");
    bool knownFill = path.FillType >= core::kFillNone && path.FillType <= core::kFillRadial;
    row += QString::fromLatin1(knownFill ? kFillColumns[path.FillType] : "  ") + QLatin1Char('|');
    if (path.blGroup) {
        row += QLatin1Char('(') + RightAligned(QString::number(path.GroupID), 4) + QStringLiteral(")|");
    } else {
        row += QStringLiteral("      |");
    }
    if (path.blCompound) {
        row += RightAligned(QString::number(path.CompoundID), 5) + QLatin1Char(leadsCompound ? '*' : ' ') +
               QLatin1Char('|');
    } else {
        row += QStringLiteral("      |");
    }
    return row;
}

// ---- the rows ----

int PathRowModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : rows_;
}

QVariant PathRowModel::data(const QModelIndex &index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid()) {
        return {};
    }
    int32_t path = Doc().DocPathCount() - index.row();
    if (!IsDocumentPath(path)) {
        return QString();
    }
    ++formatted_;
    const core::PathRecord &record = std::as_const(Doc().DocPaths)[static_cast<size_t>(path)];
    return FormatPathRow(path, record, record.blCompound && !core::FollowsInCompound(Doc().DocPaths, path));
}

void PathRowModel::SetRowCount(int count)
{
    count = std::max(count, 0);
    if (count > rows_) {
        beginInsertRows(QModelIndex(), rows_, count - 1);
        rows_ = count;
        endInsertRows();
    } else if (count < rows_) {
        // Rows go from index 1 on, so the top row stays current where it was.
        int first = count == 0 ? 0 : 1;
        beginRemoveRows(QModelIndex(), first, first + rows_ - count - 1);
        rows_ = count;
        endRemoveRows();
    }
}

PathRowList::PathRowList(QWidget *parent) : QListView(parent)
{
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setUniformItemSizes(true);  // the view lays out only the rows it shows
    setEditTriggers(QAbstractItemView::NoEditTriggers);
}

void PathRowList::mouseReleaseEvent(QMouseEvent *event)
{
    QListView::mouseReleaseEvent(event);
    emit MouseUp(platform::MouseButtonOf(event->button()), platform::ShiftStateOf(event->modifiers()),
                 static_cast<float>(event->position().x()), static_cast<float>(event->position().y()));
}

// ---- the window ----

PathGUI::PathGUI(QWidget &owner, platform::MenuItem &viewItem)
    : SplitToolWindow(&owner, &viewItem, Placement, false),
      thumbMaker_([this](std::shared_ptr<const MadeThumbnail> made) { ShowMadeThumbnail(std::move(made)); })
{
    setWindowTitle(QStringLiteral("パス管理"));
    ShockwaveFlash2.ShareGroups(MainWindow().PlayerGroups());
    thumbTimer_.setSingleShot(true);
    connect(&thumbTimer_, &QTimer::timeout, this, &PathGUI::ThumbDisplay);
    BuildControls();
    ConnectHandlers();
    ConnectCommands();
    resize(kClientWidth, kClientHeight);
    Form_Load();
}

PathGUI::~PathGUI()
{
    if (PathList().window == this) {
        PathList().window = nullptr;
    }
}

void PathGUI::BuildControls()
{
    Picture1 = new platform::PictureBox(this);
    BuildSplitter();
    List2 = new QListWidget(this);
    List2->setFont(ListFont());
    QPalette headerPalette = List2->palette();
    headerPalette.setColor(QPalette::Base, platform::ColorFromBgr(kHeaderBack));
    List2->setPalette(headerPalette);
    List2->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    List2->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    List2->setFixedHeight(QFontMetrics(ListFont()).height() + 2 * List2->frameWidth() + 2);
    List1 = new PathRowList(this);
    List1->setFont(ListFont());
    rows_ = new PathRowModel(List1);
    List1->setModel(rows_);
    // The grip lies under the header list, as a lightweight grip would.
    imgSplitter2->lower();
    keyPreview = new platform::KeyPreview(this);
}

void PathGUI::ConnectHandlers()
{
    connect(List1->selectionModel(), &QItemSelectionModel::selectionChanged, this, &PathGUI::List1_Click);
    // The group and compound items name the current row's path: a new current row re-enables them.
    connect(List1->selectionModel(), &QItemSelectionModel::currentChanged, this, &PathGUI::UpdateListMenu);
    connect(List1, &QListView::doubleClicked, this, &PathGUI::List1_DblClick);
    connect(List1, &PathRowList::MouseUp, this, &PathGUI::List1_MouseUp);
    connect(List2, &QListWidget::itemClicked, this, &PathGUI::List2_Click);
    connect(keyPreview, &platform::KeyPreview::KeyDown, this, &PathGUI::Form_KeyDown);
    connect(keyPreview, &platform::KeyPreview::KeyUp, this, &PathGUI::Form_KeyUp);
}

void PathGUI::Form_Load()
{
    List2->clear();
    List2->addItem(QString::fromUtf8(kHeaderRow));
    ListUpdating = 0;
}

int32_t PathGUI::ListCount() const
{
    return rows_->rowCount();
}

int32_t PathGUI::ListIndex() const
{
    QModelIndex current = List1->currentIndex();
    return current.isValid() ? current.row() : -1;
}

void PathGUI::SetListIndex(int32_t row)
{
    List1->selectionModel()->setCurrentIndex(rows_->index(row), QItemSelectionModel::NoUpdate);
}

bool PathGUI::RowSelected(int32_t row) const
{
    return List1->selectionModel()->isRowSelected(row, QModelIndex());
}

QString PathGUI::RowText(int32_t row) const
{
    return rows_->data(rows_->index(row), Qt::DisplayRole).toString();
}

int32_t PathGUI::CurrentRowPath() const
{
    return ListIndex() < 0 ? 0 : ListCount() - ListIndex();
}

void PathGUI::RefreshList()
{
    int32_t count = Doc().DocPathCount();
    ListUpdating = 1;
    rows_->SetRowCount(isVisible() ? count : 0);
    // The rows' texts are read as they are painted: repainting the rows shown is enough. (A data
    // change over every row would make the list lay all of them out again at the next selection.)
    List1->viewport()->update();
    ListUpdating = 0;
    if (isVisible() && count > 0) {
        RefreshSelect();
    }
}

void PathGUI::RefreshSelect()
{
    int32_t count = Doc().DocPathCount();
    if (isVisible() && count > 0 && ListUpdating == 0) {
        ListUpdating = 1;
        // Runs of selected rows become one range each: one selection change for the whole list.
        // Row r shows path count - r: the selected paths from the last are the rows in order.
        QItemSelection selection;
        const int32_t rows = ListCount();
        const std::vector<int32_t> &selected = core::SelectedPaths();
        int32_t runStart = -1;
        int32_t runEnd = -1;
        for (auto path = selected.rbegin(); path != selected.rend(); ++path) {
            const int32_t row = count - *path;
            if (row < 0 || row >= rows) {
                continue;
            }
            if (runStart >= 0 && row == runEnd + 1) {
                runEnd = row;
                continue;
            }
            if (runStart >= 0) {
                selection.select(rows_->index(runStart), rows_->index(runEnd));
            }
            runStart = runEnd = row;
        }
        if (runStart >= 0) {
            selection.select(rows_->index(runStart), rows_->index(runEnd));
        }
        // An edit that leaves the selection as it was (most edits) changes nothing in the list.
        if (List1->selectionModel()->selection() != selection) {
            List1->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
        }
    }
    ListUpdating = 0;
    ThumbnailWhenIdle();
    UpdateListMenu();
}

void PathGUI::ThumbnailWhenIdle()
{
    thumbTimer_.stop();
    thumbMaker_.Cancel();  // it would show the paths as they were before this change
    const int64_t immediate = PathList().immediateThumbnailAnchors;
    int64_t anchors = 0;
    for (const int32_t i : core::SelectedPaths()) {
        if (anchors > immediate) {
            break;
        }
        anchors += static_cast<int64_t>(std::as_const(Doc().DocPaths)[static_cast<size_t>(i)].Anchors.size());
    }
    if (!isVisible() || anchors <= immediate) {
        ThumbDisplay();
        return;
    }
    // Queued behind the events being handled, so that the idle wait starts after them.
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (!thumbTimer_.isActive()) {
                thumbTimer_.start(kThumbnailIdleMs);
            }
        },
        Qt::QueuedConnection);
}

void PathGUI::FlushThumbnail()
{
    QApplication::sendPostedEvents(this, QEvent::MetaCall);
    if (thumbTimer_.isActive()) {
        thumbTimer_.stop();
        ThumbDisplay();
    }
    thumbMaker_.Finish();
}

void PathGUI::SetImmediateThumbnailAnchorsForTest(int64_t anchors)
{
    PathList().immediateThumbnailAnchors = anchors < 0 ? kImmediateThumbnailAnchors : anchors;
}

void PathGUI::List1_Click()
{
    if (ListUpdating != 0 || ListCount() == 0) {
        return;
    }
    ListUpdating = 1;
    core::DeselectAllPaths();
    ListUpdating = 0;
    int32_t count = Doc().DocPathCount();
    for (const QItemSelectionRange &range : List1->selectionModel()->selection()) {
        for (int row = range.top(); row <= range.bottom(); ++row) {
            int32_t path = count - row;
            // A group member already taken along by another row needs no second pass over the group.
            if (IsDocumentPath(path) && !std::as_const(Doc().DocPaths)[static_cast<size_t>(path)].blSelected) {
                core::SelectPathOrGroup(path, true);
            }
        }
    }
    MainWindow().DispShape(1);
    RefreshSelect();
    core::GetHost().RefreshPosition();
    core::GetHost().RefreshGradient();
}

void PathGUI::List1_DblClick()
{
    core::SetPathVisibleLock(static_cast<int16_t>(AltAtMouseUp * 10 + 5));
    RefreshList();
    movie::MakeCanvasMovie();
    MainWindow().DispShape(1);
}

void PathGUI::List1_MouseUp(int button, int shift, float /*x*/, float /*y*/)
{
    if (button == platform::kRightButton) {
        MainWindow().PopupMenuShown();
        ShowListMenu();
    }
    AltAtMouseUp = shift == platform::kAltMask ? 1 : 0;
}

void PathGUI::List2_Click()
{
    List1->setFocus();
    List2->clearSelection();
}

// ---- the thumbnail ----

namespace {

// Whether every path pathAt(k) looks like stored[k] moved by one common offset (k = 1 .. the
// stored paths'). The stored paths are moved along then: the thumbnail, fitted to the paths'
// bounds, is the same picture.
template <typename PathAt>
bool MovedAlike(core::PathArray &stored, PathAt pathAt)
{
    size_t first = 1;
    while (first < stored.size() && stored[first].Anchors.empty()) {
        ++first;
    }
    if (first == stored.size() || pathAt(first).Anchors.empty()) {
        return false;
    }
    const int64_t dx = int64_t{pathAt(first).Anchors[0].X} - stored[first].Anchors[0].X;
    const int64_t dy = int64_t{pathAt(first).Anchors[0].Y} - stored[first].Anchors[0].Y;
    size_t moved = 1;
    for (; moved < stored.size(); ++moved) {
        if (!TranslatePath(stored[moved], dx, dy)) {
            break;
        }
        if (!SameThumbnailLook(stored[moved], pathAt(moved))) {
            TranslatePath(stored[moved], -dx, -dy);
            break;
        }
    }
    if (moved == stored.size()) {
        return true;
    }
    for (size_t k = 1; k < moved; ++k) {
        TranslatePath(stored[k], -dx, -dy);
    }
    return false;
}

// The drawing's background colour, 0xRRGGBB.
int32_t ThumbnailBackground()
{
    const core::CanvasSettings &settings = Doc().CurrentSettings;
    return (settings.BackColorR << 16) | (settings.BackColorG << 8) | settings.BackColorB;
}

}  // namespace

void PathGUI::ThumbDisplay()
{
    thumbMaker_.Cancel();
    if (!isVisible()) {
        ClearThumbnail();
        return;
    }
    ShockwaveFlash2.SetMovie("a");
    std::vector<size_t> sources{0};  // the document index of each selected path
    int64_t anchors = 0;
    for (const int32_t i : core::SelectedPaths()) {
        sources.push_back(static_cast<size_t>(i));
        anchors += static_cast<int64_t>(std::as_const(Doc().DocPaths)[static_cast<size_t>(i)].Anchors.size());
    }
    if (sources.size() == 1) {
        ClearThumbnail();
        return;
    }
    if (anchors > PathList().immediateThumbnailAnchors) {
        StartThumbnail(std::move(sources));  // the pane shows the last thumbnail until then
        return;
    }
    ClearThumbnail();
    if (KeptThumbnailFits(sources)) {
        DrawThumbnail(thumbCache_.rect, thumbCache_.image);
        return;
    }
    core::PathArray copies{core::PathRecord()};
    copies.reserve(sources.size());
    for (size_t k = 1; k < sources.size(); ++k) {
        core::PathRecord &copy = copies.emplace_back(std::as_const(Doc().DocPaths)[sources[k]]);
        copy.DispFlags &= ~core::kDispHidden;
    }
    core::Rect32 bounds = core::GetPathsBounds(copies);
    int64_t w = (int64_t{bounds.Right} - bounds.Left) / 20;
    int64_t h = (int64_t{bounds.Bottom} - bounds.Top) / 20;
    QRect rect = FitThumbnail(Picture1->ScaleWidth(), Picture1->ScaleHeight(), w, h);
    if (rect.isEmpty()) {
        return;
    }
    const QImage &image = ThumbnailImage(copies, sources, bounds, rect.width(), rect.height());
    thumbCache_.paneWidth = Picture1->ScaleWidth();
    thumbCache_.paneHeight = Picture1->ScaleHeight();
    thumbCache_.rect = rect;
    DrawThumbnail(rect, image);
}

void PathGUI::ClearThumbnail()
{
    Picture1->Cls();
    Picture1->Refresh();
    lastMade_.reset();
}

void PathGUI::StartThumbnail(std::vector<size_t> sources)
{
    // Taken after the recorded state of the drawing, the snapshot shares its records.
    ThumbnailSubject subject;
    subject.paths = core::ShareDocumentPaths();
    subject.sources = std::move(sources);
    subject.paneWidth = Picture1->ScaleWidth();
    subject.paneHeight = Picture1->ScaleHeight();
    subject.background = ThumbnailBackground();
    subject.quality = Doc().CurrentSettings.Quality;
    thumbMaker_.Start(std::move(subject), lastMade_);
}

void PathGUI::ShowMadeThumbnail(std::shared_ptr<const MadeThumbnail> made)
{
    ClearThumbnail();
    if (!made->image.isNull()) {
        DrawThumbnail(made->rect, made->image);
    }
    lastMade_ = std::move(made);
}

void PathGUI::DrawThumbnail(const QRect &rect, const QImage &image)
{
    QPainter painter(&Picture1->Image());
    painter.drawImage(rect.left(), rect.top(), image);
    painter.end();
    Picture1->Refresh();
}

bool PathGUI::KeptThumbnailFits(const std::vector<size_t> &sources)
{
    ThumbnailCache &cache = thumbCache_;
    if (cache.image.isNull() || cache.paneWidth != Picture1->ScaleWidth() ||
        cache.paneHeight != Picture1->ScaleHeight() || cache.background != ThumbnailBackground() ||
        cache.quality != Doc().CurrentSettings.Quality || sources != cache.sources) {
        return false;
    }
    auto pathAt = [&sources](size_t k) -> const core::PathRecord & { return std::as_const(Doc().DocPaths)[sources[k]]; };
    for (size_t k = 1; k < sources.size(); ++k) {
        if (!SameThumbnailLook(cache.paths[k], pathAt(k))) {
            return MovedAlike(cache.paths, pathAt);
        }
    }
    return true;
}

bool PathGUI::CheckLastDrawn(core::PathArray &copies, const std::vector<size_t> &sources)
{
    const ThumbnailCache &cache = thumbCache_;
    bool same = sources == cache.sources;
    size_t last = 1;
    for (size_t k = 1; k < copies.size(); ++k) {
        while (last < cache.sources.size() && cache.sources[last] < sources[k]) {
            ++last;
        }
        bool drawn = last < cache.sources.size() && cache.sources[last] == sources[k];
        if (drawn && SameThumbnailLook(cache.paths[last], copies[k])) {
            continue;
        }
        same = false;
    }
    return same;
}

const QImage &PathGUI::ThumbnailImage(core::PathArray &copies, const std::vector<size_t> &sources,
                                      const core::Rect32 &bounds, int drawWidth, int drawHeight)
{
    bool same = CheckLastDrawn(copies, sources);
    const core::CanvasSettings &settings = Doc().CurrentSettings;
    const int32_t background = ThumbnailBackground();
    ThumbnailCache &cache = thumbCache_;
    if (cache.width == drawWidth && cache.height == drawHeight && cache.background == background &&
        cache.quality == settings.Quality && same) {
        return cache.image;
    }
    cache.sources = sources;
    cache.width = drawWidth;
    cache.height = drawHeight;
    cache.background = background;
    cache.quality = settings.Quality;

    int32_t w = platform::SaturateCast<int32_t>((int64_t{bounds.Right} - bounds.Left) / 20);
    int32_t h = platform::SaturateCast<int32_t>((int64_t{bounds.Bottom} - bounds.Top) / 20);
    std::string movie = ThumbnailMovieBytes(copies, w, h, platform::SaturateCast<int32_t>(-int64_t{bounds.Left}),
                                            platform::SaturateCast<int32_t>(-int64_t{bounds.Top}));
    // A path encodes to the same unit in any movie: the writer keeps the units just encoded for
    // the canvas movie written next. The copies are what the thumbnail shows.
    cache.paths = std::move(copies);
    cache.image = QImage(drawWidth, drawHeight, QImage::Format_RGB32);
    cache.image.fill(Qt::white);
    if (!movie.empty()) {
        // The selected paths' groups are those the canvas player built from the same units: the
        // two players share their groups.
        cache.image = RenderThumbnailMovie(ShockwaveFlash2, movie, background, drawWidth, drawHeight, w, h);
    }
    return cache.image;
}

// ---- the splitter and the layout ----

void PathGUI::SizePanes(int position)
{
    int scaleWidth = width();
    int scaleHeight = height();
    position = std::max(std::min(position, scaleHeight - kPaneMargin), kPaneMargin);
    Picture1->setGeometry(0, 0, scaleWidth, position);
    imgSplitter2->setGeometry(0, position, scaleWidth, kGripHeight);
    int headerTop = position + kHeaderGap;
    List2->setGeometry(0, headerTop, scaleWidth, List2->height());
    int rowsTop = headerTop + List2->height();
    int rowsHeight = scaleHeight - rowsTop;
    List1->setGeometry(0, rowsTop, scaleWidth, rowsHeight > 0 ? rowsHeight : List1->height());
}

void PathGUI::SplitterMoved()
{
    ThumbDisplay();
}

void PathGUI::Form_Resize()
{
    if (isVisible()) {
        SizePanes(picSplitter2->y());
    }
    Picture1->Cls();
    Picture1->Refresh();
    thumbMaker_.Cancel();  // made for the pane as it was
}

void PathGUI::resizeEvent(QResizeEvent *event)
{
    ToolWindow::resizeEvent(event);
    Form_Resize();
}

// ---- opening and closing ----

void PathGUI::Forget()
{
    if (PathList().window == this) {
        PathList().window = nullptr;
    }
}

PathGUI *PathListWindow()
{
    return PathList().window;
}

void ShowPathGUI(QWidget &owner, platform::MenuItem &viewItem, bool show)
{
    if (PathGUI *window = ShowSplitToolWindow(PathList().window, owner, viewItem, show, Placement)) {
        window->RefreshList();
    }
}

void ConnectPathList(QWidget &owner)
{
    UnloadWithOwner(owner, PathListWindow);
}

}  // namespace toolwindows
