#include "platform/formats/exiv2init.h"

#include <exiv2/exiv2.hpp>
#include <mutex>

namespace formats {
namespace {

std::mutex gXmpToolkit;

void lockXmpToolkit(void* data, bool lock)
{
    auto* mutex = static_cast<std::mutex*>(data);
    if (lock)
        mutex->lock();
    else
        mutex->unlock();
}

} // namespace

void useExiv2()
{
    static const bool ready = [] {
        Exiv2::LogMsg::setLevel(Exiv2::LogMsg::mute);
        return Exiv2::XmpParser::initialize(lockXmpToolkit, &gXmpToolkit);
    }();
    (void)ready;
}

} // namespace formats
