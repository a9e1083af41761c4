#pragma once

// The package's files that name the supported USB printers, written from the model table: the
// udev rule that gives the user at the seat access to them, and the AppStream metadata's hardware
// matches that let software centres offer the package for a plugged-in printer.

#include <span>
#include <string>
#include <string_view>

#include "product/Models.h"

namespace corvane::packaging {

// The whole rules file: a usblp node rule for every model, then a USB device rule for every
// model, each in the id table's order of precedence.
std::string UdevRules(std::span<const product::Model> models = product::Models());

// The metainfo template with its line holding kModaliasMark replaced by one <modalias> line per
// model, indented as that line was.
inline constexpr std::string_view kModaliasMark = "@USB_MODALIASES@";
std::string Metainfo(std::string_view templateText,
                     std::span<const product::Model> models = product::Models());

}  // namespace corvane::packaging
