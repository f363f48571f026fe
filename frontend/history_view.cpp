#include "frontend/history_view.h"

#include <cerrno>
#include <cstring>
#include <fstream>

#include <nlohmann/json.hpp>

#include "frontend/frontend_error.h"
#include "support/history_file.h"

namespace {

std::string Text(const nlohmann::json& line, const char* pszKey) {
    const auto it = line.find(pszKey);
    return it != line.end() && it->is_string() ? it->get<std::string>() : std::string();
}

void FileRead(const std::string& csPath, SHistory& history) {
    std::ifstream in(csPath);
    if (!in) {
        if (errno == ENOENT)
            return;
        throw CFrontendError(eExitJobError, "cannot read the history " + csPath + ": " + strerror(errno));
    }
    for (std::string csLine; std::getline(in, csLine);) {
        const nlohmann::json line = nlohmann::json::parse(csLine, nullptr, false);
        if (!line.is_object() || !line.contains("job")) {
            ++history.nUnreadable;
            continue;
        }
        SHistoryEntry entry;
        entry.csTime = Text(line, "time");
        entry.csUser = Text(line, "user");
        if (line.contains("uid") && line["uid"].is_number_integer())
            entry.nUid = line["uid"].get<long long>();
        entry.csJob = Text(line, "job");
        entry.csCommandLine = Text(line, "command_line");
        entry.csPackage = Text(line, "package");
        entry.csResult = Text(line, "result");
        entry.csText = Text(line, "text");
        entry.csReboot = Text(line, "reboot");
        history.entries.push_back(std::move(entry));
    }
    // A read that broke off (a folder in the file's place, an I/O error) is no end of the history.
    if (in.bad())
        throw CFrontendError(eExitJobError, "cannot read the history " + csPath + ": " + strerror(errno));
}

}  // namespace

SHistory HistoryRead(const std::string& csDir) {
    SHistory history;
    FileRead(csDir + "/" + kHistoryOlderName, history);
    FileRead(csDir + "/" + kHistoryFileName, history);
    return history;
}
