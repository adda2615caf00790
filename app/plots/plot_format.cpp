#include "plots/plot_format.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <filesystem>

namespace plots {

namespace {

constexpr int kSmallestSide = 100;
constexpr int kLargestSide = 10000;

std::optional<int> side(std::string_view text) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < kSmallestSide || value > kLargestSide)
        return std::nullopt;
    return value;
}

} // namespace

std::optional<PlotFormat> plotFormatOf(const std::string &output) {
    if (output == "-")
        return PlotFormat::Png;
    std::string extension = std::filesystem::path(output).extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (extension == ".png")
        return PlotFormat::Png;
    if (extension == ".svg")
        return PlotFormat::Svg;
    if (extension == ".pdf")
        return PlotFormat::Pdf;
    return std::nullopt;
}

std::optional<PlotSize> parsePlotSize(const std::string &text) {
    const auto cross = text.find('x');
    if (cross == std::string::npos)
        return std::nullopt;
    const auto width = side(std::string_view(text).substr(0, cross));
    const auto height = side(std::string_view(text).substr(cross + 1));
    if (!width || !height)
        return std::nullopt;
    return PlotSize{*width, *height};
}

} // namespace plots
