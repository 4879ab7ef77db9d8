// The library's entry: parses the command line, runs the command and fills the output buffer.
#include "unlha32/unlha32.h"

#include <new>
#include <stdexcept>

#include "unlha32/commands.h"

namespace unlha {

int runCommandLine(const char* line, Report& report)
{
    if (line == nullptr) {
        report.line("コマンドラインがありません");
        return UNLHA_ERR_USAGE;
    }
    const ParsedCommand parsed = parseCommandLine(line);
    if (!parsed.ok) {
        report.line("コマンドラインの誤り: " + parsed.problem);
        report.line("使い方: a 書庫 ファイル... | e 書庫 [フォルダ/] | l 書庫 | t 書庫  (スイッチ -a1 -n0)");
        return UNLHA_ERR_USAGE;
    }
    switch (parsed.command.letter) {
    case 'a':
        return addFiles(parsed.command, report);
    case 'e':
        return extractAll(parsed.command, report);
    case 'l':
        return listMembers(parsed.command, report);
    default:
        return testMembers(parsed.command, report);
    }
}

} // namespace unlha

extern "C" int Unlha(void* /*hwnd*/, const char* cmdLine, char* output, uint32_t size)
{
    unlha::Report report;
    int result;
    try {
        result = unlha::runCommandLine(cmdLine, report);
    } catch (const std::bad_alloc&) {
        report.line("メモリが足りません");
        result = UNLHA_ERR_WRITE;
    } catch (const std::exception& e) {
        report.line(std::string("処理できませんでした: ") + e.what());
        result = UNLHA_ERR_WRITE;
    }
    try {
        report.copyTo(output, size);
    } catch (...) {
    }
    return result;
}
