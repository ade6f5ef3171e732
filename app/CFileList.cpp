#include "app/CFileList.h"

#include <algorithm>

namespace Korvale {

namespace fs = std::filesystem;

CFileList::CFileList(fs::path working) : workingFolder(working.lexically_normal()), folder(workingFolder) { Refresh(); }

void CFileList::Refresh()
{
    std::vector<Entry> folders;
    std::vector<Entry> files;
    std::error_code error;
    fs::directory_iterator it(folder, fs::directory_options::skip_permission_denied, error);
    std::size_t seen = 0;
    for (; !error && it != fs::directory_iterator() && seen < MaxEntries; it.increment(error), ++seen) {
        const std::string name = it->path().filename().string();
        if (name.empty() || name[0] == '.')
            continue;
        const FileKind kind = KindOfFile(it->path());
        if (kind == FileKind::Folder)
            folders.push_back({name + "/", kind});
        else if (kind != FileKind::Other)
            files.push_back({name, kind});
    }
    const auto byName = [](const Entry& a, const Entry& b) { return a.name < b.name; };
    std::sort(folders.begin(), folders.end(), byName);
    std::sort(files.begin(), files.end(), byName);
    entries.clear();
    if (folder.has_relative_path())
        entries.push_back({"../", FileKind::Folder});
    entries.insert(entries.end(), folders.begin(), folders.end());
    entries.insert(entries.end(), files.begin(), files.end());
}

bool CFileList::Enter(std::size_t index)
{
    if (index >= entries.size() || entries[index].kind != FileKind::Folder)
        return false;
    const std::string& name = entries[index].name;
    folder = name == "../" ? folder.parent_path() : folder / name.substr(0, name.size() - 1);
    Refresh();
    return true;
}

std::string CFileList::BoxName(std::size_t index) const
{
    return index < entries.size() ? entries[index].name : std::string{};
}

std::string CFileList::PathOf(const std::string& boxName) const
{
    const fs::path name(boxName);
    if (boxName.empty() || name.is_absolute() || folder == workingFolder)
        return boxName;
    const fs::path file = (folder / name).lexically_normal();
    const fs::path relative = file.lexically_relative(workingFolder);
    return relative.empty() ? file.string() : relative.string();
}

} // namespace Korvale
