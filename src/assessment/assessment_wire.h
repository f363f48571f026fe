// The assessment blocks of the check-file-result messages: a fixed little-endian
// layout shared by kernel (encoding) and front-end (decoding).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "assessment/bup_assessment.h"

constexpr size_t kAssessmentWireSize = 56;
constexpr size_t kAssessmentExWireSize = 72;

// Header, padding and the string slots go out as zeros; name and BIOS version
// travel as strings after the block.
std::array<uint8_t, kAssessmentWireSize> EncodeAssessment(const CBupAssessment& assessment);
std::array<uint8_t, kAssessmentExWireSize> EncodeAssessmentEx(const CBupAssessmentEx& assessment);

// Reads the value fields of a block into out; its name and BIOS version are
// left as they were. A block shorter than its form gives false and
// leaves out untouched; bytes beyond the form are ignored, so an extended block
// also decodes as a plain one.
bool DecodeAssessment(const uint8_t* pData, size_t nSize, CBupAssessment& out);
bool DecodeAssessmentEx(const uint8_t* pData, size_t nSize, CBupAssessmentEx& out);
