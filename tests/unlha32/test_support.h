#pragma once
// Small helpers shared by the archiver's tests: scratch folders, whole-file reads and writes,
// calling the entry, running the other LHA tools.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace unlha::test {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

// A fresh folder under the system's temporary folder, removed with everything in it.
class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    const fs::path& path() const { return path_; }
    std::string operator/(const std::string& name) const { return (path_ / name).string(); }

private:
    fs::path path_;
};

Bytes readFile(const std::string& path);
void writeFile(const std::string& path, const Bytes& bytes);
void writeFile(const std::string& path, const std::string& text);

// Deterministic test data.
Bytes randomBytes(std::size_t size, std::uint32_t seed);
Bytes textBytes(std::size_t size); // repetitive text, compresses well

struct CallResult {
    int code;
    std::string output;
};
CallResult callUnlha(const std::string& commandLine);

// Quotes a path for the archiver's command line when it has a space.
std::string quoted(const std::string& path);

// Runs a shell command; returns its exit status, or -1 if it could not run.
int runShell(const std::string& command);
bool haveTool(const std::string& name);

// The names of the files directly in a folder, sorted.
std::vector<std::string> listFolder(const std::string& folder);

} // namespace unlha::test
