// The data folder: event files, CSV files and downloads live in the working
// directory's "Data" sub-folder, which the program enters at start-up.
#pragma once

#include <filesystem>

#include "datafile/result.h"

namespace trelm {

// Whether a folder already is a data folder: its own name contains "DATA"
// in any case (mydata, Data, OLD_DATA_2005).
bool isDataFolderName(const std::filesystem::path &folder);

// Makes the data folder the working directory: nothing changes when the
// working directory `startDir` already is one; otherwise its "Data"
// sub-folder is entered, created first when missing. Returns the working
// directory afterwards; on failure the working directory is unchanged and
// the error names the folder and the reason.
Result<std::filesystem::path> EnterDataDir(const std::filesystem::path &startDir);

} // namespace trelm
