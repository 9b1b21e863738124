// korrisim for the download end-to-end tests: the device of a SimSession that
// also keeps the images it receives (--config-out, --rules-out) in the
// session's folder, and is reached through a link there.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "support/sim_session.hpp"

class KorrisimProcess : public SimSession {
public:
    explicit KorrisimProcess(const std::vector<std::string>& options) : SimSession(with_image_files(options)) {}

    // The path to give the utility as KORRIMATIC_COM1.
    std::string link() const { return path("com1"); }
    bool stored() const {
        return std::filesystem::exists(path("config.bin")) || std::filesystem::exists(path("rules.bin"));
    }
    std::vector<uint8_t> stored_config() const { return file_bytes("config.bin"); }
    std::vector<uint8_t> stored_rules() const { return file_bytes("rules.bin"); }

private:
    static std::vector<std::string> with_image_files(const std::vector<std::string>& options) {
        std::vector<std::string> all = {"--link={folder}/com1", "--config-out={folder}/config.bin",
                                        "--rules-out={folder}/rules.bin"};
        all.insert(all.end(), options.begin(), options.end());
        return all;
    }
    std::vector<uint8_t> file_bytes(const std::string& name) const {
        std::ifstream in(path(name), std::ios::binary);
        return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
};
