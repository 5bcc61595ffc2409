// A tiny movie writer for the player tests: every byte of the movies the tests play is written
// here, independently of the program's own movie writer.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace swftest {

class Bits {
public:
    void U(uint32_t value, int count)
    {
        for (int i = count - 1; i >= 0; --i) {
            Bit((value >> i) & 1u);
        }
    }
    void S(int32_t value, int count) { U(static_cast<uint32_t>(value), count); }
    void Align()
    {
        while (used_ != 0) {
            Bit(0);
        }
    }
    void U8(uint8_t v)
    {
        Align();
        bytes_.push_back(static_cast<char>(v));
    }
    void U16(uint16_t v)
    {
        U8(v & 0xFF);
        U8(v >> 8);
    }
    void U32(uint32_t v)
    {
        U16(v & 0xFFFF);
        U16(v >> 16);
    }
    void Raw(const std::string &bytes)
    {
        Align();
        bytes_ += bytes;
    }
    void Rgba(uint32_t rgba)  // 0xRRGGBBAA
    {
        U8(rgba >> 24);
        U8(rgba >> 16);
        U8(rgba >> 8);
        U8(rgba);
    }
    void Rgb(uint32_t rgb)  // 0xRRGGBB
    {
        U8(rgb >> 16);
        U8(rgb >> 8);
        U8(rgb);
    }
    void Rect(int32_t xMin, int32_t xMax, int32_t yMin, int32_t yMax)
    {
        Align();
        U(31, 5);
        S(xMin, 31);
        S(xMax, 31);
        S(yMin, 31);
        S(yMax, 31);
        Align();
    }
    // MATRIX with fixed 31-bit fields; scale and skew as 16.16.
    void Matrix(double scaleX, double scaleY, double skew0, double skew1, int32_t tx, int32_t ty)
    {
        Align();
        U(1, 1);
        U(31, 5);
        S(Fixed(scaleX), 31);
        S(Fixed(scaleY), 31);
        U(1, 1);
        U(31, 5);
        S(Fixed(skew0), 31);
        S(Fixed(skew1), 31);
        U(31, 5);
        S(tx, 31);
        S(ty, 31);
        Align();
    }
    // CXFORMWITHALPHA, 16-bit terms.
    void ColorTransform(const int32_t mult[4], const int32_t add[4])
    {
        Align();
        U(1, 1);
        U(1, 1);
        U(15, 4);
        for (int i = 0; i < 4; ++i) {
            S(mult[i], 15);
        }
        for (int i = 0; i < 4; ++i) {
            S(add[i], 15);
        }
        Align();
    }

    const std::string &bytes() const { return bytes_; }

private:
    static int32_t Fixed(double v) { return static_cast<int32_t>(v * 65536.0); }
    void Bit(uint32_t bit)
    {
        if (used_ == 0) {
            bytes_.push_back('\0');
        }
        if (bit) {
            bytes_.back() = static_cast<char>(bytes_.back() | (0x80 >> used_));
        }
        used_ = (used_ + 1) % 8;
    }

    std::string bytes_;
    int used_ = 0;
};

// Fill and line styles of one shape (DefineShape3 form, RGBA colours 0xRRGGBBAA).
struct Styles {
    Bits fills;
    Bits lines;
    int fillCount = 0;
    int lineCount = 0;

