// Texts of the events written to a job's log file; each holds at most one "%s".
#include "kernel/text_tables.h"

namespace NS_QMKRNL2 {

// Order matters: lookups take the first entry with the wanted id.
const STextEntry g_EventTable[] = {
    {2000, "Invalid parameters: %s"},
    {2001, "Internal module error"},
    {2002, "The module is not installed"},
    {2003, "Insufficient access privileges"},
    {2004, "Invalid file"},
    {2005, "Invalid directory"},
    {2006, "The system board is not supported"},
    {2007, "The operating system is not supported"},
    {2008, "Installierte Dateien k?nnen nicht entfernt werden"},
    {2009, "Insufficient disk space"},
    {2010, "%s"},
    {2011, "%s"},
    {2012, "%s"},
    {2013, "event logging active."},
    {2014, "Incompatible BIOS image."},
    {2015, "Update file is not newer than the active BIOS."},
    {2016, "This board is not supported."},
    {2017, "Flash device is write protected."},
    {2018, "BIOS update completed successfully."},
    {2019, "Invalid BIOS update file."},
    {2020, "Type of additional file not suported."},
    {2021, "Hardware access error."},
    {2022, "Invalid command line parameters."},
    {2023, "Board module %s loaded."},
    {2024, "No Board module could be loaded."},
    {2025, "The BIOS has been archived in file %s."},
    {2026, "Error during storing data in file %s."},
    {2027, "BIOS archivating error."},
    {2028, "The BIOS has been updated with %s."},
    {2029, "BIOS update error with %s."},
    {2030, "P6 micro code update error."},
    {2031, "Updated P6 micro code patch."},
    {2032, "No support module for this hardware found."},
    {2033, "The system must be rebooted for performing the BIOS update. This action is not "
           "allowed."},
    {2034, "Can not disable power management modes and therefore a system reboot is required. "
           "This action is not allowed."},
    {2035, "The update file contains items which can not be processed or required items are "
           "missing."},
    {2036, "Cant create %s because BupInfo.xml is missing."},
    {2037, "System will be rebooted."},
    {2038, "System will be rebooted and Quillmark will be restarted automatically."},
    {2039, "The signature of the module '%s' is invalid."},
    {2040, "No matching file found to update the system."},
    {2041, "No matching file for micro code update found."},
    {2042, "Couldn't get user list!"},
    {2043, "There are %s users logged in."},
    {2044, "Quillmark is working in test mode!"},
    {2045, "NVRAM update error with %s."},
    {2046, "Missing BIOS update file, none found. Try with -d to set the search directory."},
    {2047, "Automatic reboot skipped. Manual reboot needed to activate new BIOS!"},
    {2049, "Action status not supported!"},
    {2051, "Getting detail information completed"},
    {2052, "Getting detail information error"},
    {2053, "Getting generic information error"},
    {2054, "Getting last action status information error"},
    {2055, "Action status: %s, accepted at %s, executed at %s"},
    {2056, "Getting last action status information completed"},
    {2057, "Action status not available"},
    {2059, "Configuration backup complete"},
    {2060, "Configuration backup failed"},
    {2062, "Configuration restore failed"},
    {2061, "Archiving system configuration completed"},
    {1200, "Archiving the BIOS"},
    {1201, "The BIOS has been archived in file %s."},
    {1202, "BIOS archiving error."},
    {1205, "Cant create %s because BupInfo.xml is missing."},
    {1206, "Checking update files"},
    {1207, "Confirmations missing"},
    {1210, "Job is starting"},
    {1211, "The signature of the module '%1' is invalid."},
    {1213, "Board module %s loaded."},
    {1214, "No Board module could be loaded."},
    {1215, "No matching file found to update the microcode."},
    {1238, "Getting detail information."},
    {1239, "Getting detail information completed."},
    {1240, "Getting detail information error."},
    {1242, "Getting generic information error."},
    {1244, "Getting last action status information error."},
    {1245, "Action status: %s, accepted at %s, executed at %s"},
    {1246, "Getting last action status information completed."},
    {1247, "Action status not available"},
    {1248, "Archiving configuration data failed"},
    {1251, "Restoring configuration"},
    {1253, "Can't overwrite file %s"},
    {1249, "Archiving configuration data completed."},
    {1216, "No matching file found to update the system."},
    {1218, "%m-%d-%y, %H:%M:%S"},
    {1219, "Updating BIOS"},
    {1220, "Updating processor micro codes"},
    {1221, "Updating system NVRAM settings"},
    {1223, "BIOS checking completed"},
    {1224, "BIOS checking failed"},
    {1225, "BIOS update error"},
    {1226, "Confirmations missing with %s."},
    {1227, "The BIOS has been updated with %s."},
    {1230, "System configuration data update error with %s."},
    {1231, "System configuration data has been updated with %s."},
    {1243, "Collecting generic information"},
    {1252, "Restoring configuration data failed"},
    {1254, "Updating system configuration data"},
    {1255, "Started making combined archive"},
    {1256, "Making combined archive completed"},
    {1257, "Making combined archive failed"},
    {1258, "Update Logo"},
    {1259, "Update Logo failed"},
    {1260, "Logo has been updated with %s."},
    {1232, "System will be rebooted and Quillmark will be restarted automatically."},
    {1233, "System will be rebooted."},
    {1234, "Current file: %s"},
    {1235, "Shutting down"},
    {1236, "Parameters: %s"},
    {0, nullptr},
};

const char* EventMsgLoad(int id) {
    return TextTableLookup(g_EventTable, id, "EventMsgLoad: resource not available");
}

// Event texts are printf formats taking the caller's text for their one "%s". Only that one
// conversion is honoured; everything else in the event text is written as it stands.
std::string EventTextExpand(const char* pszEvent, const char* pszText) {
    std::string line(pszEvent);
    const size_t pos = line.find("%s");
    if (pos != std::string::npos)
        line.replace(pos, 2, pszText);
    return line;
}

}  // namespace NS_QMKRNL2
