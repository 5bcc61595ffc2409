// The compound fill's rasteriser. Every fill path becomes straight lines in scene pixels (curves
// flattened, lines outside the rows drawn or right of the clip dropped); each contour is turned
// to a positive area first (a negative one where it lies inside an odd number of the others: a
// hole), which leaves its even-odd region as it was but makes two contours of one style that
// meet along an edge cancel there instead of doubling. Rows are swept with a list
// of the lines crossing them, so the work grows with the lines times the rows they cross. In a
// row each line leaves cells: per pixel column and style, the height it covers ("cover") and the
// part of that lying right of it ("area"). Sorted by style and column, a running sum of covers
// gives each pixel's signed coverage, folded into 0..1 by the even-odd rule. Lines and cells are
// ordered wholly (ties by the order made), so that sums are taken in one order whatever part of
// the picture is drawn. A union (a line's outline) keeps its contours as they run and folds the
// sums by the nonzero rule; sampled at pixel centres, a line leaves one cell in a row, a whole
// cover where the centres right of it begin. Where partial covers are kept, the lines also mark
// where they cross the rows of sample points, from which the sweep finds the points each pixel's
// fill covers (by the even-odd rule), to tell how the fill shares the pixel with earlier ones.
#include "platform/player/swf_compound_fill.h"

#include "platform/base/bezier.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <optional>
#include <utility>
#include <vector>

