#pragma once
// The editor's command line, quenbry [--help] [--version] [FILE]: the page to open at the end
// of start-up, as if it had been chosen in the Open dialog.

#include <QString>
#include <QStringList>

namespace quenbry {

struct CommandLine {
    enum Action { Start, Help, Version, Error };
    Action action = Start;
    QString file;    // the page to open, as an absolute path; empty when none was named
    QString message; // what to print instead of starting: the help, the version or the error
};

// The arguments as QCoreApplication::arguments() gives them: the program first, the toolkit's
// own options taken out.
CommandLine parseCommandLine(const QStringList &arguments);

} // namespace quenbry
