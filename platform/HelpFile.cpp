#include "platform/HelpFile.h"

#include "platform/Paths.h"

namespace platform {

std::vector<std::string> HelpCandidates(const std::string& exePath) {
    std::vector<std::string> candidates{platform::ChangeFileExt(exePath, ".chm"),
                                        platform::ChangeFileExt(exePath, ".html")};
#ifndef _WIN32
    // An installed program lies in <prefix>/bin and its guide in <prefix>/share/qor-sprav.
    const std::string prefix = platform::ExtractFileDir(platform::ExtractFileDir(exePath));
    const std::string name = exePath.substr(platform::ExtractFilePath(exePath).size());
    candidates.push_back(prefix + "/share/qor-sprav/" + platform::ChangeFileExt(name, ".html"));
#endif
    return candidates;
}

std::string FindHelpFile(const std::vector<std::string>& candidates) {
    for (const std::string& candidate : candidates) {
        if (platform::FileExists(candidate)) {
            return candidate;
        }
    }
    return {};
}

}  // namespace platform
