// The program's process-wide state: created at start-up, alive until exit,
// read and written by the window, the retrieval and the fills on the one
// user-interface thread.
#pragma once

#include <cstdint>
#include <string>

namespace trelm {

struct ProcessState {
    std::int16_t CommPort = 0;  // the serial port chosen, 1..10 (other values are kept as read)
    std::string StartDir;       // working directory at start-up, restored at exit
    std::string CurrentBinFile; // the event file the grids show; empty until one is loaded
    std::string ExportCsvFile;  // the file name last chosen for a CSV export
    std::int16_t modelFlag = 0; // of the data file read last: 0 five-channel, else eight-channel
};

// The one instance.
ProcessState &processState();

} // namespace trelm
