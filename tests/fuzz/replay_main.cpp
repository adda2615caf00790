// Runs a fuzz target's entry point once over each file given (or each file in
// a folder given), so every build keeps the targets compiling and the test
// suite replays their seeds without clang.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

namespace {
// False when the file cannot be read: an input never replayed must not pass
// as one that was.
bool replay(const std::filesystem::path &file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "%s: cannot be read\n", file.c_str());
        return false;
    }
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
    return true;
}
}  // namespace

int main(int argc, char **argv) {
    // The transfer targets work in a folder of their own: every path given
    // is made absolute before the first input changes the working folder.
    std::vector<std::filesystem::path> paths;
    for (int i = 1; i < argc; ++i) paths.push_back(std::filesystem::absolute(argv[i]));
    int count = 0;
    for (const std::filesystem::path &given : paths) {
        if (std::filesystem::is_directory(given)) {
            for (const auto &entry : std::filesystem::directory_iterator(given))
                if (entry.is_regular_file()) {
                    if (!replay(entry.path())) return 1;
                    ++count;
                }
        } else {
            if (!replay(given)) return 1;
            ++count;
        }
    }
    std::printf("replayed %d inputs\n", count);
    return count > 0 ? 0 : 1;
}
