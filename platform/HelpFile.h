// Where the program's help is: the help file beside the executable, else its user guide.
#pragma once

#include <string>
#include <vector>

namespace platform {

// Where help is looked for, in order: the help file (the executable's path with ".chm"), the user guide
// beside the executable (its name with ".html"), and on systems that keep data apart from programs the guide
// installed under share/.
std::vector<std::string> HelpCandidates(const std::string& exePath);
// The first candidate that exists; empty when none does.
std::string FindHelpFile(const std::vector<std::string>& candidates);

}  // namespace platform
