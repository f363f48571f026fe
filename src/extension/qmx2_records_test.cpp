#include <gtest/gtest.h>

#include <memory>
#include <string>

#include <nlohmann/json.hpp>

#include "extension/qmx2_bup_info.h"
#include "extension/qmx2_install_info.h"
#include "extension/qmx2_map_records.h"
#include "extension/qmx2_oem_info.h"
#include "extension/qmx2_operation_records.h"
#include "quillmark/qmx2.h"

using nlohmann::json;

namespace {

std::string Dump(const CQmx2Base& r) { std::string s; r.ToJsonStr(s); return s; }

// Non-default values of each key's type; text enumerations get a valid name.
json NonDefault(const std::string& key, const json& value) {
    if (key == qmx2key::NextFileLoc) return "UPD_NEXT_FILE_NEWEST | UPD_NEXT_FILE_CUR_BUP";
    if (key == qmx2key::LowestPowerState) return "BUPINFO_POWER_S3";
    if (key == qmx2key::PowerStatesAfterBiosUpdate) return "BUPINFO_POWER_S4";
    if (key == qmx2key::PowerStatesAfterNvramUpdate) return "BUPINFO_POWER_ALL";
    if (key == qmx2key::Usability) return "USABILITY_NEWER_VERSION";
    if (key == qmx2key::Consistency) return "CONSISTENCY_COMPLETE_VALID";
    if (key == qmx2key::MapItems) return {{"Status", "ok"}, {"Zeit", "12:00 Uhr \u00e4"}};
    if (value.is_string() && value.get<std::string>().rfind("OEM_SETTING_", 0) == 0)
        return "OEM_SETTING_ENABLED";
    if (value.is_boolean()) return true;
    if (value.is_number()) return 7;
    return "value of " + key + " \u00fc";
}

template <class T>
std::unique_ptr<CQmx2Base> Make() { return std::make_unique<T>(); }

const struct { const char* name; std::unique_ptr<CQmx2Base> (*make)(); size_t keys; } kRecords[] = {
    {"OemInfo", Make<CQmx2OemInfo>, 17}, {"OemSettings", Make<CQmx2OemSettings>, 5},
    {"BupInfo", Make<CQmx2BupInfo>, 19}, {"UpdateInfo", Make<CQmx2UpdateInfo>, 22},
    {"ConfigRestoreInfo", Make<CQmx2ConfigRestoreInfo>, 22}, {"BackInfo", Make<CQmx2BackInfo>, 17},
    {"ConfigBackInfo", Make<CQmx2ConfigBackInfo>, 18}, {"InstallInfo", Make<CQmx2InstallInfo>, 6},
    {"DetailInfo", Make<CQmx2DetailInfo>, 16}, {"ListBupInfo", Make<CQmx2ListBupInfo>, 1},
    {"GetGenericModuleInfo", Make<CQmx2GetGenericModuleInfo>, 18},
    {"MakeCombinedArchiveInfo", Make<CQmx2MakeCombinedArchiveInfo>, 19},
};

// A full update reply with every key changed from its default.
json FullUpdateReply() {
    json reply = json::parse(Dump(CQmx2UpdateInfo()));
    for (auto& item : reply.items()) item.value() = NonDefault(item.key(), item.value());
    return reply;
}

}  // namespace

// Every key a record writes is read back into the same key, text unchanged.
TEST(Qmx2Records, EveryKeyRoundTrips) {
    for (const auto& rc : kRecords) {
        SCOPED_TRACE(rc.name);
        const json defaults = json::parse(Dump(*rc.make()));
        EXPECT_EQ(defaults.size(), rc.keys);
        json changed = defaults;
        for (auto& item : changed.items()) item.value() = NonDefault(item.key(), item.value());

        auto record = rc.make();
        record->FromJsonStr(changed.dump());
        const std::string text = Dump(*record);
        EXPECT_EQ(json::parse(text), changed);
        // indented by 4, sorted, non-ASCII as is
        EXPECT_EQ(text, changed.dump(4));

        record->clear();
        EXPECT_EQ(json::parse(Dump(*record)), defaults);
    }
}

