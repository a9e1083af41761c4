#include "ui/DataExchange.h"

#include <charconv>

namespace corvane::ui {

DataExchange::DataExchange(DialogHost& host, const resources::DialogTemplate& dialogTemplate,
                           bool saving)
    : host_(host), template_(dialogTemplate), saving_(saving) {}

void DataExchange::Radio(ControlId firstId, int& index) {
    if (failed_) {
        return;
    }
    std::vector<int> group = template_.RadioGroup(firstId);
    if (saving_) {
        index = -1;
        for (std::size_t i = 0; i < group.size(); ++i) {
            if (host_.IsChecked(group[i])) {
                index = static_cast<int>(i);
                break;
            }
        }
        return;
    }
    for (std::size_t i = 0; i < group.size(); ++i) {
        host_.SetCheck(group[i], static_cast<int>(i) == index);
    }
}

void DataExchange::ListIndex(ControlId id, int& index) {
    if (failed_) {
        return;
    }
    if (saving_) {
        index = host_.Selection(id);
    } else {
        host_.SetSelection(id, index);
    }
}

void DataExchange::Check(ControlId id, bool& checked) {
    if (failed_) {
        return;
    }
    if (saving_) {
        checked = host_.IsChecked(id);
    } else {
        host_.SetCheck(id, checked);
    }
}

void DataExchange::Text(ControlId id, std::string& text) {
    if (failed_) {
        return;
    }
    if (saving_) {
        text = host_.ControlText(id);
    } else {
        host_.SetControlText(id, text);
    }
}

void DataExchange::Integer(ControlId id, int& value) {
    if (failed_) {
        return;
    }
    if (!saving_) {
        host_.SetControlText(id, std::to_string(value));
        return;
    }
    std::string text = host_.ControlText(id);
    std::size_t begin = text.find_first_not_of(" \t");
    std::size_t end = text.find_last_not_of(" \t");
    int parsed = 0;
    bool ok = begin != std::string::npos;
    if (ok) {
        const char* first = text.data() + begin;
        const char* last = text.data() + end + 1;
        if (*first == '+') {
            ++first;
        }
        auto [ptr, ec] = std::from_chars(first, last, parsed);
        ok = ec == std::errc() && ptr == last;
    }
    if (!ok) {
        host_.MessageBox("Please enter an integer.", "", Icon::Exclamation);
        host_.SetFocus(id);
        failed_ = true;
        return;
    }
    value = parsed;
}

}  // namespace corvane::ui
