// Reading printed PDF files back with poppler's pdftotext and pdfinfo.
#pragma once

#include <algorithm>
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

// Where the ink of a rendered page lies and which way its text lines run,
// for output whose text cannot be read back (a printer queue's PDF, its
// fonts turned into outlines).
struct PageInk {
    int width = 0, height = 0;              // the page, pixels
    int top = 0, bottom = 0, left = 0, right = 0; // the ink's bounds
    int blankRowRuns = 0;    // gaps between ink across the page: lines running across
    int blankColumnRuns = 0; // gaps between ink down the page: lines running down

    bool linesAcross() const { return blankRowRuns > blankColumnRuns; }
    // Upright text starts at the top left: the ink lies nearer the top and
    // the left edge than the bottom and the right one.
    bool startsTopLeft() const { return top < height - bottom && left < width - right; }
};

// Page 1 rendered in grey at 50 dpi (pdftoppm); an empty result when it
// could not be rendered.
inline PageInk pageInk(const std::filesystem::path &pdf) {
    const std::filesystem::path image = pdf.string() + ".page";
    run("pdftoppm -r 50 -gray -f 1 -l 1 -singlefile " + quoted(pdf) + " " + quoted(image) + " 2>/dev/null");
    std::FILE *file = std::fopen((image.string() + ".pgm").c_str(), "rb");
    PageInk ink;
    if (!file)
        return ink;
    int maximum = 0;
    if (std::fscanf(file, "P5 %d %d %d", &ink.width, &ink.height, &maximum) != 3 || maximum > 255) {
        std::fclose(file);
        return PageInk{};
    }
    std::fgetc(file); // the one whitespace before the pixels
    std::vector<unsigned char> pixels(static_cast<std::size_t>(ink.width) * ink.height);
    const std::size_t got = std::fread(pixels.data(), 1, pixels.size(), file);
    std::fclose(file);
    std::filesystem::remove(image.string() + ".pgm");
    if (got != pixels.size())
        return PageInk{};
    std::vector<bool> rowInk(ink.height), columnInk(ink.width);
    ink.top = ink.height;
    ink.left = ink.width;
    for (int y = 0; y < ink.height; ++y)
        for (int x = 0; x < ink.width; ++x)
            if (pixels[static_cast<std::size_t>(y) * ink.width + x] < 128) {
                rowInk[y] = columnInk[x] = true;
                ink.top = std::min(ink.top, y);
                ink.bottom = std::max(ink.bottom, y);
                ink.left = std::min(ink.left, x);
                ink.right = std::max(ink.right, x);
            }
    auto gaps = [](const std::vector<bool> &lineInk, int from, int to) {
        int runs = 0;
        for (int i = from + 1; i <= to; ++i)
            runs += !lineInk[i] && lineInk[i - 1];
        return runs;
    };
    ink.blankRowRuns = gaps(rowInk, ink.top, ink.bottom);
    ink.blankColumnRuns = gaps(columnInk, ink.left, ink.right);
    return ink;
}

} // namespace pdftools
