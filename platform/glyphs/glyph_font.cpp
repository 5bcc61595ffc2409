#include "platform/glyphs/glyph_font.h"

#include "platform/base/rounding.h"
#include "platform/glyphs/cubic_to_quadratic.h"
#include "platform/glyphs/font_families.h"
#include "platform/glyphs/native_records.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_SYNTHESIS_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cmath>
#include <map>
#include <mutex>
#include <optional>

namespace platform {
namespace {

constexpr double kDeviceDpi = 96.0;
// Cubics are replaced by quadratics within this distance, in pixels.
constexpr double kCubicTolerance = 1.0 / 32.0;

class FreeTypeLibrary {
public:
    FreeTypeLibrary()
    {
        if (FT_Init_FreeType(&library_) != 0) {
            library_ = nullptr;
        }
    }
    ~FreeTypeLibrary()
    {
        if (library_) {
            FT_Done_FreeType(library_);
        }
    }
    FreeTypeLibrary(const FreeTypeLibrary &) = delete;
    FreeTypeLibrary &operator=(const FreeTypeLibrary &) = delete;

    FT_Library Get() const { return library_; }

private:
    FT_Library library_ = nullptr;
};

// Every open face keeps the library alive, whatever order static objects are destroyed in.
std::shared_ptr<FreeTypeLibrary> SharedLibrary()
{
    static const std::shared_ptr<FreeTypeLibrary> library = std::make_shared<FreeTypeLibrary>();
    return library;
}

struct PatternDeleter {
    void operator()(FcPattern *pattern) const { FcPatternDestroy(pattern); }
};
using PatternPtr = std::unique_ptr<FcPattern, PatternDeleter>;

struct MatchedFont {
    std::string File;
    int Index = 0;
    std::string Family;
};

std::string PatternString(FcPattern *pattern, const char *object)
{
    FcChar8 *value = nullptr;
    if (FcPatternGetString(pattern, object, 0, &value) != FcResultMatch || !value) {
        return {};
    }
    return reinterpret_cast<const char *>(value);
}

// The fontconfig pattern of a request, substituted and ready to match. With a character, only
// fonts whose charset covers it match.
PatternPtr RequestPattern(const FontRequest &request, int32_t pixelSize, std::optional<char32_t> character = {})
{
    PatternPtr pattern(FcPatternCreate());
    if (!pattern) {
        return pattern;
    }
    std::string family = StandInFamily(request.Family);
    if (!family.empty()) {
        FcPatternAddString(pattern.get(), FC_FAMILY, reinterpret_cast<const FcChar8 *>(family.c_str()));
    }
    FcPatternAddInteger(pattern.get(), FC_WEIGHT, request.Bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pattern.get(), FC_SLANT, request.Italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddDouble(pattern.get(), FC_PIXEL_SIZE, pixelSize);
    FcPatternAddBool(pattern.get(), FC_OUTLINE, FcTrue);
    if (character) {
        std::unique_ptr<FcCharSet, decltype(&FcCharSetDestroy)> charset(FcCharSetCreate(), &FcCharSetDestroy);
        if (charset && FcCharSetAddChar(charset.get(), *character)) {
            FcPatternAddCharSet(pattern.get(), FC_CHARSET, charset.get());
        }
    }
    FcConfigSubstitute(nullptr, pattern.get(), FcMatchPattern);
    FcDefaultSubstitute(pattern.get());
    return pattern;
}

std::optional<MatchedFont> MatchedFontOf(FcPattern *match)
{
    MatchedFont font;
    font.File = PatternString(match, FC_FILE);
    font.Family = PatternString(match, FC_FAMILY);
    FcPatternGetInteger(match, FC_INDEX, 0, &font.Index);
    if (font.File.empty()) {
        return std::nullopt;
    }
    return font;
}

std::optional<MatchedFont> MatchFont(const FontRequest &request, int32_t pixelSize)
{
    PatternPtr pattern = RequestPattern(request, pixelSize);
    if (!pattern) {
        return std::nullopt;
    }
    FcResult result = FcResultNoMatch;
    PatternPtr match(FcFontMatch(nullptr, pattern.get(), &result));
    return match ? MatchedFontOf(match.get()) : std::nullopt;
}

// The outline font closest to the request whose charset covers the character.
std::optional<MatchedFont> MatchFontFor(const FontRequest &request, int32_t pixelSize, char32_t character)
{
    PatternPtr pattern = RequestPattern(request, pixelSize, character);
    if (!pattern) {
        return std::nullopt;
    }
    FcResult result = FcResultNoMatch;
    PatternPtr match(FcFontMatch(nullptr, pattern.get(), &result));
    FcCharSet *charset = nullptr;
    FcBool outline = FcFalse;
    if (!match || FcPatternGetCharSet(match.get(), FC_CHARSET, 0, &charset) != FcResultMatch ||
        !FcCharSetHasChar(charset, character) || FcPatternGetBool(match.get(), FC_OUTLINE, 0, &outline) != FcResultMatch ||
        !outline) {
        return std::nullopt;
    }
    return MatchedFontOf(match.get());
}

int32_t PixelSizeOf(float pointSize)
{
    int32_t pixels = RoundToInt32(static_cast<double>(pointSize) * kDeviceDpi / 72.0);
    return std::clamp(pixels, kMinPixelSize, kMaxPixelSize);
}

// Scales a value in font units to whole pixels.
int32_t FontUnitsToPixels(double units, double pixelSize, double unitsPerEm)
{
    return RoundToInt32(units * pixelSize / unitsPerEm);
}

int32_t FloorPixels(FT_Pos pos26d6)
{
    return SaturateCast<int32_t>(std::floor(static_cast<double>(pos26d6) / 64.0));
}

int32_t CeilPixels(FT_Pos pos26d6)
{
    return SaturateCast<int32_t>(std::ceil(static_cast<double>(pos26d6) / 64.0));
}

GlyphMetrics MeasureGlyph(const FT_GlyphSlot slot)
{
    GlyphMetrics metrics;
    metrics.CellIncX = RoundToInt16(static_cast<double>(slot->advance.x) / 64.0);
    if (slot->outline.n_points > 0) {
        FT_BBox box;
        FT_Outline_Get_CBox(&slot->outline, &box);
        metrics.GlyphOriginX = FloorPixels(box.xMin);
        metrics.GlyphOriginY = CeilPixels(box.yMax);
        metrics.BlackBoxX = static_cast<uint32_t>(std::max<int64_t>(0, int64_t{CeilPixels(box.xMax)} - metrics.GlyphOriginX));
        metrics.BlackBoxY = static_cast<uint32_t>(std::max<int64_t>(0, int64_t{metrics.GlyphOriginY} - FloorPixels(box.yMin)));
    }
    return metrics;
}

// A point of the FreeType outline (26.6) in 16.16 fixed point.
FixedPoint ToFixedPoint(const FT_Vector &v)
{
    return FixedPoint{SaturateInt<int32_t>(int64_t{v.x} * 1024), SaturateInt<int32_t>(int64_t{v.y} * 1024)};
}

CurvePoint ToCurvePoint(const FixedPoint &p)
{
    return CurvePoint{p.X / 65536.0, p.Y / 65536.0};
}

FixedPoint ToFixedPoint(const CurvePoint &p)
{
    return FixedPoint{RoundToInt32(p.x * 65536.0), RoundToInt32(p.y * 65536.0)};
}

void WriteCubic(NativeRecordWriter &writer, const FixedPoint &from, const FixedPoint &c1, const FixedPoint &c2,
                const FixedPoint &to)
{
    auto pieces = CubicToQuadratics(ToCurvePoint(from), ToCurvePoint(c1), ToCurvePoint(c2), ToCurvePoint(to),
                                    kCubicTolerance);
    for (size_t k = 0; k < pieces.size(); ++k) {
        FixedPoint end = k + 1 == pieces.size() ? to : ToFixedPoint(pieces[k].end);
        writer.QSpline({ToFixedPoint(pieces[k].control)}, end);
    }
}

// Writes the contour of points first .. last. It starts at its first on-curve point (or, when
// it has none, midway between its last and first control points); runs of on-curve points become
// line records, runs of conic control points with the on-curve point after them quadratic spline
// records, and cubic segments quadratic pieces. The closing line back to the start is implied;
// a closing curve ends at the start point. A contour whose tags make no sense ends early.
void WriteContour(const FT_Outline &outline, int first, int last, NativeRecordWriter &writer)
{
    const int count = last - first + 1;
    auto pointAt = [&](int k) { return ToFixedPoint(outline.points[first + k % count]); };
    auto tagAt = [&](int k) { return FT_CURVE_TAG(outline.tags[first + k % count]); };
    int startK = 0;
    while (startK < count && tagAt(startK) != FT_CURVE_TAG_ON) {
        ++startK;
    }
    FixedPoint start;
    int steps = count - 1;
    if (startK < count) {
        start = pointAt(startK);
    } else {
        if (tagAt(0) != FT_CURVE_TAG_CONIC || tagAt(count - 1) != FT_CURVE_TAG_CONIC) {
            return;
        }
        start = Midpoint(pointAt(count - 1), pointAt(0));
        startK = -1;
        steps = count;
    }
    writer.BeginContour(start);
    std::vector<FixedPoint> conics;
    std::vector<FixedPoint> cubics;
    FixedPoint current = start;
    for (int s = 1; s <= steps + 1; ++s) {
        bool closing = s == steps + 1;
        FixedPoint p = closing ? start : pointAt(startK + s);
        int tag = closing ? FT_CURVE_TAG_ON : tagAt(startK + s);
        if (tag == FT_CURVE_TAG_CONIC) {
            if (!cubics.empty()) {
                break;
            }
            conics.push_back(p);
        } else if (tag == FT_CURVE_TAG_CUBIC) {
            if (!conics.empty() || cubics.size() == 2) {
                break;
            }
            cubics.push_back(p);
        } else {
            if (cubics.size() == 2) {
                WriteCubic(writer, current, cubics[0], cubics[1], p);
            } else if (!cubics.empty() || !conics.empty()) {
                writer.QSpline(cubics.empty() ? conics : cubics, p);
            } else if (!closing) {
                writer.Line(p);
            }
            conics.clear();
            cubics.clear();
            current = p;
        }
    }
    writer.EndContour();
}

std::vector<uint8_t> NativeRecords(const FT_Outline &outline)
{
    NativeRecordWriter writer;
    int first = 0;
    for (int c = 0; c < outline.n_contours; ++c) {
        int last = outline.contours[c];
        if (last < first || last >= outline.n_points) {
            break;
        }
        WriteContour(outline, first, last, writer);
        first = last + 1;
    }
    return writer.Take();
}

}  // namespace

namespace {

// One FreeType face at the font's pixel size, with the styles it has to make itself.
struct OpenFace {
    std::shared_ptr<FreeTypeLibrary> Library;
    FT_Face Handle = nullptr;
    bool SynthesizeBold = false;
    bool SynthesizeItalic = false;

