// An end-to-end session: korrisim on a pseudo-terminal in a temporary folder
// of its own, and the utility under test (run_program.hpp) attached to it
// through KORRIMATIC_COMn, both driven step by step. The test types lines,
// waits for the utility's output, and controls the device (power on, say,
// quit) through korrisim's standard input. A test that runs the utility in
// one go (run_korrimatic) uses only the device half: path(), port_path() and
// the log.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "support/run_program.hpp"
#include "support/scratch_dir.hpp"

class SimSession {
public:
    // Starts korrisim with these options (plus its control channel on
    // standard input and a log file in the folder), and reads the slave's
    // path. In an option, "{folder}" stands for the session's folder, as in
    // "--image-out={folder}/image.bin".
    explicit SimSession(const std::vector<std::string>& sim_options);
    ~SimSession();
    SimSession(const SimSession&) = delete;
    SimSession& operator=(const SimSession&) = delete;

    const std::string& port_path() const { return port_path_; }
    // A file in the session's folder (removed with the session).
    std::string path(const std::string& name) const { return folder_.path(name); }

    // Starts the utility with COMn mapped to the simulated device.
    void start_utility(int com = 1, const std::vector<std::pair<std::string, std::string>>& env = {},
                       const std::vector<std::string>& utility_args = {});
    // Types one line (a newline is added).
    void type(const std::string& line);
    // Waits until the utility's standard output holds `text` after what the
    // previous waits matched; true when found. found_us() is when it was seen.
    bool wait_for(const std::string& text, int timeout_ms = 10000);
    int64_t found_us() const { return found_us_; }
    // Everything the utility printed on standard output so far.
    const std::string& out() const { return out_; }

    // A command on korrisim's control channel.
    void control(const std::string& command);
    // The next line korrisim prints on its standard output.
    std::string sim_line(int timeout_ms = 5000);
    // korrisim's log so far.
    std::string sim_log() const;
    // Waits up to timeout_ms for korrisim's log to hold `text`; true when it does.
    bool wait_for_log(const std::string& text, int timeout_ms = 10000) const;
    // The monotonic time (µs) of the last "tx end" in the log before `before_us`.
    int64_t last_tx_end_us(int64_t before_us) const;
    // Whether korrisim is still running.
    bool sim_running();

    // Ends the utility's input and waits for it to end. korrisim ends with
    // the session.
    ProgramResult finish(int timeout_ms = 30000);

private:
    void pump(int timeout_ms);

    ScratchDir folder_;  // first: removed after both programs have ended
    pid_t sim_pid_ = -1, util_pid_ = -1;
    int sim_in_ = -1, sim_out_ = -1;
    int util_in_ = -1, util_out_ = -1, util_err_ = -1;
    std::string port_path_;
    std::string sim_out_text_, out_, err_;
    std::size_t matched_ = 0;
    int64_t found_us_ = 0;
};
