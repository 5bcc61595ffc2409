#include "import/wmf_importer.h"

#include "core/document.h"
#include "import/bitmap.h"
#include "import/picture_file.h"
#include "platform/base/rounding.h"
#include "platform/player/figure_painter.h"

#include <QGuiApplication>
#include <QPainterPath>
#include <QScreen>

#include <optional>
#include <vector>

namespace importer {
namespace {

constexpr uint32_t kPlaceableKey = 0x9AC6CDD7;
constexpr size_t kPlaceableHeaderBytes = 22;
constexpr uint32_t kOpaque = 0xFF000000;
constexpr int32_t kHollowBrush = 1;

enum WmfFunction : uint16_t {
    kEndOfFile = 0x0000,
    kSelectObject = 0x012D,
    kSetWindowExt = 0x020C,
    kCreatePenIndirect = 0x02FA,
    kCreateBrushIndirect = 0x02FC,
    kPolygon = 0x0324,
    kPolyline = 0x0325,
    kPolyPolygon = 0x0538
};

// Any fault in the file; caught where the import starts.
struct WmfFault {
    std::string reason;
};

// Little-endian reads from a span of bytes, each checked against the bytes that are there.
class ByteCursor {
public:
    explicit ByteCursor(std::string_view bytes) : bytes_(bytes) {}

    size_t remaining() const { return bytes_.size() - pos_; }

    uint16_t ReadWord()
    {
        Need(2);
        uint16_t value = static_cast<uint16_t>(Byte(pos_) | Byte(pos_ + 1) << 8);
        pos_ += 2;
        return value;
    }
    int16_t ReadShort() { return static_cast<int16_t>(ReadWord()); }
    int32_t ReadDword()
    {
        uint32_t low = ReadWord();
        uint32_t high = ReadWord();
        return static_cast<int32_t>(low | high << 16);
    }
    std::string_view Take(size_t count)
    {
        Need(count);
        std::string_view taken = bytes_.substr(pos_, count);
        pos_ += count;
        return taken;
    }
    void Skip(size_t count) { Take(count); }
    void Need(uint64_t count) const
    {
        if (count > remaining()) {
            throw WmfFault{"a value runs past the end of its record or of the file"};
        }
    }

private:
    uint32_t Byte(size_t at) const { return static_cast<uint8_t>(bytes_[at]); }

    std::string_view bytes_;
    size_t pos_ = 0;
};

struct WmfRecord {
    uint16_t Function = 0;
    std::string_view Parameters;
};

// A size in 16-bit words (six bytes of it for the size and function fields), the function number,
// then the parameter bytes.
WmfRecord ReadRecord(ByteCursor &file)
{
    int64_t words = file.ReadDword();
    if (words < 3) {
        throw WmfFault{"a record is shorter than its own header"};
    }
    WmfRecord record;
    record.Function = file.ReadWord();
    uint64_t parameterBytes = static_cast<uint64_t>(words) * 2 - 6;
    if (parameterBytes > file.remaining()) {
        throw WmfFault{"a record runs past the end of the file"};
    }
    record.Parameters = file.Take(static_cast<size_t>(parameterBytes));
    return record;
}

// One object table entry; a field never stored is empty and leaves the current state alone.
struct WmfObject {
    std::optional<uint32_t> BrushColor;
    std::optional<int32_t> BrushStyle;
    std::optional<uint32_t> PenColor;
    std::optional<int32_t> PenWidth;
};

// The pen and brush in use.
struct DrawingState {
    uint32_t BrushColor = 0;
    int32_t BrushStyle = 0;
    uint32_t PenColor = 0;
    int32_t PenWidth = 0;
};

bool HasPlaceableKey(std::string_view bytes)
{
    ByteCursor head(bytes);
    return bytes.size() >= 4 && static_cast<uint32_t>(head.ReadDword()) == kPlaceableKey;
}

class WmfParser {
public:
    WmfParser(std::string_view bytes, const WmfLimits &limits) : bytes_(bytes), file_(bytes), limits_(limits) {}