namespace platform::swf {

namespace {

// Curves are flattened to within this many pixels (as the painter's own rasteriser does), in at
// most kMaxCurvePieces lines.
constexpr double kFlatness = 0.25;
constexpr int kMaxCurvePieces = 256;
// Coverages this close to 0 or 1 are taken as exact, so that rounding in the sums of covers
// never lets a full pixel show its background.
constexpr double kCoverageSnap = 1e-9;

// Points are kept in 1/256 pixel: every step of a row's coverage is then taken from differences
// of whole numbers, so a picture moved by whole pixels gets the same pixels.
constexpr double kSubpixels = 256;
constexpr int64_t kSubpixelsInt = 256;
constexpr double kMaxCoordinate = 1ll << 50;  // in subpixels; beyond it edges are held at it

struct Line {
    int64_t x0, y0, x1, y1;  // subpixels, y0 < y1
    double slope;            // dx / dy
    double sign;             // +1 along increasing y after orientation, else -1
    int32_t style;
    uint32_t order;          // made as the order-th line of the fill
};

int64_t ToSubpixels(double pixels)
{
    return std::llround(std::clamp(pixels * kSubpixels, -kMaxCoordinate, kMaxCoordinate));
}

// std::llround for |value| < 2^62, without the library call: the part after the point is taken
// exactly, so halves round away from zero as there.
int64_t RoundHalfAway(double value)
{
    int64_t whole = static_cast<int64_t>(value);
    const double rest = value - static_cast<double>(whole);
    if (rest >= 0.5) {
        ++whole;
    } else if (rest <= -0.5) {
        --whole;
    }
    return whole;
}

// What a line leaves in a pixel column of a row. A line crossing many columns of one row leaves
// the same cover in each column between its ends: it is kept as a ramp, started (+1) in the first
// of those columns and ended (-1) after the last, so a row holds a few cells per line however
// wide the line runs.
struct Cell {
    uint64_t key;  // style << 32 | column + 1
    double cover;
    double area;
    double ramp;       // cover added to each column from this one on
    int32_t ramps;     // ramps started (+) and ended (-) here
    uint16_t toggles;  // sample points of this column that change sides here
    uint8_t carries;   // sample rows that change sides in every column after this one
};

// A pixel's 4 x 4 sample points lie at 1/8, 3/8, 5/8 and 7/8 of its width and height; bit
// 4 * row + column stands for one.
constexpr int64_t kFirstSample = kSubpixelsInt / 8;
constexpr int64_t kSampleStep = kSubpixelsInt / 4;

// The sample points of the rows set in rows (bit r for row r).
constexpr uint16_t SampleRows(unsigned rows)
{
    return static_cast<uint16_t>(((rows & 1) ? 0x000F : 0) | ((rows & 2) ? 0x00F0 : 0) | ((rows & 4) ? 0x0F00 : 0) |
                                 ((rows & 8) ? 0xF000 : 0));
}

// Rows with fewer cells are sorted by insertion.
constexpr size_t kInsertionSortCells = 48;

// Sorts cells by key, the cells of one key kept in the order made, so that their sums never
// depend on which other cells the row holds: by insertion when few, else by a radix sort over
// the bytes in which keys differ (spare is its room).
void SortCells(std::vector<Cell> &cells, std::vector<Cell> &spare)
{
    const size_t count = cells.size();
    if (count < kInsertionSortCells) {
        for (size_t i = 1; i < count; ++i) {
            const Cell cell = cells[i];
            size_t j = i;
            for (; j > 0 && cells[j - 1].key > cell.key; --j) {
                cells[j] = cells[j - 1];
            }
            cells[j] = cell;
        }
        return;
    }
    uint64_t differing = 0;
    for (const Cell &cell : cells) {
        differing |= cell.key ^ cells.front().key;
    }
    spare.resize(count);
    Cell *from = cells.data();
    Cell *to = spare.data();
    for (int shift = 0; shift < 64; shift += 8) {
        if (((differing >> shift) & 0xFF) == 0) {
            continue;
        }
        size_t starts[257] = {};
        for (size_t i = 0; i < count; ++i) {
            ++starts[((from[i].key >> shift) & 0xFF) + 1];
        }
        for (int b = 0; b < 256; ++b) {
            starts[b + 1] += starts[b];
        }
        for (size_t i = 0; i < count; ++i) {
            to[starts[(from[i].key >> shift) & 0xFF]++] = from[i];
        }
        std::swap(from, to);
    }
    if (from != cells.data()) {
        std::copy(from, from + count, cells.data());
    }
}

double Cross(const QPointF &a, const QPointF &b)
{
    return a.x() * b.y() - a.y() * b.x();
}

// Twice the signed area swept from the origin by the subpath elements [begin, end), closed.
double SubpathArea(const QPainterPath &path, int begin, int end)
{
    double twice = 0;
    QPointF pen = path.elementAt(begin);
    const QPointF start = pen;
    for (int i = begin + 1; i < end; ++i) {
        const QPainterPath::Element &e = path.elementAt(i);
        if (e.type == QPainterPath::CurveToElement && i + 2 < end) {
            const QPointF p1 = e;
            const QPointF p2 = path.elementAt(i + 1);
            const QPointF p3 = path.elementAt(i + 2);
            // Exact for a cubic: the integral of x dy - y dx along it.
            twice += (6 * Cross(pen, p1) + 3 * Cross(pen, p2) + Cross(pen, p3) + 3 * Cross(p1, p2) +
                      3 * Cross(p1, p3) + 6 * Cross(p2, p3)) /
                     10;
            pen = p3;
            i += 2;
        } else {
            twice += Cross(pen, e);
            pen = e;
        }
    }
    return twice + Cross(pen, start);
}

// Paths of at most this many contours, holding at most kMostNestingPoints points together, have
// their holes told apart from their outer contours while that takes at most kMostNestingWork
// point tests (contours times points: it is done at every fill); larger ones take every contour
// as outer.
constexpr size_t kMostNestedContours = 64;
constexpr size_t kMostNestingPoints = 4096;
constexpr size_t kMostNestingWork = size_t(1) << 14;
// Curves are taken as this many lines when telling which contours lie inside which.
constexpr int kNestingCurvePieces = 8;

// The contours of a path as polygons (curves as a few lines each), for telling which lie inside
// which; empty when the path is too large to look at.
std::vector<std::vector<QPointF>> ContourPolygons(const QPainterPath &path)
{
    std::vector<std::vector<QPointF>> contours;
    size_t points = 0;
    for (int i = 0; i < path.elementCount(); ++i) {
        const QPainterPath::Element &e = path.elementAt(i);
        if (e.type == QPainterPath::MoveToElement || contours.empty()) {
            if (contours.size() == kMostNestedContours) {
                return {};
            }
            contours.emplace_back();
        }
        std::vector<QPointF> &contour = contours.back();
        if (e.type == QPainterPath::CurveToElement && i + 2 < path.elementCount() && !contour.empty()) {
            const CubicCurve<QPointF> curve{contour.back(), e, path.elementAt(i + 1), path.elementAt(i + 2)};
            FlattenEvenly(curve, kNestingCurvePieces, [&contour](const QPointF &p) { contour.push_back(p); });
            points += kNestingCurvePieces;
            i += 2;
        } else {
            contour.push_back(e);
            ++points;
        }
        if (points > kMostNestingPoints) {
            return {};
        }
    }
    if (contours.size() * points > kMostNestingWork) {
        return {};
    }
    return contours;
}

// Whether point lies inside the polygon by the even-odd rule.
bool Inside(const std::vector<QPointF> &polygon, const QPointF &point)
{
    bool inside = false;
    for (size_t i = 0, j = polygon.size() - 1; i < polygon.size(); j = i++) {
        const QPointF &a = polygon[i];
        const QPointF &b = polygon[j];
        if ((a.y() > point.y()) != (b.y() > point.y()) &&
            point.x() < a.x() + (point.y() - a.y()) * (b.x() - a.x()) / (b.y() - a.y())) {
            inside = !inside;
        }
    }
    return inside;
}

// A point just inside the contour beside its first edge of any length (twice its signed area is
// given); nullopt for a contour without one.
std::optional<QPointF> PointJustInside(const std::vector<QPointF> &contour, double twiceArea)
{
    if (twiceArea == 0 || !std::isfinite(twiceArea)) {
        return std::nullopt;
    }
    for (size_t i = 0; i < contour.size(); ++i) {
        const QPointF &a = contour[i];
        const QPointF &b = contour[(i + 1) % contour.size()];
        const QPointF along = b - a;
        if (along.isNull() || !std::isfinite(along.x()) || !std::isfinite(along.y())) {
            continue;
        }
        // The inside lies left of the edges of a contour of positive area, right of those of
        // a negative one, a millionth of the edge's length away.
        const QPointF inward = twiceArea > 0 ? QPointF(-along.y(), along.x()) : QPointF(along.y(), -along.x());
        return (a + b) / 2 + inward * 1e-6;
    }
    return std::nullopt;
}

// For each contour of a path (of the areas given), -1 where it lies inside an odd number of the
// others (a hole, or an island's hole), else 1: turned to these signs, contours that share an
// edge cancel there where the even-odd rule leaves the edge's pixels uncovered on both sides
// (a hole beside its outer contour's edge), and add up where it covers them.
std::vector<double> NestingSigns(const QPainterPath &path, const std::vector<double> &twiceAreas)
{
    std::vector<double> signs(twiceAreas.size(), 1);
    if (twiceAreas.size() < 2) {
        return signs;
    }
    const std::vector<std::vector<QPointF>> contours = ContourPolygons(path);
    if (contours.size() != twiceAreas.size()) {
        return signs;
    }
    for (size_t i = 0; i < contours.size(); ++i) {
        const std::optional<QPointF> point = PointJustInside(contours[i], twiceAreas[i]);
        if (!point) {
            continue;
        }
        bool odd = false;
        for (size_t j = 0; j < contours.size(); ++j) {
            odd ^= j != i && contours[j].size() > 2 && Inside(contours[j], *point);
        }
        signs[i] = odd ? -1 : 1;
    }
    return signs;
}

// Builds the lines of the paths that can touch rows [top, bottom) left of column right: a line
// wholly right of the columns drawn changes none of them (coverage is summed from the left).
class LineBuilder {
public:
    LineBuilder(const QTransform &world, int top, int bottom, int right, std::vector<Line> &lines)
        : world_(world), top_(top), bottom_(bottom), right_(right), lines_(lines)
    {
    }

    // Whether an edge in the rows drawn was passed over for lying right of every column.
    bool PassedRight() const { return passedRight_; }

    // From now on keeps the level lines in the rows and columns drawn in flats (x0 <= x1): a fill
    // needs none of them, but its coverage changes across them.
    void KeepFlats(std::vector<Line> &flats) { flats_ = &flats; }

    // The contours of a union keep the way they run: its pieces all count, whichever way each
    // turns, by the nonzero rule.
    void AddUnion(const QPainterPath &path)
    {
        sign_ = 1;
        style_ = 0;
        const int count = path.elementCount();
        for (int begin = 0; begin < count;) {
            const int end = SubpathEnd(path, begin);
            AddSubpath(path, begin, end);
            begin = end;
        }
    }