    OpenFace() = default;
    OpenFace(const OpenFace &) = delete;
    OpenFace &operator=(const OpenFace &) = delete;
    ~OpenFace()
    {
        if (Handle) {
            FT_Done_Face(Handle);
        }
    }
};

std::unique_ptr<OpenFace> OpenMatchedFace(const MatchedFont &match, const FontRequest &request, int32_t pixelSize)
{
    auto face = std::make_unique<OpenFace>();
    face->Library = SharedLibrary();
    if (!face->Library->Get() ||
        FT_New_Face(face->Library->Get(), match.File.c_str(), match.Index, &face->Handle) != 0) {
        face->Handle = nullptr;
        return nullptr;
    }
    if (!FT_IS_SCALABLE(face->Handle) || FT_Set_Pixel_Sizes(face->Handle, 0, static_cast<FT_UInt>(pixelSize)) != 0) {
        return nullptr;
    }
    face->SynthesizeBold = request.Bold && !(face->Handle->style_flags & FT_STYLE_FLAG_BOLD);
    face->SynthesizeItalic = request.Italic && !(face->Handle->style_flags & FT_STYLE_FLAG_ITALIC);
    return face;
}

}  // namespace

struct GlyphFont::Face {
    std::unique_ptr<OpenFace> Main;
    FontRequest Request;
    std::string Family;
    int32_t PixelSize = 0;
    // Characters the main face lacks come from the closest font that has them: the faces opened
    // for that (by file and index) and, per character, the face chosen (null: none has it).
    std::mutex FallbackLock;
    std::map<std::pair<std::string, int>, std::unique_ptr<OpenFace>> FallbackFaces;
    std::map<char32_t, const OpenFace *> FallbackFor;