    void Parse(core::PathCollection &result)
    {
        ReadPlaceableHeader();
        ReadMetaHeader();
        uint16_t previous = 0;
        bool ended = false;
        while (!ended && file_.remaining() > 1) {
            WmfRecord record = ReadRecord(file_);
            ended = record.Function == kEndOfFile;
            Interpret(record, previous);
            previous = record.Function;
        }
        result.Paths = std::move(paths_);
    }

private:
    // Key, handle, bounds, units per inch, reserved, checksum: only its picture size is used,
    // and that is read by the picture probe.
    void ReadPlaceableHeader()
    {
        if (HasPlaceableKey(bytes_)) {
            file_.Skip(kPlaceableHeaderBytes);
        }
    }

    void ReadMetaHeader()
    {
        uint16_t type = file_.ReadWord();
        uint16_t headerWords = file_.ReadWord();
        if ((type != 1 && type != 2) || headerWords != 9) {
            throw WmfFault{"no metafile header"};
        }
        file_.ReadWord();   // version
        file_.ReadDword();  // file size
        uint16_t objects = file_.ReadWord();
        file_.ReadDword();  // largest record
        file_.ReadWord();   // parameter count
        objects_.assign(static_cast<size_t>(objects) + 1, WmfObject());
    }

    void Interpret(const WmfRecord &record, uint16_t previous)
    {
        ByteCursor parameters(record.Parameters);
        switch (record.Function) {
        case kSelectObject:
            SelectObject(parameters.ReadWord(), previous);
            break;
        case kSetWindowExt: {
            int16_t yExtent = parameters.ReadShort();
            ySign_ = yExtent < 0 ? -1 : 1;
            break;
        }
        case kCreatePenIndirect:
            parameters.Skip(2);  // style
            state_.PenWidth = parameters.ReadWord();
            parameters.Skip(2);  // the width's y
            state_.PenColor = static_cast<uint32_t>(parameters.ReadDword());
            break;
        case kCreateBrushIndirect:
            state_.BrushStyle = parameters.ReadWord();
            state_.BrushColor = static_cast<uint32_t>(parameters.ReadDword());
            break;
        case kPolygon:
            AddPolygon(parameters);
            break;
        case kPolyline:
            AddPolyline(parameters);
            break;
        case kPolyPolygon:
            AddPolyPolygon(parameters);
            break;
        default:
            break;
        }
    }

    // Right after a pen or brush is created, selecting an index stores it there; otherwise the
    // stored fields of that entry become the current ones.
    void SelectObject(uint16_t index, uint16_t previous)
    {
        if (index >= objects_.size()) {
            throw WmfFault{"an object index lies beyond the object table"};
        }
        WmfObject &entry = objects_[index];
        if (previous == kCreateBrushIndirect) {
            entry.BrushColor = state_.BrushColor;
            entry.BrushStyle = state_.BrushStyle;
        } else if (previous == kCreatePenIndirect) {
            entry.PenColor = state_.PenColor;
            entry.PenWidth = state_.PenWidth;
        } else {
            state_.BrushColor = entry.BrushColor.value_or(state_.BrushColor);
            state_.BrushStyle = entry.BrushStyle.value_or(state_.BrushStyle);
            state_.PenColor = entry.PenColor.value_or(state_.PenColor);
            state_.PenWidth = entry.PenWidth.value_or(state_.PenWidth);
        }
    }

    std::vector<core::AnchorPoint> ReadPoints(ByteCursor &parameters, uint16_t count)
    {
        parameters.Need(uint64_t{count} * 4);
        anchorsRead_ += count;
        if (anchorsRead_ > limits_.MaxAnchors) {
            throw WmfFault{"too many points"};
        }
        std::vector<core::AnchorPoint> anchors(count);
        for (core::AnchorPoint &anchor : anchors) {
            anchor.X = parameters.ReadShort();
            anchor.Y = parameters.ReadShort() * ySign_;
        }
        return anchors;
    }

    // A closed figure needs no repeat of its first point.
    static void DropClosingPoint(std::vector<core::AnchorPoint> &anchors)
    {
        if (anchors.size() >= 2 && anchors.back() == anchors.front()) {
            anchors.pop_back();
        }
    }

