#include "extension/qmx2_install_info.h"

#include "quillmark/qmx2.h"

const CQmx2Fields<CQmx2InstallInfo>& CQmx2InstallInfo::Fields() {
    using R = CQmx2InstallInfo;
    static const CQmx2Fields<R> kFields = {
        {qmx2key::sAppRegRoot, &R::sAppRegRoot},
        {qmx2key::sInstDir, &R::sInstDir},
        {qmx2key::sLogFile, &R::sLogFile},
        {qmx2key::sOemProfile, &R::sOemProfile},
        {qmx2key::fEventLog, &R::fEventLog},
        {qmx2key::fForceReboot, &R::fForceReboot},
    };
    return kFields;
}
