// Reading printed PDF files back with poppler's pdftotext and pdfinfo.
#pragma once

#include <cstdio>
#include <filesystem>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace pdftools {

inline std::string run(const std::string &command) {
    std::string output;
    if (FILE *pipe = ::popen(command.c_str(), "r")) {
        char buffer[4096];
        std::size_t got;
        while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
            output.append(buffer, got);
        ::pclose(pipe);
    }
    return output;
}

inline std::string quoted(const std::filesystem::path &path) {
    std::string text = "'";
    text += path.string();
    text += "'";
    return text;
}

// The text lines of the file as pdftotext -layout places them, each with
// its runs of spaces made one and trimmed (the layout reconstruction does
// not keep a fixed-pitch column exactly), empty lines left out.
inline std::vector<std::string> textLines(const std::string &text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        std::string squeezed;
        for (char c : line) {
            const bool space = c == ' ' || c == '\f' || c == '\t';
            if (space && (squeezed.empty() || squeezed.back() == ' '))
                continue;
            squeezed += space ? ' ' : c;
        }
        if (!squeezed.empty() && squeezed.back() == ' ')
            squeezed.pop_back();
        if (!squeezed.empty())
            lines.push_back(squeezed);
    }
    return lines;
}

inline std::vector<std::string> pdfLines(const std::filesystem::path &pdf) {
    return textLines(run("pdftotext -layout " + quoted(pdf) + " - 2>/dev/null"));
}

// Whether each page is landscape (wider than high), in page order.
inline std::vector<bool> landscapePages(const std::filesystem::path &pdf) {
    const std::string info = run("pdfinfo -f 1 -l 100000 " + quoted(pdf) + " 2>/dev/null");
    std::vector<bool> pages;
    static const std::regex size(R"(Page\s+\d+\s+size:\s+([\d.]+) x ([\d.]+))");
    for (std::sregex_iterator it(info.begin(), info.end(), size), end; it != end; ++it)
        pages.push_back(std::stod((*it)[1]) > std::stod((*it)[2]));
    return pages;
}

} // namespace pdftools
