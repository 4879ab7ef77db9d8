// Test helpers: scratch folders, files, the entry, the peers.
#include "test_support.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

#include "unlha32/unlha32.h"

namespace unlha::test {

ScratchDir::ScratchDir()
{
    std::string tmpl = (fs::temp_directory_path() / "unlha-test-XXXXXX").string();
    if (!::mkdtemp(tmpl.data()))
        throw std::runtime_error("mkdtemp failed");
    path_ = tmpl;
}

ScratchDir::~ScratchDir()
{
    std::error_code ec;
    fs::remove_all(path_, ec);
}

Bytes readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + path);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

void writeFile(const std::string& path, const Bytes& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path);
}

void writeFile(const std::string& path, const std::string& text)
{
    writeFile(path, Bytes(text.begin(), text.end()));
}

Bytes randomBytes(std::size_t size, std::uint32_t seed)
{
    std::mt19937 gen(seed);
    Bytes b(size);
    for (auto& x : b)
        x = static_cast<std::uint8_t>(gen());
    return b;
}

Bytes textBytes(std::size_t size)
{
    static const char* words[] = {"sepia ", "monochrome ", "filter ", "picture ", "colour ", "red ", "blue\n"};
    std::mt19937 gen(1);
    std::string s;
    while (s.size() < size)
        s += words[gen() % 7];
    s.resize(size);
    return Bytes(s.begin(), s.end());
}

CallResult callUnlha(const std::string& commandLine)
{
    std::vector<char> out(1 << 16, ' ');
    const int code = Unlha(nullptr, commandLine.c_str(), out.data(), static_cast<std::uint32_t>(out.size()));
    return {code, std::string(out.data())};
}

std::string quoted(const std::string& path)
{
    return path.find(' ') == std::string::npos ? path : '"' + path + '"';
}

int runShell(const std::string& command)
{
    const int status = std::system((command + " >/dev/null 2>&1").c_str());
    return status == -1 ? -1 : WEXITSTATUS(status);
}

bool haveTool(const std::string& name)
{
    return runShell("command -v " + name) == 0;
}

std::vector<std::string> listFolder(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(folder))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace unlha::test
