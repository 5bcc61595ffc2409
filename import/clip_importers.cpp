#include "import/clip_importers.h"

#include "core/path_importers.h"
#include "import/svg_reader.h"
#include "import/wmf_importer.h"

#include <new>
#include <utility>

namespace importer {
namespace {

class FileImporters : public core::PathImporters {
public:
    bool ReadSvgFile(const std::string &path, core::PathCollection &paths) override
    {
        SvgReader reader;
        if (!reader.LoadSvg(path)) {
            if (reader.OutOfMemory()) {
                throw std::bad_alloc();  // the command that reads it reports it and takes it back
            }
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
