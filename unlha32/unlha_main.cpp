// The `unlha` command: the library's entry from a shell. Its arguments become one command line.
#include <cstdio>
#include <string>
#include <vector>

#include "unlha32/command_line.h"
#include "unlha32/unlha32.h"
#include "velmor_version.h"

namespace {

const char kHelp[] =
    "使い方: unlha a 書庫 ファイル... | e 書庫 [フォルダ/] [メンバー...] | l 書庫 | t 書庫\n"
    "Usage:  unlha a ARCHIVE FILE... | e ARCHIVE [FOLDER/] [MEMBER...] | l ARCHIVE | t ARCHIVE\n"
    "\n"
    "  a  ファイルを書庫に加えます / add files (-lh5-, level-2 headers)\n"
    "  e  書庫のメンバーを取り出します / extract members\n"
    "  l  メンバーの一覧 / list members\n"
    "  t  メンバーを検査します / test members\n"
    "  -a1 -n0   受け付けますが何も変えません / accepted, change nothing\n"
    "  --help, --version\n"
    "\n"
    "終了コード / exit status: 0 ok, 1 usage, 2 no archive, 3 damaged, 4 CRC, 5 no file, 6 write\n";

} // namespace

int main(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 1 && (args[0] == "--help" || args[0] == "--version")) {
        if (args[0] == "--help")
            std::fputs(kHelp, stdout);
        else
            std::printf("unlha %d.%d.%d\n", VELMOR_VERSION_MAJOR, VELMOR_VERSION_MINOR, VELMOR_VERSION_REVISION);
        return UNLHA_OK;
    }
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