    void AddPath(const QPainterPath &path, int32_t style)
    {
        const double orientation = world_.determinant() < 0 ? -1 : 1;
        const int count = path.elementCount();
        std::vector<std::pair<int, int>> subpaths;
        std::vector<double> twiceAreas;
        for (int begin = 0; begin < count;) {
            const int end = SubpathEnd(path, begin);
            subpaths.emplace_back(begin, end);
            twiceAreas.push_back(SubpathArea(path, begin, end));
            begin = end;
        }
        const std::vector<double> nesting = NestingSigns(path, twiceAreas);
        for (size_t k = 0; k < subpaths.size(); ++k) {
            sign_ = (twiceAreas[k] * orientation < 0 ? -1 : 1) * nesting[k];
            style_ = style;
            AddSubpath(path, subpaths[k].first, subpaths[k].second);
        }
    }

private:
    static int SubpathEnd(const QPainterPath &path, int begin)
    {
        int end = begin + 1;
        while (end < path.elementCount() && path.elementAt(end).type != QPainterPath::MoveToElement) {
            ++end;
        }
        return end;
    }

    QPointF Map(const QPointF &p) const
    {
        return {world_.m11() * p.x() + world_.m21() * p.y() + world_.dx(),
                world_.m12() * p.x() + world_.m22() * p.y() + world_.dy()};
    }

    void AddSubpath(const QPainterPath &path, int begin, int end)
    {
        QPointF pen = Map(path.elementAt(begin));
        const QPointF start = pen;
        for (int i = begin + 1; i < end; ++i) {
            const QPainterPath::Element &e = path.elementAt(i);
            if (e.type == QPainterPath::CurveToElement && i + 2 < end) {
                const QPointF p3 = Map(path.elementAt(i + 2));
                AddCurve(pen, Map(e), Map(path.elementAt(i + 1)), p3);
                pen = p3;
                i += 2;
            } else {
                const QPointF to = Map(e);
                AddLine(pen, to);
                pen = to;
            }
        }
        AddLine(pen, start);
    }

    // Whether nothing of an edge within these bounds reaches the rows and columns drawn; one
    // lying right of them all is noted, as the coverage left of it then stays.
    bool Beside(double minY, double maxY, double minX)
    {
        if (maxY <= top_ || minY >= bottom_) {
            return true;
        }
        passedRight_ = passedRight_ || minX >= right_;
        return minX >= right_;
    }

    void AddCurve(const QPointF &p0, const QPointF &p1, const QPointF &p2, const QPointF &p3)
    {
        const double minY = std::min({p0.y(), p1.y(), p2.y(), p3.y()});
        const double maxY = std::max({p0.y(), p1.y(), p2.y(), p3.y()});
        if (Beside(minY, maxY, std::min({p0.x(), p1.x(), p2.x(), p3.x()}))) {
            return;
        }
        const QPointF d1 = p0 - 2 * p1 + p2;
        const QPointF d2 = p1 - 2 * p2 + p3;
        const double bend = std::max(std::hypot(d1.x(), d1.y()), std::hypot(d2.x(), d2.y()));
        const double wanted = std::ceil(std::sqrt(0.75 * bend / kFlatness));
        const int pieces = std::isfinite(wanted) ? static_cast<int>(std::clamp(wanted, 1.0, double(kMaxCurvePieces)))
                                                 : kMaxCurvePieces;
        QPointF from = p0;
        FlattenEvenly(CubicCurve<QPointF>{p0, p1, p2, p3}, pieces, [this, &from](const QPointF &to) {
            AddLine(from, to);
            from = to;
        });
    }

    void AddLine(const QPointF &a, const QPointF &b)
    {
        if ((a.y() == b.y() && flats_ == nullptr) ||
            Beside(std::min(a.y(), b.y()), std::max(a.y(), b.y()), std::min(a.x(), b.x()))) {
            return;
        }
        if (!std::isfinite(a.x()) || !std::isfinite(a.y()) || !std::isfinite(b.x()) || !std::isfinite(b.y())) {
            return;
        }
        const int64_t ax = ToSubpixels(a.x());
        const int64_t ay = ToSubpixels(a.y());
        const int64_t bx = ToSubpixels(b.x());
        const int64_t by = ToSubpixels(b.y());
        if (ay == by) {
            if (flats_ != nullptr) {
                flats_->push_back({std::min(ax, bx), ay, std::max(ax, bx), ay, 0, 0, style_, 0});
            }
            return;
        }
        const bool down = ay < by;
        const int64_t x0 = down ? ax : bx;
        const int64_t y0 = down ? ay : by;
        const int64_t x1 = down ? bx : ax;
        const int64_t y1 = down ? by : ay;
        lines_.push_back({x0, y0, x1, y1, double(x1 - x0) / double(y1 - y0), down ? sign_ : -sign_, style_,
                          static_cast<uint32_t>(lines_.size())});
    }

