#pragma once
// The window program's command line: velmor [--help | --version | FILE], with Qt's own options
// (-platform, -style, ...) left to QApplication. Read before QApplication exists, so that the
// help, the version and usage errors need no display.

#include <QString>
#include <QStringList>

namespace shell {

struct StartArguments {
    bool help = false;
    bool version = false;
    QString file;  // empty: start as usual
    QString error; // a usage error, one line
};
StartArguments parseStartArguments(const QStringList& args);
QString startUsageText();

// Answers --help, --version and usage errors on the terminal: the exit code then, else -1 and
// the file to open in *file.
int answerStartArguments(int argc, char** argv, QString* file);

} // namespace shell
