#pragma once
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>

namespace TestSupport {

// A fresh folder for one test's files, removed with everything in it at the end.
class TempFolder {
public:
    TempFolder()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "korvale-test-XXXXXX").string();
        path = ::mkdtemp(pattern.data()) ? pattern : std::string{};
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    ~TempFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }

    std::string File(const std::string& name) const { return (path / name).string(); }
    std::string Write(const std::string& name, const std::string& text) const
    {
        std::ofstream(File(name), std::ios::binary) << text;
        return File(name);
    }
    std::string Read(const std::string& name) const
    {
        std::ifstream in(File(name), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

private:
    std::filesystem::path path;
};

// One file with the given content in its own temporary folder.
class TempFile {
public:
    explicit TempFile(const std::string& content) : name(folder.Write("file.xml", content)) {}
    std::string Name() const { return name; }

private:
    TempFolder folder;
    std::string name;
};

} // namespace TestSupport
