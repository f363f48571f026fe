// CDEdureMsg: the message types of job and session records and their names.
#pragma once

#include <cstdint>

class CDEdureMsg {
public:
    // Inside the class because the option set uses some of the same names.
    // 32 bits on the wire; any value read from there stays representable.
    enum E_DEDURE_MSG : int32_t {
        eEmpty = 0,
        eError = 100,
        eWarning = 101,
        eInfo = 102,
        eProgress = 103,
        eFileName = 104,
        ePasswordRequ = 105,
        ePasswordData = 106,
        eAction = 107,
        eActionPart = 108,
        eBiosCurrentVersion = 109,
        eBiosFlashedVersion = 110,
        eBiosFileVersion = 111,
        eSystem = 112,
        eJobDone = 113,
        eShutDown = 114,
        eCheckFileResult = 115,
        eCheckFileResultEx = 116,
        eModuleInfo = 117,
        eDetailInfo = 118,
        eMicroCodeInfo = 119,
        eListBupInfo = 120,
        eGetGenericModuleInfo = 121,
        eUpdateArea = 122,
        eReject = 200,
        eRequestAction = 201,
        eAccept = 202,
        eShutdownKernel = 203,
    };

    // "<unknown>" for values without a name, 118 and 119 among them.
    static const char* ToString(E_DEDURE_MSG eMsg);
    // Whether a session record of this type carries a size word and payload.
    static bool HasSessionPayload(E_DEDURE_MSG eMsg);

    // The parameters a session message carries; sender and readers share it.
    enum E_PAYLOAD {
        ePayloadNone,  // eEmpty, eJobDone
        ePayloadText,  // one string
        ePayloadInt,  // one integer
        ePayloadPasswordRequ,  // three strings, two integers
        ePayloadCheckFileResult,
        ePayloadCheckFileResultEx,
        ePayloadObject,  // written by a message object
        ePayloadUnknown,  // no message of this type is built
    };
    static E_PAYLOAD PayloadOf(E_DEDURE_MSG eMsg);
};

using E_DEDURE_MSG = CDEdureMsg::E_DEDURE_MSG;
