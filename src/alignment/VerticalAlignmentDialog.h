#pragma once

#include <array>
#include <cstdint>

#include "ui/Dialog.h"

namespace corvane::link {
class PrinterPort;
}

namespace corvane::alignment {

// The KRT-620's vertical alignment tool (template 159): prints the alignment pattern, stores
// the offset -3 to 3 chosen for each of the rows [A] to [D], and prints the verification
// pattern. The printer answers none of these commands.
class VerticalAlignmentDialog : public ui::Dialog {
public:
    static constexpr int kTemplateId = 159;
    static constexpr int kRowCount = 4;
    static constexpr int kColumnCount = 7;
    static constexpr int kFirstRadioId = 1071;  // row [A], column "-3"; rows follow in sevens
    static constexpr int kPatternPrint = 1055;
    static constexpr int kSaveSetting = 1100;
    static constexpr int kVerifySetting = 1101;
    static constexpr int kExit = 1;
    static constexpr int kZeroColumn = 3;

    explicit VerticalAlignmentDialog(link::PrinterPort& port);

    bool OnInitDialog() override;
    void OnCommand(ui::ControlId id, ui::Notification notification) override;
    void DoDataExchange(ui::DataExchange& exchange) override;

    // The chosen column of a row, 0 ("-3") to 6 ("3"); -1 before the first opening.
    int Row(int row) const {
        return row >= 0 && row < kRowCount ? rows_[static_cast<std::size_t>(row)] : -1;
    }

private:
    // Writes the print request and, if it went out, the cut; shows the error if either failed.
    void PrintPattern(const std::uint8_t* request, std::uint32_t length);
    void OnSaveSetting();
    void ShowWriteError();

    link::PrinterPort& port_;
    std::array<int, kRowCount> rows_ = {-1, -1, -1, -1};
};

}  // namespace corvane::alignment
