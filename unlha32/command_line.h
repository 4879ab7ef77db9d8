#pragma once
// The archiver's command line, as the Windows archiver libraries took it: a command letter,
// then the archive, files, an extraction folder and switches, separated by spaces.

#include <string>
#include <string_view>
#include <vector>

namespace unlha {

struct Command {
    char letter = 0;                 // 'a', 'e', 'x', 'l' or 't'
    std::string archive;             // used exactly as given
    std::vector<std::string> files;  // a: the files to add
    std::string folder;              // e, x: where to extract, ends with '/'; empty for the current folder
    std::vector<std::string> members; // e, x, l, t: only these members (by path or bare name); empty: all
    // The picture control sends both switches; here every file is added whatever its attributes
    // and no progress is ever shown, so they are taken and change nothing.
    bool allAttributes = false;      // -a1
    bool noProgress = false;         // -n0
};

struct ParsedCommand {
    bool ok = false;
    Command command;
    std::string problem; // what is wrong with the line, when not ok
};

// Splits on spaces and tabs; text inside double quotes (which are removed) keeps its spaces, and
// two quotes there stand for one. An unquoted word starting with '-' is a switch. Every other
// byte is taken as it is: names need not be UTF-8.
ParsedCommand parseCommandLine(std::string_view line);

// Joins separate arguments into one line that parseCommandLine splits back into the same words:
// a word with a space, tab or quote, or an empty one, is put in quotes.
std::string joinArguments(const std::vector<std::string>& args);

} // namespace unlha
