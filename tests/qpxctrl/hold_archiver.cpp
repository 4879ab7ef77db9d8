// A stand-in archiver library for tests: every add command waits at the door until the test lets
// it through, then goes to the real library. The test sees "<pid>.held" appear in the folder
// VELMOR_TEST_HOLD_DIR and answers with "<pid>.go", so it can line up two saves step by step.
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <fcntl.h>
#include <string>
#include <thread>
#include <unistd.h>

namespace {

using UnlhaFn = int (*)(void*, const char*, char*, std::uint32_t);

bool exists(const std::string& path)
{
    return ::access(path.c_str(), F_OK) == 0;
}

void holdAtTheDoor()
{
    const char* dir = std::getenv("VELMOR_TEST_HOLD_DIR");
    if (!dir)
        return;
    const std::string base = std::string(dir) + '/' + std::to_string(::getpid());
    ::close(::open((base + ".held").c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0600));
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!exists(base + ".go") && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
}

} // namespace

extern "C" __attribute__((visibility("default"))) int Unlha(void* hwnd, const char* line, char* out, std::uint32_t size)
{
    static const UnlhaFn real = [] {
        void* handle = ::dlopen(std::getenv("VELMOR_TEST_REAL_UNLHA32"), RTLD_NOW | RTLD_LOCAL);
        return handle ? reinterpret_cast<UnlhaFn>(::dlsym(handle, "Unlha")) : nullptr;
    }();
    if (!real)
        return 53;
    if (line && std::strncmp(line, "a ", 2) == 0)
        holdAtTheDoor();
    return real(hwnd, line, out, size);
}
