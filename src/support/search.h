#pragma once

#include <string_view>
#include <vector>

#include "support/file_system.h"

namespace brimvel {

// The files (not directories) of the pattern's directory whose names match
// its last component, in the order the file system lists them. Returns 0
// with at least one entry; 2 when no name matches, 3 when the directory is
// missing, 5 when it may not be read, 18 when every match is a directory.
int FindFiles(FileSystem& fs, std::string_view pattern, std::vector<FoundEntry>& found);

// Whether a name matches a pattern's last component: * any run, ? one
// character, compared without regard to case; "*.*" matches every name.
bool MaskMatches(std::string_view pattern, std::string_view name);

// Whether some name matches both patterns' last components.
bool MasksMeet(std::string_view a, std::string_view b);

// Puts a listing in the order the runs meet names in: ascending by the
// upper-cased name, ties by the raw bytes, whatever order the directory
// keeps. Every file system, real or in memory, lists this way.
void SortAsListed(std::vector<FoundEntry>& entries);

// The path up to and including its last directory separator.
std::string_view DirectoryPart(std::string_view path, std::string_view separators);

}  // namespace brimvel
