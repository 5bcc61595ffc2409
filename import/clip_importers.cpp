#include "import/clip_importers.h"

#include "core/path_importers.h"
#include "import/svg_reader.h"
#include "import/wmf_importer.h"

#include <utility>

namespace importer {
namespace {

class FileImporters : public core::PathImporters {
public:
    bool ReadSvgFile(const std::string &path, core::PathCollection &paths) override
    {
        SvgReader reader;
        if (!reader.LoadSvg(path)) {
            return false;
        }
        paths = reader.GetPathRecords();
        return true;
    }

    core::PathCollection ReadMetafile(const std::string &bytes) override { return ImportWmf(bytes); }
};

}  // namespace

void InstallPathImporters()
{
    static FileImporters importers;
    core::SetPathImporters(&importers);
}

}  // namespace importer
