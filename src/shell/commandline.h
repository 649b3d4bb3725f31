#pragma once
// The editor's command line, quenbry [--help] [--version] [--] [FILE]: the page to open at the
// end of start-up, as if it had been chosen in the Open dialog.

#include <QString>
#include <QStringList>
#include <vector>

namespace quenbry {

struct CommandLine {
    enum Action { Start, Help, Version, Error };
    Action action = Start;
    QString file;    // the page to open, as an absolute path; empty when none was named
    QString message; // what to print instead of starting: the help, the version or the error
};

// The program first, the toolkit's own options taken out; "--" ends the options.
CommandLine parseCommandLine(const QStringList &arguments);

// The arguments without the toolkit's own options (-platform NAME, -reverse, --style=NAME),
// which the toolkit takes out itself once it opens a display: what is left is the program's.
QStringList withoutToolkitOptions(const QStringList &arguments);

// Where the toolkit's part of argv ends: at "--", after which every argument is a file name that
// the toolkit must not take for an option of its own (-reverse, -style); at argc without one.
int toolkitArgumentCount(int argc, const char *const *argv);

// The arguments for parseCommandLine, each decoded as the file name its bytes are (see
// fileNameFromBytes), so that a name reaches the file system byte for byte.
QStringList argumentsFromBytes(const std::vector<const char *> &argv);

} // namespace quenbry
