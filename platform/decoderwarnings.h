#pragma once
// Qt's JPEG reader hands back a picture even when libjpeg warns that its data is corrupt or ends
// early; the warning only goes to the message log. This catches it for the decode in hand.

#include <QString>

namespace platform {

// True for libjpeg's warnings about the data itself (corrupt, ended early); its other warnings (an
// unknown JFIF revision) are harmless.
bool tellsOfDamage(const QString& message);

// While one lives, warnings of damaged picture data raised on this thread are kept instead of
// logged; other messages go on to the handler installed before. One per thread at a time.
class DecoderWarnings {
public:
    DecoderWarnings();
    ~DecoderWarnings();
    DecoderWarnings(const DecoderWarnings&) = delete;
    DecoderWarnings& operator=(const DecoderWarnings&) = delete;

    // The first such warning, empty when the data was sound.
    const QString& first() const { return first_; }

private:
    friend void noteDecoderMessage(const QString&);
    QString first_;
};

} // namespace platform
