#include "platform/base/file_names.h"

#include <filesystem>
#include <system_error>

namespace platform {

std::string GetFolderPart(const std::string &path)
{
    size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return {};
    }
    return path.substr(0, slash == 0 ? 1 : slash);
}

std::string NormalFolder(const std::string &folder)
{
    if (folder.empty()) {
        return {};
    }
    std::error_code error;
    std::filesystem::path path = std::filesystem::absolute(std::filesystem::path(folder), error);
    if (error) {
        path = folder;
    }
    std::string text = path.lexically_normal().string();
    while (text.size() > 1 && text.back() == '/') {
        text.pop_back();
    }
    return text;
}

std::string GetFileNamePart(const std::string &path)
{
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string GetExtensionPart(const std::string &path)
{
    size_t mark = path.find_last_of("./");
    if (mark == std::string::npos || path[mark] == '/') {
        return {};
    }
    return path.substr(mark + 1);
}

}  // namespace platform