    core::PathRecord &AppendPath(std::vector<core::AnchorPoint> anchors)
    {
        if (core::UpperBound(paths_) >= limits_.MaxPaths) {
            throw WmfFault{"too many figures"};
        }
        core::PathRecord &path = paths_.emplace_back();
        path.Anchors = std::move(anchors);
        path.LineWidth = platform::RoundToInt32(state_.PenWidth / 26.5 * 20);
        path.LineColor = state_.PenColor | kOpaque;
        path.FillColor = state_.BrushColor | kOpaque;
        path.GradRatioX = 1.0f;
        path.blGroup = true;
        path.GroupID = 1;
        return path;
    }

    void AddPolygon(ByteCursor &parameters)
    {
        std::vector<core::AnchorPoint> anchors = ReadPoints(parameters, parameters.ReadWord());
        DropClosingPoint(anchors);
        core::PathRecord &path = AppendPath(std::move(anchors));
        path.blClosed = true;
        bool hollow = state_.BrushStyle == kHollowBrush;
        path.FillType = hollow ? core::kFillNone : core::kFillSolid;
        path.LineMode = hollow ? 1 : 0;
    }

    void AddPolyline(ByteCursor &parameters)
    {
        core::PathRecord &path = AppendPath(ReadPoints(parameters, parameters.ReadWord()));
        path.LineMode = 1;
    }

    void AddPolyPolygon(ByteCursor &parameters)
    {
        uint16_t polygons = parameters.ReadWord();
        parameters.Need(uint64_t{polygons} * 2);
        std::vector<uint16_t> counts(polygons);
        for (uint16_t &count : counts) {
            count = parameters.ReadWord();
        }
        ++compoundCounter_;
        for (uint16_t count : counts) {
            std::vector<core::AnchorPoint> anchors = ReadPoints(parameters, count);
            DropClosingPoint(anchors);
            core::PathRecord &path = AppendPath(std::move(anchors));
            path.blClosed = true;
            path.FillType = core::kFillSolid;
            if (polygons >= 2) {
                path.blCompound = true;
                path.CompoundID = compoundCounter_;
            }
        }
    }