TEST(Qmx2Records, FieldsBehindTheKeys) {
    CQmx2UpdateInfo update;
    update.FromJsonStr(FullUpdateReply().dump());
    EXPECT_EQ(update.m_iSeq, 7);
    EXPECT_EQ(update.m_sNextFile, "value of sNextFile \u00fc");
    EXPECT_EQ(static_cast<uint32_t>(update.NextFileLoc), 0x09u);
    EXPECT_TRUE(update.ExplicitAreaMode);

    CQmx2BupInfo bup;
    json reply = json::parse(Dump(bup));
    reply[qmx2key::Usability] = "E_BUPINFO_USABILITY_INVALID_FILE_FOR_FULL_UPDATE";
    reply[qmx2key::LowestPowerState] = "<unknown>";
    reply[qmx2key::Consistency] = "CONSISTENCY_INCOMPLETE_VALID";
    bup.Usability = CBupUsability::USABILITY_MAJOR_VERSION;
    bup.LowestPowerState = CPowerState::BUPINFO_POWER_S1;
    bup.FromJsonStr(reply.dump());
    EXPECT_EQ(bup.Usability, CBupUsability::USABILITY_EQUAL_VERSION);
    EXPECT_EQ(bup.LowestPowerState, CPowerState::BUPINFO_POWER_INVALID);
    EXPECT_EQ(bup.Consistency, CBupConsistency::CONSISTENCY_INCOMPLETE_VALID);

    // The enumerations are read last: a bad one keeps all else taken.
    for (auto& item : reply.items()) item.value() = NonDefault(item.key(), item.value());
    reply[qmx2key::Usability] = 1;
    bup.Usability = CBupUsability::USABILITY_OLDER_VERSION;
    bup.Consistency = CBupConsistency::CONSISTENCY_UNKNOWN_OR_INVALID;
    bup.FromJsonStr(reply.dump());
    EXPECT_TRUE(bup.fSkipBiosCompare);
    EXPECT_EQ(bup.PowerStatesAfterNvramUpdate, CPowerState::BUPINFO_POWER_ALL);
    EXPECT_EQ(bup.Usability, CBupUsability::USABILITY_OLDER_VERSION);
    EXPECT_EQ(bup.Consistency, CBupConsistency::CONSISTENCY_UNKNOWN_OR_INVALID);
}

// Reading stops at the first missing or mistyped key: what came before it
// is taken, the rest stays as it was.
TEST(Qmx2Records, ReadingStopsAtTheFirstBadKey) {
    // value null: key left out
    const struct { const char* key; json value; const char* firstKept; const char* lastTaken; } cases[] = {
        {qmx2key::ExplicitAreaMode, nullptr, qmx2key::ExplicitAreaMode, qmx2key::BootOrderVariablesArea},
        {qmx2key::iSeq, "3", qmx2key::iSeq, nullptr},
        {qmx2key::iSeq, true, qmx2key::iSeq, nullptr},
        {qmx2key::iSeq, 2147483648LL, qmx2key::iSeq, nullptr},
        {qmx2key::ulProgress, -1, qmx2key::ulProgress, qmx2key::iSeq},
        {qmx2key::ulDuration, 4294967296LL, qmx2key::ulDuration, qmx2key::ulProgress},
        {qmx2key::fForceRuntime, 1, qmx2key::fForceRuntime, qmx2key::fForceCapsulePost},
        // the location comes after the flags although it sorts before them
        {qmx2key::fExtendedStatus, nullptr, qmx2key::NextFileLoc, qmx2key::fBreakOnMeUpdateError},
        {qmx2key::NextFileLoc, 32, qmx2key::NextFileLoc, qmx2key::fExtendedStatus},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.key) + "=" + c.value.dump());
        json reply = FullUpdateReply();
        if (c.value.is_null()) reply.erase(c.key);
        else reply[c.key] = c.value;
        CQmx2UpdateInfo update;
        update.ExplicitAreaMode = true;  // must survive when not read
        update.NextFileLoc = 0x20u;
        const json before = json::parse(Dump(update));
        update.FromJsonStr(reply.dump());
        const json after = json::parse(Dump(update));
        EXPECT_EQ(after[c.firstKept], before[c.firstKept]);
        if (c.lastTaken) EXPECT_EQ(after[c.lastTaken], reply[c.lastTaken]);
        else EXPECT_EQ(after, before);
    }

    // A valid edge value is taken.
    json reply = FullUpdateReply();
    reply[qmx2key::ulProgress] = 4294967295LL;
    reply[qmx2key::iSeq] = -2147483647 - 1;
    CQmx2UpdateInfo update;
    update.FromJsonStr(reply.dump());
    EXPECT_EQ(update.ulProgress, 4294967295u);
    EXPECT_EQ(update.m_iSeq, INT32_MIN);
}

