#include "simulator.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

#include "datafile/atomic_file.h"
#include "roles.h"
#include "simkit/generated_image.h"
#include "simkit/line_relay.h"
#include "simkit/pty_pair.h"

namespace trelmsim {

namespace {
constexpr int16_t kSendQueue = 31;  // the last queue: hosts rarely use it
}

// The null-modem cable: the simulator's terminal and the program's, joined by
// a relay that paces both directions at the line's byte rate when asked.
struct Simulator::Cable {
    explicit Cable(int baud)
        : relay({simulatorEnd.master(), simulatorEnd.master()}, {programEnd.master(), programEnd.master()},
                {}, baud / 10) {}
    simkit::PtyPair simulatorEnd;
    simkit::PtyPair programEnd;
    simkit::LineRelay relay;
    PortHandle port = nullptr;
};

bool parseRole(const std::string &text, Role &role) {
    static const std::pair<const char *, Role> names[] = {{"sampler", Role::Sampler}, {"module", Role::Module},
                                                          {"modem", Role::Modem},     {"silent", Role::Silent},
                                                          {"noise", Role::Noise}};
    for (const auto &[name, value] : names)
        if (text == name) {
            role = value;
            return true;
        }
    return false;
}

Simulator::Simulator(Options options) : m_options(std::move(options)) {
    m_cable = std::make_unique<Cable>(m_options.baud);
    if (m_options.image.empty()) {
        char folder[] = "/tmp/trelm-sim.XXXXXX";
        if (mkdtemp(folder) == nullptr)
            throw std::runtime_error("cannot make a folder for the generated image");
        m_imageFile = std::filesystem::path(folder) / "image.bin";
        const simkit::Bytes image = simkit::generatedImage(m_options.seed, static_cast<std::int16_t>(m_options.unit)).image.receivedBytes();
        if (trelm::Status written = trelm::writeFileAtomically(m_imageFile, image); !written)
            throw std::runtime_error(written.error().message());
    } else {
        if (!std::filesystem::is_regular_file(m_options.image))
            throw std::runtime_error(m_options.image.string() + ": no such file");
    }
    m_cable->simulatorEnd.exposeAs(m_options.comPort);
    m_cable->port = COMMWinInit(static_cast<int16_t>(m_options.comPort), 9600, 8, KORLINK_PARITY_NONE,
                                KORLINK_STOPBITS_ONE, 8192, 512);
    if (m_cable->port == nullptr)
        throw std::runtime_error("cannot open the simulator's end " + m_cable->simulatorEnd.slavePath());
}

Simulator::~Simulator() {
    stop();
    if (m_cable->port != nullptr)
        COMMPortDeinit(m_cable->port, 0);
    if (!m_imageFile.empty())
        std::filesystem::remove_all(m_imageFile.parent_path());
}

const std::string &Simulator::programPath() const { return m_cable->programEnd.slavePath(); }

namespace {

// lrzsz's sx or sb sends the image instead of the library: a sender we did
// not write. It writes to its own descriptor of the simulator's terminal and
// reads what the program answers from a pipe the simulator feeds from its
// port, so the receiver's first start character, which may already wait in
// the port's buffer, reaches it too.
int sendWithLrzsz(const char *program, PortHandle port, const std::string &terminal,
                  const std::filesystem::path &image) {
    int answers[2];
    if (pipe(answers) != 0)
        return -1;
    pid_t child = fork();
    if (child < 0) {
        close(answers[0]);
        close(answers[1]);
        return -1;
    }
    if (child == 0) {
        int fd = open(terminal.c_str(), O_WRONLY | O_NOCTTY);
        if (fd < 0)
            _exit(127);
        dup2(answers[0], 0);
        dup2(fd, 1);
        close(answers[1]);
        int quiet = open("/dev/null", O_WRONLY);
        dup2(quiet, 2);
        execlp(program, program, "-q", image.c_str(), static_cast<char *>(nullptr));
        _exit(127);
    }
    close(answers[0]);
    signal(SIGPIPE, SIG_IGN); // the sender may end while a byte is on its way
    int status = 0;
    while (waitpid(child, &status, WNOHANG) == 0) {
        int byte = c_waitc(port, -1, 20);
        if (byte >= 0) {
            unsigned char c = static_cast<unsigned char>(byte);
            if (write(answers[1], &c, 1) < 0)
                break;
        }
    }
    close(answers[1]);
    if (waitpid(child, &status, 0) == child || errno == ECHILD)
        return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? 0 : -1;
    return -1;
}

}  // namespace

Outcome Simulator::serve() {
    std::ofstream log;
    if (!m_options.log.empty())
        log.open(m_options.log, std::ios::binary | std::ios::app);
    const std::filesystem::path image = m_imageFile.empty() ? m_options.image : m_imageFile;
    RoleContext context;
    context.port = m_cable->port;
    context.stop = &m_stop;
    context.once = m_options.once;
    context.modemDelayMs = m_options.modemDelayMs;
    context.logByte = [&log](int byte) {
        if (log.is_open()) {
            log.put(static_cast<char>(byte));
            log.flush();
        }
    };
    context.sendImage = [this, &image]() -> int {
        if (m_options.sender == Sender::Sx)
            return sendWithLrzsz("sx", m_cable->port, m_cable->simulatorEnd.slavePath(), image);
        if (m_options.sender == Sender::Sb) {
            // The batch header names the file: a copy called swap.bin.
            const std::filesystem::path named = std::filesystem::temp_directory_path() /
                                                ("trelm-sim-" + std::to_string(getpid())) / "swap.bin";
            std::error_code error;
            std::filesystem::create_directories(named.parent_path(), error);
            std::filesystem::copy_file(image, named, std::filesystem::copy_options::overwrite_existing, error);
            const int sent = error ? -1 : sendWithLrzsz("sb", m_cable->port, m_cable->simulatorEnd.slavePath(), named);
            std::filesystem::remove_all(named.parent_path(), error);
            return sent;
        }
        if (fqueue(kSendQueue, image.c_str()) != 0)
            return -1;
        return fsend(m_cable->port, kSendQueue, KORLINK_PROTO_XMODEM_CRC, 4096, nullptr, 0);
    };
    switch (m_options.role) {
    case Role::Sampler: serveSampler(context); break;
    case Role::Module: serveModule(context); break;
    case Role::Modem: serveModem(context); break;
    case Role::Silent: serveSilent(context); break;
    case Role::Noise: serveNoise(context); break;
    }
    return Outcome{context.transfers, context.lastResult, context.dialled};
}

void Simulator::start() {
    m_finished = false;
    m_thread = std::thread([this] {
        Outcome made = serve();
        m_outcome = made;
        m_finished = true;
    });
}

void Simulator::stop() {
    m_stop = true;
    // A transfer the program gave up without the sender noticing would
    // otherwise run on through all its retries.
    if (m_thread.joinable() && m_cable->port != nullptr)
        COMMXferCancel(m_cable->port);
    if (m_thread.joinable())
        m_thread.join();
}

Outcome Simulator::outcome() const { return m_outcome; }

}  // namespace trelmsim
