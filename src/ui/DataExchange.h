#pragma once

#include <string>
#include <type_traits>

#include "resources/DialogTemplate.h"
#include "ui/DialogHost.h"

namespace corvane::ui {

// Moves values between a dialog's members and its controls, in one direction per exchange:
// reading back (saving) fetches the controls into the members, pushing shows the members.
// After a failed read the remaining bindings are skipped and the exchange reports failure.
class DataExchange {
public:
    DataExchange(DialogHost& host, const resources::DialogTemplate& dialogTemplate, bool saving);

    bool Saving() const { return saving_; }
    bool Failed() const { return failed_; }

    // A radio group, by its first radio: the index of the checked radio, -1 for none.
    void Radio(ControlId firstId, int& index);
    // A radio group whose radios stand for the enumerators in order; with no radio checked the
    // value stays.
    template <typename Enum>
    requires std::is_enum_v<Enum>
    void Radio(ControlId firstId, Enum& value) {
        int index = static_cast<int>(value);
        Radio(firstId, index);
        if (saving_ && index >= 0) {
            value = static_cast<Enum>(index);
        }
    }
    // A list's selected index, -1 for none.
    void ListIndex(ControlId id, int& index);
    void Check(ControlId id, bool& checked);
    // A label's caption or an edit field's text.
    void Text(ControlId id, std::string& text);
    // An integer edit field. Reading text that is no integer fails with a message.
    void Integer(ControlId id, int& value);

private:
    DialogHost& host_;
    const resources::DialogTemplate& template_;
    bool saving_;
    bool failed_ = false;
};

}  // namespace corvane::ui
