// Builds Windows metafiles byte by byte for the importer tests: an optional placeable header with
// its checksum, the metafile header, the records added, and the end record.
#pragma once

#include "import/wmf_importer.h"
#include "platform/base/rounding.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace wmftest {

using Point = std::pair<int16_t, int16_t>;

inline void PutWord(std::string &bytes, uint32_t value)
{
    bytes += static_cast<char>(value & 0xFF);
    bytes += static_cast<char>((value >> 8) & 0xFF);
}

inline void PutDword(std::string &bytes, uint32_t value)
{
    PutWord(bytes, value & 0xFFFF);
    PutWord(bytes, value >> 16);
}

// Units per inch that make one unit of a placeable header one screen pixel.
inline uint16_t UnitsPerPixelInch()
{
    double dpi = importer::GetScreenDpiX();
    EXPECT_EQ(dpi, importer::GetScreenDpiY());
    EXPECT_EQ(dpi, std::round(dpi));
    return static_cast<uint16_t>(platform::RoundToInt32(dpi));
}

class MetafileBuilder {
public:
    // A placeable header whose box is that many pixels: its units per inch are the screen's.
    MetafileBuilder &PictureBox(int16_t left, int16_t top, int16_t right, int16_t bottom)
    {
        return Placeable(left, top, right, bottom, UnitsPerPixelInch());
    }
    MetafileBuilder &Placeable(int16_t left, int16_t top, int16_t right, int16_t bottom, uint16_t unitsPerInch)
    {
        placeable_.assign("\xD7\xCD\xC6\x9A\x00\x00", 6);
        for (int16_t value : {left, top, right, bottom}) {
            PutWord(placeable_, static_cast<uint16_t>(value));
        }
        PutWord(placeable_, unitsPerInch);
        PutDword(placeable_, 0);
        uint16_t checksum = 0;
        for (size_t at = 0; at < placeable_.size(); at += 2) {
            checksum ^= static_cast<uint16_t>(static_cast<uint8_t>(placeable_[at]) |
                                              static_cast<uint8_t>(placeable_[at + 1]) << 8);
        }
        PutWord(placeable_, checksum);
        return *this;
    }
    MetafileBuilder &Objects(uint16_t count)
    {
        objects_ = count;
        return *this;
    }
    MetafileBuilder &Record(uint16_t function, const std::vector<uint16_t> &parameters)
    {
        PutDword(records_, static_cast<uint32_t>(3 + parameters.size()));
        PutWord(records_, function);
        for (uint16_t word : parameters) {
            PutWord(records_, word);
        }
        largest_ = std::max<uint32_t>(largest_, static_cast<uint32_t>(3 + parameters.size()));
        return *this;
    }
    MetafileBuilder &Pen(uint16_t width, uint32_t colour)
    {
        return Record(0x02FA, {0, width, 0, Low(colour), High(colour)});
    }
    MetafileBuilder &Brush(uint16_t style, uint32_t colour)
    {
        return Record(0x02FC, {style, Low(colour), High(colour), 0});
    }
    MetafileBuilder &Select(uint16_t index) { return Record(0x012D, {index}); }
    MetafileBuilder &Delete(uint16_t index) { return Record(0x01F0, {index}); }
    MetafileBuilder &WindowExtent(int16_t y, int16_t x)
    {
        return Record(0x020C, {static_cast<uint16_t>(y), static_cast<uint16_t>(x)});
    }
    MetafileBuilder &Polygon(const std::vector<Point> &points) { return Figure(0x0324, points); }
    MetafileBuilder &Polyline(const std::vector<Point> &points) { return Figure(0x0325, points); }
    MetafileBuilder &PolyPolygon(const std::vector<std::vector<Point>> &polygons)
    {
        std::vector<uint16_t> words{static_cast<uint16_t>(polygons.size())};
        for (const auto &polygon : polygons) {
            words.push_back(static_cast<uint16_t>(polygon.size()));
        }
        for (const auto &polygon : polygons) {
            AddPoints(words, polygon);
        }
        return Record(0x0538, words);
    }
    MetafileBuilder &WithoutEnd()
    {
        end_ = false;
        return *this;
    }

    std::string Bytes() const
    {
        std::string bytes = placeable_;
        uint32_t recordWords = static_cast<uint32_t>(records_.size() / 2) + (end_ ? 3 : 0);
        PutWord(bytes, 1);      // in memory
        PutWord(bytes, 9);      // header words
        PutWord(bytes, 0x300);  // version
        PutDword(bytes, 9 + recordWords);
        PutWord(bytes, objects_);
        PutDword(bytes, largest_);
        PutWord(bytes, 0);
        bytes += records_;
        if (end_) {
            PutDword(bytes, 3);
            PutWord(bytes, 0);
        }
        return bytes;
    }

private:
    static uint16_t Low(uint32_t value) { return static_cast<uint16_t>(value & 0xFFFF); }
    static uint16_t High(uint32_t value) { return static_cast<uint16_t>(value >> 16); }
    static void AddPoints(std::vector<uint16_t> &words, const std::vector<Point> &points)
    {
        for (auto [x, y] : points) {
            words.push_back(static_cast<uint16_t>(x));
            words.push_back(static_cast<uint16_t>(y));
        }
    }
    MetafileBuilder &Figure(uint16_t function, const std::vector<Point> &points)
    {
        std::vector<uint16_t> words{static_cast<uint16_t>(points.size())};
        AddPoints(words, points);
        return Record(function, words);
    }

    std::string placeable_;
    std::string records_;
    uint16_t objects_ = 0;
    uint32_t largest_ = 3;
    bool end_ = true;
};

}  // namespace wmftest
