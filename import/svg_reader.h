// The SVG and compressed SVG importer: reads one file (plain, gzip or raw zlib), walks its element
// tree with inherited styles and transforms, and hands the drawn elements over as path records.
#pragma once

#include "core/path_record.h"
#include "import/svg_context.h"
#include "import/svg_path_model.h"
#include "import/svg_styles.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace importer {

class SvgReader {
public:
    // Reads and parses the file; true when at least one element was drawn. Any fault (an unreadable
    // or truncated file, a malformed value, a document past the limits) is a failed load with
    // nothing kept.
    bool LoadSvg(const std::string &fileName);
    // Whether the last load failed because its paths would not fit in memory (past the limit on
    // held bytes, or an allocation failed).
    bool OutOfMemory() const { return outOfMemory_; }

    // The drawing's size in pixels after LoadSvg.
    int32_t width() const { return width_; }
    int32_t height() const { return height_; }
    const std::vector<QlkGroup> &colGroup() const { return groups_; }

    // Every group's paths in order; a group of two or more paths becomes one compound path.
    core::PathCollection GetPathRecords() const;

    // Limits for hostile documents (tests lower them).
    void SetLimits(const SvgLimits &limits) { limits_ = limits; }
    // The work the last load did (elements walked, uses followed, numbers read, points
    // transformed) and the limits it ran under.
    const SvgContext &work() const { return context_; }

private:
    enum class WalkEnd { SvgEnd, Closed, EndOfText };

    void Parse(const std::string &text);
    void ReadEntities(std::string_view subset);
    bool IndexIds(std::string_view text, size_t &pos);
    WalkEnd ReadElements(std::string_view text, size_t &pos, const SvgStyle &parent);
    void ReadUse(std::string_view text, size_t &pos, const SvgStyle &parent);
    void ReadShape(std::string_view text, size_t &pos, const std::string &tag, const SvgStyle &parent);
    void SizeFromGroups();

    SvgLimits limits_;
    SvgContext context_;
    std::string_view document_;  // the whole decoded text while a load runs
    std::vector<QlkGroup> groups_;
    int32_t width_ = 0;
    int32_t height_ = 0;
    bool outOfMemory_ = false;
};

// The bytes of an SVG file: plain under the extension "svg", otherwise inflated as a zlib stream
// (first byte 0x78) or read through gzip (which passes plain files through). False when the file
// cannot be read (or is not a regular file), does not decompress cleanly or is larger than maxBytes.
bool ReadSvgFileBytes(const std::string &fileName, std::string &bytes, size_t maxBytes);

}  // namespace importer
