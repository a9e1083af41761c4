// The manager's values, which the window and the command line share, written to the simulated
// printer and read back: every list position and every pin comes back where it was.
#include <gtest/gtest.h>

#include <string>

#include "operations/CodePages.h"
#include "operations/NativeStatus.h"
#include "operations/StatusValues.h"
#include "platform/sim/SimPlatform.h"
#include "sim/VirtualPrinter.h"

namespace corvane::operations {
namespace {

using protocol::PrinterModel;

// Writes the values to a printer of the model and reads them back into fresh values.
StatusRecord WrittenAndReadBack(sim::Model model, const StatusRecord& values) {
    const PrinterModel family =
        sim::IsKrt310Family(model) ? PrinterModel::Krt310Family : PrinterModel::Krt620;
    platform::sim::SimPlatform platform;
    sim::VirtualPrinter printer(model);
    platform.AttachSerial("COM1", printer);
    link::PrinterPort port(platform);
    port.SetPortName("COM1");
    port.SetLineSettings({.baudRate = 9600, .dataBits = 8});
    EXPECT_TRUE(port.Open());
    NoProgress progress;
    StatusWrite write = StatusToWrite(family, values, CodePageSelection(family, values.switchPage1),
                                      std::string(sim::DefaultIdentity(model).model));
    EXPECT_TRUE(WriteNativeStatus(port, family, write, progress).ok);
    ReadResult read = ReadNativeStatus(port, family, progress);
    EXPECT_TRUE(read.ok);
    StatusRecord back = UnsetValues();
    TakeStatus(family, read.status, back);
    return RecordForModel(family, back);
}

// Guards against the list texts of the window and the values written drifting apart: the item
// at each position names the value that position writes and reads back.
TEST(StatusValues, EveryListPositionWritesWhatItsItemSaysAndReadsBackThere) {
    struct Row {
        SettingList list;
        int StatusRecord::*field;
        std::vector<std::string> items;  // after "No Change"
    };
    const std::vector<Row> rows = {
        {SettingList::Baud, &StatusRecord::baudIndex, {"1200", "2400", "4800", "9600", "19200"}},
        {SettingList::DataBits, &StatusRecord::dataBitsIndex, {"7", "8"}},
        {SettingList::Parity, &StatusRecord::parityIndex, {"None", "Odd", "Even"}},
        {SettingList::FlowControl, &StatusRecord::flowControlIndex, {"DTR/DSR", "Xon/Xoff"}},
        {SettingList::PaperWidth,
         &StatusRecord::paperWidthIndex,
         {"57.5mm (2.26\")", "69.5mm (2.74\")", "76mm (3.00\")"}},
    };
    for (const Row& row : rows) {
        auto items = ListItems(row.list);
        ASSERT_EQ(items.size(), row.items.size() + 1);
        EXPECT_EQ(items[0], "No Change");
        for (std::size_t i = 1; i < items.size(); ++i) {
            SCOPED_TRACE(items[i]);
            EXPECT_EQ(items[i], row.items[i - 1]);
            StatusRecord values = UnsetValues();
            values.baudIndex = values.dataBitsIndex = values.parityIndex = values.flowControlIndex =
                values.paperWidthIndex = 0;
            values.*row.field = static_cast<int>(i);
            values.switchPage1 = SwitchPage1ForSelection(PrinterModel::Krt310Family, 0);
            StatusRecord back = WrittenAndReadBack(sim::Model::Krt310II, values);
            EXPECT_EQ(back.*row.field, static_cast<int>(i));
        }
    }
}

// Guards against a code page pick that reads back as another entry, and against "No Change"
// turning into the code page numbered 0.
TEST(StatusValues, EveryCodePageAndNoChangeSurviveTheSwitchPins) {
    for (PrinterModel family : {PrinterModel::Krt310Family, PrinterModel::Krt620}) {
        const int entries = static_cast<int>(CodePageValue(family).size());
        for (int selection = 0; selection <= entries; ++selection) {
            SCOPED_TRACE(selection);
            auto pins = SwitchPage1ForSelection(family, selection);
            EXPECT_EQ(CodePageSelection(family, pins), selection == 0 ? -1 : selection);
            StatusRecord values = UnsetValues();
            values.switchPage1 = pins;
            StatusWrite write =
                StatusToWrite(family, values, CodePageSelection(family, values.switchPage1));
            EXPECT_EQ(write.codePage, CodePageNumber(family, selection));
        }
    }
    // A printer that holds code page 22 reads back as that entry after a write through the pins.
    StatusRecord values = UnsetValues();
    values.baudIndex = values.dataBitsIndex = values.parityIndex = values.flowControlIndex =
        values.paperWidthIndex = 0;
    int israel = *CodePagePosition(PrinterModel::Krt310Family, 22) + 1;
    values.switchPage1 = SwitchPage1ForSelection(PrinterModel::Krt310Family, israel);
    EXPECT_EQ(CodePageSelection(PrinterModel::Krt310Family,
                                WrittenAndReadBack(sim::Model::Krt310, values).switchPage1),
              israel);
}

// Guards against pins of the second switch landing on the wrong pin or the wrong switch.
TEST(StatusValues, SecondSwitchPinsComeBackOnTheirPinOnBothFamilies) {
    for (sim::Model model : {sim::Model::Krt310, sim::Model::Krt620}) {
        const PrinterModel family =
            sim::IsKrt310Family(model) ? PrinterModel::Krt310Family : PrinterModel::Krt620;
        StatusRecord values = UnsetValues();
        values.baudIndex = values.dataBitsIndex = values.parityIndex = values.flowControlIndex =
            values.paperWidthIndex = 0;
        values.switchPage1 = SwitchPage1ForSelection(family, 0);
        auto& second = family == PrinterModel::Krt620 ? values.switchPage5 : values.switchPage2;
        for (int pin = 1; pin <= 8; ++pin) {
            second[static_cast<std::size_t>(pin)] =
                pin % 3 == 0 ? protocol::kPinSwitchOn : protocol::kPinSwitchOff;
        }
        StatusRecord back = WrittenAndReadBack(model, RecordForModel(family, values));
        EXPECT_EQ(family == PrinterModel::Krt620 ? back.switchPage5 : back.switchPage2, second);
    }
}

}  // namespace
}  // namespace corvane::operations
