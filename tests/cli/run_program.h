// Runs a program as a child process for the companion's stories: standard
// input from /dev/null (no terminal), standard output and error captured,
// the environment changed as asked.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace clitest {

struct Outcome {
    int status = -1;  // the exit status; -1 when the program did not exit normally
    std::string out;
    std::string err;
};

// Environment changes: a value sets the variable, nullopt removes it.
using Environment = std::map<std::string, std::optional<std::string>>;

Outcome run_program(const std::string& program, const std::vector<std::string>& arguments,
                    const Environment& environment = {});

}  // namespace clitest
