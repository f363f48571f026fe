// The action status job: the module's record of the last BIOS action, for the front-end.
#include <map>
#include <string>

#include "ipc/bf_msg_get_generic_module_info.h"
#include "kernel/krnl2_app.h"
#include "kernel/text_tables.h"
#include "support/opus_trace.h"

void CKrnl2App::DoDisplayActionStatus() {
    QM_TRACE_ENTER(3, "%s", "");
    static const char kRequest[] = "/ACTIONSTATUS";
    if (!m_Qmx.m_OemInfo.fGetGenericModuleInfo) {
        QM_TRACE_INTERNAL(1, "", "module does not support GetGenericModuleInfo which is necessary for action status "
                                 "information");
        ReportAnEvent(LOG_ERROR, 2049, "");
        ClientMsg(10, CDEdureMsg::eError, NS_QMKRNL2::StringResLoad(1085));
        return;
    }
    std::multimap<std::string, std::string> items;
    if (Qmx2Failed(m_Qmx.GetGenericModuleInfo(kRequest, items, true, false))) {
        QM_TRACE_INTERNAL(1, "", "module does not support /ACTIONSTATUS parameter for GetGenericModuleInfo");
        return;
    }
    if (Qmx2Failed(m_Qmx.GetGenericModuleInfo(kRequest, items, false, m_JobCmdInfo.OptionExists(eExtendedStatus)))) {
        QM_TRACE_INTERNAL(1, "", "module does not support GetGenericModuleInfo which is necessary for action status "
                                 "information");
        ClientMsg(10, CDEdureMsg::eError, NS_QMKRNL2::StringResLoad(1090));
        ReportAnEvent(LOG_ERROR, 2054, "");
        return;
    }

    CBfMsgGetGenericModuleInfo msg;
    for (const auto& item : items)
        msg.m_Info.m_Values.emplace(item.first.c_str(), item.second.c_str());
    msg.m_Info.m_csFirstParameter = "eActionStatus";
    ClientMsgWait(m_nClientWaitTimeout, 5, CDEdureMsg::eGetGenericModuleInfo, static_cast<const CBfMsgBase*>(&msg));

    if (items.count("StatusString") == 0)
        QM_TRACE_INTERNAL(1, "", "There is no item 'StatusString'");
    else if (items.count("FlashActionAcceptedTimeStamp") == 0)
        QM_TRACE_INTERNAL(2, "", "There is no item 'FlashActionAcceptedTimeStamp'");
}
