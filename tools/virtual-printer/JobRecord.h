#pragma once
// What the virtual printer did with one job, in the order it did it.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace presswick::virtualprinter {

struct JobRecord {
    int number = 0;
    std::size_t size = 0;
    std::string copy;      // the file that keeps the job's bytes as they came
    std::string jobName;   // PJL SET JOBNAME
    std::string userName;  // PJL SET USERNAME
    std::vector<std::string> said;

    void note(std::string line) { said.push_back(std::move(line)); }
};

// Bytes as a quoted, readable text: ESC as \e, other control bytes as \xNN; long texts are cut
// after `limit` bytes and their length given.
std::string Visible(std::string_view bytes, std::size_t limit = 48);

}  // namespace presswick::virtualprinter
