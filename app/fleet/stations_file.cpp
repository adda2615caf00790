#include "fleet/stations_file.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <map>
#include <set>

#include "fleet/station_keys.h"

namespace trelm::fleet {

namespace {

std::string trim(const std::string &text) {
    const auto blank = [](unsigned char c) { return std::isspace(c) != 0; };
    const auto begin = std::find_if_not(text.begin(), text.end(), blank);
    const auto end = std::find_if_not(text.rbegin(), text.rend(), blank).base();
    return begin < end ? std::string(begin, end) : std::string();
}

std::string lowerCase(std::string text) {
    for (char &c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// One section being read: the station and the keys it has set so far.
struct Section {
    Station station;
    std::set<std::string> keys;
    bool valid = true; // false: the header was refused, its keys are skipped
};

class Parser {
public:
    explicit Parser(std::filesystem::path folder) : m_folder(std::move(folder)) {}

    void line(int number, const std::string &raw) {
        const std::string text = trim(raw);
        if (text.empty() || text[0] == ';' || text[0] == '#')
            return;
        if (text.front() == '[') {
            header(number, text);
            return;
        }
        const auto equals = text.find('=');
        if (equals == std::string::npos) {
            problem(number, "'" + text + "' is neither a [STATION] header nor a key = value line");
            return;
        }
        keyValue(number, lowerCase(trim(text.substr(0, equals))), trim(text.substr(equals + 1)));
    }

    StationsFile finish() {
        closeSection();
        crossChecks();
        std::stable_sort(m_result.problems.begin(), m_result.problems.end(),
                         [](const Problem &a, const Problem &b) { return a.line < b.line; });
        return std::move(m_result);
    }

private:
    void problem(int line, std::string message) { m_result.problems.push_back({line, std::move(message)}); }

    void header(int number, const std::string &text) {
        closeSection();
        m_section = Section{};
        m_section->station.line = number;
        if (text.back() != ']') {
            problem(number, "'" + text + "' is missing its closing ]");
            m_section->valid = false;
            return;
        }
        const std::string name = trim(text.substr(1, text.size() - 2));
        m_section->station.name = name;
        if (!isStationName(name)) {
            problem(number, "'" + name + "' cannot name a station: use letters, digits, '-', '_' and '.'");
            m_section->valid = false;
        } else if (auto first = m_names.find(name); first != m_names.end()) {
            problem(number, "station " + name + " is named twice (first at line " + std::to_string(first->second) + ")");
            m_section->valid = false;
        } else {
            m_names[name] = number;
        }
    }

    void keyValue(int number, const std::string &key, const std::string &value) {
        if (!m_section) {
            problem(number, "'" + key + "' stands before any [STATION] header");
            return;
        }
        if (!isStationKey(key)) {
            problem(number, "unknown key '" + key + "' (known: " + kStationKeys + ")");
            return;
        }
        if (!m_section->keys.insert(key).second) {
            problem(number, key + " is given twice for station " + m_section->station.name);
            return;
        }
        if (auto refused = applyStationKey(m_section->station, key, value, m_folder))
            problem(number, *refused);
    }

    void closeSection() {
        if (!m_section)
            return;
        Section section = std::move(*m_section);
        m_section.reset();
        if (!section.valid)
            return;
        Station &station = section.station;
        const bool port = section.keys.count("port") != 0, device = section.keys.count("device") != 0;
        if (port && device)
            problem(station.line, "station " + station.name + " has both port and device: give one");
        else if (!port && !device)
            problem(station.line, "station " + station.name + " has neither port nor device");
        if (station.dir.empty())
            station.dir = (m_folder / station.name).lexically_normal();
        m_result.stations.push_back(std::move(station));
    }

    // What no single section shows: shared folders, and shared lines that
    // only a modem can serve.
    void crossChecks() {
        std::map<std::string, const Station *> folders;
        std::map<std::string, std::vector<const Station *>> lines;
        for (const Station &station : m_result.stations) {
            auto [first, added] = folders.emplace(station.dir.string(), &station);
            if (!added)
                problem(station.line, "station " + station.name + " writes the folder " + station.dir.string() +
                                          " as station " + first->second->name + " does (line " +
                                          std::to_string(first->second->line) + ")");
            if (station.port != 0 || !station.device.empty())
                lines[station.lineDevice()].push_back(&station);
        }
        // Two samplers cannot hang on one cable: a shared line is a modem,
        // and every station on it needs the number to dial.
        for (const auto &[line, sharing] : lines) {
            if (sharing.size() < 2)
                continue;
            for (const Station *station : sharing)
                if (!station->throughModem())
                    problem(station->line, "station " + station->name + " shares " + station->lineName() +
                                               " with station " + (sharing[0] == station ? sharing[1] : sharing[0])->name +
                                               ": a shared port is a modem, so give it a phone");
        }
    }

    std::filesystem::path m_folder;
    StationsFile m_result;
    std::optional<Section> m_section;
    std::map<std::string, int> m_names;
};

} // namespace

StationsFile parseStations(std::istream &text, const std::filesystem::path &folder) {
    Parser parser(folder);
    std::string line;
    for (int number = 1; std::getline(text, line); ++number)
        parser.line(number, line);
    return parser.finish();
}

StationsFile readStationsFile(const std::filesystem::path &file) {
    std::ifstream in(file);
    if (!in) {
        StationsFile unreadable;
        unreadable.problems.push_back({0, "cannot be read"});
        return unreadable;
    }
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(file, error);
    StationsFile parsed = parseStations(in, (error ? file : absolute).parent_path());
    if (parsed.stations.empty() && parsed.problems.empty())
        parsed.problems.push_back({0, "holds no station"});
    return parsed;
}

std::vector<Problem> missingDevices(const std::vector<Station> &stations) {
    std::vector<Problem> missing;
    for (const Station &station : stations) {
        std::error_code error;
        if (station.port == 0 && station.device.empty())
            continue; // already a problem of the file
        const std::string device = station.lineDevice();
        if (!std::filesystem::exists(device, error))
            missing.push_back({station.line, "station " + station.name + ": " + station.lineName() +
                                                 (station.device.empty() ? " (" + device + ")" : "") +
                                                 " does not exist"});
    }
    return missing;
}

std::string problemText(const std::filesystem::path &file, const Problem &problem) {
    return file.string() + (problem.line > 0 ? ":" + std::to_string(problem.line) : "") + ": " + problem.message;
}

} // namespace trelm::fleet