    QTransform world_;
    int top_;
    int bottom_;
    int right_;
    std::vector<Line> &lines_;
    std::vector<Line> *flats_ = nullptr;
    double sign_ = 1;
    int32_t style_ = 0;
    bool passedRight_ = false;
};

// The even-odd coverage of a pixel whose signed coverage is value.
double EvenOdd(double value)
{
    double a = std::abs(value);
    if (a >= 2) {
        a = std::fmod(a, 2.0);
    }
    if (a > 1) {
        a = 2 - a;
    }
    return a < kCoverageSnap ? 0 : a > 1 - kCoverageSnap ? 1 : a;
}

// The nonzero coverage of a pixel whose signed coverage is value.
double Nonzero(double value)
{
    const double a = std::min(std::abs(value), 1.0);
    return a < kCoverageSnap ? 0 : a > 1 - kCoverageSnap ? 1 : a;
}

// How a fill's sums become coverages: fills fold them even-odd and sample pixel areas.
struct FillRule {
    bool evenOdd = true;
    Sampling sampling = Sampling::Area;
};

// A channel value rounded as std::lround rounds it (halves up), held to 0..255.
inline int ChannelOf(float value)
{
    // A float below 256 plus a half is exact in double, so truncating it rounds exactly.
    return value > 0 ? (value < 255 ? static_cast<int>(static_cast<double>(value) + 0.5) : 255) : 0;
}

// A pixel under premultiplied channels already weighted by coverage (0..255 each).
inline QRgb Composite(QRgb d, float red, float green, float blue, float alpha)
{
    const float keep = std::max(0.0f, 1 - alpha / 255);
    auto channel = [keep](float s, int v) { return ChannelOf(s + v * keep); };
    return qRgba(channel(red, qRed(d)), channel(green, qGreen(d)), channel(blue, qBlue(d)), channel(alpha, qAlpha(d)));
}

// What a fill leaves in a pixel: premultiplied channels weighted by coverage (0..255 each).
struct Weighted {
    float red, green, blue, alpha;
};

// A part of a pixel (0..1) in 1/kWholeOpen, rounded; 0 for none or less.
inline int OpenPart(float part)
{
    const float open = part * kWholeOpen + 0.5f;
    return open >= 1 ? static_cast<int>(open) : 0;
}

// A pixel (mark and entry its partial cover) under a fill covering part of it, coverage in
// (0, 1), at the sample points samples; own is the fill's colour where it covers when it is one
// colour (not where the colours of a group's fills are summed). Unmarked, the pixel is composited
// as ever and left marked with the fill's cover. Marked, the fill covers the share of its
// coverage that its samples share with those covered before ("over") on top of their colour, and
// the rest beside them over what lay below them; where the two leave nothing uncovered the mark
// goes.
inline QRgb CoverPart(QRgb pixel, const Weighted &w, float coverage, uint16_t samples, uint8_t &mark,
                      PartialPixel &entry, std::optional<QRgb> own = std::nullopt)
{
    // How much of what lies below shows through the fill where it covers.
    auto keepBelow = [&w, coverage] { return std::max(0.0f, 1 - w.alpha / (255 * coverage)); };
    auto premultiplied = [](float red, float green, float blue, float alpha) {
        return qRgba(ChannelOf(red), ChannelOf(green), ChannelOf(blue), ChannelOf(alpha));
    };
    if (mark == 0) {
        const int open = OpenPart(1 - coverage);
        if (open > 0) {
            entry.before = pixel;
            if (own && qAlpha(*own) == 255) {
                entry.shape = *own;
            } else if (own) {
                entry.shape = Composite(pixel, qRed(*own), qGreen(*own), qBlue(*own), qAlpha(*own));
            } else {
                const float keep = keepBelow();
                entry.shape =
                    premultiplied(w.red / coverage + keep * qRed(pixel), w.green / coverage + keep * qGreen(pixel),
                                  w.blue / coverage + keep * qBlue(pixel), w.alpha / coverage + keep * qAlpha(pixel));
            }
            entry.open = static_cast<uint16_t>(std::min(open, kWholeOpen - 1));
            entry.samples = samples;
            mark = 1;
        }
        return Composite(pixel, w.red, w.green, w.blue, w.alpha);
    }
    const float keep = keepBelow();
    const float open = entry.open / float(kWholeOpen);
    const float covered = 1 - open;
    const int points = std::popcount(samples);
    float over = 0;
    if (points > 0) {
        over = coverage * float(std::popcount(uint16_t(samples & entry.samples))) / float(points);
    } else {
        // A fill between the sample points lies in the part of the pixel they do not tell: of
        // the earlier cover, what its sample points leave out, or of the part left uncovered,
        // what they take for covered (a sliver beside an edge between two rows of points).
        const float sampled = std::popcount(entry.samples) / 16.0f;
        const float coverUntold = std::max(0.0f, covered - sampled);
        const float openUntold = std::max(0.0f, open - (1 - sampled));
        over = coverUntold + openUntold > 0 ? coverage * coverUntold / (coverUntold + openUntold) : coverage * covered;
    }
    over = std::clamp(over, std::max(0.0f, coverage - open), std::min(coverage, covered));
    const float left = open - (coverage - over);  // still uncovered
    // The fill over the earlier cover where they share, over the pixel before it beside it, and
    // the earlier cover where the fill is not.
    const float shapeShare = covered - over + keep * over;
    const float beforeShare = keep * (coverage - over);
    const QRgb s = entry.shape;
    const QRgb b = entry.before;
    const float red = w.red + qRed(s) * shapeShare + qRed(b) * beforeShare;
    const float green = w.green + qGreen(s) * shapeShare + qGreen(b) * beforeShare;
    const float blue = w.blue + qBlue(s) * shapeShare + qBlue(b) * beforeShare;
    const float alpha = w.alpha + qAlpha(s) * shapeShare + qAlpha(b) * beforeShare;
    const int leftOpen = OpenPart(left);
    if (leftOpen <= 0) {
        mark = 0;
    } else {
        const float inverse = 1 / (1 - left);
        entry.shape = premultiplied(red * inverse, green * inverse, blue * inverse, alpha * inverse);
        entry.open = static_cast<uint16_t>(std::min(leftOpen, kWholeOpen - 1));
        entry.samples |= samples;
    }
    const float below = std::max(0.0f, left);
    return premultiplied(red + qRed(b) * below, green + qGreen(b) * below, blue + qBlue(b) * below,
                         alpha + qAlpha(b) * below);
}

// What a sweep does with the partial covers of its target: nothing (none are kept), keeps them
// (a fill, sampling its pixels' points) or forgets them where it draws (a union).
enum class PartialUse { None, Kept, Forgotten };

// Room a thread keeps between fills (most fills are small, and many are drawn one after another),
// given back when a large fill left more than kKeptScratch elements in it.
struct Scratch {
    std::vector<Line> lines;
    std::vector<Cell> cells;
    std::vector<Cell> spareCells;
    std::vector<float> sums;
    std::vector<uint16_t> samples;
    std::vector<size_t> active;
};
constexpr size_t kKeptScratch = 1 << 20;

template <typename T>
void Trim(std::vector<T> &items)
{
    if (items.capacity() > kKeptScratch) {
        std::vector<T>().swap(items);
    }
    items.clear();
}

// One row of the sweep: cells from the lines, then coverages into the row's sums, or straight
// into its pixels where one style alone has cells in the row.
class RowSweep {
public:
    RowSweep(int columns, const QRect &clip, FillRule rule, const PartialRows &partial, PartialUse use,
             Scratch &scratch)
        : columns_(columns), clipLeft_(clip.left()), clipRight_(clip.right()), rule_(rule), partial_(partial),
          use_(use), cells_(scratch.cells), spare_(scratch.spareCells), sums_(scratch.sums),
          samples_(scratch.samples)
    {
        sums_.assign(static_cast<size_t>(clip.width()) * 5, 0.0f);
        samples_.assign(use == PartialUse::Kept ? static_cast<size_t>(clip.width()) : 0, 0);
    }