    Styles &Solid(uint32_t rgba)
    {
        fills.U8(0x00);
        fills.Rgba(rgba);
        ++fillCount;
        return *this;
    }
    // Gradient over the -16384..16384 square mapped by scale and translation.
    Styles &Gradient(bool radial, double scale, int32_t tx, int32_t ty, std::vector<std::pair<uint8_t, uint32_t>> stops)
    {
        fills.U8(radial ? 0x12 : 0x10);
        fills.Matrix(scale, scale, 0, 0, tx, ty);
        fills.U8(static_cast<uint8_t>(stops.size()));
        for (auto [ratio, rgba] : stops) {
            fills.U8(ratio);
            fills.Rgba(rgba);
        }
        ++fillCount;
        return *this;
    }
    Styles &Bitmap(uint16_t id, double scale) { return Bitmap(id, scale, scale, 0, 0, 0, 0); }
    // A clipped bitmap fill through the matrix (twips per bitmap pixel, rotation terms, twips).
    Styles &Bitmap(uint16_t id, double scaleX, double scaleY, double skew0, double skew1, int32_t tx, int32_t ty)
    {
        fills.U8(0x41);
        fills.U16(id);
        fills.Matrix(scaleX, scaleY, skew0, skew1, tx, ty);
        ++fillCount;
        return *this;
    }
    Styles &Line(uint16_t width, uint32_t rgba)
    {
        lines.U16(width);
        lines.Rgba(rgba);
        ++lineCount;
        return *this;
    }
    void WriteTo(Bits &out) const
    {
        out.U8(static_cast<uint8_t>(fillCount));
        out.Raw(fills.bytes());
        out.U8(static_cast<uint8_t>(lineCount));
        out.Raw(lines.bytes());
    }
};

// Shape records with 8-bit style indexes, 20-bit move coordinates and 17-bit edge deltas.
class Records {
public:
    Records() { out_.U(0x88, 8); }

    // Style change with a move; negative indexes leave that style unchanged.
    Records &Move(int32_t x, int32_t y, int fill0 = -1, int fill1 = -1, int line = -1)
    {
        out_.U(0, 1);
        out_.U(0, 1);  // new styles
        out_.U(line >= 0, 1);
        out_.U(fill1 >= 0, 1);
        out_.U(fill0 >= 0, 1);
        out_.U(1, 1);
        out_.U(20, 5);
        out_.S(x, 20);
        out_.S(y, 20);
        if (fill0 >= 0) out_.U(static_cast<uint32_t>(fill0), 8);
        if (fill1 >= 0) out_.U(static_cast<uint32_t>(fill1), 8);
        if (line >= 0) out_.U(static_cast<uint32_t>(line), 8);
        x_ = x;
        y_ = y;
        return *this;
    }
    // A new style group: its arrays, then a move with its indexes.
    Records &NewStyles(const Styles &styles, int32_t x, int32_t y, int fill0, int line)
    {
        out_.U(0, 1);
        out_.U(0x1B, 5);  // new styles, line, fill0, move
        out_.U(20, 5);
        out_.S(x, 20);
        out_.S(y, 20);
        out_.U(static_cast<uint32_t>(fill0), 8);
        out_.U(static_cast<uint32_t>(line), 8);
        out_.Align();
        styles.WriteTo(out_);
        out_.U(0x88, 8);
        x_ = x;
        y_ = y;
        return *this;
    }
    Records &Line(int32_t x, int32_t y)
    {
        out_.U(1, 1);
        out_.U(1, 1);
        out_.U(15, 4);  // 17 bits
        out_.U(1, 1);
        out_.S(x - x_, 17);
        out_.S(y - y_, 17);
        x_ = x;
        y_ = y;
        return *this;
    }
    Records &Curve(int32_t cx, int32_t cy, int32_t x, int32_t y)
    {
        out_.U(1, 1);
        out_.U(0, 1);
        out_.U(15, 4);
        out_.S(cx - x_, 17);
        out_.S(cy - y_, 17);
        out_.S(x - cx, 17);
        out_.S(y - cy, 17);
        x_ = x;
        y_ = y;
        return *this;
    }
    // Closed rectangle: move to the first corner (with styles), then four edges.
    Records &Box(int32_t left, int32_t top, int32_t right, int32_t bottom, int fill0 = -1, int fill1 = -1,
                 int line = -1)
    {
        Move(left, top, fill0, fill1, line);
        return Line(right, top).Line(right, bottom).Line(left, bottom).Line(left, top);
    }
    std::string Finish()
    {
        Bits copy = out_;
        copy.U(0, 6);
        copy.Align();
        return copy.bytes();
    }

private:
    Bits out_;
    int32_t x_ = 0;
    int32_t y_ = 0;
};

