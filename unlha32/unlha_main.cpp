// The `unlha` command: the library's entry from a shell. Its arguments become one command line;
// the whole report is printed, on standard output when everything went well and on standard
// error otherwise. SIGINT, SIGTERM and SIGHUP stop it within a second, with whatever it was
// writing thrown away.
#include <atomic>
#include <cstdlib>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <mutex>
#include <pthread.h>
#include <string>
#include <thread>
#include <vector>

#include "unlha32/command_line.h"
#include "unlha32/unlha32.h"
#include "velmor_version.h"

namespace {

const char kUsage[] =
    "使い方: unlha コマンド 書庫 [引数...]\n"
    "  a 書庫 ファイル...             ファイルを書庫に加える (同じ名前のメンバは置き換える)\n"
    "  e 書庫 [フォルダ/] [メンバ...]  メンバをフォルダの中に名前だけで展開する\n"
    "  x 書庫 [フォルダ/] [メンバ...]  メンバを書庫の中のフォルダごと展開する\n"
    "  l 書庫 [メンバ...]             メンバの一覧 (元のサイズ、圧縮後、方式、日時、名前)\n"
    "  t 書庫 [メンバ...]             メンバのデータとCRCを確かめる\n"
    "フォルダは '/' で終わります。メンバは書庫の中のパスか名前で、省くとすべてのメンバです。\n"
    "スイッチ (どこに置いても可):\n"
    "  -a1  属性を問わずすべてのファイルを扱う (常にそうするため、受け付けるだけです)\n"
    "  -n0  進行状況を表示しない (表示はもともとしません)\n"
    "  -h, --help     この説明を表示する\n"
    "      --version  版を表示する\n"
    "終了状態: 0 成功, 1 使い方の誤り, 2 書庫がない, 3 壊れた書庫, 4 CRCの不一致,\n"
    "  5 ファイルまたはメンバがない, 6 書き込めない, 7 同じ名前のため展開しなかったメンバがある,\n"
    "  8 中断した; シグナルで終わったときは 128+シグナル番号\n";

struct Collected {
    std::mutex lock;
    std::string text;
};

void collect(const char* text, uint32_t length, void* context)
{
    auto* out = static_cast<Collected*>(context);
    const std::lock_guard<std::mutex> hold(out->lock);
    out->text.append(text, length);
}

} // namespace

int main(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    if (!args.empty() && (args[0] == "-h" || args[0] == "--help")) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (!args.empty() && args[0] == "--version") {
        std::printf("unlha %d.%d.%d\n", VELMOR_VERSION_MAJOR, VELMOR_VERSION_MINOR, VELMOR_VERSION_REVISION);
        return 0;
    }
    const std::string line = unlha::joinArguments(args);

    // The signals are taken by this thread alone; the command runs on another.
    sigset_t stop;
    sigemptyset(&stop);
    for (int s : {SIGINT, SIGTERM, SIGHUP})
        sigaddset(&stop, s);
    pthread_sigmask(SIG_BLOCK, &stop, nullptr);

    Collected out;
    std::atomic<bool> done{false};
    int result = UNLHA_OK;
    std::thread worker([&] {
        result = UnlhaWithSink(nullptr, line.c_str(), collect, &out);
        done = true;
    });
    int signal = 0;
    while (!done) {
        const timespec tick{0, 20'000'000};
        const int s = sigtimedwait(&stop, nullptr, &tick);
        if (s > 0) {
            signal = s;
            UnlhaCancel();
            break;
        }
    }
    if (signal) {
        const auto giveUp = std::chrono::steady_clock::now() + std::chrono::milliseconds(800);
        while (!done && std::chrono::steady_clock::now() < giveUp)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        {
            const std::lock_guard<std::mutex> hold(out.lock);
            std::fputs(out.text.c_str(), stderr);
        }
        std::fprintf(stderr, "unlha: シグナル %d で中断しました\n", signal);
        std::fflush(stderr);
        if (!done)
            std::_Exit(128 + signal); // still in a system call: leave without waiting for it
        worker.join();
        return 128 + signal;
    }
    worker.join();
    std::fputs(out.text.c_str(), result == UNLHA_OK ? stdout : stderr);
    return result;
}
