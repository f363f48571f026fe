// From a module's verdict on a package (CQmx2BupInfo) to the kernel's assessment.
// The verdict's own validity tests, members of CQmx2BupInfo, are defined here too.
#pragma once

#include "cmdline/qm_cmd_line.h"
#include "extension/qmx2_bup_info.h"
#include "assessment/bup_assessment.h"

// The verdict tested against the area options of a job's command line.
bool IsConsistencyValidForJob(const CQmx2BupInfo& verdict, const CQmCmdLine& job);

// Consistency, usability, BIOS version, usage flags and the confirmations a
// BIOS update needs. Name, archive type and build time are left as they are.
void TransferCheckBupInfoResultToAssessmentForBiosUpdate(const CQmx2BupInfo& verdict,
                                                         CBupAssessmentEx& assessment);
// The same with the confirmations of a configuration restore.
void TransferCheckBupInfoResultToAssessmentForConfigurationRestore(const CQmx2BupInfo& verdict,
                                                                   CBupAssessmentEx& assessment);
