// File names of program sources: made absolute, and include names kept inside their folder.
#pragma once

#include <string>

namespace SourcePaths {
// A name with no ":" that begins with neither "\" nor "/" is taken relative to the current
// working directory; any other name is returned as it is.
std::string MakeAbsolute(const std::string& name);

// The folder of a file (absolute, without a final separator).
std::string FolderOf(const std::string& fileName);

// The file an include directive names, resolved against the including file's folder. Only
// relative names are accepted ("\" counts as "/"); an absolute name, a drive name or a name whose
// ".." climbs out of `folder` gives false.
bool ResolveInclude(const std::string& folder, const std::string& name, std::string& resolved);
} // namespace SourcePaths
