// Parameters of the check-file-result messages: the count 1, the assessment
// block, the file name and the BIOS version.
#pragma once

#include "assessment/bup_assessment.h"

class CParamQueue;

// Name and BIOS version travel as strings behind the block, which carries neither.
bool CheckFileResultPush(CParamQueue& queue, const CBupAssessment& assessment);
bool CheckFileResultExPush(CParamQueue& queue, const CBupAssessmentEx& assessment);

// Fills the value fields, name and BIOS version of out; false for a short record.
bool CheckFileResultPop(CParamQueue& queue, CBupAssessment& out);
bool CheckFileResultExPop(CParamQueue& queue, CBupAssessmentEx& out);
