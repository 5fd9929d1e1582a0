#pragma once
// A Corvan 4400 that keeps what it is sent: jobs split at the Universal Exit Language, PJL file
// commands on two volumes (0 flash, 1 disk, each a folder), PCL5 memory resources, and
// PostScript through Ghostscript. It keeps a copy of every job and an inventory for people and
// tests to read.

#include "tools/virtual-printer/JobRecord.h"
#include "tools/virtual-printer/Pcl5Interpreter.h"
#include "tools/virtual-printer/PostScriptInterpreter.h"

#include <chrono>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace presswick::virtualprinter {

struct Settings {
    std::filesystem::path root;  // disk0/ disk1/ (the volumes), jobs/, memory/, inventory.txt
    std::string ghostscript = "gs";
    std::chrono::milliseconds postScriptTimeLimit{20000};
    std::uintmax_t fileSizeLimit = 256u << 20;  // of any one stored file
    int serverPassword = 0;                     // for exitserver and startjob
    std::size_t jobsListed = 20;                // in the inventory
    std::string address;                        // where it listens, for the inventory's heading
};

struct StoredFile {
    std::string path;  // within its volume, with "/"
    std::uintmax_t size = 0;
    std::string sha256;
};

class VirtualPrinter {
public:
    // Starts as a printer that was just switched on: the volumes keep their files, the memory
    // is empty, and job numbers go on from the copies already kept.
    explicit VirtualPrinter(Settings settings);

    const JobRecord& print(std::string_view job);
    // A job that was cut short: recorded and kept, but not run.
    const JobRecord& refuse(std::string_view job, const std::string& why);

    static constexpr int Volumes = 2;
    std::filesystem::path volumeFolder(int volume) const;
    std::vector<StoredFile> files(int volume) const;

    const Pcl5Interpreter& pcl() const { return pcl_; }
    const PostScriptInterpreter& postScript() const { return postScript_; }
    const std::deque<JobRecord>& jobs() const { return jobs_; }

    std::string inventory() const;
    // Rewrites inventory.txt (whole, by rename) and the memory/ folder.
    void writeInventory() const;

private:
    JobRecord& startRecord(std::string_view job);
    std::size_t pjlCommand(std::string_view job, std::size_t at, JobRecord& record);
    std::size_t runLanguage(const std::string& language, std::string_view job, std::size_t at, JobRecord& record);
    void download(const std::string& name, std::string_view data, JobRecord& record);
    void remove(const std::string& name, JobRecord& record);
    void makeFolder(const std::string& name, JobRecord& record);
    void noteVolumeChanges(const std::vector<std::vector<StoredFile>>& before, JobRecord& record) const;
    void finish(JobRecord& record);

    Settings settings_;
    Pcl5Interpreter pcl_;
    PostScriptInterpreter postScript_;
    std::deque<JobRecord> jobs_;
    int lastJob_ = 0;
};

}  // namespace presswick::virtualprinter
