// Arbitrary bytes as an event file: decoding and, when they decode, the CSV
// export of either model must never read outside the bytes or crash.
#include <cstdint>
#include <filesystem>
#include <unistd.h>

#include "datafile/event_file.h"
#include "datafile/message_port.h"
#include "export/export_event.h"

namespace {
const std::filesystem::path &outputDir() {
    static const std::filesystem::path dir = [] {
        auto made = std::filesystem::temp_directory_path() / ("fuzz_event_file." + std::to_string(getpid()));
        std::filesystem::create_directories(made);
        return made;
    }();
    return dir;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    auto parsed = trelm::parseEventFile(trelm::Bytes(data, data + size), "fuzz.bin");
    if (!parsed)
        return 0;
    const auto csv = outputDir() / "fuzz.csv";
    trelm::SilentMessagePort messages;
    (void)trelm::exportByModel(csv, parsed.value(), "fuzz.bin", messages);
    std::filesystem::remove(csv);
    return 0;
}
