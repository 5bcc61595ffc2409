// Helpers for the SVG importer tests: documents written to the test's program folder and loaded.
#pragma once

#include "import/svg_reader.h"
#include "tests/support/test_support.h"

#include <string>

namespace svgtest {

// Wraps drawing elements into a document of the given size.
inline std::string Document(const std::string &body, const std::string &svgAttrs = "width=\"100\" height=\"100\"")
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<svg xmlns=\"http://www.w3.org/2000/svg\" "
           "xmlns:xlink=\"http://www.w3.org/1999/xlink\" " +
           svgAttrs + ">\n" + body + "\n</svg>\n";
}

inline bool LoadText(importer::SvgReader &reader, const std::string &text, const std::string &name = "test.svg")
{
    std::string path = testsupport::TempPath(name);
    testsupport::WriteAll(path, text);
    return reader.LoadSvg(path);
}

// The path records of a document of drawing elements; empty when the load fails.
inline core::PathCollection Import(const std::string &body, const std::string &svgAttrs = "width=\"100\" height=\"100\"")
{
    importer::SvgReader reader;
    if (!LoadText(reader, Document(body, svgAttrs))) {
        return {};
    }
    return reader.GetPathRecords();
}

// The reader's counted work stayed within the limits it ran under (those of the document's size):
// elements and use references one at a time, numbers at most one attribute's list past the limit.
inline bool WithinDocumentLimits(const importer::SvgContext &work)
{
    const importer::SvgLimits &limits = work.limits;
    return work.elementsWalked <= limits.MaxElements + 1 && work.usesFollowed <= limits.MaxUses + 1 &&
           work.numbersRead <= 2 * limits.MaxNumbers;
}

}  // namespace svgtest
