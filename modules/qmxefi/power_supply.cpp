#include "power_supply.h"

#include <dirent.h>

#include <vector>

#include "file_io.h"

namespace qmxefi {

namespace {

std::string FirstWord(const std::string& text) {
    const size_t end = text.find_first_of(" \t\r\n");
    return text.substr(0, end);
}

// USB-C and USB chargers report types "USB", "USB_C", "USB_PD" and so on.
bool IsExternal(const std::string& type) { return type == "Mains" || type.compare(0, 3, "USB") == 0; }

}  // namespace

PowerSource ReadPowerSource(const RootPath& root) {
    const std::string base = root("sys/class/power_supply");
    std::vector<std::string> names;
    if (DIR* dir = ::opendir(base.c_str())) {
        while (const dirent* e = ::readdir(dir))
            if (e->d_name[0] != '.') names.emplace_back(e->d_name);
        ::closedir(dir);
    }
    bool any_external = false, any_battery = false;
    for (const std::string& name : names) {
        std::string type, online;
        if (ReadWholeFile(base + "/" + name + "/type", type) != 0) continue;
        any_battery |= FirstWord(type) == "Battery";
        if (!IsExternal(FirstWord(type))) continue;
        any_external = true;
        if (ReadWholeFile(base + "/" + name + "/online", online) == 0 && FirstWord(online) != "0" &&
            !FirstWord(online).empty())
            return PowerSource::kMains;
    }
    // Without a battery the machine runs on something else, whatever the supplies say.
    return any_external && any_battery ? PowerSource::kBattery : PowerSource::kNoSupplies;
}

}  // namespace qmxefi
