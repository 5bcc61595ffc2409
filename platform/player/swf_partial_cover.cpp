#include "platform/player/swf_partial_cover.h"

#include <sys/mman.h>

#include <algorithm>
#include <new>

namespace platform::swf {

PartCover::PartCover(const QRect &area)
{
    if (area.isEmpty()) {
        return;
    }
    const size_t count = static_cast<size_t>(area.width()) * static_cast<size_t>(area.height());
    // The marks, then the pixels from a multiple of their alignment.
    const size_t pixelsAt = (count + alignof(PartialPixel) - 1) / alignof(PartialPixel) * alignof(PartialPixel);
    bytes_ = pixelsAt + count * sizeof(PartialPixel);
    void *pages = mmap(nullptr, bytes_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (pages == MAP_FAILED) {
        bytes_ = 0;
        return;
    }
    pages_ = pages;
    auto *bytes = static_cast<unsigned char *>(pages);
    rows_ = {bytes, reinterpret_cast<PartialPixel *>(bytes + pixelsAt), area};
}

PartCover::~PartCover()
{
    if (pages_ != nullptr) {
        munmap(pages_, bytes_);
    }
}

void PartialRows::Forget(const QRect &rect) const
{
    const QRect within = rect.intersected(area);
    if (marks == nullptr || within.isEmpty()) {
        return;
    }
    for (int y = within.top(); y <= within.bottom(); ++y) {
        uint8_t *row = marks + Index(within.left(), y);
        std::fill(row, row + within.width(), uint8_t(0));
    }
}

void PartialCover::Start(const QRect &area)
{
    const qsizetype count = area.isEmpty() ? 0 : qsizetype(area.width()) * qsizetype(area.height());
    try {
        marks_.resize(count);
        marks_.fill(0);
        pixels_.resize(count);
        area_ = count > 0 ? area : QRect();
    } catch (const std::bad_alloc &) {
        Clear();
    }
}

void PartialCover::StartFrom(const PartialCover &from, const QRect &area)
{
    Start(area);
    Paste(from);
}

void PartialCover::Paste(const PartialCover &from)
{
    const QRect shared = area_.intersected(from.area_);
    if (shared.isEmpty()) {
        return;
    }
    const PartialRows to = Rows();
    for (int y = shared.top(); y <= shared.bottom(); ++y) {
        const size_t source = IndexIn(from.area_, shared.left(), y);
        const size_t target = to.Index(shared.left(), y);
        std::copy_n(from.marks_.constData() + source, shared.width(), to.marks + target);
        std::copy_n(from.pixels_.constData() + source, shared.width(), to.pixels + target);
    }
}

bool PartialCover::AnyMarked() const
{
    return std::any_of(marks_.cbegin(), marks_.cend(), [](uint8_t mark) { return mark != 0; });
}

void PartialCover::Clear()
{
    area_ = QRect();
    marks_ = {};
    pixels_ = {};
}

PartialRows PartialCover::Rows()
{
    if (area_.isEmpty()) {
        return {};
    }
    return {marks_.data(), pixels_.data(), area_};
}

}  // namespace platform::swf
