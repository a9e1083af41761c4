#pragma once

#include <string>
#include <vector>

#include "operations/NativeStatus.h"
#include "protocol/PrinterModel.h"
#include "service/SettingsDocument.h"

namespace corvane::service {

// A setting whose value is not the one wanted.
struct Difference {
    std::string key;
    std::string wanted;
    std::string found;
};

// The settings of a document that differ from another's: every setting the first does not leave
// at "No Change", compared as texts. Power save is compared only when the printer told it.
std::vector<Difference> Differences(const SettingsDocument& wanted, const SettingsDocument& found,
                                    bool powerSaveTold);

// Every setting whose text differs between two documents of a family, "No Change" counted as a
// text; a setting that only one of them has is compared with "". wanted is the first one's,
// found the second one's.
std::vector<Difference> SettingDifferences(const SettingsDocument& first,
                                           const SettingsDocument& second);

// What Get Status read, as a document of the family.
SettingsDocument DocumentFromStatus(protocol::PrinterModel family,
                                    const operations::NativeStatus& status);

}  // namespace corvane::service
