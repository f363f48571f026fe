// QMX2_GetGenericModuleInfo through the loaded module: the action status items.
#include "test_support.h"

using namespace qmxsim_test;

namespace {

class GenericInfoTest : public ModuleTest {
protected:
    // The record as the kernel sends it, and the module's answer.
    uint32_t Ask(const char* parameters, bool probe, bool extended, json& answer) {
        static const auto get = Sym<PFN_QMX2_GET_GENERIC_MODULE_INFO>("QMX2_GetGenericModuleInfo");
        std::string record = json{{"sParameters", parameters}, {"ulCheckParametersOnly", probe ? 1 : 0},
                                  {"fExtendedStatus", extended}, {"ulProgress", 0}}
                                 .dump();
        const uint32_t status = get(record);
        answer = json::parse(record);
        return status;
    }
};

}  // namespace

TEST_F(GenericInfoTest, ActionStatusItemsFromTheLastAction) {
    WriteBoard(R"({"board":"X1","bios_version":"2.06","last_action":{"status":0,
                   "accepted":"2026-01-02T03:04:05Z","executed":"2026-01-02T03:09:00Z"}})");
    json answer;
    EXPECT_NE(Ask("/ACTIONSTATUS", false, false, answer), 0u) << "not installed yet";
    ASSERT_EQ(Install(), 0u);

    ASSERT_EQ(Ask("/ACTIONSTATUS", true, false, answer), 0u);
    EXPECT_TRUE(answer["MapItems"].empty()) << "a probe only checks the parameters";
    EXPECT_EQ(answer["ulProgress"], 0) << "other keys come back unchanged";

    ASSERT_EQ(Ask("/ACTIONSTATUS", false, false, answer), 0u);
    EXPECT_EQ(answer["MapItems"],
              (json{{"StatusString", "Success"}, {"FlashActionAcceptedTimeStamp", "2026-01-02T03:04:05Z"},
                    {"FlashActionExecutedTimeStamp", "2026-01-02T03:09:00Z"}}));
    ASSERT_EQ(Ask("/ACTIONSTATUS", false, true, answer), 0u);
    EXPECT_EQ(answer["MapItems"]["StatusCode"], "0x00000000");

    EXPECT_EQ(Ask("/DETAILS", false, false, answer), Qmx2Status(QMX2_SEV_ERROR, QMX2_OP_GENERIC, QMX2_REASON_INVALID_PARAMETERS));
}

TEST_F(GenericInfoTest, PendingAndNoAction) {
    WriteBoard(R"({"board":"X1","last_action":{"accepted":"2026-01-02T03:04:05Z"}})");
    ASSERT_EQ(Install(), 0u);
    json answer;
    ASSERT_EQ(Ask("/ACTIONSTATUS", false, false, answer), 0u);
    EXPECT_EQ(answer["MapItems"]["StatusString"], "Pending");
    EXPECT_FALSE(answer["MapItems"].contains("FlashActionExecutedTimeStamp"));

    WriteBoard(R"({"board":"X1"})");
    ASSERT_EQ(Ask("/ACTIONSTATUS", false, false, answer), 0u);
    EXPECT_EQ(answer["MapItems"], (json{{"StatusString", "No BIOS action on record"}}));
}
