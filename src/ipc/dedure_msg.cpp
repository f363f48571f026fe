#include "ipc/dedure_msg.h"

const char* CDEdureMsg::ToString(E_DEDURE_MSG eMsg) {
    switch (eMsg) {
    case eEmpty: return "eEmpty";
    case eError: return "eError";
    case eWarning: return "eWarning";
    case eInfo: return "eInfo";
    case eProgress: return "eProgress";
    case eFileName: return "eFileName";
    case ePasswordRequ: return "ePasswordRequ";
    case ePasswordData: return "ePasswordData";
    case eAction: return "eAction";
    case eActionPart: return "eActionPart";
    case eBiosCurrentVersion: return "eBiosCurrentVersion";
    case eBiosFlashedVersion: return "eBiosFlashedVersion";
    case eBiosFileVersion: return "eBiosFileVersion";
    case eSystem: return "eSystem";
    case eJobDone: return "eJobDone";
    case eShutDown: return "eShutDown";
    case eCheckFileResult: return "eCheckFileResult";
    case eCheckFileResultEx: return "eCheckFileResultEx";
    case eModuleInfo: return "eModuleInfo";
    case eListBupInfo: return "eListBupInfo";
    case eGetGenericModuleInfo: return "eGetGenericModuleInfo";
    case eUpdateArea: return "eUpdateArea";
    case eReject: return "eReject";
    case eRequestAction: return "eRequestAction";
    case eAccept: return "eAccept";
    case eShutdownKernel: return "eShutdownKernel";
    // These two never had a name; traces and front-ends show them as unknown.
    case eDetailInfo:
    case eMicroCodeInfo:
        break;
    }
    return "<unknown>";
}

bool CDEdureMsg::HasSessionPayload(E_DEDURE_MSG eMsg) {
    return (eMsg >= eError && eMsg <= eSystem) || (eMsg >= eShutDown && eMsg <= eUpdateArea);
}

CDEdureMsg::E_PAYLOAD CDEdureMsg::PayloadOf(E_DEDURE_MSG eMsg) {
    switch (eMsg) {
    case eEmpty:
    case eJobDone: return ePayloadNone;
    case eError:
    case eWarning:
    case eInfo:
    case eFileName:
    case eAction:
    case eActionPart:
    case eBiosCurrentVersion:
    case eBiosFlashedVersion:
    case eBiosFileVersion:
    case eSystem:
    case eUpdateArea: return ePayloadText;
    case eProgress:
    case eShutDown: return ePayloadInt;
    case ePasswordRequ: return ePayloadPasswordRequ;
    case eCheckFileResult: return ePayloadCheckFileResult;
    case eCheckFileResultEx: return ePayloadCheckFileResultEx;
    case eDetailInfo:
    case eMicroCodeInfo:
    case eListBupInfo:
    case eGetGenericModuleInfo: return ePayloadObject;
    default: return ePayloadUnknown;
    }
}