// A derived record reads all its base's keys before its own, and the operation
// keys end with NextFileLoc: a bad own key still takes every base key, a bad
// NextFileLoc takes none of the keys after it.
TEST(Qmx2Records, BaseKeysAreReadFirst) {
    using MakeFn = std::unique_ptr<CQmx2Base> (*)();
    const struct { const char* name; MakeFn make; MakeFn makeBase; } cases[] = {
        {"UpdateInfo", Make<CQmx2UpdateInfo>, Make<CQmx2OperationBase>},
        {"ConfigRestoreInfo", Make<CQmx2ConfigRestoreInfo>, Make<CQmx2OperationBase>},
        {"BackInfo", Make<CQmx2BackInfo>, Make<CQmx2OperationBase>},
        {"ConfigBackInfo", Make<CQmx2ConfigBackInfo>, Make<CQmx2BackInfo>},
        {"DetailInfo", Make<CQmx2DetailInfo>, Make<CQmx2OperationBase>},
        {"GetGenericModuleInfo", Make<CQmx2GetGenericModuleInfo>, Make<CQmx2OperationBase>},
        {"MakeCombinedArchiveInfo", Make<CQmx2MakeCombinedArchiveInfo>, Make<CQmx2OperationBase>},
    };
    const json operationKeys = json::parse(Dump(CQmx2OperationBase()));
    for (const auto& c : cases) {
        const json defaults = json::parse(Dump(*c.make()));
        const json baseKeys = json::parse(Dump(*c.makeBase()));
        json full = defaults;
        for (auto& item : full.items()) item.value() = NonDefault(item.key(), item.value());
        auto readBack = [&](const std::string& badKey) {
            json reply = full;
            reply[badKey] = json::array();
            auto record = c.make();
            record->FromJsonStr(reply.dump());
            return json::parse(Dump(*record));
        };

        for (const auto& own : defaults.items()) {
            if (baseKeys.contains(own.key())) continue;
            SCOPED_TRACE(std::string(c.name) + ", bad " + own.key());
            const json after = readBack(own.key());
            EXPECT_EQ(after[own.key()], defaults[own.key()]);
            for (const auto& base : baseKeys.items())
                EXPECT_EQ(after[base.key()], full[base.key()]) << base.key();
        }

        SCOPED_TRACE(std::string(c.name) + ", bad NextFileLoc");
        const json after = readBack(qmx2key::NextFileLoc);
        for (const auto& item : defaults.items()) {
            const bool fTaken = operationKeys.contains(item.key()) && item.key() != qmx2key::NextFileLoc;
            EXPECT_EQ(after[item.key()], fTaken ? full[item.key()] : defaults[item.key()]) << item.key();
        }
    }
}