    // The face that draws the character: the main face when it has it.
    const OpenFace &FaceFor(char32_t code)
    {
        if (code < 0x20 || FT_Get_Char_Index(Main->Handle, static_cast<FT_ULong>(code)) != 0) {
            return *Main;
        }
        std::lock_guard<std::mutex> lock(FallbackLock);
        auto known = FallbackFor.find(code);
        if (known == FallbackFor.end()) {
            const OpenFace *chosen = nullptr;
            if (auto match = MatchFontFor(Request, PixelSize, code)) {
                std::unique_ptr<OpenFace> &face = FallbackFaces[{match->File, match->Index}];
                if (!face) {
                    face = OpenMatchedFace(*match, Request, PixelSize);
                }
                if (face && FT_Get_Char_Index(face->Handle, static_cast<FT_ULong>(code)) != 0) {
                    chosen = face.get();
                }
            }
            known = FallbackFor.emplace(code, chosen).first;
        }
        return known->second ? *known->second : *Main;
    }
};

GlyphFont::GlyphFont() = default;
GlyphFont::~GlyphFont() = default;
GlyphFont::GlyphFont(GlyphFont &&) noexcept = default;
GlyphFont &GlyphFont::operator=(GlyphFont &&) noexcept = default;

GlyphFont::GlyphFont(const FontRequest &request)
{
    auto face = std::make_unique<Face>();
    face->Request = request;
    face->PixelSize = PixelSizeOf(request.PointSize);
    auto match = MatchFont(request, face->PixelSize);
    if (!match) {
        return;
    }
    face->Main = OpenMatchedFace(*match, request, face->PixelSize);
    if (!face->Main) {
        return;
    }
    face->Family = match->Family;
    face_ = std::move(face);
}

bool GlyphFont::IsOpen() const
{
    return face_ != nullptr;
}

std::string GlyphFont::FamilyName() const
{
    return face_ ? face_->Family : std::string();
}

int32_t GlyphFont::PixelSize() const
{
    return face_ ? face_->PixelSize : 0;
}

TextMetrics GlyphFont::GetTextMetrics() const
{
    TextMetrics metrics;
    if (!face_) {
        return metrics;
    }
    FT_Face face = face_->Main->Handle;
    double ascender = face->ascender;
    double descender = -static_cast<double>(face->descender);
    // The character cell of Windows-made fonts is the one their OS/2 table gives.
    auto *os2 = static_cast<const TT_OS2 *>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    if (os2 && os2->version != 0xFFFF && (os2->usWinAscent != 0 || os2->usWinDescent != 0)) {
        ascender = os2->usWinAscent;
        descender = os2->usWinDescent;
    }
    double unitsPerEm = face->units_per_EM > 0 ? face->units_per_EM : 1.0;
    metrics.Ascent = FontUnitsToPixels(ascender, face_->PixelSize, unitsPerEm);
    metrics.Descent = FontUnitsToPixels(descender, face_->PixelSize, unitsPerEm);
    metrics.Height = SaturateInt<int32_t>(int64_t{metrics.Ascent} + metrics.Descent);
    return metrics;
}

int32_t GlyphFont::GetGlyphOutline(char32_t code, GlyphMetrics &metrics, std::vector<uint8_t> *records) const
{
    metrics = GlyphMetrics{};
    if (!face_) {
        return -1;
    }
    const OpenFace &drawing = face_->FaceFor(code);
    FT_Face face = drawing.Handle;
    FT_UInt index = FT_Get_Char_Index(face, static_cast<FT_ULong>(code));
    if (FT_Load_Glyph(face, index, FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP) != 0 ||
        face->glyph->format != FT_GLYPH_FORMAT_OUTLINE) {
        return -1;
    }
    if (drawing.SynthesizeItalic) {
        FT_GlyphSlot_Oblique(face->glyph);
    }
    if (drawing.SynthesizeBold) {
        FT_GlyphSlot_Embolden(face->glyph);
    }
    metrics = MeasureGlyph(face->glyph);
    std::vector<uint8_t> bytes = NativeRecords(face->glyph->outline);
    auto size = static_cast<int32_t>(std::min<size_t>(bytes.size(), INT32_MAX));
    if (records) {
        *records = std::move(bytes);
    }
    return size;
}

}  // namespace platform
