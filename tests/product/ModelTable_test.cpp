// A model of an existing family is one more row of the model table: everything that tells the
// models apart takes the row from the table it is given.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "link/UsbPrinterFinder.h"
#include "packaging/HardwareFiles.h"
#include "platform/sim/SimPlatform.h"
#include "product/Models.h"
#include "protocol/Identification.h"
#include "startup/CliOptions.h"
#include "support/RecordingReporter.h"

namespace corvane::product {
namespace {

// A made-up successor of the KRT-310II, with USB ids of its own.
constexpr Model kKrt310III = {"KRT-310III", PrinterModel::Krt310Family, {0x2c9a, 0x0031}, 4, false,
                              true};

std::vector<Model> WithKrt310III() {
    std::vector<Model> models(kModels.begin(), kModels.end());
    models.push_back(kKrt310III);
    return models;
}

TEST(ModelTable, AModelOfAnExistingFamilyIsOneRow) {
    const std::vector<Model> models = WithKrt310III();

    // The connection window's KRT-310 family choice takes the printer's name, and only that one.
    EXPECT_TRUE(protocol::IsAcceptedModel(PrinterModel::Krt310Family, "KRT-310III", models));
    EXPECT_FALSE(protocol::IsAcceptedModel(PrinterModel::Krt620, "KRT-310III", models));
    EXPECT_FALSE(protocol::IsAcceptedModel(PrinterModel::Krt310Family, "KRT-310III"));

    // corvane-cli's --model takes its name as any other model's, and so its family.
    const std::vector<std::string> line = {"identify", "--model", "310iii"};
    startup::CliParseResult parsed = startup::ParseCliOptions(line, models);
    ASSERT_TRUE(parsed.ok) << parsed.error;
    ASSERT_TRUE(parsed.options.model.has_value());
    EXPECT_EQ(parsed.options.model->name, "KRT-310III");
    EXPECT_EQ(parsed.options.model->family, PrinterModel::Krt310Family);
    EXPECT_FALSE(startup::ParseCliOptions(line).ok);

    // The USB finder takes it last in order of precedence, and Connect's vendor check passes it.
    platform::sim::SimPlatform platform;
    platform::sim::ScriptedPeer printer;
    platform.AttachUsb("/dev/usb/lp0", 0x2c9a, 0x0031, printer);
    support::RecordingReporter reporter;
    link::UsbPrinterFinder finder(platform, reporter, models);
    EXPECT_EQ(finder.IdTable().back(), kKrt310III.usb);
    EXPECT_NE(finder.OpenUsbPrinter(), nullptr);
    EXPECT_TRUE(finder.ChosenDeviceHasVendor(UsbVendorOf(PrinterModel::Krt310Family, models)));

    // The package's udev rule gives the user at the seat both of its USB paths.
    const std::string rules = packaging::UdevRules(models);
    EXPECT_NE(rules.find("KERNEL==\"lp[0-9]*\", ATTRS{idVendor}==\"2c9a\", "
                         "ATTRS{idProduct}==\"0031\", TAG+=\"uaccess\"\n"),
              std::string::npos);
    EXPECT_NE(rules.find("ENV{DEVTYPE}==\"usb_device\", ATTR{idVendor}==\"2c9a\", "
                         "ATTR{idProduct}==\"0031\", TAG+=\"uaccess\"\n"),
              std::string::npos);
}

}  // namespace
}  // namespace corvane::product
