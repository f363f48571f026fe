#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "extension/qmx2_bup_info.h"
#include "extension/qmx2_install_info.h"
#include "extension/qmx2_map_records.h"
#include "extension/qmx2_oem_info.h"
#include "extension/qmx2_operation_records.h"
#include "quillmark/qmx2.h"

using nlohmann::json;

namespace {

std::string Dump(const CQmx2Base& r) {
    std::string s;
    r.ToJsonStr(s);
    return s;
}

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

struct RecordCase {
    const char* name;
    std::unique_ptr<CQmx2Base> (*make)();
    size_t keys;
};

template <class T>
std::unique_ptr<CQmx2Base> Make() {
    return std::make_unique<T>();
}

const RecordCase kRecords[] = {
    {"OemInfo", Make<CQmx2OemInfo>, 17},
    {"OemSettings", Make<CQmx2OemSettings>, 5},
    {"BupInfo", Make<CQmx2BupInfo>, 19},
    {"UpdateInfo", Make<CQmx2UpdateInfo>, 22},
    {"ConfigRestoreInfo", Make<CQmx2ConfigRestoreInfo>, 22},
    {"BackInfo", Make<CQmx2BackInfo>, 17},
    {"ConfigBackInfo", Make<CQmx2ConfigBackInfo>, 18},
    {"InstallInfo", Make<CQmx2InstallInfo>, 6},
    {"DetailInfo", Make<CQmx2DetailInfo>, 16},
    {"ListBupInfo", Make<CQmx2ListBupInfo>, 1},
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
        EXPECT_EQ(text.find("\\u"), std::string::npos);

        record->clear();
        EXPECT_EQ(json::parse(Dump(*record)), defaults);
    }
}

TEST(Qmx2Records, FieldsBehindTheKeys) {
    CQmx2UpdateInfo update;
    update.FromJsonStr(FullUpdateReply().dump());
    EXPECT_EQ(update.m_iSeq, 7);
    EXPECT_EQ(update.ulDuration, 7u);
    EXPECT_EQ(update.m_sNextFile, "value of sNextFile \u00fc");
    EXPECT_EQ(static_cast<uint32_t>(update.NextFileLoc), 0x09u);
    EXPECT_TRUE(update.fBreakOnMeUpdateError);
    EXPECT_TRUE(update.ExplicitAreaMode);

    CQmx2BupInfo bup;
    bup.Usability = CBupUsability::USABILITY_OLDER_VERSION;
    bup.Consistency = CBupConsistency::CONSISTENCY_COMPLETE_VALID;
    bup.LowestPowerState = CPowerState::BUPINFO_POWER_S5;
    bup.clear();
    EXPECT_EQ(bup.Usability, CBupUsability::USABILITY_EQUAL_VERSION);
    EXPECT_EQ(bup.Consistency, CBupConsistency::CONSISTENCY_UNKNOWN_OR_INVALID);
    EXPECT_EQ(bup.LowestPowerState, CPowerState::BUPINFO_POWER_INVALID);

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
}

// Reading stops at the first missing or mistyped key: what came before it
// is taken, the rest stays as it was.
TEST(Qmx2Records, ReadingStopsAtTheFirstBadKey) {
    const struct {
        const char* key;
        json value;  // null: key left out
        const char* firstKept;
        const char* lastTaken;
    } cases[] = {
        {qmx2key::ExplicitAreaMode, nullptr, qmx2key::ExplicitAreaMode, qmx2key::BootOrderVariablesArea},
        {qmx2key::iSeq, "3", qmx2key::iSeq, nullptr},
        {qmx2key::iSeq, 1.5, qmx2key::iSeq, nullptr},
        {qmx2key::iSeq, true, qmx2key::iSeq, nullptr},
        {qmx2key::iSeq, 2147483648LL, qmx2key::iSeq, nullptr},
        {qmx2key::ulProgress, -1, qmx2key::ulProgress, qmx2key::iSeq},
        {qmx2key::ulDuration, 4294967296LL, qmx2key::ulDuration, qmx2key::ulProgress},
        {qmx2key::sPassword, 5, qmx2key::sPassword, qmx2key::sNextFile},
        {qmx2key::fForceRuntime, 1, qmx2key::fForceRuntime, qmx2key::fForceCapsulePost},
        // the location comes after the flags although it sorts before them
        {qmx2key::fExtendedStatus, nullptr, qmx2key::NextFileLoc, qmx2key::fBreakOnMeUpdateError},
        {qmx2key::NextFileLoc, 32, qmx2key::NextFileLoc, qmx2key::fExtendedStatus},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.key) + "=" + c.value.dump());
        json reply = FullUpdateReply();
        if (c.value.is_null())
            reply.erase(c.key);
        else
            reply[c.key] = c.value;

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

TEST(Qmx2Records, BupInfoReadsEnumerationsLast) {
    json reply = json::parse(Dump(CQmx2BupInfo()));
    for (auto& item : reply.items()) item.value() = NonDefault(item.key(), item.value());
    reply[qmx2key::Usability] = 1;

    CQmx2BupInfo bup;
    bup.Usability = CBupUsability::USABILITY_OLDER_VERSION;
    bup.FromJsonStr(reply.dump());
    EXPECT_TRUE(bup.fSkipBiosCompare);
    EXPECT_EQ(bup.PowerStatesAfterNvramUpdate, CPowerState::BUPINFO_POWER_ALL);
    EXPECT_EQ(bup.Usability, CBupUsability::USABILITY_OLDER_VERSION);
    EXPECT_EQ(bup.Consistency, CBupConsistency::CONSISTENCY_UNKNOWN_OR_INVALID);
}

