// korvale-net: evaluates a network file on rows of inputs, with the same
// reader and the same network code as the window, and prints the outputs in
// a form that reads back exactly. Used to check networks made elsewhere (the
// trainer's files) and to see what a network answers to a run log's lines.
#include <charconv>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "control/CFeedForward.h"
#include "io/CFeedForwardReader.h"
#include "io/CFenIOStruct.h"
#include "io/ModelFileFault.h"
#include "run/ShortestReal.h"

namespace {

constexpr const char* usage = "usage: korvale-net NETWORK.xml [ROWS]\n"
                              "Reads rows of inputs (a file, or standard input), one row a line: the network's\n"
                              "inputs, optionally followed by four commands as in a run log, which are ignored.\n"
                              "Prints one line of outputs per row.\n";

// One whitespace-separated field as a finite double. Accepts the run log's
// padding, where zeros stand in front of a sign ("000-0.25").
bool ParseField(std::string_view field, double& value)
{
    const std::size_t zeros = field.find_first_not_of('0');
    if (zeros != std::string_view::npos && zeros > 0 && (field[zeros] == '-' || field[zeros] == '+'))
        field.remove_prefix(zeros);
    if (!field.empty() && field[0] == '+')
        field.remove_prefix(1);
    const char* end = field.data() + field.size();
    const auto result = std::from_chars(field.data(), end, value);
    return result.ec == std::errc() && result.ptr == end && std::isfinite(value);
}

std::vector<std::string_view> SplitFields(std::string_view line)
{
    std::vector<std::string_view> fields;
    constexpr std::string_view blanks = " \t\r";
    std::size_t start = line.find_first_not_of(blanks);
    while (start != std::string_view::npos) {
        const std::size_t stop = line.find_first_of(blanks, start);
        fields.push_back(line.substr(start, stop - start));
        start = stop == std::string_view::npos ? stop : line.find_first_not_of(blanks, stop);
    }
    return fields;
}

int EvaluateRows(const Tarn::CFeedForward& network, std::istream& rows, const std::string& rowsName)
{
    const auto inputs = static_cast<std::size_t>(network.inputDimensions);
    std::string line;
    std::string out;
    Tarn::CVector input(network.inputDimensions);
    for (long number = 1; std::getline(rows, line); ++number) {
        const std::vector<std::string_view> fields = SplitFields(line);
        if (fields.size() != inputs && fields.size() != inputs + 4) {
            std::cerr << "korvale-net: " << rowsName << ":" << number << ": " << fields.size() << " fields where "
                      << inputs << " inputs (or " << inputs + 4 << " with a log line's commands) were expected\n";
            return 1;
        }
        for (std::size_t i = 0; i < inputs; ++i)
            if (!ParseField(fields[i], input.data[i])) {
                std::cerr << "korvale-net: " << rowsName << ":" << number << ": field " << i + 1
                          << " is not a number: '" << fields[i] << "'\n";
                return 1;
            }
        const Tarn::CVector output = network.Evaluate(input);
        out.clear();
        for (std::int32_t i = 0; i < output.m; ++i) {
            if (i > 0)
                out += ' ';
            Korvale::Run::AppendShortest(out, output[i]);
        }
        out += '\n';
        std::fwrite(out.data(), 1, out.size(), stdout);
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    if (arguments.size() == 1 && (arguments[0] == "--help" || arguments[0] == "-h")) {
        std::cout << usage;
        return 0;
    }
    if (arguments.empty() || arguments.size() > 2) {
        std::cerr << usage;
        return 2;
    }

    Tarn::CFenIOStruct io(arguments[0]);
    Tarn::CFeedForward network;
    if (io.IsOk()) {
        Tarn::CFeedForwardReader reader;
        reader.Read(io, network);
    }
    if (!io.IsOk()) {
        // The reader's faults, innermost first, as the status line shows them.
        std::string text = io.GetErrorText();
        if (!text.empty() && text.back() != '\n')
            text += '\n';
        std::cerr << text << Tarn::ModelFileFaultLine(io, Tarn::ModelFileKind::Network, arguments[0]) << '\n';
        return 1;
    }

    if (arguments.size() == 1)
        return EvaluateRows(network, std::cin, "<stdin>");
    std::ifstream rows(arguments[1], std::ios::binary);
    if (!rows) {
        std::cerr << "korvale-net: cannot read '" << arguments[1] << "'\n";
        return 1;
    }
    return EvaluateRows(network, rows, arguments[1]);
}
