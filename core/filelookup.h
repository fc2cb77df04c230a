// File-name lookup: the name, as the file system stores it, of the ordinary
// file a path names.
#pragma once

#include <QString>

namespace FileLookup {

// The name, without its folder, of the ordinary file (not a folder, device or
// pipe; links are followed) that the path names, spelled as stored; the empty
// string for anything else. The text is taken literally: no wildcard
// expansion. Never throws, never opens the file: one file-system query at most.
QString fileName(const QString &path);

} // namespace FileLookup
