// The JSON settings loader of the service layer: any text either loads into settings the manager's
// lists offer, which write out as JSON that loads back the same, or is refused with a message.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "FuzzPort.h"
#include "service/SettingsDocument.h"

using namespace corvane;
using namespace corvane::fuzz;

namespace {

bool SamePrinter(const service::SettingsDocument& a, const service::SettingsDocument& b) {
    if (a.printer.has_value() != b.printer.has_value()) {
        return false;
    }
    return !a.printer ||
           (a.printer->port == b.printer->port && a.printer->maker == b.printer->maker &&
            a.printer->model == b.printer->model && a.printer->firmware == b.printer->firmware &&
            a.printer->language == b.printer->language);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    service::SettingsDocument document;
    std::string error;
    if (!service::LoadSettingsJson(text, document, error)) {
        Require(!error.empty());
        return 0;
    }
    Require(service::CheckStatusRecord(document.values, error));
    service::SettingTexts(document);
    service::SettingsDocument again;
    Require(service::LoadSettingsJson(service::SettingsJson(document), again, error));
    Require(again.family == document.family);
    Require(again.values == document.values);
    Require(SamePrinter(again, document));
    return 0;
}