    void Reset(int row)
    {
        row_ = row;
        cells_.clear();
        touchedLeft_ = clipRight_ + 1;
        touchedRight_ = clipLeft_ - 1;
        if (use_ != PartialUse::None) {
            // Indexed by scene column from the partial covers' first.
            const size_t first = partial_.Index(partial_.area.left(), row);
            marks_ = partial_.marks + first;
            entries_ = partial_.pixels + first;
            partialLeft_ = partial_.area.left();
        }
    }

    // The part of line in the row.
    void Follow(const Line &line)
    {
        const int64_t top = int64_t(row_) * kSubpixelsInt;
        auto xAt = [&line](int64_t y) {
            return y == line.y0   ? line.x0
                   : y == line.y1 ? line.x1
                                  : line.x0 + RoundHalfAway(double(y - line.y0) * line.slope);
        };
        if (rule_.sampling == Sampling::Centre) {
            // The line covers the centres right of it in the row, when it crosses their height
            // (a centre on its top is crossed, one on its bottom is not).
            const int64_t centre = top + kSubpixelsInt / 2;
            if (centre >= line.y0 && centre < line.y1) {
                AddCrossing(xAt(centre), line.sign, line.style);
            }
            return;
        }
        const int64_t ya = std::max(line.y0, top);
        const int64_t yb = std::min(line.y1, top + kSubpixelsInt);
        if (yb <= ya) {
            return;
        }
        const int64_t xa = xAt(ya);
        const int64_t xb = xAt(yb);
        const size_t firstCell = cells_.size();
        AddPiece(std::min(xa, xb), std::max(xa, xb), double(yb - ya) / kSubpixels * line.sign, line.style);
        if (use_ == PartialUse::Kept) {
            for (int r = 0; r < 4; ++r) {
                // A sample point on the line is right of it (as a centre on it is).
                const int64_t y = top + kFirstSample + r * kSampleStep;
                if (y >= line.y0 && y < line.y1) {
                    AddSampleCrossing(xAt(y), r, line.style, firstCell);
                }
            }
        }
    }

    size_t CellCount() const { return cells_.size(); }

    // Sums each style's coverage of the clip's pixels times its source (or draws it into pixels
    // when the row holds one style).
    void Cover(const std::vector<CompoundSource> &sources, QRgb *pixels)
    {
        SortCells(cells_, spare_);
        pixels_ = pixels;
        direct_ = cells_.empty() || cells_.front().key >> 32 == cells_.back().key >> 32;
        size_t i = 0;
        while (i < cells_.size()) {
            const uint64_t style = cells_[i].key >> 32;
            const CompoundSource &source = sources[style];
            double acc = 0;
            double ramp = 0;
            int32_t ramps = 0;
            unsigned sampleRows = 0;  // the rows of sample points inside, left of the column
            while (i < cells_.size() && cells_[i].key >> 32 == style) {
                const int column = static_cast<int>(cells_[i].key & 0xFFFFFFFFu) - 1;
                double cover = 0;
                double area = 0;
                uint16_t toggles = 0;
                unsigned carries = 0;
                for (; i < cells_.size() && cells_[i].key == (style << 32 | uint64_t(column + 1)); ++i) {
                    cover += cells_[i].cover;
                    area += cells_[i].area;
                    ramp += cells_[i].ramp;
                    ramps += cells_[i].ramps;
                    toggles ^= cells_[i].toggles;
                    carries ^= cells_[i].carries;
                }
                if (ramps == 0) {
                    ramp = 0;  // every ramp ended: no rounding left over
                }
                // A ramp column is fully crossed: half its cover lies right of the line.
                Add(column, column + 1, Coverage(acc + area + ramp / 2), source,
                    static_cast<uint16_t>(SampleRows(sampleRows) ^ toggles));
                acc += cover + ramp;
                sampleRows ^= carries;
                const uint16_t samples = SampleRows(sampleRows);
                const bool more = i < cells_.size() && cells_[i].key >> 32 == style;
                const int next = more ? static_cast<int>(cells_[i].key & 0xFFFFFFFFu) - 1 : columns_;
                if (ramp == 0) {
                    Add(column + 1, next, Coverage(acc), source, samples);
                    continue;
                }
                const int from = std::max(column + 1, clipLeft_);
                const int to = std::min(next, clipRight_ + 1);
                for (int x = from; x < to; ++x) {
                    Add(x, x + 1, Coverage(acc + ramp * (x - column - 1) + ramp / 2), source, samples);
                }
                acc += ramp * (next - column - 1);
            }
        }
    }

    // Blends the sums into the row's pixels.
    void Blend()
    {
        if (direct_) {
            return;
        }
        for (int x = touchedLeft_; x <= touchedRight_; ++x) {
            const size_t at = static_cast<size_t>(x - clipLeft_);
            float *sum = &sums_[at * 5];
            if (sum[4] > 0) {
                const float scale = sum[4] > 1 ? 1 / sum[4] : 1.0f;
                const Weighted weighted{sum[0] * scale, sum[1] * scale, sum[2] * scale, sum[3] * scale};
                Take(x, std::min(sum[4], 1.0f), weighted, samples_.empty() ? uint16_t(0) : samples_[at]);
            }
            std::fill(sum, sum + 5, 0.0f);
            if (!samples_.empty()) {
                samples_[at] = 0;
            }
        }
    }

private:
    double Coverage(double value) const { return rule_.evenOdd ? EvenOdd(value) : Nonzero(value); }

    void Push(int column, double cover, double area, int32_t style, double ramp = 0, int32_t ramps = 0)
    {
        cells_.push_back({uint64_t(uint32_t(style)) << 32 | uint64_t(column + 1), cover, area, ramp, ramps, 0, 0});
    }

