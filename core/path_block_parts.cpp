#include "core/path_block_parts.h"

#include "platform/base/parallel_for.h"

#include <vector>

namespace core {
namespace {

// Values on the field line of a block (the line that starts it), by version.
size_t FieldLineValues(std::string_view version)
{
    if (version == "010") {
        return 14;
    }
    return version == "020" ? 16 : 17;
}

size_t NextLineStart(std::string_view text, size_t pos)
{
    while (pos < text.size() && text[pos] != '\n' && text[pos] != '\r') {
        ++pos;
    }
    if (pos < text.size() && text[pos] == '\r') {
        ++pos;
    }
    if (pos < text.size() && text[pos] == '\n') {
        ++pos;
    }
    return pos;
}

// The start of the first line at or after pos and before limit that looks like a block's field
// line (values separated by commas, no quotes), or limit when none does.
size_t FieldLineFrom(std::string_view text, size_t pos, size_t limit, size_t values)
{
    if (pos > 0 && text[pos - 1] != '\n' && text[pos - 1] != '\r') {
        pos = NextLineStart(text, pos);
    }
    while (pos < limit) {
        size_t commas = 0;
        bool quoted = false;
        size_t end = pos;
        for (; end < text.size() && text[end] != '\n' && text[end] != '\r'; ++end) {
            commas += text[end] == ',';
            quoted |= text[end] == '"';
        }
        if (!quoted && commas + 1 == values) {
            return pos;
        }
        pos = NextLineStart(text, end);
    }
    return limit;
}

// What one part read: its blocks, where each ended, and whether it stopped on a bad one.
struct PartRead {
    PathArray Paths;
    std::vector<size_t> Ends;
    bool Failed = false;
};

void ReadPart(std::string_view text, size_t begin, size_t end, std::string_view version, int32_t most,
              PartRead &part)
{
    FieldReader reader(text, begin);
    while (reader.Position() < end && part.Paths.size() < static_cast<size_t>(most)) {
        if (!ReadPathRecord(reader, version, part.Paths.emplace_back())) {
            part.Paths.pop_back();
            part.Failed = true;
            return;
        }
        part.Ends.push_back(reader.Position());
    }
}

}  // namespace

bool ReadPathBlocksInParts(FieldReader &file, std::string_view version, int32_t count, PathArray &paths,
                           size_t bytesPerPart)
{
    const std::string_view text = file.Text();
    const size_t start = file.Position();
    const size_t bytes = text.size() - start;
    const size_t wanted = platform::PartCount(bytes, bytesPerPart);
    if (file.Failed() || count < 1 || wanted < 2) {
        return false;
    }
    std::vector<size_t> starts{start};
    const size_t values = FieldLineValues(version);
    for (size_t p = 1; p < wanted; ++p) {
        const size_t cut = start + bytes / wanted * p;
        const size_t limit = start + bytes / wanted * (p + 1);
        const size_t found = FieldLineFrom(text, std::max(cut, starts.back() + 1), limit, values);
        if (found < limit) {
            starts.push_back(found);
        }
    }
    if (starts.size() < 2) {
        return false;
    }
    starts.push_back(text.size());
    std::vector<PartRead> parts(starts.size() - 1);
    platform::RunInParts(parts.size(), 1, [&](size_t, size_t first, size_t last) {
        for (size_t p = first; p < last; ++p) {
            ReadPart(text, starts[p], starts[p + 1], version, count, parts[p]);
        }
    });

    // Each part must begin where the one before ended; the blocks after the count-th are not read.
    size_t expected = start;
    size_t taken = 0;
    size_t end = start;
    for (size_t p = 0; p < parts.size() && taken < static_cast<size_t>(count); ++p) {
        const PartRead &part = parts[p];
        if (starts[p] != expected) {
            return false;
        }
        const size_t take = std::min(part.Paths.size(), static_cast<size_t>(count) - taken);
        taken += take;
        if (take > 0) {
            end = part.Ends[take - 1];
        }
        if (taken < static_cast<size_t>(count) && (part.Failed || part.Ends.empty() || part.Ends.back() != starts[p + 1])) {
            return false;
        }
        expected = part.Ends.empty() ? starts[p] : part.Ends.back();
    }
    if (taken < static_cast<size_t>(count)) {
        return false;
    }
    paths.assign(1, PathRecord());
    paths.reserve(static_cast<size_t>(count) + 1);
    for (PartRead &part : parts) {
        for (PathRecord &path : part.Paths) {
            if (paths.size() > static_cast<size_t>(count)) {
                break;
            }
            paths.push_back(std::move(path));
        }
    }
    file.MoveTo(end);
    return true;
}

}  // namespace core
