#include "assessment/bup_verdict.h"

#include "support/name_table.h"

namespace {

const SNameEntry<CBupConsistency::e_consistency> kConsistencyNames[] = {
    {CBupConsistency::CONSISTENCY_UNKNOWN_OR_INVALID, "CONSISTENCY_UNKNOWN_OR_INVALID"},
    {CBupConsistency::CONSISTENCY_DEMAGED, "CONSISTENCY_DEMAGED"},
    {CBupConsistency::CONSISTENCY_INCOMPLETE_INVALID, "CONSISTENCY_INCOMPLETE_INVALID"},
    {CBupConsistency::CONSISTENCY_INCOMPLETE_VALID_BY_USER, "CONSISTENCY_INCOMPLETE_VALID_BY_USER"},
    {CBupConsistency::CONSISTENCY_INCOMPLETE_VALID, "CONSISTENCY_INCOMPLETE_VALID"},
    {CBupConsistency::CONSISTENCY_COMPLETE_VALID, "CONSISTENCY_COMPLETE_VALID"},
};

// INVALID_FILE_FOR_FULL_UPDATE is missing on purpose: modules may send it,
// but it has always read as EQUAL_VERSION.
const SNameEntry<CBupUsability::e_usability> kUsabilityReadNames[] = {
    {CBupUsability::E_BUPINFO_USABILITY_SECURE_PLATFORM_UPDATE_REQUIRED,
     "E_BUPINFO_USABILITY_SECURE_PLATFORM_UPDATE_REQUIRED"},
    {CBupUsability::E_BUPINFO_USABILITY_INCOMPATIBLE_QUILMARK,
     "E_BUPINFO_USABILITY_INCOMPATIBLE_QUILMARK"},
    {CBupUsability::USABILITY_INCOMPATIBLE_VERSION, "USABILITY_INCOMPATIBLE_VERSION"},
    {CBupUsability::USABILITY_OBSOLETE_VERSION, "USABILITY_OBSOLETE_VERSION"},
    {CBupUsability::USABILITY_OLDER_VERSION, "USABILITY_OLDER_VERSION"},
    {CBupUsability::USABILITY_EQUAL_VERSION, "USABILITY_EQUAL_VERSION"},
    {CBupUsability::USABILITY_NEWER_VERSION, "USABILITY_NEWER_VERSION"},
    {CBupUsability::USABILITY_MAJOR_VERSION, "USABILITY_MAJOR_VERSION"},
};

}  // namespace

std::string CBupConsistency::ToString() const { return NameOf(kConsistencyNames, m_value); }

void CBupConsistency::FromString(const std::string& s) {
    m_value = ValueOf(kConsistencyNames, s, CONSISTENCY_UNKNOWN_OR_INVALID);
}

std::string CBupUsability::ToString() const {
    if (m_value == E_BUPINFO_USABILITY_INVALID_FILE_FOR_FULL_UPDATE)
        return "E_BUPINFO_USABILITY_INVALID_FILE_FOR_FULL_UPDATE";
    return NameOf(kUsabilityReadNames, m_value);
}

void CBupUsability::FromString(const std::string& s) {
    m_value = ValueOf(kUsabilityReadNames, s, USABILITY_EQUAL_VERSION);
}