    // A line crossing sample row r at x (subpixels): the points of the row at or right of x in
    // its pixel change sides, and the whole row in every pixel right of it. Kept in a cell the
    // line left in that column (from firstCell on) where it left one.
    void AddSampleCrossing(int64_t x, int r, int32_t style, size_t firstCell)
    {
        if (x >= int64_t(columns_) * kSubpixelsInt) {
            return;
        }
        int column = -1;  // left of every column: the row is carried into all of them
        uint16_t toggles = 0;
        if (x >= 0) {
            column = static_cast<int>(x / kSubpixelsInt);
            const int64_t into = x - int64_t(column) * kSubpixelsInt;
            const int64_t first = into <= kFirstSample ? 0 : (into - kFirstSample + kSampleStep - 1) / kSampleStep;
            toggles = static_cast<uint16_t>(((0xFu << first) & 0xFu) << (4 * r));
        }
        const uint64_t key = uint64_t(uint32_t(style)) << 32 | uint64_t(column + 1);
        const auto carry = static_cast<uint8_t>(1u << r);
        for (size_t i = firstCell; i < cells_.size(); ++i) {
            if (cells_[i].key == key) {
                cells_[i].toggles ^= toggles;
                cells_[i].carries ^= carry;
                return;
            }
        }
        cells_.push_back({key, 0, 0, 0, 0, toggles, carry});
    }

    // Draws into pixel x of the row a fill covering coverage (0..1] of it with colour weighted,
    // at the sample points samples, as the sweep keeps partial covers.
    void Take(int x, float coverage, const Weighted &weighted, uint16_t samples,
              std::optional<QRgb> own = std::nullopt)
    {
        QRgb &pixel = pixels_[x];
        if (use_ == PartialUse::Kept && coverage < 1) {
            const size_t at = static_cast<size_t>(x - partialLeft_);
            pixel = CoverPart(pixel, weighted, coverage, samples, marks_[at], entries_[at], own);
            return;
        }
        pixel = Composite(pixel, weighted.red, weighted.green, weighted.blue, weighted.alpha);
        if (use_ != PartialUse::None) {
            marks_[x - partialLeft_] = 0;
        }
    }

    // Forgets the partial covers of columns [begin, end) of the row, drawn over wholly.
    void Forget(int begin, int end)
    {
        if (use_ != PartialUse::None) {
            std::fill(marks_ + (begin - partialLeft_), marks_ + (end - partialLeft_), uint8_t(0));
        }
    }

    // A straight piece of a row between x-values lo <= hi (subpixels) covering height cover
    // (pixels, signed).
    void AddPiece(int64_t lo, int64_t hi, double cover, int32_t style)
    {
        const int64_t right = int64_t(columns_) * kSubpixelsInt;
        if (lo >= right) {
            return;
        }
        if (hi <= 0) {
            Push(-1, cover, cover, style);  // left of every column: only its cover counts
            return;
        }
        const int64_t width = hi - lo;
        auto part = [&](int64_t a, int64_t b) { return width > 0 ? cover * double(b - a) / double(width) : cover; };
        if (lo < 0) {
            Push(-1, part(lo, 0), part(lo, 0), style);
        }
        const int64_t from = std::max<int64_t>(lo, 0);
        const int64_t to = std::min(hi, right);
        const int first = static_cast<int>(from / kSubpixelsInt);
        const int last = std::min(static_cast<int>((to + kSubpixelsInt - 1) / kSubpixelsInt) - 1, columns_ - 1);
        auto cell = [&](int c) {
            const int64_t cellLeft = int64_t(c) * kSubpixelsInt;
            const int64_t a = std::max(from, cellLeft);
            const int64_t b = width > 0 ? std::min(to, cellLeft + kSubpixelsInt) : a;
            const double h = part(a, b);
            // The part of the pixel right of the piece: its height times the distance from the
            // piece's middle to the pixel's right side.
            Push(c, h, h * double(2 * (cellLeft + kSubpixelsInt) - a - b) / (2 * kSubpixels), style);
        };
        cell(first);
        if (last > first + 1) {  // whole columns between the ends
            const double whole = part(0, kSubpixelsInt);
            Push(first + 1, 0, 0, style, whole, 1);
            Push(last, 0, 0, style, -whole, -1);
        }
        if (last > first) {
            cell(last);
        }
    }

    // A line crossing the row's centres at x (subpixels): the centres from the first at or right
    // of it on are covered by sign (the pixel of the first cell wholly: its area is its cover).
    void AddCrossing(int64_t x, double sign, int32_t style)
    {
        const int64_t fromCentre = x - kSubpixelsInt / 2;
        // The first column whose centre lies at or right of x: fromCentre / 256 rounded up.
        const int64_t first = fromCentre >= 0 ? (fromCentre + kSubpixelsInt - 1) / kSubpixelsInt
                                              : -((-fromCentre) / kSubpixelsInt);
        if (first >= columns_) {
            return;
        }
        const int column = static_cast<int>(std::max<int64_t>(first, -1));
        Push(column, sign, sign, style);
    }

    // Coverage over columns [begin, end) of the row, within the clip, at the sample points
    // samples in each.
    void Add(int begin, int end, double coverage, const CompoundSource &source, uint16_t samples)
    {
        begin = std::max(begin, clipLeft_);
        end = std::min(end, clipRight_ + 1);
        if (coverage <= 0 || begin >= end) {
            return;
        }
        const float f = static_cast<float>(coverage);
        if (direct_ && source.image == nullptr && f == 1 && qAlpha(source.color) == 255) {
            std::fill(pixels_ + begin, pixels_ + end, source.color);
            Forget(begin, end);
            return;
        }
        touchedLeft_ = std::min(touchedLeft_, begin);
        touchedRight_ = std::max(touchedRight_, end - 1);
        const QRgb *image = nullptr;
        int imageLeft = 0;
        int imageWidth = 0;
        if (source.image != nullptr) {
            const int y = row_ - source.origin.y();
            if (y >= 0 && y < source.image->height()) {
                image = reinterpret_cast<const QRgb *>(source.image->constScanLine(y));
                imageLeft = source.origin.x();
                imageWidth = source.image->width();
            }
        }
        for (int x = begin; x < end; ++x) {
            QRgb color = source.color;
            if (source.image != nullptr) {
                const int ix = x - imageLeft;
                color = image != nullptr && ix >= 0 && ix < imageWidth ? image[ix] : 0;
            }
            if (direct_) {
                // Fully covered by an opaque colour, a pixel is that colour, as compositing gives it.
                if (f == 1 && qAlpha(color) == 255) {
                    pixels_[x] = color;
                    Forget(x, x + 1);
                } else {
                    Take(x, f, {f * qRed(color), f * qGreen(color), f * qBlue(color), f * qAlpha(color)}, samples,
                         color);
                }
                continue;
            }
            const size_t at = static_cast<size_t>(x - clipLeft_);
            float *sum = &sums_[at * 5];
            sum[0] += f * qRed(color);
            sum[1] += f * qGreen(color);
            sum[2] += f * qBlue(color);
            sum[3] += f * qAlpha(color);
            sum[4] += f;
            if (!samples_.empty()) {
                samples_[at] |= samples;
            }
        }
    }

