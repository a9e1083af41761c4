#pragma once

namespace corvane::protocol {

// The printer family the user chose; the values are those the connection window stores.
enum class PrinterModel : int { Krt310Family = 0, Krt620 = 1 };

}  // namespace corvane::protocol
