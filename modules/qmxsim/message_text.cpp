#include "message_text.h"

#include <cstdio>

#include "quillmark/qmx2.h"

namespace qmxsim {
namespace {

// The header's name, or the field's value where the header has none.
std::string Named(const char* text, const char* what, uint32_t value) {
    if (text) return text;
    char buf[32];
    std::snprintf(buf, sizeof buf, "%s 0x%02X", what, static_cast<unsigned>(value));
    return buf;
}

}  // namespace

std::string MessageText(uint32_t status) {
    if (status == 0) return "Success";
    std::string text = std::string(Qmx2SeverityText(status)) + ", " +
                       Named(Qmx2OperationText(status), "operation", Qmx2Operation(status)) + ", " +
                       Named(Qmx2ReasonText(status), "reason", Qmx2Reason(status));
    if (uint32_t detail = status & 0xFFFF) {
        char buf[24];
        std::snprintf(buf, sizeof buf, " (detail 0x%04X)", static_cast<unsigned>(detail));
        text += buf;
    }
    return text;
}

}  // namespace qmxsim