    int columns_;
    int clipLeft_;
    int clipRight_;
    FillRule rule_;
    PartialRows partial_;
    PartialUse use_;
    int row_ = 0;
    int touchedLeft_ = 0;
    int touchedRight_ = -1;
    std::vector<Cell> &cells_;
    std::vector<Cell> &spare_;
    std::vector<float> &sums_;  // per clip column: red, green, blue, alpha, coverage
    std::vector<uint16_t> &samples_;  // per clip column where partial covers are kept: points covered
    uint8_t *marks_ = nullptr;         // the row's partial covers, from partialLeft_ on
    PartialPixel *entries_ = nullptr;
    int partialLeft_ = 0;
    QRgb *pixels_ = nullptr;   // the row's pixels
    bool direct_ = false;      // one style in the row: drawn straight into pixels_
};

}  // namespace

bool CompoundFillable(const QImage &image)
{
    return image.format() == QImage::Format_ARGB32_Premultiplied || image.format() == QImage::Format_RGB32;
}

namespace {

// Fills what addPaths gives the line builder through world into the target, each style with its
// source, by rule.
template <typename AddPaths>
void Fill(const CompoundTarget &target, const std::vector<CompoundSource> &sources, const QTransform &world,
          FillRule rule, RenderCounts &counts, const AddPaths &addPaths)
{
    QImage &image = *target.image;
    const QRect clip = target.clip.intersected(QRect(0, target.imageTop, image.width(), image.height()));
    if (clip.isEmpty() || !CompoundFillable(image) || !world.isAffine()) {
        return;
    }
    thread_local Scratch scratch;
    std::vector<Line> &lines = scratch.lines;
    Trim(lines);
    LineBuilder builder(world, clip.top(), clip.bottom() + 1, clip.right() + 1, lines);
    addPaths(builder);
    if (lines.empty()) {
        return;
    }
    // In order of their tops (ties in the order made), so every row meets its lines in one order
    // whatever rows are drawn.
    std::sort(lines.begin(), lines.end(),
              [](const Line &a, const Line &b) { return a.y0 < b.y0 || (a.y0 == b.y0 && a.order < b.order); });
    int64_t lowest = lines.front().y1;
    int64_t leftmost = lines.front().x0;
    int64_t rightmost = lines.front().x0;
    for (const Line &line : lines) {
        lowest = std::max(lowest, line.y1);
        leftmost = std::min({leftmost, line.x0, line.x1});
        rightmost = std::max({rightmost, line.x0, line.x1});
    }
    auto column = [](int64_t x, int low, int high) {
        return static_cast<int>(std::clamp<int64_t>(x / kSubpixelsInt, low, high));
    };
    // Right of every line the coverage is back to none (unless lines right of the image were
    // left out), so the sums span the lines' columns only.
    const int clipLeft = column(leftmost - kSubpixelsInt, clip.left(), clip.right());
    const int clipRight = builder.PassedRight() ? clip.right() : column(rightmost + kSubpixelsInt, clip.left(), clip.right());
    const QRect columns(QPoint(clipLeft, clip.top()), QPoint(clipRight, clip.bottom()));
    const int firstRow = column(lines.front().y0 - kSubpixelsInt, clip.top(), clip.bottom());
    const int endRow = column(lowest + kSubpixelsInt, clip.top(), clip.bottom()) + 1;
    // Partial covers are kept by fills sampling pixel areas, forgotten by unions.
    const PartialUse use = !target.partial.Holds(clip) ? PartialUse::None
                           : rule.evenOdd && rule.sampling == Sampling::Area && !target.forgetsPartial
                               ? PartialUse::Kept
                               : PartialUse::Forgotten;
    RowSweep sweep(image.width(), columns, rule, target.partial, use, scratch);
    std::vector<size_t> &active = scratch.active;
    Trim(active);
    size_t next = 0;
    int64_t followed = 0;
    int64_t cells = 0;
    for (int row = firstRow; row < endRow; ++row) {
        const int64_t rowTop = int64_t(row) * kSubpixelsInt;
        while (next < lines.size() && lines[next].y0 < rowTop + kSubpixelsInt) {
            active.push_back(next++);
        }
        sweep.Reset(row);
        size_t kept = 0;
        for (size_t index : active) {
            if (lines[index].y1 > rowTop) {
                active[kept++] = index;
                sweep.Follow(lines[index]);
            }
        }
        active.resize(kept);
        followed += static_cast<int64_t>(kept);
        cells += static_cast<int64_t>(sweep.CellCount());
        sweep.Cover(sources, reinterpret_cast<QRgb *>(image.scanLine(row - target.imageTop)));
        sweep.Blend();
    }
    counts.compoundLines += followed;
    counts.compoundCells += cells;
    Trim(scratch.cells);
    Trim(scratch.spareCells);
    Trim(scratch.sums);
    Trim(scratch.samples);
}

}  // namespace

void FillCompound(const CompoundTarget &target, const std::vector<const QPainterPath *> &paths,
                  const std::vector<CompoundSource> &sources, const QTransform &world, RenderCounts &counts)
{
    if (paths.size() != sources.size()) {
        return;
    }
    Fill(target, sources, world, FillRule(), counts, [&paths](LineBuilder &builder) {
        for (size_t s = 0; s < paths.size(); ++s) {
            if (paths[s] != nullptr && !paths[s]->isEmpty()) {
                builder.AddPath(*paths[s], static_cast<int32_t>(s));
            }
        }
    });
}

void FillUnion(const CompoundTarget &target, const QPainterPath &path, QRgb color, const QTransform &world,
               Sampling sampling, RenderCounts &counts)
{
    Fill(target, {CompoundSource{color}}, world, FillRule{false, sampling}, counts,
         [&path](LineBuilder &builder) { builder.AddUnion(path); });
}

QRect TileGrid::TilesOf(const QRect &rect) const
{
    const QRect within = rect.intersected(area);
    if (within.isEmpty() || side <= 0) {
        return {};
    }
    return QRect(QPoint((within.left() - area.left()) / side, (within.top() - area.top()) / side),
                 QPoint((within.right() - area.left()) / side, (within.bottom() - area.top()) / side));
}

void MarkWhollyFilled(const QPainterPath &path, const QTransform &world, const TileGrid &grid, int32_t value,
                      std::vector<int32_t> &tiles)
{
    const QRect &area = grid.area;
    const int gridColumns = grid.Columns();
    if (area.isEmpty() || grid.side <= 0 || path.isEmpty() || !world.isAffine() ||
        tiles.size() != static_cast<size_t>(gridColumns) * static_cast<size_t>(grid.Rows())) {
        return;
    }
    // The same lines as the fill follows in these rows and columns: their cells alone decide
    // which pixels are partly covered, with the level lines across which the coverage changes.
    thread_local std::vector<Line> lines;
    thread_local std::vector<Line> flats;
    lines.clear();
    flats.clear();
    LineBuilder builder(world, area.top(), area.bottom() + 1, area.right() + 1, lines);
    builder.KeepFlats(flats);
    builder.AddPath(path, 0);
    if (lines.empty()) {
        return;
    }
    const int64_t side = int64_t(grid.side) * kSubpixelsInt;
    const int64_t areaLeft = int64_t(area.left()) * kSubpixelsInt;
    const int64_t areaTop = int64_t(area.top()) * kSubpixelsInt;
    constexpr int64_t kMargin = kSubpixelsInt;  // a pixel on every side of a line
    auto tileOf = [side](int64_t offset, int count) {
        return static_cast<int>(std::clamp<int64_t>(offset >= 0 ? offset / side : -1, 0, count - 1));
    };
    // Only tiles between the lines can be inside: the tiles they reach, from (firstColumn,
    // firstRow) on (and every tile right of them where lines right of the area were left out).
    int64_t lowX = lines.front().x0;
    int64_t highX = lowX;
    int64_t lowY = lines.front().y0;
    int64_t highY = lines.front().y1;
    for (const Line &line : lines) {
        lowX = std::min({lowX, line.x0, line.x1});
        highX = std::max({highX, line.x0, line.x1});
        lowY = std::min(lowY, line.y0);
        highY = std::max(highY, line.y1);
    }
    const int firstColumn = tileOf(lowX - areaLeft, gridColumns);
    const int firstRow = tileOf(lowY - areaTop, grid.Rows());
    const int columns =
        (builder.PassedRight() ? gridColumns - 1 : tileOf(highX - areaLeft, gridColumns)) - firstColumn + 1;
    const int rows = tileOf(highY - areaTop, grid.Rows()) - firstRow + 1;
    const int64_t left = areaLeft + int64_t(firstColumn) * side;
    const int64_t top = areaTop + int64_t(firstRow) * side;
    const int64_t right = left + int64_t(columns) * side;
    auto xAt = [](const Line &line, int64_t y) {
        return line.x0 + RoundHalfAway(double(y - line.y0) * line.slope);
    };
    // Each tile row is looked at across its middle: where no line comes near a tile, the rows
    // through it all have one inside, as at its middle.
    auto middleOf = [&](int row) {
        const int64_t rowTop = top + int64_t(row) * side;
        const int64_t rowBottom = std::min(rowTop + side, int64_t(area.bottom() + 1) * kSubpixelsInt);
        return (rowTop + rowBottom) / 2;
    };
    thread_local std::vector<char> touched;
    thread_local std::vector<std::vector<int64_t>> crossings;
    touched.assign(static_cast<size_t>(columns) * static_cast<size_t>(rows), 0);
    crossings.resize(std::max(crossings.size(), static_cast<size_t>(rows)));
    for (int row = 0; row < rows; ++row) {
        crossings[static_cast<size_t>(row)].clear();
    }
    auto touch = [&](int row, int64_t lo, int64_t hi) {
        if (hi + kMargin >= left && lo - kMargin < right) {
            char *states = &touched[static_cast<size_t>(row) * static_cast<size_t>(columns)];
            std::fill(states + tileOf(lo - kMargin - left, columns), states + tileOf(hi + kMargin - left, columns) + 1,
                      1);
        }
    };
    // A level line (x0 <= x1) only touches the tiles it runs through.
    for (const Line &flat : flats) {
        for (int row = tileOf(flat.y0 - kMargin - top, rows); row <= tileOf(flat.y0 + kMargin - top, rows); ++row) {
            touch(row, flat.x0, flat.x1);
        }
    }
    for (const Line &line : lines) {
        const int lastRow = tileOf(line.y1 + kMargin - top, rows);
        for (int row = tileOf(line.y0 - kMargin - top, rows); row <= lastRow; ++row) {
            const int64_t rowTop = top + int64_t(row) * side;
            const int64_t y0 = std::max(line.y0, rowTop - kMargin);
            const int64_t y1 = std::min(line.y1, rowTop + side + kMargin);
            if (y1 >= y0) {
                const int64_t xa = xAt(line, y0);
                const int64_t xb = xAt(line, y1);
                touch(row, std::min(xa, xb), std::max(xa, xb));
            }
            const int64_t middle = middleOf(row);
            if (line.y0 <= middle && middle < line.y1) {
                crossings[static_cast<size_t>(row)].push_back(xAt(line, middle));
            }
        }
    }
    for (int row = 0; row < rows; ++row) {
        std::vector<int64_t> &xs = crossings[static_cast<size_t>(row)];
        std::sort(xs.begin(), xs.end());
        for (int column = 0; column < columns; ++column) {
            if (touched[static_cast<size_t>(row) * static_cast<size_t>(columns) + static_cast<size_t>(column)] != 0) {
                continue;
            }
            const int64_t tileLeft = left + int64_t(column) * side;
            const int64_t tileRight = std::min(tileLeft + side, int64_t(area.right() + 1) * kSubpixelsInt);
            const auto before = std::lower_bound(xs.begin(), xs.end(), (tileLeft + tileRight) / 2) - xs.begin();
            if (before % 2 == 1) {
                int32_t &tile = tiles[static_cast<size_t>(firstRow + row) * static_cast<size_t>(gridColumns) +
                                      static_cast<size_t>(firstColumn + column)];
                tile = std::max(tile, value);
            }
        }
    }
}

}  // namespace platform::swf
