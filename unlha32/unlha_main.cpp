// The `unlha` command: the library's entry from a shell. Its arguments become one command line.
#include <cstdio>
#include <string>
#include <vector>

#include "unlha32/command_line.h"
#include "unlha32/unlha32.h"

int main(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    for (const auto& a : args)
        if (a.find('"') != std::string::npos) {
            std::fprintf(stderr, "unlha: 引用符を含むパスは渡せません: %s\n", a.c_str());
            return UNLHA_ERR_USAGE;
        }
    const std::string line = unlha::joinArguments(args);
    std::vector<char> output(1 << 20);
    const int result = Unlha(nullptr, line.c_str(), output.data(), static_cast<uint32_t>(output.size()));
    std::fputs(output.data(), result == UNLHA_OK ? stdout : stderr);
    return result;
}
