#include "platform/decoderwarnings.h"

#include <QtGlobal>
#include <mutex>

namespace platform {

void noteDecoderMessage(const QString& message);

namespace {

thread_local DecoderWarnings* tActive = nullptr;
QtMessageHandler gPrevious = nullptr;
std::once_flag gInstalled;

void handler(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (tActive && tellsOfDamage(message)) {
        noteDecoderMessage(message);
        return;
    }
    if (gPrevious)
        gPrevious(type, context, message);
}

} // namespace

bool tellsOfDamage(const QString& message)
{
    static const char* const kSigns[] = {"Corrupt JPEG data", "Premature end of JPEG file", "Invalid SOS parameters",
        "Inconsistent progression sequence", "Application transferred too few scanlines"};
    for (const char* sign : kSigns)
        if (message.contains(QLatin1String(sign)))
            return true;
    return false;
}

void noteDecoderMessage(const QString& message)
{
    if (tActive && tActive->first_.isEmpty())
        tActive->first_ = message.trimmed();
}

DecoderWarnings::DecoderWarnings()
{
    // Installed on first use, so that it chains to what a program installs at start-up.
    std::call_once(gInstalled, [] { gPrevious = qInstallMessageHandler(handler); });
    tActive = this;
}

DecoderWarnings::~DecoderWarnings()
{
    tActive = nullptr;
}

} // namespace platform
