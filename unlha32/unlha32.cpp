// The library's entries: parse the command line, run the command, hand out the report.
#include "unlha32/unlha32.h"

#include <new>
#include <stdexcept>

#include "unlha32/cancel.h"
#include "unlha32/commands.h"

namespace unlha {

const char* const kUsage =
    "使い方: a 書庫 ファイル... | e 書庫 [フォルダ/] [メンバ...] | x 書庫 [フォルダ/] [メンバ...]"
    " | l 書庫 [メンバ...] | t 書庫 [メンバ...]  (スイッチ -a1 -n0)";

int runCommandLine(const char* line, Report& report)
{
    if (line == nullptr) {
        report.line("コマンドラインがありません");
        return UNLHA_ERR_USAGE;
    }
    const ParsedCommand parsed = parseCommandLine(line);
    if (!parsed.ok) {
        report.line("コマンドラインの誤り: " + parsed.problem);
        report.line(kUsage);
        return UNLHA_ERR_USAGE;
    }
    switch (parsed.command.letter) {
    case 'a':
        return addFiles(parsed.command, report);
    case 'e':
    case 'x':
        return extractMembers(parsed.command, report);
    case 'l':
        return listMembers(parsed.command, report);
    default:
        return testMembers(parsed.command, report);
    }
}

namespace {

int guardedRun(const char* cmdLine, Report& report)
{
    const RunningCall running;
    try {
        return runCommandLine(cmdLine, report);
    } catch (const std::bad_alloc&) {
        report.line("メモリが足りません");
    } catch (const std::exception& e) {
        report.line(std::string("処理できませんでした: ") + e.what());
    }
    return UNLHA_ERR_WRITE;
}

} // namespace
} // namespace unlha

extern "C" int Unlha(void* /*hwnd*/, const char* cmdLine, char* output, uint32_t size)
{
    unlha::Report report;
    const int result = unlha::guardedRun(cmdLine, report);
    try {
        report.copyTo(output, size);
    } catch (...) {
    }
    return result;
}

extern "C" int UnlhaWithSink(void* /*hwnd*/, const char* cmdLine, UnlhaReportSink sink, void* context)
{
    unlha::Report report([&](std::string_view line) {
        if (sink)
            sink(line.data(), static_cast<uint32_t>(line.size()), context);
    });
    return unlha::guardedRun(cmdLine, report);
}

extern "C" void UnlhaCancel(void)
{
    unlha::requestCancel();
}

extern "C" void UnlhaCancelRunning(void)
{
    try {
        unlha::requestCancelRunning();
    } catch (...) {
        // a lock that cannot be taken: the calls run to their end
    }
}
