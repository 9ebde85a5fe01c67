// Source file names: absolute names and the containment rule of include files.
#include "lexical/SourcePaths.h"

#include <filesystem>
#include <system_error>
#include <vector>

namespace SourcePaths {
std::string MakeAbsolute(const std::string& name)
{
    if (name.find(':') != std::string::npos ||
        (!name.empty() && (name[0] == '\\' || name[0] == '/'))) {
        return name;
    }
    std::error_code error;
    const std::filesystem::path current = std::filesystem::current_path(error);
    if (error) {
        return name;
    }
    std::string folder = current.string();
    if (folder.empty() || folder.back() != '/') {
        folder += '/';
    }
    return folder + name;
}

std::string FolderOf(const std::string& fileName)
{
    const std::string absolute = MakeAbsolute(fileName);
    const auto separator = absolute.find_last_of("/\\");
    if (separator == std::string::npos) {
        return "."; // only when the working directory is unknown
    }
    if (separator == 0) {
        return "/";
    }
    return absolute.substr(0, separator);
}

bool ResolveInclude(const std::string& folder, const std::string& name, std::string& resolved)
{
    std::string relative = name;
    for (char& ch : relative) {
        if (ch == '\\') {
            ch = '/';
        }
    }
    if (relative.empty() || relative[0] == '/' || relative.find(':') != std::string::npos) {
        return false;
    }
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= relative.size()) {
        std::size_t end = relative.find('/', start);
        if (end == std::string::npos) {
            end = relative.size();
        }
        const std::string part = relative.substr(start, end - start);
        if (part == "..") {
            if (parts.empty()) {
                return false;
            }
            parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        start = end + 1;
    }
    if (parts.empty()) {
        return false;
    }
    resolved = folder;
    if (resolved.empty() || resolved.back() != '/') {
        resolved += '/';
    }
    for (std::size_t i = 0; i < parts.size(); ++i) {
        resolved += (i == 0 ? "" : "/") + parts[i];
    }
    return true;
}
} // namespace SourcePaths
