// A simulated sampler at the far end of a null-modem cable: two
// pseudo-terminals joined by a relay (paced like the real line when asked),
// the program under test opening one end, the simulator serving one role
// through the serial library on the other.
#pragma once

#include <atomic>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace trelmsim {

enum class Role { Sampler, Module, Modem, Silent, Noise };

// Parses "sampler", "module", "modem", "silent", "noise"; false otherwise.
bool parseRole(const std::string &text, Role &role);

// Who sends the image: the serial library (XMODEM-CRC), lrzsz's sx
// (XMODEM), or lrzsz's sb (YMODEM batch, announcing the file name
// "swap.bin", as a sender that tries to name the file would).
enum class Sender { Library, Sx, Sb };

struct Options {
    Role role = Role::Sampler;
    std::filesystem::path image;  // the image as sent on the line; empty: generated
    unsigned seed = 1;            // for the generated image
    int unit = 0;                 // its unit ID; 0: the seed's
    int baud = 0;                 // 0: unpaced
    Sender sender = Sender::Library;
    std::filesystem::path log;    // every byte the program sent, when set
    bool once = false;            // stop after the first transfer
    int comPort = 32;             // the COM number the simulator's own end takes
    int modemDelayMs = 0;         // modem role: the pause before answering the modem check
};

struct Outcome {
    int transfers = 0;      // images sent
    int lastResult = 0;     // of the last send (0 success)
    std::string dialled;    // the number of the last ATDT, modem role
};

class Simulator {
public:
    // Makes the cable and opens the simulator's end. Throws
    // std::runtime_error naming what failed.
    explicit Simulator(Options options);
    ~Simulator();
    Simulator(const Simulator &) = delete;
    Simulator &operator=(const Simulator &) = delete;

    // The terminal the program under test opens.
    const std::string &programPath() const;

    // Serves the role until stop() (or the first transfer with `once`).
    Outcome serve();
    // Serves on a thread of its own; stop() ends it.
    void start();
    void stop();
    // True once the thread of start() has stopped serving.
    bool finished() const { return m_finished.load(); }
    Outcome outcome() const;

private:
    struct Cable;
    Options m_options;
    std::unique_ptr<Cable> m_cable;
    std::filesystem::path m_imageFile;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_finished{false};
    std::thread m_thread;
    Outcome m_outcome;
};

}  // namespace trelmsim
