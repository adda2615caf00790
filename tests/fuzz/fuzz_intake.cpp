// Arbitrary bytes as a received memory image (padded with zeros to a full
// image, so the split always runs): the intake must stay inside its folder,
// never crash, and never follow an address out of the image.
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <unistd.h>

#include "datafile/intake.h"
#include "datafile/message_port.h"
#include "export/export_event.h"

namespace {
constexpr size_t kImageSize = 114688;

const std::filesystem::path &workDir() {
    static const std::filesystem::path dir = [] {
        auto made = std::filesystem::temp_directory_path() / ("fuzz_intake." + std::to_string(getpid()));
        std::filesystem::create_directories(made);
        return made;
    }();
    return dir;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const auto &dir = workDir();
    for (const auto &entry : std::filesystem::directory_iterator(dir))
        std::filesystem::remove_all(entry.path());
    {
        std::ofstream out(dir / trelm::kReceivedFileName, std::ios::binary);
        out.write(reinterpret_cast<const char *>(data), static_cast<std::streamsize>(size));
        for (size_t i = size; i < kImageSize; ++i)
            out.put('\0');
    }
    static trelm::SilentMessagePort messages;
    static const trelm::CsvExport exportCsv = trelm::csvExportByModel(messages);
    auto report = trelm::ConvertReceivedFile(dir / trelm::kReceivedFileName, dir, exportCsv);
    if (report) {
        for (const auto &name : report.value().eventFiles)
            if (std::filesystem::path(name).has_parent_path())
                std::abort();  // an event file named outside the folder
    }
    return 0;
}
