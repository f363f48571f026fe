// What the module reads of the machine: DMI identity, ME version, power.
#include <gtest/gtest.h>

#include "dmi_identity.h"
#include "power_supply.h"
#include "test_tree.h"

namespace qmxefi_test {
namespace {

using qmxefi::PowerSource;
using qmxefi::RootPath;

TEST(Identity, ComesFromDmiTrimmedAndMeFromItsFirstLine) {
    FakeTree tree;
    tree.Dmi("NUC/8 ", " 1.17.0", "Quill Desk 8", "03/02/2024", "Quill").Me("0:16.1.25.1885\n0:16.1.25.1885\n");
    const qmxefi::Identity id = qmxefi::ReadIdentity(RootPath(tree.root()));
    EXPECT_EQ(id.bios_version, "1.17.0");
    EXPECT_EQ(id.bios_date, "03/02/2024");
    EXPECT_EQ(id.board_vendor, "Quill");
    EXPECT_EQ(id.board_name, "NUC/8");
    EXPECT_EQ(id.me_firmware_version, "16.1.25.1885");
    // The board's name stands in archive names: no "/".
    EXPECT_EQ(qmxefi::SystemName(id), "NUC-8");
    EXPECT_TRUE(qmxefi::NamesThisMachine(id, "NUC/8"));
    EXPECT_TRUE(qmxefi::NamesThisMachine(id, "Quill Desk 8"));
    EXPECT_FALSE(qmxefi::NamesThisMachine(id, "NUC-8"));
}

TEST(Identity, MissingFilesLeaveFieldsEmptyAndTheProductNameStandsIn) {
    FakeTree tree;
    tree.Write("sys/class/dmi/id/product_name", "Quill Tower\n");
    const qmxefi::Identity id = qmxefi::ReadIdentity(RootPath(tree.root()));
    EXPECT_EQ(id.bios_version, "");
    EXPECT_EQ(id.me_firmware_version, "");
    EXPECT_EQ(qmxefi::SystemName(id), "Quill Tower");
    EXPECT_FALSE(qmxefi::NamesThisMachine(id, ""));  // an empty board name matches nothing
}

struct PowerCase {
    const char* what;
    std::vector<std::tuple<const char*, const char*, bool>> supplies;
    PowerSource expected;
};

class Power : public ::testing::TestWithParam<PowerCase> {};

TEST_P(Power, IsBatteryOnlyWhenABatteryRunsAndNoExternalSupplyIsOnline) {
    FakeTree tree;
    for (const auto& [name, type, online] : GetParam().supplies) tree.Supply(name, type, online);
    EXPECT_EQ(qmxefi::ReadPowerSource(RootPath(tree.root())), GetParam().expected) << GetParam().what;
}

INSTANTIATE_TEST_SUITE_P(
    Table, Power,
    ::testing::Values(
        PowerCase{"desktop without supplies", {}, PowerSource::kNoSupplies},
        PowerCase{"laptop on mains", {{"AC", "Mains", true}, {"BAT0", "Battery", false}}, PowerSource::kMains},
        PowerCase{"laptop on battery", {{"AC", "Mains", false}, {"BAT0", "Battery", false}}, PowerSource::kBattery},
        PowerCase{"USB-C charger online",
                  {{"AC", "Mains", false}, {"ucsi-source-psy-1", "USB", true}, {"BAT0", "Battery", false}},
                  PowerSource::kMains},
        PowerCase{"offline USB-C port on battery",
                  {{"ucsi-source-psy-1", "USB", false}, {"BAT0", "Battery", false}},
                  PowerSource::kBattery},
        PowerCase{"no battery, supply offline", {{"AC", "Mains", false}}, PowerSource::kNoSupplies}));

}  // namespace
}  // namespace qmxefi_test
