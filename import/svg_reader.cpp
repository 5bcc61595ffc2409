#include "import/svg_reader.h"

#include "core/document.h"
#include "import/svg_error.h"
#include "import/svg_gradients.h"
#include "import/svg_scanner.h"
#include "import/svg_shapes.h"
#include "platform/base/atomic_file.h"
#include "platform/base/file_names.h"
#include "platform/base/text_encoding.h"

#include <zlib.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <limits>
#include <new>

namespace importer {
namespace {

constexpr size_t kMaxDocumentBytes = 256u << 20;
constexpr size_t kChunk = 64 * 1024;
constexpr size_t kSniffBytes = 1024;

bool ReadFileHead(const std::string &fileName, unsigned char &first)
{
    std::string head = platform::ReadFileHead(fileName, 1);
    if (head.empty()) {
        return false;
    }
    first = static_cast<unsigned char>(head[0]);
    return true;
}

bool InflateFile(const std::string &fileName, std::string &bytes, size_t maxBytes)
{
    platform::ReadableFile in(fileName);
    if (!in.IsOpen()) {
        return false;
    }
    z_stream stream{};
    if (inflateInit(&stream) != Z_OK) {
        return false;
    }
    std::vector<unsigned char> input(kChunk);
    std::vector<unsigned char> output(kChunk);
    int status = Z_OK;
    while (status == Z_OK) {
        if (stream.avail_in == 0) {
            int64_t count = in.Read(reinterpret_cast<char *>(input.data()), input.size());
            stream.next_in = input.data();
            stream.avail_in = static_cast<uInt>(std::max<int64_t>(count, 0));
            if (stream.avail_in == 0) {
                break;  // the stream never ended
            }
        }
        stream.next_out = output.data();
        stream.avail_out = static_cast<uInt>(output.size());
        status = inflate(&stream, Z_NO_FLUSH);
        size_t produced = output.size() - stream.avail_out;
        if (bytes.size() + produced > maxBytes) {
            status = Z_MEM_ERROR;
            break;
        }
        bytes.append(reinterpret_cast<const char *>(output.data()), produced);
    }
    return inflateEnd(&stream) == Z_OK && status == Z_STREAM_END;
}

bool GzReadFile(const std::string &fileName, std::string &bytes, size_t maxBytes)
{
    platform::ReadableFile in(fileName);
    gzFile file = in.IsOpen() ? gzdopen(in.Descriptor(), "rb") : nullptr;
    if (!file) {
        return false;
    }
    in.Release();  // gzclose closes it
    std::vector<char> chunk(kChunk);
    bool ok = true;
    for (;;) {
        int count = gzread(file, chunk.data(), static_cast<unsigned>(chunk.size()));
        if (count < 0 || bytes.size() + static_cast<size_t>(count) > maxBytes) {
            ok = false;
            break;
        }
        if (count == 0) {
            // Z_BUF_ERROR here means the file ended inside the gzip stream.
            int error = Z_OK;
            gzerror(file, &error);
            ok = error == Z_OK;
            break;
        }
        bytes.append(chunk.data(), static_cast<size_t>(count));
    }
    return gzclose(file) == Z_OK && ok && !bytes.empty();
}

// True when the XML declaration in the first bytes names the encoding UTF-8.
bool DeclaresUtf8(std::string_view bytes)
{
    std::string_view head = bytes.substr(0, std::min(bytes.size(), kSniffBytes));
    size_t declaration = head.find("<?xml");
    if (declaration == std::string_view::npos) {
        return false;
    }
    size_t pos = declaration + 5;
    std::string value;
    bool utf8 = false;
    for (;;) {
        std::string name = GetNextAttribute(head, pos, value);
        if (name.empty() || name == "?>" || name == ">") {
            return utf8;
        }
        if (name == "encoding") {
            utf8 = platform::AsciiLower(value) == "utf-8";
        }
    }
}

std::string DecodeDocument(const std::string &bytes)
{
    if (!DeclaresUtf8(bytes)) {
        return platform::Cp932ToUtf8(bytes);
    }
    std::string_view text = bytes;
    if (text.starts_with("\xEF\xBB\xBF")) {
        text.remove_prefix(3);
    }
    return std::string(text);
}

void RequireSkip(std::string_view text, size_t &pos, const std::string &tag)
{
    if (!SkipElement(text, pos, tag)) {
        throw SvgError("element <" + tag + "> is not closed");
    }
}

bool IsOneOf(std::string_view tag, std::initializer_list<std::string_view> names)
{
    return std::find(names.begin(), names.end(), tag) != names.end();
}

int32_t TwipsToPixels(int32_t twips)
{
    return static_cast<int32_t>((static_cast<int64_t>(twips) + 19) / 20);
}

}  // namespace

bool ReadSvgFileBytes(const std::string &fileName, std::string &bytes, size_t maxBytes)
{
    bytes.clear();
    if (platform::GetExtensionPart(fileName) == "svg") {
        return platform::ReadWholeFile(fileName, bytes, static_cast<int64_t>(std::min<size_t>(maxBytes, INT64_MAX)));
    }
    unsigned char first = 0;
    if (!ReadFileHead(fileName, first)) {
        return false;
    }
    return first == 0x78 ? InflateFile(fileName, bytes, maxBytes) : GzReadFile(fileName, bytes, maxBytes);
}

bool SvgReader::LoadSvg(const std::string &fileName)
{
    groups_.clear();
    width_ = height_ = 0;
    outOfMemory_ = false;
    context_ = SvgContext();
    std::string bytes;
    if (!ReadSvgFileBytes(fileName, bytes, kMaxDocumentBytes)) {
        return false;
    }
    bool ok = true;
    try {
        std::string text = DecodeDocument(bytes);
        bytes.clear();
        bytes.shrink_to_fit();
        context_.limits = LimitsForDocument(limits_, text.size());
        Parse(text);
    } catch (const SvgError &) {
        ok = false;
    } catch (const SvgTooLarge &) {
        ok = false;
        outOfMemory_ = true;
    } catch (const std::bad_alloc &) {
        ok = false;
        outOfMemory_ = true;
    } catch (const std::out_of_range &) {
        ok = false;
    }
    document_ = {};
    context_.names.Clear();
    if (!ok) {
        groups_.clear();
        groups_.shrink_to_fit();
        return false;
    }
    if (!groups_.empty()) {
        SizeFromGroups();
    }
    width_ = TwipsToPixels(context_.width);
    height_ = TwipsToPixels(context_.height);
    return !groups_.empty();
}

void SvgReader::Parse(const std::string &text)
{
    document_ = text;
    size_t start = 0;
    size_t doctype = text.find("<!DOCTYPE");
    if (doctype != std::string::npos) {
        size_t gt = text.find('>', doctype);
        size_t bracket = text.find('[', doctype);
        if (gt != std::string::npos) {
            start = gt;
            if (bracket < gt) {
                size_t close = text.find(']', bracket);
                if (close != std::string::npos) {
                    ReadEntities(std::string_view(text).substr(bracket + 1, close - bracket));
                    start = close;
                }
            }
        }
    }
    size_t svg = text.find("<svg", start);
    if (svg == std::string::npos) {
        throw SvgError("no svg element");
    }
    size_t pos = svg + 4;
    SvgStyle root;
    ReadContainerAttrs(document_, pos, root, "svg", context_);
    size_t indexPos = pos;
    IndexIds(document_, indexPos);
    if (ReadElements(document_, pos, root) != WalkEnd::SvgEnd) {
        throw SvgError("the document ends before </svg>");
    }
}

void SvgReader::ReadEntities(std::string_view subset)
{
    size_t pos = 0;
    for (;;) {
        size_t entity = subset.find("<!ENTITY", pos);
        if (entity == std::string_view::npos) {
            return;
        }
        size_t nameStart = SkipBlanks(subset, entity + 8);
        size_t nameEnd = FindDelimiter(subset, nameStart);
        pos = nameEnd;
        std::string_view name = subset.substr(nameStart, nameEnd - nameStart);
        if (name.empty() || name == "%") {
            continue;  // parameter entities are not used by the reader
        }
        size_t open = subset.find('"', nameEnd);
        size_t close = open == std::string_view::npos ? open : subset.find('"', open + 1);
        if (close == std::string_view::npos) {
            return;
        }
        context_.names.AddEntity(name, std::string(subset.substr(open + 1, close - open - 1)));
        pos = close + 1;
    }
}

bool SvgReader::IndexIds(std::string_view text, size_t &pos)
{
    SvgDepthGuard guard(context_);
    for (;;) {
        std::string tag = GetNextTag(text, pos);
        if (tag.empty() || tag == "/svg") {
            return false;
        }
        size_t start = text.rfind('<', pos);
        std::string id;
        if (IsOneOf(tag, {"g", "symbol", "switch"})) {
            id = GetIdAttribute(text, pos);
            size_t gt = text.find('>', pos);
            if (gt == std::string_view::npos) {
                return false;
            }
            bool empty = text[gt - 1] == '/';
            pos = gt + 1;
            if (!empty && !IndexIds(text, pos)) {
                return false;
            }
        } else if (IsOneOf(tag, {"/g", "/symbol", "/switch"})) {
            ++pos;
            return true;
        } else if (IsOneOf(tag, {"a", "/a", "defs", "/defs"})) {
            // their children are indexed at this level
        } else if (tag == "linearGradient" || tag == "radialGradient") {
            if (!ReadGradient(text, pos, tag == "radialGradient", context_)) {
                return false;
            }
        } else {
            if (IsOneOf(tag, {"use", "path", "polyline", "polygon", "rect", "line"})) {
                id = GetIdAttribute(text, pos);
            }
            if (!SkipElement(text, pos, tag)) {
                return false;
            }
        }
        if (!id.empty()) {
            context_.names.AddId(id, {start, pos});
        }
    }
}

SvgReader::WalkEnd SvgReader::ReadElements(std::string_view text, size_t &pos, const SvgStyle &parent)
{
    SvgDepthGuard guard(context_);
    for (;;) {
        std::string tag = GetNextTag(text, pos);
        if (tag.empty()) {
            return WalkEnd::EndOfText;
        }
        if (tag == "/svg") {
            return WalkEnd::SvgEnd;
        }
        context_.CountElement();
        if (tag == "g" || tag == "symbol") {
            SvgStyle style = parent;
            size_t noted = style.Matrices->size();
            ReadContainerAttrs(text, pos, style, tag, context_);
            WalkEnd end = WalkEnd::Closed;
            if (pos < text.size() && text[pos] != '/') {
                end = ReadElements(text, pos, style);
            }
            while (style.Matrices->size() > noted) {
                style.Matrices->pop_front();
            }
            if (end != WalkEnd::Closed) {
                return end;
            }
        } else if (tag == "/g" || tag == "/symbol") {
            ++pos;
            return WalkEnd::Closed;
        } else if (IsOneOf(tag, {"a", "/a", "switch", "/switch"})) {
            // their children are drawn as if they stood at this level
        } else if (tag == "use") {
            ReadUse(text, pos, parent);
            RequireSkip(text, pos, tag);
        } else if (IsOneOf(tag, {"path", "polyline", "polygon", "rect", "line"})) {
            ReadShape(text, pos, tag, parent);
            RequireSkip(text, pos, tag);
        } else {
            RequireSkip(text, pos, tag);
        }
    }
}

void SvgReader::ReadShape(std::string_view text, size_t &pos, const std::string &tag, const SvgStyle &parent)
{
    QlkGroup group;
    bool drawn = false;
    if (tag == "rect") {
        drawn = ReadRect(text, pos, group, parent, context_);
    } else if (tag == "line") {
        drawn = ReadLine(text, pos, group, parent, context_);
    } else {
        drawn = ReadPathElement(text, pos, group, parent, tag, context_);
    }
    if (drawn) {
        groups_.push_back(std::move(group));
    }
}

void SvgReader::ReadUse(std::string_view text, size_t &pos, const SvgStyle &parent)
{
    SvgStyle style = parent;
    size_t noted = style.Matrices->size();
    int32_t savedWidth = context_.width;
    int32_t savedHeight = context_.height;
    int32_t x = 0;
    int32_t y = 0;
    std::string id;
    ForEachAttribute(text, pos, [&](std::string_view name, std::string_view value) {
        if (name == "fill") {
            ApplyContainerFill(value, style);
        } else if (name == "x") {
            x = ParseLength(value, true).value;
        } else if (name == "y") {
            y = ParseLength(value, true).value;
        } else if (name == "width") {
            context_.width = ParseLength(value, true).value;
        } else if (name == "height") {
            context_.height = ParseLength(value, true).value;
        } else if (name == "xlink:href") {
            id = value.empty() ? "" : value.substr(1);
        } else if (name == "transform") {
            ParseTransform(value, *style.Matrices);
        } else {
            ApplyPresentationAttr(name, value, style);
        }
    });
    if (!id.empty()) {
        if (x != 0 || y != 0) {
            SvgMatrix offset;
            offset.sftX = x;
            offset.sftY = y;
            style.Matrices->push_front(offset);
        }
        if (const SvgIdInfo *info = context_.names.FindId(id)) {
            context_.CountUse();
            std::string_view element = document_.substr(info->SIndex, info->EIndex - info->SIndex);
            size_t elementPos = 0;
            ReadElements(element, elementPos, style);
        }
    }
    while (style.Matrices->size() > noted) {
        style.Matrices->pop_front();
    }
    context_.width = savedWidth;
    context_.height = savedHeight;
}

void SvgReader::SizeFromGroups()
{
    int32_t right = 0;
    int32_t bottom = 0;
    for (const QlkGroup &group : groups_) {
        core::Rect32 bounds = group.GetBounds();
        right = std::max(right, bounds.Right);
        bottom = std::max(bottom, bounds.Bottom);
    }
    if (context_.width == 0) {
        context_.width = right;
    }
    if (context_.height == 0) {
        context_.height = bottom;
    }
}

core::PathCollection SvgReader::GetPathRecords() const
{
    core::PathCollection result;
    size_t count = 1;
    for (const QlkGroup &group : groups_) {
        count += group.colQLKPath.size();
    }
    result.Paths.reserve(count);
    int32_t compoundCounter = 0;
    for (const QlkGroup &group : groups_) {
        // Straight into the result: a group of many subpaths is not held twice.
        group.AppendGroupPathRecords(result.Paths, compoundCounter);
    }
    return result;
}

}  // namespace importer
