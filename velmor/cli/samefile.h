#pragma once
// Keeps a run from writing over its own inputs: an output that is the same file as an input, by
// device and inode (so a hard link or a symbolic link to it counts too), is refused before any
// work, whatever its name says.

#include <QString>
#include <QStringList>
#include <sys/types.h>
#include <vector>

namespace cli {

class InputFiles {
public:
    // Looks every input up once; one that cannot be looked up is left to fail on its own.
    explicit InputFiles(const QStringList& inputs);

    // The input that output is, as given on the command line; empty when it is none of them
    // (or does not exist yet).
    QString sameAs(const QString& output) const;

private:
    struct Identity {
        dev_t device;
        ino_t inode;
        QString name;
    };
    std::vector<Identity> inputs_;
};

} // namespace cli
