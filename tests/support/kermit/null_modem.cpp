#include "null_modem.h"

#include <csignal>
#include <filesystem>
#include <stdexcept>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace kermittest {

NullModemCable::NullModemCable(int com) {
    m_ourEnd = m_dir / "ours";
    m_peerEnd = m_dir / "peer";
    std::string ours = "pty,rawer,link=" + m_ourEnd;
    std::string peer = "pty,rawer,link=" + m_peerEnd;
    m_pid = fork();
    if (m_pid < 0) throw std::runtime_error("fork failed");
    if (m_pid == 0) {
        execlp("socat", "socat", ours.c_str(), peer.c_str(), static_cast<char *>(nullptr));
        _exit(127);
    }
    // socat makes both links before it starts relaying.
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!std::filesystem::exists(m_ourEnd) || !std::filesystem::exists(m_peerEnd)) {
        if (std::chrono::steady_clock::now() > deadline || waitpid(m_pid, nullptr, WNOHANG) == m_pid)
            throw std::runtime_error("socat did not make the cable");
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    setenv(("KORLINK_COM" + std::to_string(com)).c_str(), m_ourEnd.c_str(), 1);
}

NullModemCable::~NullModemCable() {
    if (m_pid > 0) {
        kill(m_pid, SIGTERM);
        waitpid(m_pid, nullptr, 0);
    }
}

KermitLink::KermitLink() : m_cable(cableCom) {
    m_handle = COMMWinInit(cableCom, 9600, 8, KORLINK_PARITY_NONE, KORLINK_STOPBITS_ONE, 32000, 512);
    if (!m_handle) throw std::runtime_error("COMMWinInit failed on the cable");
    xfertest::StatusRecorder::instance().clear();
}

KermitLink::~KermitLink() {
    m_peer.reset();
    if (m_handle) COMMPortDeinit(m_handle, 0);
}

xfertest::PeerProcess &KermitLink::startPeer(const std::vector<std::string> &argv, bool onStdio) {
    m_peer = std::make_unique<xfertest::PeerProcess>(argv, onStdio ? peerEnd() : "/dev/null",
                                                     m_peerDir.path().string());
    return *m_peer;
}

std::vector<std::string> gkermitSend(const std::vector<std::string> &files) {
    std::vector<std::string> argv{"gkermit", "-q", "-i", "-P", "-S", "-e", "94", "-s"};
    argv.insert(argv.end(), files.begin(), files.end());
    return argv;
}

std::vector<std::string> gkermitReceive() {
    return {"gkermit", "-q", "-i", "-P", "-S", "-e", "94", "-r"};
}

namespace {

std::string ckermitSetup(const std::string &line) {
    return "set line " + line +
           ", set carrier-watch off, set flow none, set file type binary, set file patterns off, "
           "set transfer mode manual, set file names literal, set receive packet-length 94, ";
}

}  // namespace

std::vector<std::string> ckermitSend(const std::string &line, const std::vector<std::string> &files,
                                     const std::string &settings) {
    std::string command = ckermitSetup(line) + settings + "msend";
    for (const std::string &file : files) command += " " + file;
    return {"kermit", "-Y", "-q", "-C", command + ", exit"};
}

std::vector<std::string> ckermitReceive(const std::string &line, const std::string &settings) {
    return {"kermit", "-Y", "-q", "-C", ckermitSetup(line) + settings + "receive, exit"};
}

}  // namespace kermittest
