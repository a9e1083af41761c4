#include "packaging/HardwareFiles.h"

#include "base/Text.h"

namespace corvane::packaging {

namespace {

constexpr std::string_view kUdevHeader =
    R"(# The supported VANTORA printers on USB: the user at the seat may open them, with no group
# membership needed, both as the kernel's usblp driver offers them (/dev/usb/lpN) and as the
# USB device itself (/dev/bus/usb), which the program drives through libusb when usblp does not
# hold the printer. The number keeps this file ahead of the seat rules that turn the uaccess tag
# into access.
)";

// udev matches the ids as sysfs spells them: four lower-case digits.
std::string IdTerms(const char* attribute, const product::UsbIds& ids) {
    return std::string(attribute) + "{idVendor}==\"" + base::HexWord(ids.vendorId) + "\", " +
           attribute + "{idProduct}==\"" + base::HexWord(ids.productId) + "\"";
}

}  // namespace

std::string UdevRules(std::span<const product::Model> models) {
    const auto ids = product::UsbIdsByPrecedence(models);
    std::string text(kUdevHeader);
    for (const auto& id : ids) {
        text += "SUBSYSTEM==\"usbmisc\", KERNEL==\"lp[0-9]*\", " + IdTerms("ATTRS", id) +
                ", TAG+=\"uaccess\"\n";
    }
    for (const auto& id : ids) {
        text += "SUBSYSTEM==\"usb\", ENV{DEVTYPE}==\"usb_device\", " + IdTerms("ATTR", id) +
                ", TAG+=\"uaccess\"\n";
    }
    return text;
}

std::string Metainfo(std::string_view templateText, std::span<const product::Model> models) {
    const std::size_t mark = templateText.find(kModaliasMark);
    if (mark == std::string_view::npos) {
        return std::string(templateText);
    }
    const std::size_t lineStart = templateText.rfind('\n', mark) + 1;
    const std::size_t lineEnd = templateText.find('\n', mark);
    const std::string_view indent = templateText.substr(lineStart, mark - lineStart);
    std::string aliases;
    // AppStream spells the ids in upper-case digits.
    for (const auto& id : product::UsbIdsByPrecedence(models)) {
        aliases += std::string(indent) + "<modalias>usb:v" +
                   base::Upper(base::HexWord(id.vendorId)) + "p" +
                   base::Upper(base::HexWord(id.productId)) + "d*</modalias>\n";
    }
    std::string text(templateText.substr(0, lineStart));
    text += aliases;
    if (lineEnd != std::string_view::npos) {
        text += templateText.substr(lineEnd + 1);
    }
    return text;
}

}  // namespace corvane::packaging
