#pragma once
#include "app/FileKind.h"

#include <filesystem>
#include <string>
#include <vector>

namespace Korvale {

// The files of one folder the window can use: ".." (unless at the root),
// the folders, then the scenes, robots, networks and logs, each by name.
// Hidden entries and other files are left out. The folder starts as the
// working folder; names in the file-name box are taken from the folder the
// list shows.
class CFileList {
public:
    struct Entry {
        std::string name; // folders end in "/"
        FileKind kind = FileKind::Other;
    };

    // At most this many entries are looked at in one folder.
    static constexpr std::size_t MaxEntries = 2000;

    explicit CFileList(std::filesystem::path workingFolder = std::filesystem::current_path());

    // Reads the folder again (files come and go: a new log, say).
    void Refresh();
    const std::vector<Entry>& Entries() const { return entries; }
    const std::filesystem::path& Folder() const { return folder; }

    // Goes into the folder of a "..", or a folder, entry; false for a file.
    bool Enter(std::size_t index);
    // The file's name as the file-name box shows it: relative to the folder
    // shown.
    std::string BoxName(std::size_t index) const;
    // A name from the file-name box as the commands take it: relative to the
    // working folder (the folder the program opens files from), unchanged
    // while the list shows that folder, or when absolute or empty.
    std::string PathOf(const std::string& boxName) const;

private:
    std::filesystem::path workingFolder;
    std::filesystem::path folder;
    std::vector<Entry> entries;
};

} // namespace Korvale