    std::string_view bytes_;
    ByteCursor file_;
    WmfLimits limits_;
    std::vector<WmfObject> objects_;
    DrawingState state_;
    int32_t ySign_ = 1;
    int32_t compoundCounter_ = 0;
    int64_t anchorsRead_ = 0;
    core::PathArray paths_{core::PathRecord()};
};

// The picture size in pixels that a placeable header gives; none without that header. A
// placeable header that gives no size is a fault.
std::optional<QSize> PlaceablePictureSize(std::string_view bytes)
{
    if (!HasPlaceableKey(bytes)) {
        return std::nullopt;
    }
    ImageInfo info = MetafileInfo(bytes);
    if (info.ImageType != kImageMetafile || info.ImageWidth <= 0 || info.ImageHeight <= 0) {
        throw WmfFault{"the placeable header gives no picture size"};
    }
    return QSize(info.ImageWidth, info.ImageHeight);
}

// Twips per logical unit along one axis: the picture's extent over the drawing's. Without a
// picture size, or along an axis where the drawing has no extent, one unit is one pixel.
float AxisScale(int32_t pictureExtent, int64_t drawingExtent)
{
    if (pictureExtent <= 0 || drawingExtent <= 0) {
        return 20.0f;
    }
    return static_cast<float>(static_cast<double>(pictureExtent) / static_cast<double>(drawingExtent) * 20.0);
}

// Scales the paths to fill the picture with their top-left corner (line widths included) at 0, 0.
void FitToPicture(core::PathArray &paths, const std::optional<QSize> &picture)
{
    core::Rect32 bounds = core::GetPathsBounds(paths);
    double sx = AxisScale(picture ? picture->width() : 0, int64_t{bounds.Right} - bounds.Left);
    double sy = AxisScale(picture ? picture->height() : 0, int64_t{bounds.Bottom} - bounds.Top);
    for (size_t i = 1; i < paths.size(); ++i) {
        core::PathRecord &path = paths[i];
        path.LineWidth = platform::RoundToInt32(sx * path.LineWidth);
        for (core::AnchorPoint &anchor : path.Anchors) {
            anchor.X = platform::RoundToInt32(sx * static_cast<double>(int64_t{anchor.X} - bounds.Left));
            anchor.Y = platform::RoundToInt32(sy * static_cast<double>(int64_t{anchor.Y} - bounds.Top));
        }
    }
}

QPainterPath Outline(const core::PathRecord &path)
{
    QPainterPath outline;
    outline.setFillRule(Qt::OddEvenFill);
    for (size_t k = 0; k < path.Anchors.size(); ++k) {
        QPointF point(path.Anchors[k].X, path.Anchors[k].Y);
        if (k == 0) {
            outline.moveTo(point);
        } else {
            outline.lineTo(point);
        }
    }
    if (path.blClosed) {
        outline.closeSubpath();
    }
    return outline;
}

QRgb OpaqueColor(core::Color color)
{
    return qRgb(static_cast<int>(color & 0xFF), static_cast<int>((color >> 8) & 0xFF),
                static_cast<int>((color >> 16) & 0xFF));
}

// Draws paths i .. end - 1 in twips as the canvas draws them: the members of a compound fill as
// one shape, even-odd, in the first member's colour, then each one's line (round caps and joins,
// never thinner than a pixel).
void DrawFigure(platform::FigurePainter &painter, const core::PathArray &paths, size_t first, size_t end)
{
    if (paths[first].FillType != core::kFillNone) {
        QPainterPath shape;
        shape.setFillRule(Qt::OddEvenFill);
        for (size_t i = first; i < end; ++i) {
            shape.addPath(Outline(paths[i]));
        }
        painter.Fill(shape, OpaqueColor(paths[first].FillColor));
    }
    for (size_t i = first; i < end; ++i) {
        if (paths[i].LineMode != 0) {
            painter.Stroke(Outline(paths[i]), paths[i].LineWidth, OpaqueColor(paths[i].LineColor));
        }
    }
}

}  // namespace

bool ReadWmfPaths(std::string_view bytes, core::PathCollection &paths, std::string &error, const WmfLimits &limits)
{
    paths = core::PathCollection();
    try {
        std::optional<QSize> picture = PlaceablePictureSize(bytes);
        WmfParser(bytes, limits).Parse(paths);
        FitToPicture(paths.Paths, picture);
        return true;
    } catch (const WmfFault &fault) {
        paths = core::PathCollection();
        error = fault.reason;
        return false;
    }
}

core::PathCollection ImportWmf(std::string_view bytes)
{
    core::PathCollection paths;
    std::string error;
    ReadWmfPaths(bytes, paths, error);
    return paths;
}

QImage DrawMetafilePicture(std::string_view bytes, platform::PlayerStats *work)
{
    ImageInfo info = MetafileInfo(bytes);
    core::PathCollection figures;
    std::string error;
    if (info.ImageType != kImageMetafile || info.ImageWidth <= 0 || info.ImageHeight <= 0 ||
        int64_t{info.ImageWidth} * info.ImageHeight > kMaxPicturePixels || !ReadWmfPaths(bytes, figures, error)) {
        return QImage();
    }
    QImage picture(info.ImageWidth, info.ImageHeight, QImage::Format_RGB32);
    picture.fill(Qt::white);
    platform::FigurePainter painter(picture, QTransform::fromScale(1.0 / 20.0, 1.0 / 20.0));
    const core::PathArray &paths = figures.Paths;
    for (size_t first = 1; first < paths.size();) {
        size_t end = first + 1;
        while (paths[first].blCompound && end < paths.size() && paths[end].blCompound &&
               paths[end].CompoundID == paths[first].CompoundID) {
            ++end;
        }
        DrawFigure(painter, paths, first, end);
        first = end;
    }
    if (work != nullptr) {
        *work = painter.Work();
    }
    return picture;
}

double GetScreenDpiX()
{
    QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? screen->logicalDotsPerInchX() : 96.0;
}

double GetScreenDpiY()
{
    QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? screen->logicalDotsPerInchY() : 96.0;
}

}  // namespace importer
