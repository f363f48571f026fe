#include "kernel/text_tables.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace NS_QMKRNL2;

namespace {
int EntryCount(const STextEntry* pTable) {
    int n = 0;
    while (pTable[n].id != 0 && pTable[n].text)
        ++n;
    return n;
}

constexpr const char* kNoString = "StringResLoad: resource not available";
constexpr const char* kNoEvent = "EventMsgLoad: resource not available";
}  // namespace

TEST(TextTables, SizeAndOrder) {
    EXPECT_EQ(EntryCount(g_StringTable), 137);
    EXPECT_EQ(EntryCount(g_EventTable), 109);

    struct Row {
        const STextEntry* table;
        int index;
        int id;
    };
    // Places where the numbering is not ascending, plus both ends.
    const Row rows[] = {
        {g_StringTable, 0, 1001},   {g_StringTable, 64, 1072},  {g_StringTable, 65, 1050},
        {g_StringTable, 88, 5130},  {g_StringTable, 89, 1083},  {g_StringTable, 136, 5523},
        {g_EventTable, 0, 2000},    {g_EventTable, 58, 2062},   {g_EventTable, 59, 2061},
        {g_EventTable, 81, 1253},   {g_EventTable, 84, 1218},   {g_EventTable, 108, 1236},
    };
    for (const Row& r : rows)
        EXPECT_EQ(r.table[r.index].id, r.id) << "index " << r.index;
}

TEST(TextTables, ExactTexts) {
    struct Row {
        const char* (*load)(int);
        int id;
        const char* text;
    };
    const Row rows[] = {
        {StringResLoad, 1020, "ERRO"},
        {StringResLoad, 1021, "INFO"},
        {StringResLoad, 1022, "WARN"},
        {StringResLoad, 1023,
         "BIOS update files  (*.bup; D*.omf; D*.ocf)|*.bup; D*.omf; D*.ocf|All Files  (*.*)|*.*||"},
        {StringResLoad, 1011,
         "The selected update pack does not contain all required components. Nevertheless is "
         "updating possible but may lead to conigurat"},
        {StringResLoad, 1016,
         "The BIOS update file contains an older or an equal version of the BIOS currently "
         "active. \n Do you still want to use this file?"},
        {StringResLoad, 1075,
         "Missing BIOS update file, none found or none could be used for this update. "},
        {StringResLoad, 5131, "Archiving system configuration not supported"},
        {StringResLoad, 5154, "%m-%d-%Y"},
        {EventMsgLoad, 2008, "Installierte Dateien k?nnen nicht entfernt werden"},
        {EventMsgLoad, 1211, "The signature of the module '%1' is invalid."},
        {EventMsgLoad, 2020, "Type of additional file not suported."},
        {EventMsgLoad, 2037, "System will be rebooted."},
        {EventMsgLoad, 1236, "Parameters: %s"},
    };
    for (const Row& r : rows)
        EXPECT_STREQ(r.load(r.id), r.text) << r.id;

    // Our own wordings exist.
    for (int id : {1014, 5332})
        EXPECT_GT(std::strlen(StringResLoad(id)), 20u) << id;
}

TEST(TextTables, UnknownIds) {
    for (int id : {0, -1, 1999, 2048, 2050, 5333, 99999}) {
        EXPECT_STREQ(StringResLoad(id), kNoString) << id;
        EXPECT_STREQ(EventMsgLoad(id), kNoEvent) << id;
    }
    // The tables are separate: string ids are not events and vice versa.
    EXPECT_STREQ(EventMsgLoad(1001), kNoEvent);
    EXPECT_STREQ(StringResLoad(2000), kNoString);
}

TEST(TextTables, LookupTakesFirstMatchAndStopsAtTheEnd) {
    const STextEntry table[] = {
        {7, "first"}, {7, "second"}, {8, nullptr}, {9, "behind the end"}, {0, nullptr},
    };
    EXPECT_STREQ(TextTableLookup(table, 7, "missing"), "first");
    EXPECT_STREQ(TextTableLookup(table, 8, "missing"), "missing");
    EXPECT_STREQ(TextTableLookup(table, 9, "missing"), "missing");
}
