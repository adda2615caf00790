#include "settings/data_dir.h"

#include <algorithm>
#include <cctype>
#include <string>
#include <system_error>

namespace trelm {

bool isDataFolderName(const std::filesystem::path &folder) {
    std::filesystem::path normal = folder.lexically_normal();
    if (!normal.has_filename())
        normal = normal.parent_path(); // "/x/mydata/" names mydata
    std::string name = normal.filename().string();
    std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::toupper(c); });
    return name.find("DATA") != std::string::npos;
}

Result<std::filesystem::path> EnterDataDir(const std::filesystem::path &startDir) {
    if (isDataFolderName(startDir))
        return startDir;
    const std::filesystem::path data = startDir / "Data";
    std::error_code error;
    std::filesystem::create_directory(data, error);
    if (error)
        return Error{data.string(), "cannot create the data folder: " + error.message()};
    std::filesystem::current_path(data, error);
    if (error)
        return Error{data.string(), "cannot enter the data folder: " + error.message()};
    return std::filesystem::current_path();
}

} // namespace trelm