TEST(Qmx2Records, MapItems) {
    CQmx2GetGenericModuleInfo info;
    info.MapItems.emplace("Item", "first");
    info.MapItems.emplace("Item", "last");
    info.MapItems.emplace("Other", "x");
    const json sent = json::parse(Dump(info));
    EXPECT_EQ(sent[qmx2key::MapItems], json({{"Item", "last"}, {"Other", "x"}}));

    const struct { const char* what; json items; size_t size; } cases[] = {  // null: key left out
        {"empty object", json::object(), 0},
        {"missing", nullptr, 0},
        {"two items", {{"a", "1"}, {"b", "2"}}, 2},
        {"not an object", json::array({"a"}), 3},
        {"number member", {{"a", 1}}, 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        json reply = sent;
        if (c.items.is_null()) reply.erase(qmx2key::MapItems);
        else reply[qmx2key::MapItems] = c.items;
        CQmx2GetGenericModuleInfo got = info;
        got.FromJsonStr(reply.dump());
        EXPECT_EQ(got.MapItems.size(), c.size);
    }

    // A list reply that is no object at all is a failure, not an empty list.
    for (const char* reply : {"null", "[\"a\"]"}) {
        CQmx2ListBupInfo list;
        list.MapItems.emplace("a", "1");
        list.FromJsonStr(reply);
        EXPECT_EQ(list.MapItems.size(), 1u) << reply;
    }
}

TEST(Qmx2Records, BrokenTextChangesNothing) {
    CQmx2UpdateInfo update;
    update.FromJsonStr(FullUpdateReply().dump());
    const std::string before = Dump(update);
    const std::string replies[] = {
        "", "[1,2]", "{\"iSeq\":1,}", "// comment\n" + FullUpdateReply().dump(),
        FullUpdateReply().dump() + " trailing", "{\"sPartInfo\":\"\xff\"}",
    };
    for (const auto& r : replies) {
        EXPECT_NO_THROW(update.FromJsonStr(r)) << r;
        EXPECT_EQ(Dump(update), before) << r;
    }

    // Text that is not UTF-8 cannot be written; the old text stays.
    update.m_sPartInfo = "bad \xc3\x28 text";
    std::string out = "kept";
    EXPECT_NO_THROW(update.ToJsonStr(out));
    EXPECT_EQ(out, "kept");
}

TEST(Qmx2Records, TraceTextsShowOnlyThePasswordLength) {
    CQmx2UpdateInfo update;
    update.sPassword = "secret";
    std::string full, mini;
    update.ToString(full);
    update.ToStringMini(mini);
    for (const std::string& text : {full, mini}) {
        EXPECT_NE(text.find("Len(sPassword)=6"), std::string::npos) << text;
        EXPECT_EQ(text.find("secret"), std::string::npos) << text;
    }
}

// Only the request keys are reset; the password stays, the call sequence of
// a generic request goes on.
TEST(Qmx2Records, InitForStart) {
    CQmx2ConfigBackInfo back;
    back.m_iSeq = 5;
    back.ulProgress = 50;
    back.m_sNextFile = back.m_sPartInfo = "old";
    back.NextFileLoc = 0x3Fu;
    back.sPassword = "pw";
    back.InitForStart("/tmp/out", nullptr, true);
    EXPECT_EQ(back.m_iSeq, 0);
    EXPECT_EQ(back.ulProgress, 0u);
    EXPECT_EQ(back.sDestPath, "/tmp/out");
    EXPECT_TRUE(back.DebugCodeArea);
    EXPECT_TRUE(back.m_sNextFile.empty() && back.m_sPartInfo.empty());
    EXPECT_EQ(static_cast<uint32_t>(back.NextFileLoc), 0u);
    EXPECT_EQ(back.sPassword, "pw");

    CQmx2GetGenericModuleInfo generic;
    generic.m_iSeq = 4;
    generic.m_sSourcePath = "keep";
    generic.sParameters = "/ACTIONSTATUS";
    generic.InitForStart("/ignored");
    EXPECT_EQ(generic.m_iSeq, 4);
    EXPECT_EQ(generic.m_sSourcePath, "keep");
    EXPECT_EQ(generic.sParameters, "");
}