TEST(Qmx2Records, MapItems) {
    CQmx2GetGenericModuleInfo info;
    info.MapItems.emplace("Item", "first");
    info.MapItems.emplace("Item", "last");
    info.MapItems.emplace("Other", "x");
    const json sent = json::parse(Dump(info));
    EXPECT_EQ(sent[qmx2key::MapItems], json({{"Item", "last"}, {"Other", "x"}}));
    std::string trace;
    info.MapToString(trace);
    EXPECT_EQ(trace, "[Item] = first\n[Item] = last\n[Other] = x");

    const struct {
        const char* what;
        json items;  // null: key left out
        size_t size;
    } cases[] = {
        {"empty object", json::object(), 0},
        {"missing", nullptr, 0},
        {"two items", {{"a", "1"}, {"b", "2"}}, 2},
        {"not an object", json::array({"a"}), 3},
        {"number member", {{"a", 1}}, 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        json reply = sent;
        if (c.items.is_null())
            reply.erase(qmx2key::MapItems);
        else
            reply[qmx2key::MapItems] = c.items;
        CQmx2GetGenericModuleInfo got = info;
        got.FromJsonStr(reply.dump());
        EXPECT_EQ(got.MapItems.size(), c.size);
    }

    CQmx2ListBupInfo list;
    list.MapItems.emplace("a", "b");
    list.FromJsonStr("{}");
    EXPECT_TRUE(list.MapItems.empty());
}

TEST(Qmx2Records, BrokenTextChangesNothing) {
    CQmx2UpdateInfo update;
    update.FromJsonStr(FullUpdateReply().dump());
    const std::string before = Dump(update);
    const std::string replies[] = {
        "", "{", "[1,2]", "42", "null", "{\"iSeq\":1,}",
        "// comment\n" + FullUpdateReply().dump(),
        FullUpdateReply().dump() + " trailing",
        "{\"sPartInfo\":\"\xff\"}",
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
    update.m_iSeq = -3;
    update.ulProgress = 4000000000u;
    update.m_sPartInfo = "part";
    update.m_sStatusInfo = "status";
    update.sFeedback = "feedback";
    update.m_sSourcePath = "/src";
    update.m_sNextFile = "next.bin";
    update.NextFileLoc = CNextFileLocation::UPD_NEXT_FILE_CUR_DIR;
    update.sPassword = "secret";
    update.m_fForceCapsulePost = true;
    update.m_fExtendedStatus = true;

    std::string text;
    update.ToString(text);
    EXPECT_EQ(text,
              "iSeq=-3\nulProgress=4000000000\nsPartInfo='part'\nsStatusInfo='status'\n"
              "sFeedback='feedback'\nm_sSourcePath='/src'\nm_sNextFile='next.bin'\n"
              "NextFileLoc=UPD_NEXT_FILE_CUR_DIR\nLen(sPassword)=6\nm_fForceCapsuleOnDisk=false\n"
              "m_fForceCapsulePost=true\nm_fForceRuntime=false\nm_fExtendedStatus=true");
    update.ToStringMini(text);
    EXPECT_EQ(text,
              "m_iSeq=-3\nsNextFile='next.bin'\nsPartInfo='part'\nsStatusInfo='status'\n"
              "sFeedback='feedback'\nLen(sPassword)=6");
}

TEST(Qmx2Records, InitForStart) {
    CQmx2ConfigBackInfo back;
    back.FromJsonStr(json::parse(Dump(back)).dump());
    back.m_iSeq = 5;
    back.ulProgress = 50;
    back.ulDuration = 9;
    back.m_sNextFile = "x";
    back.NextFileLoc = 0x3Fu;
    back.m_sPartInfo = back.m_sStatusInfo = back.sFeedback = "old";
    back.sPassword = "pw";
    back.InitForStart("/tmp/out", nullptr, true);
    EXPECT_EQ(back.m_iSeq, 0);
    EXPECT_EQ(back.ulProgress, 0u);
    EXPECT_EQ(back.ulDuration, 9u);
    EXPECT_EQ(back.m_sSourcePath, "/tmp/out");
    EXPECT_EQ(back.sDestPath, "/tmp/out");
    EXPECT_EQ(back.sDestName, "");
    EXPECT_TRUE(back.DebugCodeArea);
    EXPECT_TRUE(back.m_sNextFile.empty() && back.m_sPartInfo.empty() && back.m_sStatusInfo.empty() &&
                back.sFeedback.empty());
    EXPECT_EQ(static_cast<uint32_t>(back.NextFileLoc), 0u);
    EXPECT_EQ(back.sPassword, "pw");

    CQmx2MakeCombinedArchiveInfo combined;
    combined.InitForStart("bios", "cfg", "/dest", nullptr);
    EXPECT_EQ(combined.m_sSourcePath, "/dest");
    EXPECT_EQ(combined.sSourceBiosInput, "bios");
    EXPECT_EQ(combined.sSourceConfigurationDataInput, "cfg");
    EXPECT_EQ(combined.sDestName, "");

    // Only the request keys are reset; the call sequence goes on.
    CQmx2GetGenericModuleInfo generic;
    generic.m_iSeq = 4;
    generic.m_sSourcePath = "keep";
    generic.ulCheckParametersOnly = 1;
    generic.sParameters = "/ACTIONSTATUS";
    generic.InitForStart("/ignored");
    EXPECT_EQ(generic.m_iSeq, 4);
    EXPECT_EQ(generic.m_sSourcePath, "keep");
    EXPECT_EQ(generic.ulCheckParametersOnly, 0u);
    EXPECT_EQ(generic.sParameters, "");
}
