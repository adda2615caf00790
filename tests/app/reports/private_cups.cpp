#include "private_cups.h"

#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <fstream>
#include <sys/wait.h>
#include <unistd.h>

#include "wait_until.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

constexpr const char *kCupsd = "/usr/sbin/cupsd";
constexpr const char *kPdfBackend = "/usr/lib/cups/backend/cups-pdf";
constexpr const char *kPdfDriver = "/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd";

std::string quoted(const std::string &text) { return "'" + text + "'"; }

void writeText(const fs::path &file, const std::string &text) { std::ofstream(file) << text; }

bool onPath(const char *program) {
    return std::system((std::string("command -v ") + program + " >/dev/null 2>&1").c_str()) == 0;
}

} // namespace

PrivateCups::PrivateCups() {
    for (const char *needed : {kCupsd, kPdfBackend, kPdfDriver})
        if (!fs::exists(needed)) {
            m_skipReason = std::string(needed) + " is missing (Debian cups-daemon, printer-driver-cups-pdf)";
            return;
        }
    if (!onPath("unshare") || !onPath("lpadmin") || !onPath("cupsreject")) {
        m_skipReason = "unshare, lpadmin or cupsreject is missing (util-linux, cups-client)";
        return;
    }
    if (::geteuid() != 0) {
        m_skipReason = "cups-pdf's settings can be given a private cupsd only by root (a mount namespace)";
        return;
    }
    // cupsd runs the filters as the lp user: they must reach the spool.
    fs::permissions(m_dir.path(), fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                      fs::perms::others_read | fs::perms::others_exec);
    writeConfiguration();
    const std::string script = "mount --bind " + quoted((m_dir.path() / "etc").string()) + " /etc/cups && exec " +
                               kCupsd + " -f";
    const std::string log = (m_dir.path() / "cupsd.out").string();
    m_pid = ::fork();
    if (m_pid == 0) {
        const int out = ::open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ::dup2(out, STDOUT_FILENO);
        ::dup2(out, STDERR_FILENO);
        ::execlp("unshare", "unshare", "--mount", "--propagation", "private", "sh", "-c", script.c_str(), nullptr);
        ::_exit(127);
    }
    int status = 0;
    const bool up = testsupport::waitUntil(
        [&] { return fs::exists(socket()) || ::waitpid(m_pid, &status, WNOHANG) == m_pid; }, 15000ms, 20ms);
    if (!up || !fs::exists(socket())) {
        std::ifstream in(log);
        std::string said((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        m_skipReason = "the private cupsd did not start: " + (said.empty() ? std::string("no socket") : said);
    }
}

PrivateCups::~PrivateCups() {
    if (m_pid <= 0)
        return;
    ::kill(m_pid, SIGTERM);
    int status = 0;
    if (!testsupport::waitUntil([&] { return ::waitpid(m_pid, &status, WNOHANG) != 0; }, 10000ms, 20ms)) {
        ::kill(m_pid, SIGKILL);
        ::waitpid(m_pid, &status, 0);
    }
}

void PrivateCups::writeConfiguration() const {
    const fs::path root = m_dir.path();
    for (const char *folder : {"etc/ppd", "spool/tmp", "cache", "state", "log", "pdf", "pdf-spool"})
        fs::create_directories(root / folder);
    const std::string dir = root.string();
    writeText(root / "etc/cupsd.conf", "Listen " + socket() +
                                           "\nLogLevel info\nBrowsing No\nWebInterface No\nDefaultAuthType None\n"
                                           "<Location />\n  Order allow,deny\n  Allow all\n</Location>\n"
                                           "<Policy default>\n  <Limit All>\n    Order deny,allow\n  </Limit>\n"
                                           "</Policy>\n");
    writeText(root / "etc/cups-files.conf", "ServerRoot /etc/cups\nRequestRoot " + dir + "/spool\nTempDir " + dir +
                                                "/spool/tmp\nCacheDir " + dir + "/cache\nStateDir " + dir +
                                                "/state\nErrorLog " + dir + "/log/error_log\nAccessLog " + dir +
                                                "/log/access_log\nPageLog " + dir +
                                                "/log/page_log\nSystemGroup root\n");
    // Label 0 and TitlePref 1: each PDF is named after its job's name.
    writeText(root / "etc/cups-pdf.conf", "Out " + dir + "/pdf\nAnonDirName " + dir + "/pdf\nSpool " + dir +
                                              "/pdf-spool\nGrp root\nLabel 0\nTitlePref 1\n");
}

std::string PrivateCups::run(const std::vector<std::string> &command) const {
    int status = -1;
    const std::string output = capture(command, status);
    return status == 0 ? std::string() : output;
}

std::string PrivateCups::capture(const std::vector<std::string> &command, int &status) const {
    std::string line;
    for (const std::string &word : command)
        line += quoted(word) + " ";
    line += "2>&1";
    std::string output;
    status = -1;
    if (FILE *pipe = ::popen(line.c_str(), "r")) {
        char buffer[1024];
        for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
            output.append(buffer, got);
        status = ::pclose(pipe);
    }
    return output.empty() && status != 0 ? line : output;
}

std::string PrivateCups::addPdfQueue(const std::string &name, const std::vector<std::string> &options) {
    std::vector<std::string> command{"lpadmin", "-h", socket(), "-p", name, "-E", "-v", "cups-pdf:/", "-P", kPdfDriver};
    for (const std::string &option : options) {
        command.push_back("-o");
        command.push_back(option);
    }
    return run(command);
}

std::string PrivateCups::reject(const std::string &name) { return run({"cupsreject", "-h", socket(), name}); }

std::vector<fs::path> PrivateCups::waitForPdfs(std::size_t count, std::chrono::seconds timeout) const {
    std::vector<fs::path> pdfs;
    testsupport::waitUntil(
        [&] {
            pdfs.clear();
            for (const auto &entry : fs::directory_iterator(m_dir.path() / "pdf"))
                if (entry.path().extension() == ".pdf")
                    pdfs.push_back(entry.path());
            // Done once no job is left unfinished: a PDF is written in place.
            int status = -1;
            return pdfs.size() >= count && capture({"lpstat", "-h", socket(), "-o"}, status).empty() &&
                   status == 0;
        },
        timeout, 100ms);
    return pdfs;
}
