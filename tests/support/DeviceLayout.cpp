#include "DeviceLayout.h"

namespace testsupport {

std::vector<std::string> JournalEvents(const std::string& journal)
{
    std::vector<std::string> events;
    size_t at = 0;
    while (at < journal.size()) {
        size_t end = journal.find("\r\n", at);
        if (end == std::string::npos)
            end = journal.size();
        std::string line = journal.substr(at, end - at);
        size_t cut = line.find(" cwd=");
        if (cut == std::string::npos)
            cut = line.find(" pid=");
        events.push_back(line.substr(0, cut));
        at = end + 2;
    }
    return events;
}

}  // namespace testsupport
