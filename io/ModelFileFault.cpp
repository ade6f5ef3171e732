#include "io/ModelFileFault.h"

#include <algorithm>
#include <array>
#include <cctype>

#include "base/FileFault.h"
#include "io/CFenIOStruct.h"

namespace Tarn {

namespace {

// The kind as the file line names it, and as a sentence does.
std::string_view Word(ModelFileKind kind)
{
    switch (kind) {
    case ModelFileKind::Scene: return "Scene";
    case ModelFileKind::Robot: return "Robot";
    case ModelFileKind::Network: return "Network";
    default: return "Model";
    }
}

std::string Noun(ModelFileKind kind)
{
    std::string noun(Word(kind));
    noun.front() = static_cast<char>(std::tolower(static_cast<unsigned char>(noun.front())));
    return noun;
}

bool StartsWith(std::string_view text, std::string_view start) { return text.substr(0, start.size()) == start; }
bool EndsWith(std::string_view text, std::string_view end)
{
    return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

// The innermost fault of a report ("Error in READER: DESCRIPTION" on its
// first line), in plain words where the description is terse.
std::string InnermostFaultWords(const std::string& report)
{
    // The first line that is not merely an enclosing reader's "unable to
    // read" (the network reader puts one before its own fault).
    std::string_view line;
    for (std::string_view rest(report); !rest.empty();) {
        std::string_view candidate = rest.substr(0, rest.find('\n'));
        rest.remove_prefix(std::min(rest.size(), candidate.size() + 1));
        if (const std::size_t colon = candidate.find(": ");
            StartsWith(candidate, "Error in ") && colon != std::string_view::npos)
            candidate.remove_prefix(colon + 2);
        if (line.empty())
            line = candidate;
        if (!StartsWith(candidate, "unable to read ")) {
            line = candidate;
            break;
        }
    }
    struct Plain {
        std::string_view terse;
        std::string_view words;
    };
    static constexpr std::array<Plain, 3> whole{{
        {"nodePtr->GetnodeType() != MSXML2::NODE_ELEMENT",
         "a comment, processing instruction or text where an element belongs"},
        {"subnodePtr->GetnodeType() != MSXML2::NODE_ELEMENT",
         "a comment, processing instruction or text where an element belongs"},
        {"subnodePtr->GetnodeType() != MSXML2::NODE_TEXT",
         "a comment, processing instruction or element where numbers belong"},
    }};
    for (const Plain& plain : whole)
        if (line == plain.terse)
            return std::string(plain.words);
    const std::string text(line);
    if (EndsWith(line, " <= 0.0") || EndsWith(line, " <= 0"))
        return text.substr(0, text.find(" <= ")) + " must be a number greater than 0";
    if (StartsWith(line, "double definition of "))
        return text.substr(21) + " is given twice";
    if (StartsWith(line, "incomplete definition of "))
        return "the " + text.substr(25) + " lacks a part it needs (a required attribute or element)";
    if (StartsWith(line, "unable to parse"))
        return "numbers that cannot be read, or not as many as declared";
    if (StartsWith(line, "bad nodeName"))
        return "an element that does not belong where it stands";
    if (line == "bad transferFcn")
        return "a transfer function that is not purelin, tansig or logsig";
    if (StartsWith(line, "bad definition of "))
        return "the " + text.substr(18) + " element does not hold what it must (one child, or one per layer)";
    if (StartsWith(line, "bad ") && !StartsWith(line, "bad nodeName"))
        return "a " + text.substr(4) + " outside the layers the network has";
    if (line == "inconsistent network")
        return "the sizes of its inputs, layers, weights and biases do not fit together";
    if (StartsWith(line, "inconsistent "))
        return "the " + text.substr(13) + " do not give every layer exactly once";
    if (line == "too many sensors")
        return "more than 10,000 sensors";
    if (line == "too many camera pixels")
        return "more than 1,000,000 camera pixels";
    if (line == "cannot open the file")
        return "cannot be opened";
    return text;
}

} // namespace

std::string_view KindWord(ModelFileKind kind) { return Word(kind); }

std::string ModelFaultWords(const CFenIOStruct& io, ModelFileKind kind)
{
    if (!io.GetFileProblem().empty())
        return io.GetFileProblem();
    const std::string& root = io.GetRootName();
    if (!root.empty() && root != RootElementOf(kind)) {
        if (const ModelFileKind other = ModelFileKindOfRoot(root); other != ModelFileKind::None)
            return "this is a " + Noun(other) + " file (root element \"" + root + "\"), not a " + Noun(kind);
        return "this is not a " + Noun(kind) + " file (root element \"" + root + "\", where a " + Noun(kind)
            + " file has \"" + std::string(RootElementOf(kind)) + "\")";
    }
    return InnermostFaultWords(io.GetErrorText());
}

std::string ModelFileFaultLine(const CFenIOStruct& io, ModelFileKind kind, std::string_view fileName)
{
    return FileFaultLine(KindWord(kind), fileName, ModelFaultWords(io, kind));
}

} // namespace Tarn