// Placement options of PlaceObject2.
struct Place {
    uint16_t depth = 1;
    std::optional<uint16_t> id;
    bool move = false;
    std::optional<std::pair<int32_t, int32_t>> translate;
    std::optional<double> scale;
    std::optional<std::pair<std::vector<int32_t>, std::vector<int32_t>>> colorTransform;
    std::optional<uint16_t> ratio;
    std::optional<uint16_t> clipDepth;
    std::optional<std::string> clipActions;  // raw CLIPACTIONS bytes
};

class Movie {
public:
    // Frame in pixels (twips = 20 x pixels).
    Movie(int width, int height, double rate = 12.0) : width_(width), height_(height), rate_(rate) {}

    Movie &Tag(int code, const std::string &body)
    {
        Bits header;
        header.U16(static_cast<uint16_t>(code << 6 | 0x3F));
        header.U32(static_cast<uint32_t>(body.size()));
        tags_ += header.bytes() + body;
        return *this;
    }
    Movie &Shape(uint16_t id, const Styles &styles, Records records)
    {
        Bits body;
        body.U16(id);
        body.Rect(0, 0, 0, 0);
        styles.WriteTo(body);
        body.Raw(records.Finish());
        return Tag(32, body.bytes());
    }
    Movie &PlaceObject(const Place &p)
    {
        Bits body;
        bool hasMatrix = p.translate || p.scale;
        uint8_t flags = (p.move ? 0x01 : 0) | (p.id ? 0x02 : 0) | (hasMatrix ? 0x04 : 0) |
                        (p.colorTransform ? 0x08 : 0) | (p.ratio ? 0x10 : 0) | (p.clipDepth ? 0x40 : 0) | (p.clipActions ? 0x80 : 0);
        body.U8(flags);
        body.U16(p.depth);
        if (p.id) body.U16(*p.id);
        if (hasMatrix) {
            double s = p.scale.value_or(1.0);
            auto [tx, ty] = p.translate.value_or(std::pair<int32_t, int32_t>{0, 0});
            body.Matrix(s, s, 0, 0, tx, ty);
        }
        if (p.colorTransform) body.ColorTransform(p.colorTransform->first.data(), p.colorTransform->second.data());
        if (p.ratio) body.U16(*p.ratio);
        if (p.clipDepth) body.U16(*p.clipDepth);
        if (p.clipActions) body.Raw(*p.clipActions);
        return Tag(26, body.bytes());
    }
    Movie &Place(uint16_t id, uint16_t depth)
    {
        swftest::Place p;
        p.id = id;
        p.depth = depth;
        return PlaceObject(p);
    }
    Movie &Remove(uint16_t depth)
    {
        Bits body;
        body.U16(depth);
        return Tag(28, body.bytes());
    }
    Movie &Background(uint32_t rgb)
    {
        Bits body;
        body.Rgb(rgb);
        return Tag(9, body.bytes());
    }
    Movie &ShowFrame() { return Tag(1, ""); }

    // Whole file: header with the real length and the number of ShowFrame tags given.
    std::string Bytes(uint16_t frameCount = 1, bool withEnd = true) const
    {
        Bits body;
        body.Rect(0, width_ * 20, 0, height_ * 20);
        body.U8(static_cast<uint8_t>((rate_ - static_cast<int>(rate_)) * 256));
        body.U8(static_cast<uint8_t>(rate_));
        body.U16(frameCount);
        std::string rest = body.bytes() + tags_ + (withEnd ? std::string(2, '\0') : std::string());
        Bits header;
        header.Raw("FWS");
        header.U8(6);
        header.U32(static_cast<uint32_t>(8 + rest.size()));
        return header.bytes() + rest;
    }

private:
    int width_;
    int height_;
    double rate_;
    std::string tags_;
};

}  // namespace swftest
