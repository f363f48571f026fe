#include "extension/qmx2_status.h"

#include <cstdio>

std::string Qmx2SeverityName(uint32_t status) { return std::string(Qmx2SeverityText(status)) + ", "; }

std::string Qmx2OperationName(uint32_t status) {
    const char* text = Qmx2OperationText(status);
    return text ? std::string(text) + ", " : "Unknown, ";
}

std::string Qmx2ReasonName(uint32_t status) {
    const char* text = Qmx2ReasonText(status);
    return text ? text : "Unknown, ";
}

std::string Qmx2StatusText(uint32_t status) {
    char code[16];
    std::snprintf(code, sizeof code, "0x%8.8X", status);
    return Qmx2SeverityName(status) + Qmx2OperationName(status) + Qmx2ReasonName(status) + " (" + code + ")";
}
