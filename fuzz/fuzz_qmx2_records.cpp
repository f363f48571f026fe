// A board module's JSON answer read into each record the kernel exchanges,
// as the binding reads an answer (FromJsonStr, failures traced, never thrown).
// Checks that whatever a record took from the answer writes out and reads
// back to the same text.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "extension/qmx2_bup_info.h"
#include "extension/qmx2_install_info.h"
#include "extension/qmx2_map_records.h"
#include "extension/qmx2_oem_info.h"
#include "extension/qmx2_operation_records.h"

namespace {

template <class T>
void RoundTrip(const std::string& answer) {
    T record;
    record.init();
    record.FromJsonStr(answer);
    std::string text;
    record.ToString(text);
    std::string first;
    record.ToJsonStr(first);
    if (first.empty())
        return;
    T again;
    again.FromJsonStr(first);
    std::string second;
    again.ToJsonStr(second);
    if (second != first)
        __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string answer(reinterpret_cast<const char*>(data), size);
    RoundTrip<CQmx2OemInfo>(answer);
    RoundTrip<CQmx2OemSettings>(answer);
    RoundTrip<CQmx2BupInfo>(answer);
    RoundTrip<CQmx2UpdateInfo>(answer);
    RoundTrip<CQmx2ConfigRestoreInfo>(answer);
    RoundTrip<CQmx2BackInfo>(answer);
    RoundTrip<CQmx2ConfigBackInfo>(answer);
    RoundTrip<CQmx2InstallInfo>(answer);
    RoundTrip<CQmx2DetailInfo>(answer);
    RoundTrip<CQmx2ListBupInfo>(answer);
    RoundTrip<CQmx2GetGenericModuleInfo>(answer);
    RoundTrip<CQmx2MakeCombinedArchiveInfo>(answer);
    return 0;
}
