#pragma once
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <vector>

#include "tests/support/TempFolder.h"

// Runs the built korvale-sim as a user would and collects what it printed.
namespace KorvaleSimRun {

inline std::string Example(const std::string& name) { return std::string(KORVALE_SOURCE_DIR) + "/examples/" + name; }

struct Result {
    int status = -1;
    std::string out;
    std::string err;
};

inline std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline std::string Quote(const std::string& text)
{
    std::string quoted = "'";
    for (const char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

// A fresh folder for one test's files that also runs the program there.
class Folder : public TestSupport::TempFolder {
public:
    // shellPrefix runs first in the same shell (a ulimit, for instance).
    Result Run(const std::vector<std::string>& arguments, const std::string& shellPrefix = "") const
    {
        std::string command = shellPrefix + Quote(std::string(KORVALE_BINARY_DIR) + "/tools/korvale-sim");
        for (const std::string& argument : arguments)
            command += " " + Quote(argument);
        command += " >" + Quote(File("stdout.txt")) + " 2>" + Quote(File("stderr.txt")) + " </dev/null";
        Result result;
        const int raw = std::system(command.c_str());
        result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        result.out = ReadFile(File("stdout.txt"));
        result.err = ReadFile(File("stderr.txt"));
        return result;
    }
};

// A trace read back: the header's column names and every row's fields as text.
struct Trace {
    std::vector<std::string> columns;
    std::vector<std::vector<std::string>> rows;

    static Trace Read(const std::string& path)
    {
        Trace trace;
        std::istringstream in(ReadFile(path));
        std::string line;
        bool header = true;
        while (std::getline(in, line)) {
            std::vector<std::string> fields;
            std::istringstream cells(line);
            for (std::string cell; std::getline(cells, cell, ',');)
                fields.push_back(cell);
            if (header)
                trace.columns = fields;
            else
                trace.rows.push_back(fields);
            header = false;
        }
        return trace;
    }
    std::size_t Column(const std::string& name) const
    {
        for (std::size_t i = 0; i < columns.size(); ++i)
            if (columns[i] == name)
                return i;
        return columns.size();
    }
    double Value(std::size_t row, const std::string& name) const { return std::stod(rows.at(row).at(Column(name))); }
};

} // namespace KorvaleSimRun
