#include "frontend/message_decoder.h"

#include "ipc/check_file_result.h"
#include "ipc/session_data.h"

SKernelMessage CMessageDecoder::Decode(CSessionData& record) {
    SKernelMessage msg;
    msg.eType = record.TypeGet();
    bool fOk = true;
    switch (CDEdureMsg::PayloadOf(msg.eType)) {
    case CDEdureMsg::ePayloadNone:
        break;
    case CDEdureMsg::ePayloadText:
        fOk = DecodeTexts(record, 1, msg);
        break;
    case CDEdureMsg::ePayloadInt:
        fOk = DecodeValues(record, 1, msg);
        break;
    case CDEdureMsg::ePayloadPasswordRequ:
        fOk = DecodeTexts(record, 3, msg) && DecodeValues(record, 2, msg);
        break;
    case CDEdureMsg::ePayloadCheckFileResult: {
        CBupAssessment assessment;
        fOk = CheckFileResultPop(record, assessment);
        if (fOk) {
            msg.Candidate.emplace();
            *msg.Candidate = assessment;
        }
        break;
    }
    case CDEdureMsg::ePayloadCheckFileResultEx: {
        CBupAssessmentEx assessment;
        fOk = CheckFileResultExPop(record, assessment);
        if (fOk) {
            msg.Candidate = assessment;
            msg.fCandidateEx = true;
        }
        break;
    }
    case CDEdureMsg::ePayloadObject: {
        CBfMsgGetGenericModuleInfo info;
        fOk = info.FromParamQueue(record);
        if (fOk) {
            msg.Info = info.m_Info;
            msg.csInfoToken = info.m_csToken.str();
        }
        break;
    }
    case CDEdureMsg::ePayloadUnknown:
        msg.fUnknownType = true;
        break;
    }
    msg.fBadRecord = !fOk;
    return msg;
}

bool CMessageDecoder::DecodeTexts(CSessionData& record, int nCount, SKernelMessage& msg) {
    for (int i = 0; i < nCount; ++i) {
        CString cs;
        if (!record.PopFront(cs))
            return false;
        msg.Texts.push_back(cs.str());
    }
    return true;
}

bool CMessageDecoder::DecodeValues(CSessionData& record, int nCount, SKernelMessage& msg) {
    for (int i = 0; i < nCount; ++i) {
        int nValue = 0;
        if (!record.PopFront(nValue))
            return false;
        msg.Values.push_back(nValue);
    }
    return true;
}
