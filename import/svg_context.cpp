#include "import/svg_context.h"

#include "import/svg_error.h"
#include "platform/base/memory_limit.h"
#include "platform/base/text_encoding.h"

#include <algorithm>
#include <cctype>

namespace importer {
namespace {

std::string FoldCase(std::string_view name)
{
    return platform::AsciiLower(name);
}

}  // namespace

void SvgNameTable::Add(std::string_view name, Entry entry)
{
    if (!entries_.emplace(FoldCase(name), std::move(entry)).second) {
        throw SvgError("name filed twice: " + std::string(name));
    }
}

const SvgNameTable::Entry *SvgNameTable::Find(std::string_view name) const
{
    auto it = entries_.find(FoldCase(name));
    return it == entries_.end() ? nullptr : &it->second;
}

void SvgNameTable::AddEntity(std::string_view name, std::string value)
{
    Add(name, std::move(value));
}

void SvgNameTable::AddId(std::string_view name, SvgIdInfo info)
{
    Add(name, info);
}

void SvgNameTable::AddGradient(std::string_view name, std::shared_ptr<SvgGradientData> gradient)
{
    Add(name, std::move(gradient));
}

const std::string *SvgNameTable::FindEntity(std::string_view name) const
{
    const Entry *entry = Find(name);
    return entry ? std::get_if<std::string>(entry) : nullptr;
}

const SvgIdInfo *SvgNameTable::FindId(std::string_view name) const
{
    const Entry *entry = Find(name);
    return entry ? std::get_if<SvgIdInfo>(entry) : nullptr;
}

const SvgGradientData *SvgNameTable::FindGradient(std::string_view name) const
{
    const Entry *entry = Find(name);
    if (!entry) {
        return nullptr;
    }
    auto gradient = std::get_if<std::shared_ptr<SvgGradientData>>(entry);
    return gradient ? gradient->get() : nullptr;
}

void SvgContext::CountElement()
{
    if (++elementsWalked > limits.MaxElements) {
        throw SvgError("too many elements");
    }
}

void SvgContext::CountUse()
{
    if (++usesFollowed > limits.MaxUses) {
        throw SvgError("too many use references");
    }
}

void SvgContext::CountNumbers(size_t count)
{
    numbersRead += static_cast<int64_t>(count);
    if (numbersRead > limits.MaxNumbers) {
        throw SvgError("too many coordinates");
    }
}

void SvgContext::CountPointTransforms(int64_t points, size_t matrices)
{
    pointTransforms += points * static_cast<int64_t>(matrices);
    if (pointTransforms > limits.MaxPointTransforms) {
        throw SvgError("too many transformed points");
    }
}

void SvgContext::CountHeld(int64_t paths, int64_t anchors)
{
    heldBytes += paths * kHeldBytesPerPath + anchors * kHeldBytesPerAnchor;
    if (heldBytes > limits.MaxHeldBytes) {
        throw SvgTooLarge();
    }
}

namespace {
int64_t g_fixedHeldBytes = 0;
}  // namespace

int64_t SvgLimits::DefaultHeldBytes()
{
    // Half for the import; the rest for the drawing that is already open and the program itself.
    return g_fixedHeldBytes > 0 ? g_fixedHeldBytes : platform::MemoryThatCanBeHeld() / 2;
}

void SvgLimits::SetDefaultHeldBytes(int64_t bytes)
{
    g_fixedHeldBytes = bytes;
}

SvgLimits LimitsForDocument(const SvgLimits &limits, size_t documentBytes)
{
    const int64_t bytes = static_cast<int64_t>(documentBytes);
    SvgLimits scaled = limits;
    scaled.MaxNumbers = std::min(limits.MaxNumbers, std::max<int64_t>(2'000'000, 4 * bytes));
    scaled.MaxPointTransforms = std::min(limits.MaxPointTransforms, std::max<int64_t>(64'000'000, 64 * bytes));
    return scaled;
}

SvgDepthGuard::SvgDepthGuard(SvgContext &context) : context_(context)
{
    if (++context_.depth > context_.limits.MaxDepth) {
        --context_.depth;
        throw SvgError("nesting too deep");
    }
}

}  // namespace importer
