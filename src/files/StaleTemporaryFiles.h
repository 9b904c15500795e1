#pragma once

#include <string>

namespace ravix {

// Removes the temporary files that AtomicFile leaves behind when the program is killed while it
// writes. A temporary file of a writer at work looks the same, so call these only while no other
// copy of the program can write there (with the single-instance lock held). Only regular files
// named as AtomicFile names its temporary files go; symbolic links are not followed. Each
// returns how many files it removed.

// Everywhere in folder and the folders below it: for a folder that is the program's own.
int RemoveStaleTemporaryFiles(const std::string& folder);
// Only the temporary files of the file at path, in its folder: for a folder shared with others.
int RemoveStaleTemporaryFilesOf(const std::string& path);

} // namespace ravix
