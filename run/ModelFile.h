#pragma once
#include <optional>
#include <string>
#include <utility>

namespace Korvale::Run {

// A model file as a script names it, with its text when it could be read.
// Loading from the text read once means that what a simulation carries into
// a snapshot or another process is exactly what it loaded.
struct ModelFile {
    std::string path; // empty: none
    std::optional<std::string> text;

    // Reads the file as the window's loader would accept it; a file it would
    // refuse keeps no text, so that loading it by name gives its message.
    static ModelFile Read(std::string path);
    // Named only: loaded by name, as korvale-sim and the window load it.
    static ModelFile Named(std::string path) { return {std::move(path), std::nullopt}; }
    static ModelFile Text(std::string text, std::string path = {}) { return {std::move(path), std::move(text)}; }
    bool Given() const { return !path.empty() || text.has_value(); }
};

} // namespace Korvale::Run
