#include "extension/qmx2_base.h"

#include <exception>

#include <nlohmann/json.hpp>

#include "support/opus_trace.h"

void CQmx2Base::ToJsonStr(std::string& out) const {
    try {
        nlohmann::json j = nlohmann::json::object();
        ToJson(j);
        // strict: text that is not valid UTF-8 throws instead of being altered
        out = j.dump(4, ' ', false, nlohmann::json::error_handler_t::strict);
    } catch (const std::exception& e) {
        QM_TRACE(1, "Exception", "", "%s", e.what());
    }
}

void CQmx2Base::FromJsonStr(const std::string& in) {
    int step = 0;
    try {
        const nlohmann::json j = nlohmann::json::parse(in);
        step = 1;
        FromJson(j);
    } catch (const std::exception& e) {
        QM_TRACE(1, "Exception", "", "%s,step=%d,content='%s'", e.what(), step, in.c_str());
    }
}

void CQmx2Base::ToString(std::string& out) const {
    ToJsonStr(out);
}
