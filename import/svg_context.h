// State shared by the SVG reader's parts during one load: the name table (entities, element
// ranges and gradients in one key space), the drawing size and the limits that keep hostile
// documents from running away.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <variant>

namespace importer {

struct SvgGradientData;

// Where an element with an id stands in the document: [SIndex, EIndex) is its whole text.
struct SvgIdInfo {
    size_t SIndex = 0;
    size_t EIndex = 0;
};

// Entities, element ranges and gradients filed by name. Names compare without regard to ASCII
// letter case; filing a name twice throws SvgError.
class SvgNameTable {
public:
    void AddEntity(std::string_view name, std::string value);
    void AddId(std::string_view name, SvgIdInfo info);
    void AddGradient(std::string_view name, std::shared_ptr<SvgGradientData> gradient);

    const std::string *FindEntity(std::string_view name) const;
    const SvgIdInfo *FindId(std::string_view name) const;
    const SvgGradientData *FindGradient(std::string_view name) const;
    void Clear() { entries_.clear(); }

private:
    using Entry = std::variant<std::string, SvgIdInfo, std::shared_ptr<SvgGradientData>>;
    void Add(std::string_view name, Entry entry);
    const Entry *Find(std::string_view name) const;

    std::unordered_map<std::string, Entry> entries_;
};

struct SvgLimits {
    int MaxDepth = 200;                  // nested containers and use references
    int64_t MaxElements = 2'000'000;     // elements walked, use expansions included
    int64_t MaxUses = 20'000;            // use references followed
    int64_t MaxNumbers = 40'000'000;     // numbers read from coordinate lists
    int64_t MaxPointTransforms = 640'000'000;  // points times the matrices each one passes through
    // What the drawn paths will take in memory once imported, pasted, recorded for undo and shown
    // (see HeldBytes): a share of what the program can hold at most.
    int64_t MaxHeldBytes = DefaultHeldBytes();

    static int64_t DefaultHeldBytes();
    // Replaces that share by a fixed budget for every reader made afterwards (0: the share again).
    static void SetDefaultHeldBytes(int64_t bytes);
};

// The memory a drawn path of this many anchors takes in the program once imported: the reader's
// model, the clip, the document, the undo step and the canvas movie's encoding each hold it.
inline constexpr int64_t kHeldBytesPerPath = 1024;
inline constexpr int64_t kHeldBytesPerAnchor = 96;

// Thrown when the drawn paths would take more memory than MaxHeldBytes allows.
struct SvgTooLarge {};

// The limits for a document of this many bytes. Use references and long transform lists multiply
// the work a document asks for; bounding it by the document's size too keeps a small file from
// demanding minutes, while any file gets at least a few million of each.
SvgLimits LimitsForDocument(const SvgLimits &limits, size_t documentBytes);

struct SvgContext {
    SvgNameTable names;
    int32_t width = 0;   // the drawing's size in twips while reading
    int32_t height = 0;
    SvgLimits limits;
    int depth = 0;
    int64_t elementsWalked = 0;
    int64_t usesFollowed = 0;
    int64_t numbersRead = 0;
    int64_t pointTransforms = 0;
    int64_t heldBytes = 0;

    // Each throws SvgError when its limit is passed.
    void CountElement();
    void CountUse();
    void CountNumbers(size_t count);
    // Moving points through matrix lists: the number of points and of matrices in the lists.
    void CountPointTransforms(int64_t points, size_t matrices);
    // Drawn paths and their anchors; throws SvgTooLarge past MaxHeldBytes.
    void CountHeld(int64_t paths, int64_t anchors);
};

// Raises the context's depth for one nested walk and lowers it again on leaving.
class SvgDepthGuard {
public:
    explicit SvgDepthGuard(SvgContext &context);
    ~SvgDepthGuard() { --context_.depth; }
    SvgDepthGuard(const SvgDepthGuard &) = delete;
    SvgDepthGuard &operator=(const SvgDepthGuard &) = delete;

private:
    SvgContext &context_;
};

}  // namespace importer
