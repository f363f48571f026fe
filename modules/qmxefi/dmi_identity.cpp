#include "dmi_identity.h"

#include "file_io.h"

namespace qmxefi {

namespace {

std::string Trimmed(const std::string& s) {
    const char* blanks = " \t\r\n";
    const size_t first = s.find_first_not_of(blanks);
    if (first == std::string::npos) return {};
    return s.substr(first, s.find_last_not_of(blanks) - first + 1);
}

std::string ReadField(const RootPath& root, const std::string& rel) {
    std::string text;
    if (ReadWholeFile(root(rel), text) != 0) return {};
    return Trimmed(text);
}

// The ME interface lists one version per line ("0:16.1.25.1885"); the first
// is the running firmware.
std::string MeVersion(const std::string& text) {
    std::string line = text.substr(0, text.find('\n'));
    const size_t colon = line.find(':');
    if (colon != std::string::npos) line = line.substr(colon + 1);
    return Trimmed(line);
}

}  // namespace

Identity ReadIdentity(const RootPath& root) {
    const std::string dmi = "sys/class/dmi/id/";
    Identity id;
    id.bios_version = ReadField(root, dmi + "bios_version");
    id.bios_date = ReadField(root, dmi + "bios_date");
    id.board_vendor = ReadField(root, dmi + "board_vendor");
    id.board_name = ReadField(root, dmi + "board_name");
    id.product_name = ReadField(root, dmi + "product_name");
    std::string me;
    if (ReadWholeFile(root("sys/class/mei/mei0/fw_ver"), me) == 0) id.me_firmware_version = MeVersion(me);
    return id;
}

std::string SystemName(const Identity& id) {
    std::string name = id.board_name.empty() ? id.product_name : id.board_name;
    for (char& c : name)
        if (c == '/') c = '-';
    return name;
}

bool NamesThisMachine(const Identity& id, const std::string& board) {
    return !board.empty() && (board == id.board_name || board == id.product_name);
}

}  // namespace qmxefi
